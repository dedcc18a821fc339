// The archive rules every platform shares: which entry names may be
// unpacked and where a stored link may lead.
#include "platform/archive.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <random>

#include "platform/utf8_path.h"

namespace brevane::archive {

const char* to_string(Status s) {
  switch (s) {
    case Status::Ok:
      return "ok";
    case Status::Unavailable:
      return "unavailable";
    case Status::CannotOpen:
      return "cannot open";
    case Status::CannotWrite:
      return "cannot write";
    case Status::Refused:
      return "refused";
    case Status::WrongPassword:
      return "wrong password";
    case Status::Broken:
      return "broken";
  }
  return "?";
}

namespace {

std::string upper_ascii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name a device on Windows whatever
// extension follows.
bool is_device_name(std::string_view part) {
  std::string stem = upper_ascii(part.substr(0, part.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
  if (std::find(kPlain.begin(), kPlain.end(), stem) != kPlain.end()) return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' && stem[3] <= '9';
}

// Splits at "/" and "\"; false on a part that may not appear.
bool split_parts(std::string_view name, std::vector<std::string_view>& parts) {
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && name[i] != '/' && name[i] != '\\') continue;
    std::string_view part = name.substr(start, i - start);
    start = i + 1;
    if (part.empty() || part == ".") continue;
    parts.push_back(part);
  }
  return true;
}

}  // namespace

std::optional<std::string> safe_entry_name(std::string_view name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return std::nullopt;
  if (name.find(':') != std::string_view::npos) return std::nullopt;  // drives and NTFS streams
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7f) return std::nullopt;
  std::vector<std::string_view> parts;
  split_parts(name, parts);
  if (parts.empty()) return std::nullopt;
  std::string out;
  for (std::string_view part : parts) {
    if (part == "..") return std::nullopt;
    if (part.back() == ' ' || part.back() == '.') return std::nullopt;
    if (is_device_name(part)) return std::nullopt;
    if (!out.empty()) out += '/';
    out += part;
  }
  return out;
}

std::optional<std::string> safe_link_target(std::string_view entry_name, std::string_view target) {
  if (target.empty() || target[0] == '/' || target[0] == '\\' || target.find(':') != std::string_view::npos)
    return std::nullopt;
  std::vector<std::string_view> parts;
  split_parts(entry_name, parts);
  if (!parts.empty()) parts.pop_back();  // the link's own name
  std::vector<std::string_view> rest;
  split_parts(target, rest);
  for (std::string_view part : rest) {
    if (part == "..") {
      if (parts.empty()) return std::nullopt;
      parts.pop_back();
    } else {
      parts.push_back(part);
    }
  }
  std::string out;
  for (std::string_view part : parts) {
    if (!out.empty()) out += '/';
    out += part;
  }
  if (out.empty()) return std::nullopt;  // the unpack folder itself
  return safe_entry_name(out);
}

}  // namespace brevane::archive

// ---- staging and moving in (std::filesystem, so every platform shares it) ----

namespace brevane::archive {

namespace {

namespace stdfs = std::filesystem;

std::string random_suffix() {
  static thread_local std::mt19937_64 gen{std::random_device{}()};
  static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string out;
  for (int i = 0; i < 12; ++i) out += kDigits[gen() % (sizeof kDigits - 1)];
  return out;
}

std::optional<std::string> fresh_folder(const stdfs::path& parent, const std::string& stem) {
  std::error_code ec;
  for (int attempt = 0; attempt < 8; ++attempt) {
    stdfs::path p = parent / utf8_path(stem + random_suffix());
    if (stdfs::create_directory(p, ec)) return utf8_string(p);
    if (ec && ec != std::errc::file_exists) return std::nullopt;
  }
  return std::nullopt;
}

bool is_real_folder(const stdfs::file_status& s) { return s.type() == stdfs::file_type::directory; }

// Whether moving `from` onto `to` can go through: false on a folder meeting
// a non-folder either way.
bool can_merge(const stdfs::path& from, const stdfs::path& to) {
  std::error_code ec, ignored;  // a missing destination reports ENOENT: not an error here
  stdfs::directory_iterator it(from, ec);
  if (ec) return false;
  for (; it != stdfs::directory_iterator(); it.increment(ec)) {
    stdfs::path dest = to / it->path().filename();
    stdfs::file_status ds = stdfs::symlink_status(dest, ignored);
    if (ds.type() == stdfs::file_type::not_found) continue;
    bool src_folder = is_real_folder(it->symlink_status(ignored));
    if (src_folder != is_real_folder(ds)) return false;
    if (src_folder && !can_merge(it->path(), dest)) return false;
  }
  return !ec;
}

bool move_all(const stdfs::path& from, const stdfs::path& to) {
  std::error_code ec, ignored;
  std::vector<stdfs::path> items;
  stdfs::directory_iterator it(from, ec);
  for (; !ec && it != stdfs::directory_iterator(); it.increment(ec)) items.push_back(it->path());
  if (ec) return false;
  for (const auto& src : items) {
    stdfs::path dest = to / src.filename();
    stdfs::file_status ds = stdfs::symlink_status(dest, ignored);
    if (is_real_folder(ds) && is_real_folder(stdfs::symlink_status(src, ignored))) {
      if (!move_all(src, dest)) return false;
      continue;
    }
    stdfs::rename(src, dest, ec);  // replaces a file or link, never follows one
    if (ec) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> make_staging(const std::string& target) {
  stdfs::path t = utf8_path(target);
  if (!t.has_filename()) t = t.parent_path();
  std::string stem = "." + utf8_string(t.filename()) + ".unpack-";
  if (auto beside = fresh_folder(t.parent_path(), stem)) return beside;
  std::error_code ec;
  stdfs::create_directories(t, ec);
  return fresh_folder(t, ".unpack-");
}

void remove_staging(const std::string& staging) {
  std::error_code ec;
  stdfs::remove_all(utf8_path(staging), ec);
}

bool links_stay_inside(const std::string& root) {
  std::error_code ec;
  stdfs::path base = utf8_path(root);
  for (auto it = stdfs::recursive_directory_iterator(base, ec); !ec && it != stdfs::recursive_directory_iterator();
       it.increment(ec)) {
    if (!it->is_symlink(ec)) continue;
    stdfs::path target = stdfs::read_symlink(it->path(), ec);
    if (ec) return false;
    stdfs::path rel = it->path().lexically_relative(base);
    if (rel.empty() || !safe_link_target(utf8_string(rel.generic_u8string()), utf8_string(target))) return false;
  }
  return !ec;
}

bool merge_into(const std::string& staging, const std::string& target) {
  std::error_code ec;
  stdfs::path to = utf8_path(target);
  stdfs::file_status ts = stdfs::symlink_status(to, ec);
  ec.clear();
  if (ts.type() == stdfs::file_type::not_found) {
    if (!stdfs::create_directories(to, ec)) return false;
  } else if (!is_real_folder(ts)) {
    return false;
  }
  if (!can_merge(utf8_path(staging), to)) return false;
  return move_all(utf8_path(staging), to);
}

}  // namespace brevane::archive
