// ZIP packing and archive unpacking on libarchive. Entries are checked one
// by one before libarchive writes them, and libarchive's own secure-extract
// flags stay on underneath as a second fence.
#include "platform/archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "core/codepage.h"
#include "platform/posix/unique_fd.h"

namespace brevane::archive {

namespace {

// libarchive converts names through the thread's locale; a UTF-8 locale for
// the length of a call makes its UTF-8 names exact whatever the process's
// locale is (the host runs in "C").
class Utf8Locale {
 public:
  Utf8Locale() {
    static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (utf8) old_ = uselocale(utf8);
  }
  ~Utf8Locale() {
    if (old_) uselocale(old_);
  }
  Utf8Locale(const Utf8Locale&) = delete;
  Utf8Locale& operator=(const Utf8Locale&) = delete;

 private:
  locale_t old_ = nullptr;
};

struct ReadCloser {
  void operator()(struct archive* a) const { archive_read_free(a); }
};
struct WriteCloser {
  void operator()(struct archive* a) const { archive_write_free(a); }
};
struct EntryCloser {
  void operator()(archive_entry* e) const { archive_entry_free(e); }
};
using Reader = std::unique_ptr<struct archive, ReadCloser>;
using Writer = std::unique_ptr<struct archive, WriteCloser>;
using EntryPtr = std::unique_ptr<archive_entry, EntryCloser>;

bool mentions_passphrase(struct archive* a) {
  const char* msg = archive_error_string(a);
  return msg && (std::strstr(msg, "assphrase") || std::strstr(msg, "ncrypt") || std::strstr(msg, "password"));
}

Status copy_file_into(struct archive* w, const std::string& source) {
  int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Status::CannotOpen;
  char buf[64 * 1024];
  Status st = Status::Ok;
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      st = Status::CannotOpen;
      break;
    }
    if (n == 0) break;
    if (archive_write_data(w, buf, static_cast<size_t>(n)) != n) {
      st = Status::CannotWrite;
      break;
    }
  }
  ::close(fd);
  return st;
}

// True when an existing part of `name` below `root` is a symbolic link:
// writing through one could land anywhere the link chain leads.
bool through_link(const std::string& root, const std::string& name) {
  std::string path = root;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    path += "/" + name.substr(start, end - start);
    start = end + 1;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;  // nothing there yet, nor below
    if (S_ISLNK(st.st_mode)) return true;
  }
  return false;
}

}  // namespace

bool available() { return true; }

Status write_zip(const std::string& zip_path, const std::vector<ZipEntry>& entries, std::string_view password,
                 Encryption encryption, int level) {
  Utf8Locale locale;
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

  // Written beside the destination and renamed over it once complete.
  std::string tmp = zip_path + ".XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) return Status::CannotWrite;
  ::fchmod(fd, 0644);
  Status st = Status::Ok;
  if (archive_write_open_fd(w.get(), fd) != ARCHIVE_OK) st = Status::CannotWrite;
  for (size_t i = 0; st == Status::Ok && i < entries.size(); ++i) {
    const ZipEntry& item = entries[i];
    EntryPtr e(archive_entry_new());
    archive_entry_set_pathname_utf8(e.get(), item.name.c_str());
    struct stat sb {};
    if (item.source.empty()) {
      archive_entry_set_filetype(e.get(), AE_IFDIR);
      archive_entry_set_perm(e.get(), 0755);
      archive_entry_set_mtime(e.get(), ::time(nullptr), 0);
    } else {
      if (::stat(item.source.c_str(), &sb) != 0 || !S_ISREG(sb.st_mode)) {
        st = Status::CannotOpen;
        break;
      }
      archive_entry_set_filetype(e.get(), AE_IFREG);
      archive_entry_set_perm(e.get(), 0644);
      archive_entry_set_size(e.get(), sb.st_size);
      archive_entry_set_mtime(e.get(), sb.st_mtime, 0);
    }
    if (archive_write_header(w.get(), e.get()) < ARCHIVE_WARN) {
      st = Status::CannotWrite;
      break;
    }
    if (!item.source.empty()) st = copy_file_into(w.get(), item.source);
    if (st == Status::Ok && archive_write_finish_entry(w.get()) < ARCHIVE_WARN) st = Status::CannotWrite;
  }
  if (archive_write_close(w.get()) != ARCHIVE_OK && st == Status::Ok) st = Status::CannotWrite;
  if (st == Status::Ok && ::fsync(fd) != 0) st = Status::CannotWrite;
  ::close(fd);
  if (st == Status::Ok && ::rename(tmp.c_str(), zip_path.c_str()) != 0) st = Status::CannotWrite;
  if (st != Status::Ok) ::unlink(tmp.c_str());
  return st;
}

