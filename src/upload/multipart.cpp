#include "upload/multipart.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/script_error.h"
#include "upload/upload_support.h"

namespace brevane::multipart {

namespace {

// The header block is read either as decoded text (char16_t) or as the raw
// bytes (char) when every character it is made of is the byte of the same
// value; the structure (line ends, colons, quotes, ";", "=") is ASCII in both.
template <class Ch>
bool is_space(Ch c) {
  return c == Ch(' ') || c == Ch('\t');
}

template <class Ch>
Ch lower(Ch c) {
  return c >= Ch('A') && c <= Ch('Z') ? static_cast<Ch>(c + 32) : c;
}

// `word` is lower-case ASCII; `usual` is how browsers spell it (`word` when
// not given), which is tried first as a whole.
template <class Ch>
[[gnu::always_inline]] inline bool same_nocase(std::basic_string_view<Ch> a, std::string_view word,
                                               std::string_view usual = {}) {
  if (a.size() != word.size()) return false;
  if (usual.empty()) usual = word;
  if (std::equal(a.begin(), a.end(), usual.begin(), [](Ch x, char y) { return x == Ch(y); })) return true;
  for (size_t i = 0; i < a.size(); ++i) {
    const Ch w = Ch(word[i]);
    if (a[i] != w && !(w >= Ch('a') && w <= Ch('z') && a[i] == w - 32)) return false;
  }
  return true;
}

template <class Ch>
[[gnu::always_inline]] inline std::basic_string_view<Ch> trim(std::basic_string_view<Ch> s) {
  size_t a = 0, b = s.size();
  while (a < b && is_space(s[a])) ++a;
  while (b > a && is_space(s[b - 1])) --b;
  return s.substr(a, b - a);
}

template <class Ch>
bool is_ascii(Ch c) {
  return static_cast<std::make_unsigned_t<Ch>>(c) < 0x80;
}

bool is_ascii(std::string_view s) {
  // Eight bytes at a time: a header block is read for each part.
  uint64_t bits = 0;
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    bits |= w;
  }
  for (; i < s.size(); ++i) bits |= static_cast<unsigned char>(s[i]);
  return (bits & 0x8080808080808080ull) == 0;
}

// Each parameter after the first ";" of `v` in turn, to `take(name, value)`
// (name as sent, value unescaped). Only \" and \\ are escapes inside quotes:
// old browsers send a Windows path with single backslashes, and those stay
// as sent. A quote left open runs to the end of the value.
template <class Ch, class Take>
void for_each_parameter(std::basic_string_view<Ch> v, Take take) {
  using View = std::basic_string_view<Ch>;
  std::basic_string<Ch> unescaped;
  size_t i = v.find(Ch(';'));
  while (i != View::npos && i < v.size()) {
    ++i;  // past ';'
    size_t eq = i;
    while (eq < v.size() && v[eq] != Ch('=') && v[eq] != Ch(';')) ++eq;
    View name = trim(v.substr(i, eq - i));
    if (eq >= v.size() || v[eq] == Ch(';')) {
      if (!name.empty()) take(name, View());
      i = eq < v.size() ? eq : View::npos;
      continue;
    }
    size_t k = eq + 1;
    while (k < v.size() && is_space(v[k])) ++k;
    View value;
    if (k < v.size() && v[k] == Ch('"')) {
      size_t start = ++k;
      while (k < v.size() && v[k] != Ch('"') && v[k] != Ch('\\')) ++k;
      value = v.substr(start, k - start);
      if (k < v.size() && v[k] == Ch('\\')) {
        // Escapes: the value is rebuilt without them.
        unescaped.assign(value);
        for (; k < v.size() && v[k] != Ch('"'); ++k) {
          if (v[k] == Ch('\\') && k + 1 < v.size() && (v[k + 1] == Ch('"') || v[k + 1] == Ch('\\'))) ++k;
          unescaped += v[k];
        }
        value = unescaped;
      }
      i = k < v.size() ? v.find(Ch(';'), k) : View::npos;
    } else {
      size_t end = v.find(Ch(';'), k);
      value = trim(v.substr(k, end == View::npos ? View::npos : end - k));
      i = end;
    }
    if (!name.empty()) take(name, value);
  }
}

template <class Ch>
int hex(Ch c) {
  if (c >= Ch('0') && c <= Ch('9')) return c - Ch('0');
  if (c >= Ch('a') && c <= Ch('f')) return c - Ch('a') + 10;
  if (c >= Ch('A') && c <= Ch('F')) return c - Ch('A') + 10;
  return -1;
}

// RFC 5987: charset'language'percent-encoded bytes; nullopt when it does
// not read as one.
template <class Ch>
std::optional<Text> extended_value(std::basic_string_view<Ch> v) {
  using View = std::basic_string_view<Ch>;
  size_t q1 = v.find(Ch('\''));
  size_t q2 = q1 == View::npos ? View::npos : v.find(Ch('\''), q1 + 1);
  if (q2 == View::npos) return std::nullopt;
  std::vector<uint8_t> bytes;
  for (size_t i = q2 + 1; i < v.size(); ++i) {
    if (v[i] == Ch('%')) {
      int hi = i + 2 < v.size() ? hex(v[i + 1]) : -1, lo = hi < 0 ? -1 : hex(v[i + 2]);
      if (lo < 0) return std::nullopt;
      bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
      i += 2;
    } else if (is_ascii(v[i])) {
      bytes.push_back(static_cast<uint8_t>(v[i]));
    } else {
      return std::nullopt;
    }
  }
  Text charset;
  for (Ch c : v.substr(0, q1)) charset += static_cast<char16_t>(static_cast<std::make_unsigned_t<Ch>>(lower(c)));
  if (charset == u"iso-8859-1") return Text(bytes.begin(), bytes.end());
  try {
    return upload::decode_charset(bytes, charset);
  } catch (const ScriptError&) {
    return std::nullopt;  // a character set this system does not know
  }
}

// A value of the block as text: as it is for a decoded block; from the raw
// bytes, ASCII as it is and the rest through the body's character set
// (UTF-8 only, see parse_part_headers).
struct AsText {
  const upload::TextDecoder* decoder = nullptr;
  bool all_ascii = false;  // the whole block is known to be
  void operator()(TextView v, Text& out) const { out.assign(v); }
  void operator()(std::string_view v, Text& out) const {
    if (!all_ascii && !is_ascii(v)) {
      decoder->decode_into(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(v.data()), v.size()), out);
      return;
    }
    out.resize(v.size());
    for (size_t i = 0; i < v.size(); ++i) out[i] = static_cast<char16_t>(v[i]);
  }
};

