#include "text/measure.h"

#include <gtest/gtest.h>

#include "core/registry.h"
#include "core/script_error.h"
#include "kit/expect.h"

namespace brevane {
namespace {

using kit::error_of;
using kit::raised;

TEST(WideTests, AgreeExceptOnCharacterZero) {
  for (char16_t c : {u'a', u'~', u'中', u'，', u'ａ', u'\u3000'})
    EXPECT_TRUE(wide_by_ansi_code(c) == wide_by_magnitude(c) && wide_by_magnitude(c) == wide_by_unsigned(c)) << int(c);
  EXPECT_TRUE(wide_by_magnitude(u'中'));
  EXPECT_FALSE(wide_by_magnitude(u'a'));
  EXPECT_TRUE(wide_by_ansi_code(u'\0'));
  EXPECT_FALSE(wide_by_magnitude(u'\0'));
  EXPECT_FALSE(wide_by_unsigned(u'\0'));
}

TEST(CommGetStringLength, WideCountsTwo) {
  struct Case {
    Text in;
    int want;
  };
  const Case cases[] = {
      {u"中国ab", 6}, {u"", 0}, {u" 中 ", 4}, {u"，ａ", 4}, {Text(1, u'\0'), 1}, {u"\u00e9", 2},
  };
  for (const auto& c : cases) EXPECT_EQ(CommGetStringLength(c.in), c.want) << to_utf8(c.in);
}

TEST(CommGetStringLength, StopsBeforeTheCounterOverflows) {
  EXPECT_EQ(CommGetStringLength(Text(32767, u'a')), 32767);
  EXPECT_EQ(CommGetStringLength(Text(40000, u'a')), 32767);
  EXPECT_EQ(CommGetStringLength(u"a" + Text(20000, u'中')), 32767);
  EXPECT_EQ(CommGetStringLength(Text(20000, u'中')), 32766);
}

TEST(CommGetStringLength2, TrimmedAndPositiveCodesNarrow) {
  EXPECT_EQ(CommGetStringLength2(u"  中国ab  "), 6);
  EXPECT_EQ(CommGetStringLength2(u"\t"), 1);
  EXPECT_EQ(CommGetStringLength2(Text(1, u'\0')), 2);
  EXPECT_EQ(error_of([] { CommGetStringLength2(Text(16384, u'中')); }), raised(kOverflow));
}

TEST(CommGetStringLeft, ShortestPrefixReachingTheLimit) {
  struct Case {
    Text in;
    int16_t limit;
    Text want;
  };
  const Case cases[] = {
      {u"中文字", 3, u"中文"},  // a wide character overshoots by one
      {u"中文字", 4, u"中文"}, {u"中文字", 10, u"中文字"},
      {u"ab中", 3, u"ab中"},   {u"abc", 0, u"a"},  // at least the first character
      {u"abc", -5, u"a"},      {u"", 3, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(CommGetStringLeft(c.in, c.limit), c.want) << to_utf8(c.in) << c.limit;
}

TEST(CommGetStringRight, ShortestSuffixReachingTheLimit) {
  struct Case {
    Text in;
    int16_t limit;
    Text want;
  };
  const Case cases[] = {
      {u"abcdef", 2, u"ef"},
      {u"ab中文", 3, u"中文"},
      {u"ab中文", 10, u"ab中文"},
      {u"abc", 0, u"c"},
  };
  for (const auto& c : cases) EXPECT_EQ(CommGetStringRight(c.in, c.limit), c.want) << to_utf8(c.in) << c.limit;
}

TEST(CommGetTopicStr, CutsDecodedTextAndEscapesAgain) {
  struct Case {
    Text in;
    int16_t limit;
    Text want;
  };
  const Case cases[] = {
      {u"", 5, u""},
      {u"&lt;b&gt;粗体&lt;/b&gt;", 5, u"&lt;b&gt;粗…"},  // brackets count one each
      {u"&lt;b&gt;粗体&lt;/b&gt;", 50, u"&lt;b&gt;粗体&lt;/b&gt;"},
      {u"a b", 50, u"a&nbsp;b"},
      {u"abc", 3, u"abc…"},  // exactly the limit still gets the ellipsis
      {u"abc", 4, u"abc"},
      {u"&quot;x&quot;", 1, u"&quot;…"},
      {u"&amp;", 9, u"&amp;"},  // only four entities are undone
  };
  for (const auto& c : cases) EXPECT_EQ(CommGetTopicStr(c.in, c.limit), c.want) << to_utf8(c.in) << c.limit;
}

TEST(CommGetString, SubstringByColumns) {
  struct Case {
    Text in;
    int start, length;
    Text want;
  };
  const Case cases[] = {
      {u"abcdef", 2, 3, u"bcd"},   {u"中国abc", 3, 2, u"国"},
      {u"中国abc", 2, 3, u"国"},    // a start inside a wide character moves past it
      {u"中国abc", 1, 3, u"中国"},  // the last character may overshoot
      {u"abc", 3, 10, u"c"},       {u"abc", 5, 2, u""},
      {u"   ", 1, 3, u""},         {u"&lt;x&gt;", 1, 3, u"<x>"},  // decoded, not escaped again
      {u"abc", 1, 0, u""},
  };
  for (const auto& c : cases) {
    Variant s(c.in), start(int16_t(c.start)), length(int16_t(c.length));
    EXPECT_EQ(CommGetString(s, start, length), c.want) << to_utf8(c.in) << " " << c.start << " " << c.length;
  }
  Variant s(u"abc"), start(u"x"), length(int16_t(1));
  EXPECT_EQ(error_of([&] { CommGetString(s, start, length); }), raised(kTypeMismatch));
}

TEST(CommStrExtract, FlagsSelectWhatIsKept) {
  struct Case {
    Text text, begin, end;
    int16_t occurrence, flag;
    Text want;
  };
  const Case cases[] = {
      {u"a[x]b", u"[", u"]", 1, 0, u"x"},
      {u"a[x]b", u"[", u"]", 1, 4, u"[x"},
      {u"a[x]b", u"[", u"]", 1, 2, u"x]b"},
      {u"a[x]b", u"[", u"]", 1, 6, u"[x]b"},
      {u"a[x]b", u"[", u"}", 1, 0, u""},
      {u"a[x]b", u"(", u"]", 1, 0, u""},
      {u"a[x]b", u"[", u"", 1, 0, u"x]b"},         // no end marker: the rest
      {u"a[x]b", u"", u"]", 1, 0, u"a[x"},         // no begin marker: from the start
      {u"<B>t</b>", u"<b>", u"</B>", 1, 0, u""},   // case matters without flag 1
      {u"<B>t</b>", u"<b>", u"</B>", 1, 1, u"t"},  // ...and the result keeps the text's case
      {u"[1][2]", u"[", u"]", 2, 0, u"2"},         // the search starts at that position
      {u"[1][2]", u"[", u"]", 0, 0, u"1"},
      {u"[1][2]", u"[", u"]", 9, 0, u""},
      {u"[]", u"[", u"]", 1, 0, u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CommStrExtract(c.text, c.begin, c.end, c.occurrence, c.flag), c.want)
        << to_utf8(c.text) << " flag " << c.flag;
}

TEST(CommReplaceAt, ReplacesOrPadsOneField) {
  struct Case {
    Text in;
    int16_t at;
    Text with, delim, want;
  };
  const Case cases[] = {
      {u"a|b|c", 2, u"X", u"|", u"a|X|c"}, {u"a|b|c", 5, u"X", u"|", u"a|b|c||X"}, {u"a|b|c", 1, u"X", u"|", u"X|b|c"},
      {u"a|b|c", 0, u"X", u"|", u"a|b|c"}, {u"a|b|c", -3, u"X", u"|", u"a|b|c"},   {u"", 1, u"X", u"|", u"X"},
      {u"", 3, u"X", u"|", u"||X"},        {u"a,,b", 2, u"X", u",", u"a,X,b"},     {u"a||b", 2, u"X", u"||", u"a||X"},
  };
  for (const auto& c : cases) EXPECT_EQ(CommReplaceAt(c.in, c.at, c.with, c.delim), c.want) << to_utf8(c.in) << c.at;
}

TEST(CommReplaceExp, CaseInsensitiveGlobalWithGroups) {
  EXPECT_EQ(CommReplaceExp(u"Hello hello", u"HELLO", u"x"), u"x x");
  EXPECT_EQ(CommReplaceExp(u"2026-12-06", u"(\\d+)-(\\d+)-(\\d+)", u"$3/$2/$1"), u"06/12/2026");
  EXPECT_NE(error_of([] { CommReplaceExp(u"x", u"(", u""); }).number, 0);
}

TEST(CommJoin, DecimalBytesWithDelimiter) {
  Variant bytes(Bytes{1, 2, 255, 0, 10});
  EXPECT_EQ(CommJoin(bytes, u","), u"1,2,255,0,10");
  Variant empty(Bytes{});
  EXPECT_EQ(CommJoin(empty, u","), u"");
  Variant text(u"12");
  EXPECT_EQ(error_of([&] { CommJoin(text, u","); }), raised(kTypeMismatch));
}

TEST(Measuring, ByNameThroughTheFacade) {
  Variant c(create_object(u"Brevane.BrevaneCls"));
  EXPECT_EQ(call(c, u"CommGetStringLength", {Variant(u"中国ab")}).to_i32(), 6);
  EXPECT_EQ(call(c, u"CommReplaceAt", {Variant(u"a|b"), Variant(int16_t(2)), Variant(u"X")}).to_text(), u"a|X");
  Variant s(u"abcdef"), start(int16_t(2)), length(int16_t(2));
  EXPECT_EQ(call(c, u"CommGetString", {s, start, length}).to_text(), u"bc");
  EXPECT_EQ(call(c, u"CommJoin", {Variant(Bytes{1, 2}), Variant(u"-")}).to_text(), u"1-2");
}

}  // namespace
}  // namespace brevane
