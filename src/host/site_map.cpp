#include "host/site_map.h"

#include "core/script_error.h"
#include "platform/fs.h"

namespace brevane::host {

namespace {

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

template <class Str, class Ch>
std::vector<Str> split_any(const Str& s, Ch a, Ch b) {
  std::vector<Str> out;
  Str cur;
  for (auto c : s) {
    if (c == a || c == b) {
      out.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  out.push_back(cur);
  return out;
}

[[noreturn]] void refuse(const char* why) { throw ScriptError(kInvalidCall, T(why)); }

// The mount whose prefix the components begin with, and how many they use.
std::pair<const fs::path*, size_t> pick_base(const SiteMap& m, const std::vector<std::string>& parts) {
  for (const auto& [prefix, dir] : m.mounts) {
    std::vector<std::string> pre;
    for (auto& p : split_any(prefix, '/', '/'))
      if (!p.empty()) pre.push_back(p);
    if (pre.empty() || pre.size() > parts.size()) continue;
    bool same = true;
    for (size_t i = 0; i < pre.size() && same; ++i) same = iequals(pre[i], parts[i]);
    if (same) return {&dir, pre.size()};
  }
  return {&m.root, 0};
}

}  // namespace

Text to_windows_path(const fs::path& posix) {
  // The same drive mapping the file operations use, so what MapPath answers
  // is where they will write.
  if (auto mapped = brevane::fs::windows_path(posix.string())) return *mapped;
  Text out = u"C:";
  for (char16_t c : from_utf8(posix.string())) out.push_back(c == u'/' ? u'\\' : c);
  if (out == u"C:") out += u"\\";
  return out;
}

Text SiteMap::map_path(TextView path, std::string_view page_url) const {
  if (path.find(u':') != TextView::npos)
    refuse("An invalid character was specified in the Path parameter for the MapPath method.");
  Text full;
  if (!path.empty() && (path[0] == u'/' || path[0] == u'\\')) {
    full = Text(path);
  } else {
    std::string_view folder = page_url.substr(0, page_url.rfind('/') + 1);
    full = from_utf8(folder.empty() ? "/" : folder) + Text(path);
  }
  bool trailing = !path.empty() && (path.back() == u'/' || path.back() == u'\\');
  std::vector<std::string> parts;
  for (const Text& piece : split_any(full, u'/', u'\\')) {
    if (piece.empty() || piece == u".") continue;
    if (piece == u"..") {
      if (parts.empty()) refuse("The Path parameter for the MapPath method must not leave the site.");
      parts.pop_back();
      continue;
    }
    parts.push_back(to_utf8(piece));
  }
  auto [base, used] = pick_base(*this, parts);
  fs::path out = *base;
  for (size_t i = used; i < parts.size(); ++i) out /= parts[i];
  Text text = to_windows_path(out.lexically_normal());
  while (text.size() > 3 && text.back() == u'\\') text.pop_back();
  if (trailing && parts.size() > 0) text += u"\\";
  return text;
}

std::optional<fs::path> SiteMap::resolve_file(std::string_view url_path) const {
  std::vector<std::string> parts;
  for (auto& p : split_any(std::string(url_path), '/', '\\')) {
    if (p.empty() || p == ".") continue;
    if (p == ".." || p.find('\0') != std::string::npos) return std::nullopt;
    parts.push_back(p);
  }
  auto [base, used] = pick_base(*this, parts);
  fs::path cur = *base;
  std::error_code ec;
  for (size_t i = used; i < parts.size(); ++i) {
    fs::path exact = cur / parts[i];
    if (fs::exists(exact, ec)) {
      cur = exact;
      continue;
    }
    bool found = false;
    for (fs::directory_iterator it(cur, ec), end; !ec && it != end; it.increment(ec)) {
      if (iequals(it->path().filename().string(), parts[i])) {
        cur = it->path();
        found = true;
        break;
      }
    }
    if (!found) return std::nullopt;
  }
  if (!fs::is_regular_file(cur, ec)) return std::nullopt;
  return cur;
}

std::string SiteMap::mount_of(std::string_view url_path) const {
  std::vector<std::string> parts;
  for (auto& p : split_any(std::string(url_path), '/', '\\'))
    if (!p.empty() && p != ".") parts.push_back(p);
  auto [base, used] = pick_base(*this, parts);
  if (used == 0) return {};
  for (const auto& [prefix, dir] : mounts)
    if (&dir == base) return prefix;
  return {};
}

std::string_view sniff_image_type(std::string_view h) {
  if (h.starts_with("\x89PNG\r\n\x1a\n")) return "image/png";
  if (h.starts_with("GIF87a") || h.starts_with("GIF89a")) return "image/gif";
  if (h.starts_with("\xFF\xD8\xFF")) return "image/jpeg";
  if (h.starts_with("BM") && h.size() >= 14) return "image/bmp";
  return {};
}

std::string content_type_for(const fs::path& file) {
  static const std::pair<const char*, const char*> kTypes[] = {
      {".html", "text/html"},      {".htm", "text/html"},
      {".css", "text/css"},        {".js", "application/javascript"},
      {".txt", "text/plain"},      {".png", "image/png"},
      {".gif", "image/gif"},       {".jpg", "image/jpeg"},
      {".jpeg", "image/jpeg"},     {".bmp", "image/bmp"},
      {".ico", "image/x-icon"},    {".svg", "image/svg+xml"},
      {".xml", "text/xml"},        {".json", "application/json"},
      {".zip", "application/zip"}, {".swf", "application/x-shockwave-flash"},
      {".mp3", "audio/mpeg"},      {".pdf", "application/pdf"},
      {".mp4", "video/mp4"},       {".wav", "audio/wav"},
  };
  std::string ext = file.extension().string();
  for (auto& [e, t] : kTypes)
    if (iequals(ext, e)) return t;
  return "application/octet-stream";
}

}  // namespace brevane::host