Status extract(const std::string& archive_path, const std::string& staging, std::string_view password,
               const EntryFilter& wanted, const Limits& limits) {
  Utf8Locale locale;
  struct stat ab {};
  if (::stat(archive_path.c_str(), &ab) != 0 || !S_ISREG(ab.st_mode)) return Status::CannotOpen;
  Reader r(archive_read_new());
  if (!r) return Status::Unavailable;
  archive_read_support_format_all(r.get());
  archive_read_support_filter_all(r.get());
  // Names without the UTF-8 flag come from Chinese Windows: read them in
  // the ANSI code page. Formats that know no such option ignore it.
  std::string charset = "hdrcharset=CP" + std::to_string(CodePage::ansi().number());
  archive_read_set_options(r.get(), charset.c_str());
  if (!password.empty()) archive_read_add_passphrase(r.get(), std::string(password).c_str());
  if (archive_read_open_filename(r.get(), archive_path.c_str(), 64 * 1024) != ARCHIVE_OK) return Status::Broken;

  Writer w(archive_write_disk_new());
  // The staging path is absolute and may lie below a linked folder, so
  // libarchive's own symlink and absolute-path fences cannot stand here;
  // through_link does that work for the part below the staging folder.
  archive_write_disk_set_options(w.get(), ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_NODOTDOT);
  const uint64_t ratio_limit =
      std::max<uint64_t>(limits.ratio_floor_bytes, static_cast<uint64_t>(ab.st_size) * limits.max_ratio);
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
    mode_t type = archive_entry_filetype(e);
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

// ---- packing a folder as it is sent ----

namespace {

// Deeper trees are left out: each level holds a descriptor open.
constexpr int kMaxFolderDepth = 64;

// Shape only (lead byte and continuation bytes): enough to keep names that
// no unzip tool could show out of the archive.
bool valid_utf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80                   ? 0
               : (c >= 0xC2 && c <= 0xDF) ? 1
               : (c >= 0xE0 && c <= 0xEF) ? 2
               : (c >= 0xF0 && c <= 0xF4) ? 3
                                          : 4;
    if (n > 3 || s.size() - i <= n) return false;
    for (size_t k = 1; k <= n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n + 1;
  }
  return true;
}

// Deflating what is compressed already costs time and gains nothing.
bool compressed_already(std::string_view name) {
  static constexpr std::string_view kTypes[] = {"zip", "rar",  "7z",   "gz",   "tgz",  "bz2", "xz",   "zst",
                                                "jpg", "jpeg", "png",  "gif",  "webp", "mp3", "mp4",  "m4a",
                                                "m4v", "mkv",  "avi",  "mov",  "webm", "ogg", "flac", "wmv",
                                                "wma", "flv",  "docx", "xlsx", "pptx", "apk", "jar",  "cab"};
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string ext(name.substr(dot + 1));
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return std::find(std::begin(kTypes), std::end(kTypes), ext) != std::end(kTypes);
}

// Once the client has gone the rest is thrown away rather than refused: an
// archive whose write failed is left with the entry's compressor still
// allocated (libarchive frees it only when the entry is finished), so the
// packer stops at the next piece and the archive is closed as usual.
struct SinkHolder {
  const ByteSink* sink;
  bool gone = false;
};

la_ssize_t sink_write(struct archive*, void* data, const void* buf, size_t n) {
  auto& holder = *static_cast<SinkHolder*>(data);
  if (!holder.gone && !(*holder.sink)(static_cast<const char*>(buf), n)) holder.gone = true;
  return static_cast<la_ssize_t>(n);
}

class FolderPacker {
 public:
  FolderPacker(struct archive* w, const bool& gone, FolderZipCounts& counts) : w_(w), gone_(gone), c_(counts) {}

  Status folder_entry(const std::string& name, const struct stat& st) {
    EntryPtr e(archive_entry_new());
    archive_entry_set_pathname_utf8(e.get(), (name + "/").c_str());
    archive_entry_set_filetype(e.get(), AE_IFDIR);
    archive_entry_set_perm(e.get(), 0755);
    archive_entry_set_mtime(e.get(), st.st_mtime, 0);
    if (archive_write_header(w_, e.get()) < ARCHIVE_WARN) return Status::CannotWrite;
    ++c_.folders;
    return Status::Ok;
  }

  // The folder open at `fd`, its entry already written as `prefix`.
  Status pack(int fd, const std::string& prefix, int depth) {
    std::vector<std::string> names;
    {
      int listing = ::dup(fd);
      DIR* d = listing < 0 ? nullptr : ::fdopendir(listing);
      if (!d) {
        if (listing >= 0) ::close(listing);
        ++c_.left_out;
        return Status::Ok;
      }
      while (dirent* de = ::readdir(d)) {
        std::string_view n = de->d_name;
        if (n != "." && n != "..") names.emplace_back(n);
      }
      ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      struct stat st {};
      if (!valid_utf8(name) || ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        ++c_.left_out;
        continue;
      }
      std::string entry = prefix + "/" + name;
      Status s = Status::Ok;
      if (S_ISDIR(st.st_mode) && depth < kMaxFolderDepth) {
        UniqueFd sub(::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!sub) {
          ++c_.left_out;
          continue;
        }
        s = folder_entry(entry, st);
        if (s == Status::Ok) s = pack(sub.get(), entry, depth + 1);
      } else if (S_ISREG(st.st_mode)) {
        s = file_entry(fd, name, entry);
      } else {
        ++c_.left_out;  // links, devices, pipes, sockets, folders too deep
      }
      if (s != Status::Ok) return s;
    }
    return Status::Ok;
  }

 private:
  Status file_entry(int dirfd, const std::string& name, const std::string& entry) {
    // O_NOFOLLOW: a link swapped in after the listing is not opened;
    // O_NONBLOCK: nor does a pipe swapped in hold the packing up.
    UniqueFd fd(::openat(dirfd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
      ++c_.left_out;
      return Status::Ok;
    }
    // Options may only be set before the archive opens; these two calls
    // work between entries.
    if (compressed_already(name))
      archive_write_zip_set_compression_store(w_);
    else
      archive_write_zip_set_compression_deflate(w_);
    EntryPtr e(archive_entry_new());
    archive_entry_set_pathname_utf8(e.get(), entry.c_str());
    archive_entry_set_filetype(e.get(), AE_IFREG);
    archive_entry_set_perm(e.get(), 0644);
    archive_entry_set_size(e.get(), st.st_size);
    archive_entry_set_mtime(e.get(), st.st_mtime, 0);
    if (archive_write_header(w_, e.get()) < ARCHIVE_WARN) return Status::CannotWrite;
    // The size in the entry holds: a file that shrinks is padded with zeros,
    // one that grows is cut.
    uint64_t left = static_cast<uint64_t>(st.st_size);
    static thread_local char buf[64 * 1024];
    while (left > 0) {
      size_t want = static_cast<size_t>(std::min<uint64_t>(left, sizeof buf));
      ssize_t n = ::read(fd.get(), buf, want);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        n = static_cast<ssize_t>(want);
        std::memset(buf, 0, want);
      }
      if (gone_ || archive_write_data(w_, buf, static_cast<size_t>(n)) < 0) return Status::CannotWrite;
      left -= static_cast<uint64_t>(n);
    }
    if (archive_write_finish_entry(w_) < ARCHIVE_WARN) return Status::CannotWrite;
    ++c_.files;
    c_.bytes += static_cast<uint64_t>(st.st_size);
    return Status::Ok;
  }

  struct archive* w_;
  const bool& gone_;
  FolderZipCounts& c_;
};

}  // namespace

