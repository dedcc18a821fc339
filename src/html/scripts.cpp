#include "html/scripts.h"

namespace brevane {

Text js_string_escape(TextView value) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  Text out;
  out.reserve(value.size() + value.size() / 8);
  for (char16_t c : value) {
    switch (c) {
      case u'\\':
        out += u"\\\\";
        continue;
      case u'\n':
        out += u"\\n";
        continue;
      case u'\r':
        out += u"\\r";
        continue;
      case u'\t':
        out += u"\\t";
        continue;
      default:
        break;
    }
    // Hex escapes rather than \" or \': they mean the same to the script and
    // contain nothing an HTML attribute or the end-tag scan would react to.
    if (c < 0x20 || c == u'"' || c == u'\'' || c == u'<' || c == u'>' || c == u'&' || c == 0x7F) {
      out += u"\\x";
      out += kHex[(c >> 4) & 0xF];
      out += kHex[c & 0xF];
    } else if (c == 0x2028 || c == 0x2029) {
      out += c == 0x2028 ? u"\\u2028" : u"\\u2029";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace brevane
