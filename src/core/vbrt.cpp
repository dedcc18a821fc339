#include "core/vbrt.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "core/codepage.h"
#include "core/numparse.h"
#include "core/script_error.h"

namespace brevane::vb {

namespace {

char16_t lower(char16_t c) {
  if (c < 0x80) return ascii_lower(c);
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9) || (c >= 0x410 && c <= 0x42F))
    return static_cast<char16_t>(c + 32);
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 32);
  return c;
}

char16_t upper(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
    return static_cast<char16_t>(c - 32);
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 32);
  return c;
}

void check_nonnegative(int64_t v) {
  if (v < 0) throw ScriptError(kInvalidCall);
}

bool same(char16_t a, char16_t b, Compare cmp) { return a == b || (cmp == Compare::Text && lower(a) == lower(b)); }

size_t find_at(TextView s, TextView f, size_t from, Compare cmp) {
  if (cmp == Compare::Binary) return s.find(f, from);
  if (f.size() > s.size()) return TextView::npos;
  for (size_t i = from; i + f.size() <= s.size(); ++i) {
    size_t k = 0;
    while (k < f.size() && same(s[i + k], f[k], cmp)) ++k;
    if (k == f.size()) return i;
  }
  return TextView::npos;
}

}  // namespace

Text LCase(TextView s) {
  Text r(s);
  for (auto& c : r) c = lower(c);
  return r;
}

Text UCase(TextView s) {
  Text r(s);
  for (auto& c : r) c = upper(c);
  return r;
}

Text LTrim(TextView s) {
  size_t b = 0;
  while (b < s.size() && s[b] == u' ') ++b;
  return Text(s.substr(b));
}

Text RTrim(TextView s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] == u' ') --e;
  return Text(s.substr(0, e));
}

Text Trim(TextView s) { return LTrim(RTrim(s)); }

Text Left(TextView s, int64_t n) {
  check_nonnegative(n);
  return Text(s.substr(0, static_cast<size_t>(std::min<int64_t>(n, static_cast<int64_t>(s.size())))));
}

Text Right(TextView s, int64_t n) {
  check_nonnegative(n);
  size_t k = static_cast<size_t>(std::min<int64_t>(n, static_cast<int64_t>(s.size())));
  return Text(s.substr(s.size() - k));
}

Text Mid(TextView s, int64_t start, std::optional<int64_t> length) {
  if (start < 1) throw ScriptError(kInvalidCall);
  if (length) check_nonnegative(*length);
  if (static_cast<size_t>(start) > s.size()) return {};
  size_t from = static_cast<size_t>(start - 1);
  size_t n =
      length ? static_cast<size_t>(std::min<int64_t>(*length, static_cast<int64_t>(s.size() - from))) : s.size() - from;
  return Text(s.substr(from, n));
}

int64_t InStr(int64_t start, TextView s, TextView find, Compare cmp) {
  if (start < 1) throw ScriptError(kInvalidCall);
  if (static_cast<size_t>(start) > s.size()) return find.empty() && static_cast<size_t>(start) == s.size() + 1 ? 0 : 0;
  if (find.empty()) return start;
  size_t p = find_at(s, find, static_cast<size_t>(start - 1), cmp);
  return p == TextView::npos ? 0 : static_cast<int64_t>(p) + 1;
}

int64_t InStrRev(TextView s, TextView find, int64_t start, Compare cmp) {
  if (start == 0 || start < -1) throw ScriptError(kInvalidCall);
  int64_t len = static_cast<int64_t>(s.size());
  if (start == -1) start = len;
  if (start > len) return 0;
  if (find.empty()) return start;
  int64_t last = start - static_cast<int64_t>(find.size());
  for (int64_t i = last; i >= 0; --i) {
    size_t k = 0;
    while (k < find.size() && same(s[static_cast<size_t>(i) + k], find[k], cmp)) ++k;
    if (k == find.size()) return i + 1;
  }
  return 0;
}

Text Replace(TextView s, TextView find, TextView with, int64_t start, int64_t count, Compare cmp) {
  if (start < 1 || count < -1) throw ScriptError(kInvalidCall);
  if (static_cast<size_t>(start) > s.size()) return {};
  TextView rest = s.substr(static_cast<size_t>(start - 1));
  if (find.empty() || count == 0) return Text(rest);
  Text out;
  out.reserve(rest.size());
  size_t pos = 0;
  int64_t done = 0;
  while (count == -1 || done < count) {
    size_t hit = find_at(rest, find, pos, cmp);
    if (hit == TextView::npos) break;
    out.append(rest.substr(pos, hit - pos));
    out.append(with);
    pos = hit + find.size();
    ++done;
  }
  out.append(rest.substr(pos));
  return out;
}

std::vector<Text> Split(TextView s, TextView delimiter, int64_t count, Compare cmp) {
  if (count < -1 || count == 0) {
    if (count == 0) return {};
    throw ScriptError(kInvalidCall);
  }
  if (s.empty()) return {};
  if (delimiter.empty()) return {Text(s)};
  std::vector<Text> parts;
  size_t pos = 0;
  while (count == -1 || static_cast<int64_t>(parts.size()) < count - 1) {
    size_t hit = find_at(s, delimiter, pos, cmp);
    if (hit == TextView::npos) break;
    parts.emplace_back(s.substr(pos, hit - pos));
    pos = hit + delimiter.size();
  }
  parts.emplace_back(s.substr(pos));
  return parts;
}

