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

struct Param {
  Text name, value;
};

// `type; a=b; c="d"` after the type: names in lower case, quoted values
// unescaped. Only \" and \\ are escapes: old browsers send a Windows path
// with single backslashes inside quotes, and those stay as sent. A quote
// left open runs to the end of the value.
std::vector<Param> parameters(TextView v) {
  std::vector<Param> out;
  size_t i = v.find(u';');
  while (i != TextView::npos && i < v.size()) {
    ++i;  // past ';'
    size_t eq = i;
    while (eq < v.size() && v[eq] != u'=' && v[eq] != u';') ++eq;
    Param p;
    for (char16_t c : trim(v.substr(i, eq - i))) p.name += lower(c);
    if (eq >= v.size() || v[eq] == u';') {
      i = eq < v.size() ? eq : TextView::npos;
      if (!p.name.empty()) out.push_back(std::move(p));
      continue;
    }
    size_t k = eq + 1;
    while (k < v.size() && is_space(v[k])) ++k;
    if (k < v.size() && v[k] == u'"') {
      for (++k; k < v.size() && v[k] != u'"'; ++k) {
        if (v[k] == u'\\' && k + 1 < v.size() && (v[k + 1] == u'"' || v[k + 1] == u'\\')) ++k;
        p.value += v[k];
      }
      i = k < v.size() ? v.find(u';', k) : TextView::npos;
    } else {
      size_t end = v.find(u';', k);
      p.value = Text(trim(v.substr(k, end == TextView::npos ? TextView::npos : end - k)));
      i = end;
    }
    if (!p.name.empty()) out.push_back(std::move(p));
  }
  return out;
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
  for (Param& p : parameters(content_type))
    if (p.name == u"boundary") {
      if (p.value.empty()) return std::nullopt;
      std::string out;
      for (char16_t c : p.value) {
        if (c > 0x7e) return std::nullopt;  // boundaries are 7-bit text
        out += static_cast<char>(c);
      }
      return out;
    }
  return std::nullopt;
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

PartHeaders parse_part_headers(TextView block) {
  // Unfold: a line that starts with a space or a tab continues the last one.
  std::vector<Text> lines;
  for (size_t i = 0; i <= block.size();) {
    size_t end = block.find(u"\r\n", i);
    TextView line = block.substr(i, end == TextView::npos ? TextView::npos : end - i);
    if (!lines.empty() && !line.empty() && is_space(line[0]))
      lines.back() += line;
    else
      lines.emplace_back(line);
    if (end == TextView::npos) break;
    i = end + 2;
  }
  PartHeaders h;
  bool seen_type = false, seen_disposition = false;
  for (const Text& line : lines) {
    size_t colon = line.find(u':');
    if (colon == Text::npos) continue;
    TextView name = trim(TextView(line).substr(0, colon)), value = trim(TextView(line).substr(colon + 1));
    if (!seen_type && same_nocase(name, u"content-type")) {
      h.content_type = Text(value);
      seen_type = true;
    } else if (!seen_disposition && same_nocase(name, u"content-disposition")) {
      seen_disposition = true;
      h.disposition = Text(value);
      std::optional<Text> extended;
      bool seen_extended = false;
      for (Param& p : parameters(value)) {
        if (p.name == u"name" && !h.has_name) {
          h.has_name = true;
          h.name = std::move(p.value);
        } else if (p.name == u"filename" && !h.has_file_name) {
          h.has_file_name = true;
          h.file_name = std::move(p.value);
        } else if (p.name == u"filename*" && !seen_extended) {
          seen_extended = true;
          extended = extended_value(p.value);
        }
      }
      if (!h.has_file_name && extended) {
        h.has_file_name = true;
        h.file_name = std::move(*extended);
      }
    }
  }
  return h;
}

}  // namespace brevane::multipart
