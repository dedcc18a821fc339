#include "html/scripts.h"

#include <gtest/gtest.h>

namespace brevane {
namespace {

TEST(JsStringEscape, EscapesWhatCouldEndTheStringAttributeOrElement) {
  struct Case {
    Text in, out;
  } cases[] = {
      {u"", u""},
      {u"abc 中文", u"abc 中文"},
      {u"a\"b'c", u"a\\x22b\\x27c"},
      {u"c:\\dir\\f", u"c:\\\\dir\\\\f"},
      {u"</script><b>&amp;", u"\\x3C/script\\x3E\\x3Cb\\x3E\\x26amp;"},
      {u"l1\r\nl2\tx", u"l1\\r\\nl2\\tx"},
      {Text(u"\x01\x1f\x7f", 3), u"\\x01\\x1F\\x7F"},
      {u"\u2028\u2029", u"\\u2028\\u2029"},
  };
  for (const auto& c : cases) EXPECT_EQ(js_string_escape(c.in), c.out) << to_utf8(c.in);
}

}  // namespace
}  // namespace brevane
