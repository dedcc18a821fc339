#include "text/measure.h"

#include <algorithm>
#include <vector>

#include "core/codepage.h"
#include "core/script_error.h"
#include "core/vbrt.h"
#include "platform/regexp.h"
#include "text/encode.h"

namespace brevane {

namespace {

// Widths and positions are 16-bit in the pages' contract: passing 32767
// raises overflow rather than wrapping.
class Counter16 {
 public:
  explicit Counter16(int32_t v = 0) : v_(v) {}
  void add(int32_t d) {
    v_ += d;
    if (v_ > 32767 || v_ < -32768) throw ScriptError(kOverflow);
  }
  int32_t value() const { return v_; }

 private:
  int32_t v_;
};

inline int16_t ansi(char16_t c) { return c < 0x80 ? static_cast<int16_t>(c) : CodePage::ansi().ansi_code(c); }

Text decode_four_entities(Text s) {
  return replace_rows(std::move(s), {{u"&nbsp;", u" "}, {u"&quot;", u"\""}, {u"&gt;", u">"}, {u"&lt;", u"<"}});
}

}  // namespace

bool wide_by_ansi_code(char16_t c) { return ansi(c) <= 0; }
bool wide_by_magnitude(char16_t c) {
  int32_t a = ansi(c);
  return a > 255 || a < -255;
}
bool wide_by_unsigned(char16_t c) { return static_cast<uint16_t>(ansi(c)) > 255; }

int16_t CommGetStringLength(Text p_String) {
  // A text wider than the 16-bit result gives the width reached before the
  // counter would overflow; the routine never fails.
  const CodePage& cp = CodePage::ansi();
  int64_t width = 0;
  for (char16_t c : p_String) width += (c >= 0x80 && static_cast<uint16_t>(cp.ansi_code(c)) > 255) ? 2 : 1;
  if (width <= 32767) return static_cast<int16_t>(width);
  int32_t w = 0;
  for (char16_t c : p_String) {
    int32_t next = w + (wide_by_unsigned(c) ? 2 : 1);
    if (next > 32767) break;
    w = next;
  }
  return static_cast<int16_t>(w);
}

int16_t CommGetStringLength2(Text p_String) {
  Counter16 w;
  for (char16_t c : vb::Trim(p_String)) w.add(ansi(c) > 0 ? 1 : 2);
  return static_cast<int16_t>(w.value());
}

Text CommGetStringLeft(Text p_String, int16_t p_StringLength) {
  Counter16 w;
  for (size_t i = 0; i < p_String.size(); ++i) {
    w.add(wide_by_ansi_code(p_String[i]) ? 2 : 1);
    if (w.value() >= p_StringLength) return p_String.substr(0, i + 1);
  }
  return p_String;
}

Text CommGetStringRight(Text p_String, int16_t p_StringLength) {
  Counter16 w;
  for (size_t i = p_String.size(); i-- > 0;) {
    w.add(wide_by_ansi_code(p_String[i]) ? 2 : 1);
    if (w.value() >= p_StringLength) return p_String.substr(i);
  }
  return p_String;
}

Text CommGetTopicStr(Text p_String, int16_t p_StringLength) {
  if (p_String.empty()) return {};
  Text s = decode_four_entities(std::move(p_String));
  Counter16 w;
  for (size_t i = 0; i < s.size(); ++i) {
    w.add(wide_by_magnitude(s[i]) ? 2 : 1);
    if (w.value() >= p_StringLength) {
      s.resize(i + 1);
      s.push_back(u'\u2026');
      break;
    }
  }
  return replace_rows(std::move(s), {{u" ", u"&nbsp;"}, {u"\"", u"&quot;"}, {u">", u"&gt;"}, {u"<", u"&lt;"}});
}

Text CommGetString(Variant& p_String, Variant& p_StringStart, Variant& p_StringLength) {
  Text s = p_String.to_text();
  const int32_t start = p_StringStart.to_i16();
  const int32_t length = p_StringLength.to_i16();
  if (vb::Trim(s).empty()) return {};
  s = decode_four_entities(std::move(s));
  // Columns are 1-based; a position past the end counts one column and adds
  // nothing, so the walk can stop at the end of the text.
  const size_t n = s.size();
  Counter16 w(1);
  size_t i = 0;
  while (w.value() < start && i < n) w.add(wide_by_magnitude(s[i++]) ? 2 : 1);
  const int32_t last = start + length - 1;
  size_t from = i;
  while (i < n && w.value() <= last) w.add(wide_by_magnitude(s[i++]) ? 2 : 1);
  return s.substr(from, i - from);
}

Text CommStrExtract(Text cSearchExpression, Text cBeginDelim, Text cEndDelim, int16_t nOccurrence, int16_t nFlag) {
  const bool ignore_case = nFlag & 1, no_end = nFlag & 2, keep_begin = nFlag & 4;
  const Text& text = cSearchExpression;
  Text hay = ignore_case ? vb::UCase(text) : text;
  Text begin = ignore_case ? vb::UCase(cBeginDelim) : cBeginDelim;
  Text end = ignore_case ? vb::UCase(cEndDelim) : cEndDelim;

  const int64_t from = std::max<int64_t>(nOccurrence, 1);
  const int64_t p = begin.empty() ? 1 : vb::InStr(from, hay, begin);
  if (p == 0) return {};
  const int64_t b = static_cast<int64_t>(begin.size());
  if (!no_end && !end.empty()) {
    const int64_t q = vb::InStr(p + b, hay, end);
    if (q == 0 || q <= p) return {};
    return keep_begin ? vb::Mid(text, p, q - p) : vb::Mid(text, p + b, q - p - b);
  }
  return keep_begin ? vb::Mid(text, p) : vb::Mid(text, p + b);
}

Text CommReplaceAt(Text p_Expression, int16_t p_At, Text p_ReplaceWith, Text p_Delimiter) {
  const std::vector<Text> fields = vb::Split(p_Expression, p_Delimiter);
  const int32_t u = static_cast<int32_t>(fields.size()) - 1;
  const int32_t k = p_At - 1;
  const int32_t m = std::max(u, k);
  Text out;
  for (int32_t j = 0; j <= m; ++j) {
    if (j == k)
      out += p_ReplaceWith;
    else if (j <= u)
      out += fields[static_cast<size_t>(j)];
    if (j < m) out += p_Delimiter;
  }
  return out;
}

Text CommReplaceExp(Text p_String, Text p_Pattern, Text p_ReplaceString) {
  return Regex(p_Pattern, RegexFlags{.ignore_case = true}).replace(p_String, p_ReplaceString, true);
}

Text CommJoin(Variant& p_Array, Text p_Delimiter) {
  const Bytes& bytes = p_Array.bytes();
  Text out;
  out.reserve(bytes.size() * (3 + p_Delimiter.size()));
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i) out += p_Delimiter;
    uint8_t v = bytes[i];
    if (v >= 100) out.push_back(static_cast<char16_t>(u'0' + v / 100));
    if (v >= 10) out.push_back(static_cast<char16_t>(u'0' + v / 10 % 10));
    out.push_back(static_cast<char16_t>(u'0' + v % 10));
  }
  return out;
}

}  // namespace brevane
