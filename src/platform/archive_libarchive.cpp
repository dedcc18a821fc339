// ZIP packing and archive unpacking on libarchive, the same on Linux and
// Windows. Entries are checked one by one before libarchive writes them,
// and libarchive's own secure-extract flags stay on underneath as a second
// fence.
#include "platform/archive.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>
#include <vector>

#include "core/codepage.h"
#include "platform/archive_libarchive.h"
#include "platform/utf8_path.h"

namespace brevane::archive {

namespace {

using detail::EntryPtr;
using detail::NameLocale;
using detail::Reader;
using detail::Writer;
namespace stdfs = std::filesystem;

bool mentions_passphrase(struct archive* a) {
  const char* msg = archive_error_string(a);
  return msg && (std::strstr(msg, "assphrase") || std::strstr(msg, "ncrypt") || std::strstr(msg, "password"));
}

Status copy_file_into(struct archive* w, const std::string& source) {
  std::ifstream in(utf8_path(source), std::ios::binary);
  if (!in) return Status::CannotOpen;
  std::vector<char> buf(64 * 1024);
  while (in) {
    in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
    auto n = in.gcount();
    if (n > 0 && archive_write_data(w, buf.data(), static_cast<size_t>(n)) != n) return Status::CannotWrite;
  }
  return in.bad() ? Status::CannotOpen : Status::Ok;
}

// True when an existing part of `name` below `root` is a symbolic link:
// writing through one could land anywhere the link chain leads.
bool through_link(const std::string& root, const std::string& name) {
  stdfs::path path = utf8_path(root);
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    path /= utf8_path(name.substr(start, end - start));
    start = end + 1;
    std::error_code ec;
    stdfs::file_status st = stdfs::symlink_status(path, ec);
    if (ec || !stdfs::exists(st)) return false;  // nothing there yet, nor below
    if (stdfs::is_symlink(st)) return true;
  }
  return false;
}

// Seconds since 1970, as archive entries keep them.
time_t unix_time(stdfs::file_time_type t) {
  return std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(t));
}

}  // namespace

Status write_zip(const std::string& zip_path, const std::vector<ZipEntry>& entries, std::string_view password,
                 Encryption encryption, int level) {
  NameLocale locale;
  Writer w(archive_write_new());
  if (!w || archive_write_set_format_zip(w.get()) != ARCHIVE_OK) return Status::Unavailable;
  archive_write_set_format_option(w.get(), "zip", "compression", "deflate");
  std::string lvl = std::to_string(level < 0 ? 0 : level > 9 ? 9 : level);
  archive_write_set_format_option(w.get(), "zip", "compression-level", lvl.c_str());
  // UTF-8 names with the language-encoding flag, whatever the locale.
  archive_write_set_format_option(w.get(), "zip", "hdrcharset", "UTF-8");
  if (!password.empty() && encryption != Encryption::None) {
    const char* method = encryption == Encryption::Aes256 ? "aes256" : "zipcrypt";
    if (archive_write_set_format_option(w.get(), "zip", "encryption", method) != ARCHIVE_OK) return Status::Unavailable;
    if (archive_write_set_passphrase(w.get(), std::string(password).c_str()) != ARCHIVE_OK) return Status::Unavailable;
  }

  // Written beside the destination and put in its place once complete.
  std::string tmp;
  int fd = detail::create_beside(zip_path, tmp);
  if (fd < 0) return Status::CannotWrite;
  Status st = Status::Ok;
  if (archive_write_open_fd(w.get(), fd) != ARCHIVE_OK) st = Status::CannotWrite;
  for (size_t i = 0; st == Status::Ok && i < entries.size(); ++i) {
    const ZipEntry& item = entries[i];
    EntryPtr e(archive_entry_new());
    archive_entry_set_pathname_utf8(e.get(), item.name.c_str());
    if (item.source.empty()) {
      archive_entry_set_filetype(e.get(), AE_IFDIR);
      archive_entry_set_perm(e.get(), 0755);
      archive_entry_set_mtime(e.get(), ::time(nullptr), 0);
    } else {
      std::error_code ec;
      const stdfs::path source = utf8_path(item.source);
      const bool regular = stdfs::is_regular_file(source, ec);
      const uintmax_t size = regular ? stdfs::file_size(source, ec) : 0;
      const stdfs::file_time_type mtime = regular && !ec ? stdfs::last_write_time(source, ec) : stdfs::file_time_type{};
      if (!regular || ec) {
        st = Status::CannotOpen;
        break;
      }
      archive_entry_set_filetype(e.get(), AE_IFREG);
      archive_entry_set_perm(e.get(), 0644);
      archive_entry_set_size(e.get(), static_cast<la_int64_t>(size));
      archive_entry_set_mtime(e.get(), unix_time(mtime), 0);
    }
    // A name the locale cannot hold has no narrow form, which libarchive's
    // ZIP writer reads without checking (on Windows: outside the ANSI code page).
    if (!archive_entry_pathname(e.get()) || archive_write_header(w.get(), e.get()) < ARCHIVE_WARN) {
      st = Status::CannotWrite;
      break;
    }
    if (!item.source.empty()) st = copy_file_into(w.get(), item.source);
    if (st == Status::Ok && archive_write_finish_entry(w.get()) < ARCHIVE_WARN) st = Status::CannotWrite;
  }
  if (archive_write_close(w.get()) != ARCHIVE_OK && st == Status::Ok) st = Status::CannotWrite;
  if (!detail::finish_beside(fd, tmp, zip_path, st == Status::Ok) && st == Status::Ok) st = Status::CannotWrite;
  return st;
}

