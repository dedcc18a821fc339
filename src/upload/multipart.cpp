#include "upload/multipart.h"

#include <vector>

#include "core/script_error.h"
#include "upload/upload_support.h"

namespace brevane::multipart {

namespace {

bool is_space(char16_t c) { return c == u' ' || c == u'\t'; }

char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool same_nocase(TextView a, TextView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

TextView trim(TextView s) {
  size_t a = 0, b = s.size();
  while (a < b && is_space(s[a])) ++a;
  while (b > a && is_space(s[b - 1])) --b;
  return s.substr(a, b - a);
}

// Each parameter after the first ";" of `v` in turn, to `take(name, value)`
// (name as sent, value unescaped). Only \" and \\ are escapes inside quotes:
// old browsers send a Windows path with single backslashes, and those stay
// as sent. A quote left open runs to the end of the value.
template <class Take>
void for_each_parameter(TextView v, Take take) {
  Text unescaped;
  size_t i = v.find(u';');
  while (i != TextView::npos && i < v.size()) {
    ++i;  // past ';'
    size_t eq = i;
    while (eq < v.size() && v[eq] != u'=' && v[eq] != u';') ++eq;
    TextView name = trim(v.substr(i, eq - i));
    if (eq >= v.size() || v[eq] == u';') {
      if (!name.empty()) take(name, TextView());
      i = eq < v.size() ? eq : TextView::npos;
      continue;
    }
    size_t k = eq + 1;
    while (k < v.size() && is_space(v[k])) ++k;
    TextView value;
    if (k < v.size() && v[k] == u'"') {
      size_t start = ++k;
      while (k < v.size() && v[k] != u'"' && v[k] != u'\\') ++k;
      value = v.substr(start, k - start);
      if (k < v.size() && v[k] == u'\\') {
        // Escapes: the value is rebuilt without them.
        unescaped.assign(value);
        for (; k < v.size() && v[k] != u'"'; ++k) {
          if (v[k] == u'\\' && k + 1 < v.size() && (v[k + 1] == u'"' || v[k + 1] == u'\\')) ++k;
          unescaped += v[k];
        }
        value = unescaped;
      }
      i = k < v.size() ? v.find(u';', k) : TextView::npos;
    } else {
      size_t end = v.find(u';', k);
      value = trim(v.substr(k, end == TextView::npos ? TextView::npos : end - k));
      i = end;
    }
    if (!name.empty()) take(name, value);
  }
}

int hex(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// RFC 5987: charset'language'percent-encoded bytes; nullopt when it does
// not read as one.
std::optional<Text> extended_value(TextView v) {
  size_t q1 = v.find(u'\'');
  size_t q2 = q1 == TextView::npos ? TextView::npos : v.find(u'\'', q1 + 1);
  if (q2 == TextView::npos) return std::nullopt;
  std::vector<uint8_t> bytes;
  for (size_t i = q2 + 1; i < v.size(); ++i) {
    if (v[i] == u'%') {
      int hi = i + 2 < v.size() ? hex(v[i + 1]) : -1, lo = hi < 0 ? -1 : hex(v[i + 2]);
      if (lo < 0) return std::nullopt;
      bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
      i += 2;
    } else if (v[i] < 0x80) {
      bytes.push_back(static_cast<uint8_t>(v[i]));
    } else {
      return std::nullopt;
    }
  }
  Text charset;
  for (char16_t c : v.substr(0, q1)) charset += lower(c);
  if (charset == u"iso-8859-1") return Text(bytes.begin(), bytes.end());
  try {
    return upload::decode_charset(bytes, charset);
  } catch (const ScriptError&) {
    return std::nullopt;  // a character set this system does not know
  }
}

}  // namespace

std::optional<std::string> boundary_of(TextView content_type) {
  std::optional<std::string> out;
  bool seen = false;
  for_each_parameter(content_type, [&](TextView name, TextView value) {
    if (seen || !same_nocase(name, u"boundary")) return;
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

void parse_part_headers(TextView block, PartHeaders& h) {
  h.has_name = h.has_file_name = false;
  h.name.clear();
  h.file_name.clear();
  h.content_type = {};
  bool seen_type = false, seen_disposition = false;
  auto header = [&](TextView line) {
    // Only Content-Type and Content-Disposition matter (leading spaces are
    // rare enough to go the long way).
    if (line.empty() || (lower(line[0]) != u'c' && !is_space(line[0]))) return;
    size_t colon = line.find(u':');
    if (colon == TextView::npos) return;
    TextView name = trim(line.substr(0, colon)), value = trim(line.substr(colon + 1));
    if (!seen_type && same_nocase(name, u"content-type")) {
      // A folded value lives in the joined copy, which the next folded
      // header would overwrite.
      if (value.data() >= block.data() && value.data() < block.data() + block.size()) {
        h.content_type = value;
      } else {
        h.own_type.assign(value);
        h.content_type = h.own_type;
      }
      seen_type = true;
    } else if (!seen_disposition && same_nocase(name, u"content-disposition")) {
      seen_disposition = true;
      std::optional<Text> extended;
      bool seen_extended = false;
      for_each_parameter(value, [&](TextView param, TextView v) {
        if (same_nocase(param, u"name")) {
          if (!h.has_name) h.name.assign(v);
          h.has_name = true;
        } else if (same_nocase(param, u"filename")) {
          if (!h.has_file_name) h.file_name.assign(v);
          h.has_file_name = true;
        } else if (same_nocase(param, u"filename*") && !seen_extended) {
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
  Text joined;
  auto line_end = [&](size_t from) {
    const size_t n = block.size();
    for (size_t k = from; k + 1 < n; ++k)
      if (block[k] == u'\r' && block[k + 1] == u'\n') return k;
    return n;
  };
  size_t i = 0;
  while (i <= block.size()) {
    size_t end = line_end(i);
    TextView line = block.substr(i, end - i);
    size_t next = end + 2;
    if (next < block.size() && is_space(block[next])) {
      joined.assign(line);
      while (next < block.size() && is_space(block[next])) {
        size_t e = line_end(next);
        joined.append(block.substr(next, e - next));
        next = e + 2;
      }
      header(joined);
    } else {
      header(line);
    }
    i = next;
  }
}

}  // namespace brevane::multipart
