#include "core/numparse.h"

#include <cstdlib>
#include <string>

namespace brevane {

namespace {

bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000; }

std::optional<double> parse_radix(TextView s, int radix) {
  if (s.empty() || s.size() > (radix == 16 ? 8u : 11u)) return std::nullopt;
  uint64_t v = 0;
  for (char16_t c : s) {
    int d;
    if (c >= u'0' && c <= u'9')
      d = c - u'0';
    else if (c >= u'a' && c <= u'f')
      d = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
      d = c - u'A' + 10;
    else
      return std::nullopt;
    if (d >= radix) return std::nullopt;
    v = v * radix + d;
  }
  if (v > 0xFFFFFFFFull) return std::nullopt;
  // Up to 32 bits, read as a signed Long: &HFFFF is 65535, &HFFFFFFFF is -1.
  return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
}

TextView trim_blanks(TextView s) {
  size_t b = 0, e = s.size();
  while (b < e && is_blank(s[b])) ++b;
  while (e > b && is_blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool is_currency_sign(char16_t c) { return c == u'$' || c == 0x00A5 || c == 0xFFE5; }

}  // namespace

std::optional<double> parse_number(TextView s) {
  s = trim_blanks(s);
  if (s.empty()) return std::nullopt;
  if (s.size() >= 2 && s[0] == u'&') {
    char16_t p = s[1];
    if (p == u'H' || p == u'h') return parse_radix(s.substr(2), 16);
    if (p == u'O' || p == u'o') return parse_radix(s.substr(2), 8);
    return std::nullopt;
  }
  // Accounting forms the engine accepts: (5), 5-, $5, -$5, $-5, 5$.
  bool negative = false, signed_already = false;
  if (s.size() >= 2 && s.front() == u'(' && s.back() == u')') {
    negative = true;
    s = trim_blanks(s.substr(1, s.size() - 2));
  }
  auto take_sign = [&] {
    if (signed_already || s.empty()) return;
    if (s.front() == u'+' || s.front() == u'-') {
      negative ^= s.front() == u'-';
      s.remove_prefix(1);
      signed_already = true;
    } else if (s.back() == u'+' || s.back() == u'-') {
      negative ^= s.back() == u'-';
      s.remove_suffix(1);
      signed_already = true;
    }
  };
  take_sign();
  if (!s.empty() && is_currency_sign(s.front()))
    s.remove_prefix(1);
  else if (!s.empty() && is_currency_sign(s.back()))
    s.remove_suffix(1);
  take_sign();
  std::string ascii;
  size_t i = 0;
  bool digits = false, point = false;
  for (; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c >= u'0' && c <= u'9') {
      ascii.push_back(static_cast<char>(c));
      digits = true;
    } else if (c == u',' && !point && digits) {
      continue;  // group separator in the integer part
    } else if (c == u'.' && !point) {
      ascii.push_back('.');
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return std::nullopt;
  if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
    size_t j = i + 1;
    std::string exp = "e";
    if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) exp.push_back(static_cast<char>(s[j++]));
    size_t start_digits = j;
    while (j < s.size() && s[j] >= u'0' && s[j] <= u'9') exp.push_back(static_cast<char>(s[j++]));
    if (j == start_digits) return std::nullopt;
    ascii += exp;
    i = j;
  }
  if (i != s.size()) return std::nullopt;
  double v = std::strtod(ascii.c_str(), nullptr);
  return negative ? -v : v;
}

}  // namespace brevane
