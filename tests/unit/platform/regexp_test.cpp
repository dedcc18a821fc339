#include "platform/regexp.h"

#include <gtest/gtest.h>

#include "core/registry.h"
#include "kit/expect.h"

namespace brevane {
namespace {

using kit::error_of;
using kit::raised;

struct TestCase {
  const char16_t* pattern;
  bool ignore_case;
  const char16_t* subject;
  bool expected;
};

class RegexTest : public ::testing::TestWithParam<TestCase> {};

TEST_P(RegexTest, MatchesLikeTheScriptDialect) {
  const TestCase& c = GetParam();
  EXPECT_EQ(Regex(c.pattern, {c.ignore_case, false}).test(c.subject), c.expected)
      << to_utf8(c.pattern) << " on " << to_utf8(c.subject);
}

INSTANTIATE_TEST_SUITE_P(
    Dialect, RegexTest,
    ::testing::Values(TestCase{u"^$", false, u"", true}, TestCase{u"^$", false, u"\t", false},
                      TestCase{u"", false, u"abc", true},                       // empty pattern matches anywhere
                      TestCase{u"b", false, u"abc", true},                      // unanchored
                      TestCase{u"^[\\u4e00-\\u9fa5]+$", false, u"中文", true},  // \uXXXX escapes
                      TestCase{u"^[\\u4e00-\\u9fa5]+$", false, u"中a", false},
                      TestCase{u"\\x41", false, u"A", true},   // two-digit \x
                      TestCase{u"^\\v$", false, u"\v", true},  // vertical tab, not a class
                      TestCase{u"^\\v$", false, u"\n", false},
                      TestCase{u"^\\a\\e\\h$", false, u"aeh", true},  // letters without meaning are themselves
                      TestCase{u"^\\Qx\\E$", false, u"QxE", true},
                      TestCase{u"^[[:alpha:]]+$", false, u"[:alpha",
                               false},  // no POSIX classes: "[[:alpha:]" then "]+"
                      TestCase{u"^[[:alpha:]]+$", false, u"a]]", true},
                      TestCase{u"c$", false, u"abc\n", false},   // "$" only at the very end
                      TestCase{u"a.c", false, u"a\rc", false},   // "." stops at CR as well as LF
                      TestCase{u"a[^]c", false, u"a\nc", true},  // "[^]" is any character
                      TestCase{u"a[]c", false, u"ac", false},    // "[]" matches nothing
                      TestCase{u"ABC", true, u"xabcx", true}, TestCase{u"ABC", false, u"xabcx", false},
                      TestCase{u"^\\w+@\\w+\\.\\w+$", true, u"A_b@x.CN", true}, TestCase{u"[\\B]", false, u"B", true}));

TEST(RegexTest, MultilineAnchorsAtLineBreaks) {
  EXPECT_FALSE(Regex(u"^b$").test(u"a\nb\nc"));
  EXPECT_TRUE(Regex(u"^b$", {false, true}).test(u"a\nb\nc"));
}

TEST(RegexTest, PatternErrorsCarryTheScriptNumbers) {
  struct {
    const char16_t* pattern;
    int number;
  } cases[] = {{u"[a", kRegexExpectedBracket},
               {u"(a", kRegexExpectedParen},
               {u"*a", kRegexUnexpectedQuantifier},
               {u"[z-a]", kRegexInvalidRange},
               {u"(*FAIL)", kRegexUnexpectedQuantifier},
               {u"(*UTF)a", kRegexUnexpectedQuantifier},
               {u"a{3,1}", kRegexSyntax}};
  for (auto& c : cases) EXPECT_EQ(error_of([&] { Regex r(c.pattern); }), raised(c.number)) << to_utf8(c.pattern);
}

TEST(RegexTest, RunawayBacktrackingFailsInsteadOfHanging) {
  Text subject(40, u'a');
  subject += u'b';
  EXPECT_EQ(error_of([&] { Regex(u"^(a+)+$").test(subject); }), raised(kRegexTooComplex));
}

TEST(RegexExecute, GlobalWalksEveryMatchWithPositions) {
  auto m = Regex(u"(\\d)(x)?").execute(u"a1b2x", true);
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].index, 1u);
  EXPECT_EQ(m[0].value, u"1");
  EXPECT_EQ(m[0].groups[0], Text(u"1"));
  EXPECT_FALSE(m[0].groups[1].has_value());
  EXPECT_EQ(m[1].index, 3u);
  EXPECT_EQ(m[1].value, u"2x");
  EXPECT_EQ(Regex(u"\\d").execute(u"a1b2", false).size(), 1u);
}

TEST(RegexExecute, EmptyMatchesAdvanceOneCodeUnit) {
  EXPECT_EQ(Regex(u"x*").replace(u"abc", u"-", true), u"-a-b-c-");
  EXPECT_EQ(Regex(u"x*").execute(u"ab", true).size(), 3u);
  EXPECT_EQ(Regex(u"\\b").replace(u"ab cd", u"|", true), u"|ab| |cd|");
}