Status extract(const std::string& archive_path, const std::string& staging, std::string_view password,
               const EntryFilter& wanted, const Limits& limits) {
  NameLocale locale;
  std::error_code ec;
  const stdfs::path archive_file = utf8_path(archive_path);
  if (!stdfs::is_regular_file(archive_file, ec)) return Status::CannotOpen;
  const uintmax_t archive_size = stdfs::file_size(archive_file, ec);
  if (ec) return Status::CannotOpen;
  Reader r(archive_read_new());
  if (!r) return Status::Unavailable;
  archive_read_support_format_all(r.get());
  archive_read_support_filter_all(r.get());
  // Names without the UTF-8 flag come from Chinese Windows: read them in
  // the ANSI code page. Formats that know no such option ignore it.
  std::string charset = "hdrcharset=CP" + std::to_string(CodePage::ansi().number());
  archive_read_set_options(r.get(), charset.c_str());
  if (!password.empty()) archive_read_add_passphrase(r.get(), std::string(password).c_str());
#ifdef _WIN32
  const int opened = archive_read_open_filename_w(r.get(), archive_file.c_str(), 64 * 1024);
#else
  const int opened = archive_read_open_filename(r.get(), archive_path.c_str(), 64 * 1024);
#endif
  if (opened != ARCHIVE_OK) return Status::Broken;

  Writer w(archive_write_disk_new());
  // The staging path is absolute and may lie below a linked folder, so
  // libarchive's own symlink and absolute-path fences cannot stand here;
  // through_link does that work for the part below the staging folder.
  archive_write_disk_set_options(w.get(), ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_NODOTDOT);
  const uint64_t ratio_limit =
      std::max<uint64_t>(limits.ratio_floor_bytes, static_cast<uint64_t>(archive_size) * limits.max_ratio);
  std::set<std::string> written;
  uint64_t entries = 0, total = 0;
  for (;;) {
    archive_entry* e = nullptr;
    int rc = archive_read_next_header(r.get(), &e);
    if (rc == ARCHIVE_EOF) break;
    if (rc < ARCHIVE_WARN) return mentions_passphrase(r.get()) ? Status::WrongPassword : Status::Broken;
    if (++entries > limits.max_entries) return Status::Refused;

    const char* raw = archive_entry_pathname_utf8(e);
    if (!raw) raw = archive_entry_pathname(e);
    if (!raw) return Status::Refused;
    auto name = safe_entry_name(raw);
    if (!name) return Status::Refused;
    if (archive_entry_size_is_set(e) && static_cast<uint64_t>(archive_entry_size(e)) > limits.max_unpacked_bytes)
      return Status::Refused;

    std::string link_to;
    if (const char* hard =
            archive_entry_hardlink_utf8(e) ? archive_entry_hardlink_utf8(e) : archive_entry_hardlink(e)) {
      // A hard link may only join an entry this archive already unpacked.
      auto target = safe_entry_name(hard);
      if (!target || !written.count(*target)) return Status::Refused;
      link_to = *target;
    }
    const auto type = archive_entry_filetype(e);
    if (link_to.empty()) {
      if (type == AE_IFLNK) {
        const char* target = archive_entry_symlink_utf8(e) ? archive_entry_symlink_utf8(e) : archive_entry_symlink(e);
        if (!target || !safe_link_target(*name, target)) return Status::Refused;
      } else if (type != AE_IFREG && type != AE_IFDIR) {
        return Status::Refused;  // devices, pipes, sockets
      }
    }
    if (through_link(staging, *name) || (!link_to.empty() && through_link(staging, link_to))) return Status::Refused;
    if (wanted && !wanted(*name)) {
      archive_read_data_skip(r.get());
      continue;
    }

    archive_entry_set_pathname_utf8(e, (staging + "/" + *name).c_str());
    if (!link_to.empty()) archive_entry_set_hardlink_utf8(e, (staging + "/" + link_to).c_str());
    if (type == AE_IFDIR) archive_entry_set_perm(e, 0755);
    if (type == AE_IFREG) archive_entry_set_perm(e, 0644);
    if (archive_write_header(w.get(), e) < ARCHIVE_WARN) return Status::CannotWrite;
    for (;;) {
      const void* buf = nullptr;
      size_t size = 0;
      la_int64_t offset = 0;
      int d = archive_read_data_block(r.get(), &buf, &size, &offset);
      if (d == ARCHIVE_EOF) break;
      if (d < ARCHIVE_WARN)
        return archive_entry_is_encrypted(e) || mentions_passphrase(r.get()) ? Status::WrongPassword : Status::Broken;
      total += size;
      if (total > limits.max_unpacked_bytes || total > ratio_limit) return Status::Refused;
      if (archive_write_data_block(w.get(), buf, size, offset) < ARCHIVE_WARN) return Status::CannotWrite;
    }
    if (archive_write_finish_entry(w.get()) < ARCHIVE_WARN) return Status::CannotWrite;
    written.insert(*name);
  }
  if (archive_write_close(w.get()) < ARCHIVE_WARN) return Status::CannotWrite;
  return Status::Ok;
}

}  // namespace brevane::archive
