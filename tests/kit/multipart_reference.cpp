#include "kit/multipart_reference.h"

#include <optional>

#include "core/script_error.h"
#include "upload/upload_support.h"

namespace brevane::kit {

namespace {

struct Delimiter {
  size_t at;    // where the delimiter begins
  size_t next;  // the first byte after its line (for a non-closing one)
  bool closing;
};

// Is there a delimiter whose "--" boundary starts at `dash`?
std::optional<Delimiter> delimiter_at(std::string_view body, size_t at, size_t dash, std::string_view boundary) {
  std::string dash_boundary = "--" + std::string(boundary);
  if (body.substr(dash, dash_boundary.size()) != dash_boundary) return std::nullopt;
  size_t k = dash + dash_boundary.size();
  if (body.substr(k, 2) == "--") return Delimiter{at, 0, true};
  while (k < body.size() && (body[k] == ' ' || body[k] == '\t')) k++;
  if (body.substr(k, 2) == "\r\n") return Delimiter{at, k + 2, false};
  return std::nullopt;
}

char16_t lower(char16_t c) { return c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c; }

Text lower_text(const Text& s) {
  Text out;
  for (char16_t c : s) out += lower(c);
  return out;
}

Text trimmed(const Text& s) {
  size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t')) a++;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) b--;
  return s.substr(a, b - a);
}

std::optional<Text> decode_extended(const Text& v) {
  size_t q1 = v.find('\'');
  if (q1 == Text::npos) return std::nullopt;
  size_t q2 = v.find('\'', q1 + 1);
  if (q2 == Text::npos) return std::nullopt;
  std::vector<uint8_t> bytes;
  const Text digits = u"0123456789abcdef";
  for (size_t i = q2 + 1; i < v.size(); i++) {
    if (v[i] >= 0x80) return std::nullopt;
    if (v[i] != '%') {
      bytes.push_back(uint8_t(v[i]));
      continue;
    }
    if (i + 2 >= v.size()) return std::nullopt;
    size_t hi = digits.find(lower(v[i + 1])), lo = digits.find(lower(v[i + 2]));
    if (hi == Text::npos || lo == Text::npos) return std::nullopt;
    bytes.push_back(uint8_t(hi * 16 + lo));
    i += 2;
  }
  Text charset = lower_text(v.substr(0, q1));
  if (charset == u"iso-8859-1") return Text(bytes.begin(), bytes.end());
  try {
    return upload::decode_charset(bytes, charset);
  } catch (const ScriptError&) {
    return std::nullopt;
  }
}

// The parameters after the first ";" of a header value, in order.
std::vector<std::pair<Text, Text>> params_of(const Text& value) {
  std::vector<std::pair<Text, Text>> out;
  size_t i = value.find(';');
  if (i == Text::npos) return out;
  i++;
  while (i <= value.size()) {
    // name
    Text name;
    while (i < value.size() && value[i] != '=' && value[i] != ';') name += value[i++];
    name = lower_text(trimmed(name));
    Text v;
    if (i < value.size() && value[i] == '=') {
      i++;
      while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) i++;
      if (i < value.size() && value[i] == '"') {
        i++;
        while (i < value.size() && value[i] != '"') {
          if (value[i] == '\\' && i + 1 < value.size() && (value[i + 1] == '"' || value[i + 1] == '\\')) i++;
          v += value[i++];
        }
        // skip to the next ";"
        while (i < value.size() && value[i] != ';') i++;
      } else {
        while (i < value.size() && value[i] != ';') v += value[i++];
        v = trimmed(v);
      }
    }
    if (!name.empty()) out.emplace_back(name, v);
    if (i >= value.size()) break;
    i++;  // the ";"
  }
  return out;
}

}  // namespace

ReferenceBody reference_parse(std::string_view body, std::string_view boundary) {
  ReferenceBody out;
  if (boundary.empty()) return out;
  // Every delimiter in the body, in order.
  std::vector<Delimiter> all;
  if (auto d = delimiter_at(body, 0, 0, boundary)) all.push_back(*d);
  for (size_t i = 0; i + 2 <= body.size(); i++)
    if (body.substr(i, 2) == "\r\n")
      if (auto d = delimiter_at(body, i, i + 2, boundary)) all.push_back(*d);
  if (all.empty()) return out;
  if (all[0].closing) {
    out.status = ReferenceBody::Empty;
    return out;
  }
  size_t start = all[0].next;
  for (;;) {
    const Delimiter* end = nullptr;
    for (const Delimiter& d : all)
      if (d.at >= start) {
        end = &d;
        break;
      }
    if (!end) return ReferenceBody{};
    std::string_view content = body.substr(start, end->at - start);
    ReferencePart part;
    if (content.substr(0, 2) == "\r\n") {
      part.data_at = start + 2;
    } else {
      size_t blank = content.find("\r\n\r\n");
      if (blank == std::string_view::npos) return ReferenceBody{};
      part.headers = content.substr(0, blank);
      part.data_at = start + blank + 4;
    }
    part.length = end->at - part.data_at;
    out.parts.push_back(part);
    if (end->closing) break;
    start = end->next;
  }
  out.status = ReferenceBody::Parts;
  return out;
}

ReferenceHeaders reference_headers(const Text& block) {
  // Unfold, then look at each header line.
  std::vector<Text> lines;
  size_t i = 0;
  for (;;) {
    size_t end = block.find(u"\r\n", i);
    Text line = block.substr(i, end == Text::npos ? Text::npos : end - i);
    if (!lines.empty() && !line.empty() && (line[0] == ' ' || line[0] == '\t'))
      lines.back() += line;
    else
      lines.push_back(line);
    if (end == Text::npos) break;
    i = end + 2;
  }
  ReferenceHeaders h;
  bool type_seen = false, disposition_seen = false;
  for (const Text& line : lines) {
    size_t colon = line.find(':');
    if (colon == Text::npos) continue;
    Text name = lower_text(trimmed(line.substr(0, colon)));
    Text value = trimmed(line.substr(colon + 1));
    if (name == u"content-type" && !type_seen) {
      type_seen = true;
      h.content_type = value;
    }
    if (name == u"content-disposition" && !disposition_seen) {
      disposition_seen = true;
      std::optional<Text> star;
      bool star_seen = false;
      for (auto& [k, v] : params_of(value)) {
        if (k == u"name" && !h.has_name) {
          h.has_name = true;
          h.name = v;
        }
        if (k == u"filename" && !h.has_file_name) {
          h.has_file_name = true;
          h.file_name = v;
        }
        if (k == u"filename*" && !star_seen) {
          star_seen = true;
          star = decode_extended(v);
        }
      }
      if (!h.has_file_name && star) {
        h.has_file_name = true;
        h.file_name = *star;
      }
    }
  }
  return h;
}

std::string reference_boundary(std::string_view content_type) {
  Text t(content_type.begin(), content_type.end());
  for (auto& [k, v] : params_of(t))
    if (k == u"boundary") {
      std::string out;
      for (char16_t c : v) {
        if (c > 0x7e) return "";
        out += char(c);
      }
      return out;
    }
  return "";
}

}  // namespace brevane::kit