Text Join(const std::vector<Text>& parts, TextView delimiter) {
  Text out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out.append(delimiter);
    out.append(parts[i]);
  }
  return out;
}

Text String(int64_t count, char16_t c) {
  check_nonnegative(count);
  return Text(static_cast<size_t>(count), c);
}

Text Space(int64_t count) { return String(count, u' '); }

double Int(double v) { return std::floor(v); }
double Fix(double v) { return std::trunc(v); }

bool IsNumericText(TextView s) { return parse_number(s).has_value(); }

bool IsNumeric(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      return true;
    case VarType::String:
      return IsNumericText(v.text());
    case VarType::Object:
      return IsNumeric(v.value());
    default:
      return v.is_numeric_type();
  }
}

double Val(TextView s) {
  std::string digits;
  size_t i = 0;
  auto skip = [&] {
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t' || s[i] == u'\n' || s[i] == u'\r')) ++i;
  };
  skip();
  if (i + 1 < s.size() && s[i] == u'&') {
    char16_t p = s[i + 1];
    int radix = (p == u'H' || p == u'h') ? 16 : (p == u'O' || p == u'o') ? 8 : 0;
    if (radix) {
      i += 2;
      Text hex;
      while (i < s.size()) {
        char16_t c = s[i];
        bool ok = (c >= u'0' && c <= u'7') ||
                  (radix == 16 && ((c >= u'8' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')));
        if (!ok) break;
        hex.push_back(c);
        ++i;
      }
      if (hex.empty()) return 0;
      auto n = parse_number(Text(radix == 16 ? u"&H" : u"&O") + hex);
      if (!n) return 0;
      // Val reads literals that fit 16 bits as Integers: &HFFFF is -1.
      if (*n >= 0 && *n <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(*n));
      return *n;
    }
  }
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) digits.push_back(static_cast<char>(s[i++]));
  bool point = false, exp = false, exp_digits = false;
  for (; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') continue;
    if (c >= u'0' && c <= u'9') {
      digits.push_back(static_cast<char>(c));
      if (exp) exp_digits = true;
    } else if (c == u'.' && !point && !exp) {
      digits.push_back('.');
      point = true;
    } else if ((c == u'e' || c == u'E' || c == u'd' || c == u'D') && !exp) {
      exp = true;
      digits.push_back('e');
      if (i + 1 < s.size() && (s[i + 1] == u'+' || s[i + 1] == u'-')) digits.push_back(static_cast<char>(s[++i]));
    } else {
      break;
    }
  }
  if (exp && !exp_digits) {
    while (!digits.empty() && (digits.back() == 'e' || digits.back() == '+' || digits.back() == '-')) digits.pop_back();
  }
  return std::strtod(digits.c_str(), nullptr);
}

Text FormatNumber(double v, int decimals, bool group) {
  if (decimals < 0) decimals = 2;
  // Round half away from zero on the decimal digits the value prints as, so
  // 0.125 gives 0.13 rather than a binary artefact.
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.15g", std::fabs(v));
  double mag = std::strtod(buf, nullptr);
  double scale = std::pow(10.0, decimals);
  double rounded = std::floor(mag * scale + 0.5 + 1e-9) / scale;
  std::snprintf(buf, sizeof buf, "%.*f", decimals, rounded);
  std::string s = buf;
  std::string int_part = s.substr(0, s.find('.'));
  std::string frac = s.find('.') == std::string::npos ? "" : s.substr(s.find('.'));
  if (group) {
    std::string g;
    int n = 0;
    for (auto it = int_part.rbegin(); it != int_part.rend(); ++it) {
      if (n && n % 3 == 0) g.insert(g.begin(), ',');
      g.insert(g.begin(), *it);
      ++n;
    }
    int_part = g;
  }
  std::string out;
  if (v < 0 && rounded != 0) out.push_back('-');
  out.append(int_part).append(frac);
  return T(out);
}

namespace {
std::mt19937_64& generator() {
  thread_local std::mt19937_64 g(0x5EED);
  return g;
}
}  // namespace

void Randomize() {
  auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  thread_local uint64_t calls = 0;
  generator().seed(static_cast<uint64_t>(now) ^ (++calls * 0x9E3779B97F4A7C15ull));
}

double Rnd() { return std::uniform_real_distribution<double>(0.0, 1.0)(generator()); }

Text Chr(int code) { return CodePage::ansi().from_ansi_code(code); }

int Asc(TextView s) {
  if (s.empty()) throw ScriptError(kInvalidCall);
  return CodePage::ansi().ansi_code(s[0]);
}

Text Hex(int64_t v) {
  char buf[32];
  if (v >= -32768 && v < 0)
    std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(static_cast<uint16_t>(v)));
  else if (v < 0)
    std::snprintf(buf, sizeof buf, "%X", static_cast<uint32_t>(v));
  else
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(v));
  return T(buf);
}

}  // namespace brevane::vb
