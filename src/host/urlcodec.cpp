#include "host/urlcodec.h"

namespace brevane::host {

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view trim_spaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

std::string percent_decode(std::string_view s, bool plus_as_space) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '%' && i + 2 < s.size()) {
      int hi = hex_value(s[i + 1]), lo = hex_value(s[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    out.push_back(plus_as_space && c == '+' ? ' ' : c);
  }
  return out;
}

Pairs parse_url_pairs(std::string_view raw, const CodePage& cp) {
  Pairs out;
  size_t start = 0;
  while (start <= raw.size()) {
    size_t amp = raw.find('&', start);
    std::string_view seg = raw.substr(start, amp == std::string_view::npos ? std::string_view::npos : amp - start);
    if (!seg.empty()) {
      size_t eq = seg.find('=');
      std::string_view k = seg.substr(0, eq);
      std::string_view v = eq == std::string_view::npos ? std::string_view() : seg.substr(eq + 1);
      out.emplace_back(cp.decode(percent_decode(k, true)), cp.decode(percent_decode(v, true)));
    }
    if (amp == std::string_view::npos) break;
    start = amp + 1;
  }
  return out;
}

Pairs parse_cookie_header(std::string_view header, const CodePage& cp) {
  Pairs out;
  size_t start = 0;
  while (start < header.size()) {
    size_t semi = header.find(';', start);
    std::string_view seg =
        trim_spaces(header.substr(start, semi == std::string_view::npos ? std::string_view::npos : semi - start));
    if (!seg.empty()) {
      size_t eq = seg.find('=');
      std::string_view k = trim_spaces(seg.substr(0, eq));
      std::string_view v = eq == std::string_view::npos ? std::string_view() : seg.substr(eq + 1);
      out.emplace_back(cp.decode(percent_decode(k, true)), cp.decode(percent_decode(v, true)));
    }
    if (semi == std::string_view::npos) break;
    start = semi + 1;
  }
  return out;
}

Text url_encode(TextView text, const CodePage& cp) {
  static const char kHex[] = "0123456789ABCDEF";
  Text out;
  for (unsigned char b : cp.encode(text)) {
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9')) {
      out.push_back(b);
    } else if (b == ' ') {
      out.push_back(u'+');
    } else {
      out.push_back(u'%');
      out.push_back(static_cast<char16_t>(kHex[b >> 4]));
      out.push_back(static_cast<char16_t>(kHex[b & 15]));
    }
  }
  return out;
}

std::string html_escape(std::string_view s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

}  // namespace brevane::host