template <class Ch>
void parse_block(std::basic_string_view<Ch> block, PartHeaders& h, const AsText& as_text) {
  using View = std::basic_string_view<Ch>;
  h.has_name = h.has_file_name = false;
  h.name.clear();
  h.file_name.clear();
  h.content_type = {};
  bool seen_type = false, seen_disposition = false;
  auto header = [&](View line) {
    // Only Content-Type and Content-Disposition matter (leading spaces are
    // rare enough to go the long way).
    if (line.empty() || (lower(line[0]) != Ch('c') && !is_space(line[0]))) return;
    size_t colon = line.find(Ch(':'));
    if (colon == View::npos) return;
    View name = trim(line.substr(0, colon)), value = trim(line.substr(colon + 1));
    if (!seen_type && same_nocase(name, "content-type", "Content-Type")) {
      seen_type = true;
      if constexpr (std::is_same_v<Ch, char16_t>) {
        // A folded value lives in the joined copy, which the next folded
        // header would overwrite.
        if (value.data() >= block.data() && value.data() < block.data() + block.size()) {
          h.content_type = value;
          return;
        }
      }
      as_text(value, h.own_type);
      h.content_type = h.own_type;
    } else if (!seen_disposition && same_nocase(name, "content-disposition", "Content-Disposition")) {
      seen_disposition = true;
      std::optional<Text> extended;
      bool seen_extended = false;
      for_each_parameter(value, [&](View param, View v) {
        if (same_nocase(param, "name")) {
          if (!h.has_name) as_text(v, h.name);
          h.has_name = true;
        } else if (same_nocase(param, "filename")) {
          if (!h.has_file_name) as_text(v, h.file_name);
          h.has_file_name = true;
        } else if (same_nocase(param, "filename*") && !seen_extended) {
          seen_extended = true;
          extended = extended_value(v);
        }
      });
      if (!h.has_file_name && extended) {
        h.has_file_name = true;
        h.file_name = std::move(*extended);
      }
    }
  };
  // A line that starts with a space or a tab continues the one before
  // (unfolding): such a header is joined into a copy, the rest are read in
  // place.
  std::basic_string<Ch> joined;
  auto line_end = [&](size_t from) {
    for (size_t k = block.find(Ch('\r'), from); k != View::npos; k = block.find(Ch('\r'), k + 1))
      if (k + 1 < block.size() && block[k + 1] == Ch('\n')) return k;
    return block.size();
  };
  size_t i = 0;
  while (i <= block.size()) {
    size_t end = line_end(i);
    View line = block.substr(i, end - i);
    size_t next = end + 2;
    if (next < block.size() && is_space(block[next])) {
      joined.assign(line);
      while (next < block.size() && is_space(block[next])) {
        size_t e = line_end(next);
        joined.append(block.substr(next, e - next));
        next = e + 2;
      }
      header(View(joined));
    } else {
      header(line);
    }
    i = next;
  }
}

}  // namespace

