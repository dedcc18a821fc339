#include "host/urlcodec.h"

#include <gtest/gtest.h>

namespace brevane::host {
namespace {

const CodePage& gbk() {
  static const CodePage cp(936);
  return cp;
}

TEST(PercentDecode, Table) {
  struct Case {
    const char* in;
    bool plus;
    const char* out;
  } cases[] = {
      {"a%20b", false, "a b"},  {"a+b", true, "a b"},         {"a+b", false, "a+b"},
      {"%zz%4", true, "%zz%4"}, {"%C4%e3", true, "\xC4\xE3"}, {"100%", true, "100%"},
  };
  for (const auto& c : cases) EXPECT_EQ(percent_decode(c.in, c.plus), c.out) << c.in;
}

TEST(ParseUrlPairs, KeepsOrderAndDecodesInTheCodePage) {
  Pairs p = parse_url_pairs("name=%C4%E3%BA%C3&b=1&&flag&name=x+y", gbk());
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(p[0], (std::pair<Text, Text>(u"name", u"你好")));
  EXPECT_EQ(p[1], (std::pair<Text, Text>(u"b", u"1")));
  EXPECT_EQ(p[2], (std::pair<Text, Text>(u"flag", u"")));
  EXPECT_EQ(p[3], (std::pair<Text, Text>(u"name", u"x y")));
}

TEST(ParseCookieHeader, SplitsAtSemicolonsAndTrims) {
  Pairs p = parse_cookie_header("a=1;  b=hello%20world ; c", gbk());
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[1], (std::pair<Text, Text>(u"b", u"hello world")));
  EXPECT_EQ(p[2].first, u"c");
}

TEST(UrlEncode, LettersAndDigitsStaySpaceIsPlusRestIsHex) {
  struct Case {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"abcXYZ019", u"abcXYZ019"},         {u"a b", u"a+b"}, {u"-_.~", u"%2D%5F%2E%7E"}, {u"你", u"%C4%E3"},
      {u"a/b?c=d&e", u"a%2Fb%3Fc%3Dd%26e"}, {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(url_encode(c.in, gbk()), c.out) << to_utf8(c.in);
}

TEST(HtmlEscape, EscapesMarkupCharacters) {
  EXPECT_EQ(html_escape("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;");
}

}  // namespace
}  // namespace brevane::host