TEST(RegexReplace, TemplatesExpand) {
  struct {
    const char16_t* pattern;
    const char16_t* replacement;
    const char16_t* expected;
  } cases[] = {
      {u"(b)(c)", u"[$2$1]", u"a[cb]d"}, {u"bc", u"[$&]", u"a[bc]d"},
      {u"bc", u"[$`|$']", u"a[a|d]d"},   {u"bc", u"$$", u"a$d"},
      {u"bc", u"$1$0$", u"a$1$0$d"},    // no such groups: written as is
      {u"(b)c", u"$10", u"ab0d"},       // one group: "$1" then "0"
      {u"(b)(x)?c", u"<$2>", u"a<>d"},  // a group that took no part is empty
  };
  for (auto& c : cases)
    EXPECT_EQ(Regex(c.pattern).replace(u"abcd", c.replacement, false), c.expected) << to_utf8(c.replacement);
  EXPECT_EQ(Regex(u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)").replace(u"abcdefghij", u"$10$1", false), u"ja");
}

TEST(RegexReplace, FirstOnlyUnlessGlobal) {
  EXPECT_EQ(Regex(u"o").replace(u"foo", u"0", false), u"f0o");
  EXPECT_EQ(Regex(u"o").replace(u"foo", u"0", true), u"f00");
}

TEST(RegexTranslate, LeavesScriptEscapesAndRewritesTheRest) {
  EXPECT_EQ(translate_script_pattern(u"\\d\\w\\s\\b\\n\\t\\u0041\\x41"), u"\\d\\w\\s\\b\\n\\t\\u0041\\x41");
  EXPECT_EQ(translate_script_pattern(u"\\v\\p\\K\\."), u"\\x0bpK\\.");
  EXPECT_EQ(translate_script_pattern(u"[[a]"), u"[\\[a]");
}

TEST(RegexCache, SamePatternAndFlagsShareOneCompilation) {
  auto a = cached_regex(u"^a+$");
  EXPECT_EQ(cached_regex(u"^a+$"), a);
  EXPECT_NE(cached_regex(u"^a+$", {true, false}), a);
  EXPECT_FALSE(a->test(u"A"));
  EXPECT_TRUE(cached_regex(u"^a+$", {true, false})->test(u"A"));
  for (int i = 0; i < 100; ++i) cached_regex(Text(u"x") + Variant(int32_t{i}).to_text());  // evicts
  EXPECT_TRUE(cached_regex(u"^a+$")->test(u"aa"));
  EXPECT_EQ(error_of([] { cached_regex(u"(a"); }), raised(kRegexExpectedParen));
}

// ---- the object pages create by name ----

class ReplaceCallback : public DynamicObject {
 public:
  ReplaceCallback() {
    define(
        u"Call",
        [](int, Args a) -> Variant {
          // (match, group 1, position, whole text)
          return Variant(u"<" + a[1].to_text() + u"@" + a[2].to_text() + u">");
        },
        true);
  }
};

TEST(RegExpObject, PropertiesDriveTestExecuteAndReplace) {
  Variant re(create_object(u"VBScript.RegExp"));
  put(re, u"Pattern", Variant(u"(\\d+)"));
  put(re, u"Global", Variant(true));
  EXPECT_EQ(get(re, u"Pattern").to_text(), u"(\\d+)");
  EXPECT_EQ(get(re, u"Global").raw_int(), -1);
  EXPECT_EQ(get(re, u"IgnoreCase").raw_int(), 0);
  EXPECT_TRUE(call(re, u"Test", {Variant(u"a12")}).to_bool());

  Variant matches = call(re, u"Execute", {Variant(u"a12b345")});
  EXPECT_EQ(get(matches, u"Count").to_i32(), 2);
  Variant second = call_default(matches, {Variant(int16_t{1})});
  EXPECT_EQ(second.value().to_text(), u"345");
  EXPECT_EQ(get(second, u"FirstIndex").to_i32(), 4);
  EXPECT_EQ(get(second, u"Length").to_i32(), 3);
  Variant subs = get(second, u"SubMatches");
  EXPECT_EQ(get(subs, u"Count").to_i32(), 1);
  EXPECT_EQ(call_default(subs, {Variant(int16_t{0})}).to_text(), u"345");
  VariantArray all = matches.object()->enumerate();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].value().to_text(), u"12");
  EXPECT_EQ(error_of([&] { call_default(matches, {Variant(int16_t{2})}); }), raised(kInvalidCall));

  EXPECT_EQ(call(re, u"Replace", {Variant(u"a12b345"), Variant(u"#")}).to_text(), u"a#b#");
  Variant fn(std::static_pointer_cast<Object>(std::make_shared<ReplaceCallback>()));
  EXPECT_EQ(call(re, u"Replace", {Variant(u"a12b3"), fn}).to_text(), u"a<12@1>b<3@4>");
}

TEST(RegExpObject, UnmatchedGroupReadsEmpty) {
  Variant re(create_object(u"vbscript.regexp"));
  put(re, u"Pattern", Variant(u"a(x)?"));
  Variant m = call_default(call(re, u"Execute", {Variant(u"a")}), {Variant(int16_t{0})});
  EXPECT_TRUE(call_default(get(m, u"SubMatches"), {Variant(int16_t{0})}).is_empty());
}

TEST(RegExpObject, BadPatternFailsWhenUsedNotWhenSet) {
  Variant re(create_object(u"VBScript.RegExp"));
  put(re, u"Pattern", Variant(u"(a"));
  EXPECT_EQ(error_of([&] { call(re, u"Test", {Variant(u"a")}); }), raised(kRegexExpectedParen));
  put(re, u"Pattern", Variant(u"A"));
  EXPECT_FALSE(call(re, u"Test", {Variant(u"a")}).to_bool());
  put(re, u"IgnoreCase", Variant(true));  // recompiles with the new flag
  EXPECT_TRUE(call(re, u"Test", {Variant(u"a")}).to_bool());
}

}  // namespace
}  // namespace brevane