std::optional<std::string> boundary_of(TextView content_type) {
  std::optional<std::string> out;
  bool seen = false;
  for_each_parameter(content_type, [&](TextView name, TextView value) {
    if (seen || !same_nocase(name, "boundary")) return;
    seen = true;
    std::string b;
    for (char16_t c : value) {
      if (c > 0x7e) return;  // boundaries are 7-bit text
      b += static_cast<char>(c);
    }
    if (!b.empty()) out = std::move(b);
  });
  return out;
}

std::string delimiter_needle(std::string_view boundary) { return "\r\n--" + std::string(boundary); }

bool starts_with_dash_boundary(std::span<const uint8_t> body, std::string_view boundary) {
  if (body.size() < boundary.size() + 2 || body[0] != '-' || body[1] != '-') return false;
  return std::equal(boundary.begin(), boundary.end(), body.begin() + 2,
                    [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

After after_boundary(std::span<const uint8_t> body, size_t at, size_t& part_start) {
  const size_t n = body.size();
  if (at + 2 <= n && body[at] == '-' && body[at + 1] == '-') return After::Close;
  while (at < n && (body[at] == ' ' || body[at] == '\t')) ++at;
  if (at + 2 <= n && body[at] == '\r' && body[at + 1] == '\n') {
    part_start = at + 2;
    return After::Next;
  }
  return After::NotADelimiter;
}

void parse_part_headers(TextView block, PartHeaders& into) { parse_block(block, into, AsText{}); }

void parse_part_headers(std::span<const uint8_t> block, const upload::TextDecoder& decoder, PartHeaders& into) {
  // Bytes outside ASCII stand for themselves only in UTF-8, where no byte of
  // a longer sequence is ASCII; in the other character sets (a GBK second
  // byte may be "\") such a block is decoded first.
  const std::string_view raw(reinterpret_cast<const char*>(block.data()), block.size());
  if (decoder.ascii_as_is()) {
    const bool all_ascii = is_ascii(raw);
    if (all_ascii || decoder.is_utf8()) return parse_block(raw, into, AsText{&decoder, all_ascii});
  }
  decoder.decode_into(block, into.decoded);
  parse_block(TextView(into.decoded), into, AsText{});
}

}  // namespace brevane::multipart
