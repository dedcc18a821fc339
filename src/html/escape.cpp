#include "html/escape.h"

#include "core/codepage.h"

namespace brevane::markup {

namespace {

bool reference(char16_t c, Text& out) {
  switch (c) {
    case u'&':
      out += u"&amp;";
      return true;
    case u'<':
      out += u"&lt;";
      return true;
    case u'>':
      out += u"&gt;";
      return true;
    case u'"':
      out += u"&quot;";
      return true;
    case u'\'':
      out += u"&#39;";
      return true;
    default:
      return false;
  }
}

}  // namespace

Text escape_attr(TextView s) {
  Text out;
  out.reserve(s.size());
  for (char16_t c : s)
    if (!reference(c, out)) out += c;
  return out;
}

Text escape_unquoted_attr(TextView s) {
  Text out;
  out.reserve(s.size());
  for (char16_t c : s) {
    if (reference(c, out)) continue;
    switch (c) {
      case u' ':
        out += u"&#32;";
        break;
      case u'\t':
        out += u"&#9;";
        break;
      case u'\n':
        out += u"&#10;";
        break;
      case u'\r':
        out += u"&#13;";
        break;
      case u'\f':
        out += u"&#12;";
        break;
      case u'=':
        out += u"&#61;";
        break;
      case u'`':
        out += u"&#96;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

Text escape_query(TextView s) {
  static const char hex[] = "0123456789ABCDEF";
  Text out;
  for (unsigned char b : CodePage::ansi().encode(s)) {
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '_' ||
        b == '.' || b == '~' || b == '/' || b == ':') {
      out += static_cast<char16_t>(b);
    } else {
      out += u'%';
      out += static_cast<char16_t>(hex[b >> 4]);
      out += static_cast<char16_t>(hex[b & 15]);
    }
  }
  return out;
}

}  // namespace brevane::markup
