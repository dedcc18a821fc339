#include "core/vbrt.h"

#include <gtest/gtest.h>

#include "core/codepage.h"
#include "core/script_error.h"

namespace brevane {
namespace {

using namespace vb;

TEST(VbStrings, CuttingAndSearching) {
  EXPECT_EQ(Trim(u" \ta b\t "), u"\ta b\t");  // spaces only
  EXPECT_EQ(Left(u"abc", 5), u"abc");
  EXPECT_EQ(Right(u"abc", 2), u"bc");
  EXPECT_EQ(Mid(u"abcdef", 3), u"cdef");
  EXPECT_EQ(Mid(u"abcdef", 3, 2), u"cd");
  EXPECT_EQ(Mid(u"abc", 9, 2), u"");
  EXPECT_THROW(Mid(u"abc", 0), ScriptError);
  EXPECT_THROW(Left(u"abc", -1), ScriptError);
  EXPECT_EQ(InStr(u"abcabc", u"c"), 3);
  EXPECT_EQ(InStr(4, u"abcabc", u"c"), 6);
  EXPECT_EQ(InStr(u"abc", u"B", Compare::Text), 2);
  EXPECT_EQ(InStr(u"abc", u"B"), 0);
  EXPECT_EQ(InStr(u"abc", u""), 1);
  EXPECT_EQ(InStrRev(u"a.b.c", u"."), 4);
  EXPECT_EQ(InStrRev(u"a.b.c", u".", 3), 2);
  EXPECT_EQ(InStrRev(u"abc", u"x"), 0);
}

TEST(VbStrings, ReplaceSplitJoin) {
  EXPECT_EQ(Replace(u"aXbXc", u"X", u"--"), u"a--b--c");
  EXPECT_EQ(Replace(u"aXbxc", u"x", u"-", 1, -1, Compare::Text), u"a-b-c");
  EXPECT_EQ(Replace(u"aXbXc", u"X", u"-", 1, 1), u"a-bXc");
  EXPECT_EQ(Replace(u"abcabc", u"a", u"", 3), u"cbc");  // text before start is dropped
  auto parts = Split(u"a,b,,c", u",");
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[2], u"");
  EXPECT_TRUE(Split(u"", u",").empty());
  EXPECT_EQ(Split(u"a,b,c", u",", 2).back(), u"b,c");
  EXPECT_EQ(Join({u"a", u"b"}, u"|"), u"a|b");
  EXPECT_EQ(LCase(u"ABC\u00C9"), u"abc\u00E9");
  EXPECT_EQ(UCase(u"abc"), u"ABC");
}

TEST(VbNumbers, IsNumericValAndFormat) {
  EXPECT_TRUE(IsNumericText(u" 12 "));
  EXPECT_TRUE(IsNumericText(u"-1,000.5"));
  EXPECT_TRUE(IsNumericText(u"&HFF"));
  EXPECT_TRUE(IsNumericText(u"\u00A5100"));
  EXPECT_FALSE(IsNumericText(u""));
  EXPECT_FALSE(IsNumericText(u"12a"));
  EXPECT_TRUE(IsNumeric(Variant()));
  EXPECT_TRUE(IsNumeric(Variant(true)));
  EXPECT_FALSE(IsNumeric(Variant::null()));

  EXPECT_EQ(Val(u"  12abc"), 12);
  EXPECT_EQ(Val(u"1 2 3"), 123);
  EXPECT_EQ(Val(u"&HFF"), 255);
  EXPECT_EQ(Val(u"-3.7e1x"), -37);
  EXPECT_EQ(Val(u"abc"), 0);
  EXPECT_EQ(Val(u"1e"), 1);

  EXPECT_EQ(FormatNumber(1234567.891), u"1,234,567.89");
  EXPECT_EQ(FormatNumber(0.5), u"0.50");
  EXPECT_EQ(FormatNumber(-0.125), u"-0.13");
  EXPECT_EQ(FormatNumber(-0.001), u"0.00");
  EXPECT_EQ(FormatNumber(1.5, 0), u"2");
  EXPECT_EQ(Int(-1.5), -2);
  EXPECT_EQ(Fix(-1.5), -1);
  EXPECT_EQ(Hex(255), u"FF");
  EXPECT_EQ(Hex(-1), u"FFFF");
}

TEST(VbRandom, RndStaysInRange) {
  Randomize();
  for (int i = 0; i < 1000; ++i) {
    double r = Rnd();
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
  }
}

TEST(CodePage, GbkRoundTripsAndKeepsInvalidBytes) {
  const CodePage& cp = CodePage::ansi();
  ASSERT_EQ(cp.number(), 936);
  EXPECT_EQ(cp.encode(u"中a"), std::string("\xD6\xD0"
                                           "a"));
  EXPECT_EQ(cp.decode("\xD6\xD0"
                      "a"),
            u"中a");
  EXPECT_EQ(cp.ansi_code(u'中'), static_cast<int16_t>(0xD6D0));
  EXPECT_EQ(cp.ansi_code(u'a'), 97);
  EXPECT_EQ(cp.encode(u"\U0001F600"), "??");
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  all += "\xFF\x81";  // a lone lead byte at the end
  EXPECT_EQ(cp.encode(cp.decode(all)), all);
  EXPECT_EQ(Chr(-10544), u"中");
  EXPECT_EQ(Asc(u"中"), -10544);
}

}  // namespace
}  // namespace brevane