Status stream_folder_zip(const std::string& root, std::string_view top, const ByteSink& sink, FolderZipCounts* counts) {
  FolderZipCounts local;
  FolderZipCounts& c = counts ? *counts : local;
  UniqueFd fd(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0) return Status::CannotOpen;
  Utf8Locale locale;
  Writer w(archive_write_new());
  if (!w || archive_write_set_format_zip(w.get()) != ARCHIVE_OK) return Status::Unavailable;
  archive_write_set_format_option(w.get(), "zip", "hdrcharset", "UTF-8");
  // Blocks as large as a read, and no padding after the last one.
  archive_write_set_bytes_per_block(w.get(), 64 * 1024);
  archive_write_set_bytes_in_last_block(w.get(), 1);
  SinkHolder holder{&sink};
  if (archive_write_open2(w.get(), &holder, nullptr, sink_write, nullptr, nullptr) != ARCHIVE_OK)
    return Status::CannotWrite;
  FolderPacker packer(w.get(), holder.gone, c);
  std::string prefix(top);
  Status s = packer.folder_entry(prefix, st);
  if (s == Status::Ok) s = packer.pack(fd.get(), prefix, 1);
  if ((archive_write_close(w.get()) != ARCHIVE_OK || holder.gone) && s == Status::Ok) s = Status::CannotWrite;
  return s;
}

}  // namespace brevane::archive
