// The POSIX half of the archive module: the file an archive is written to,
// and packing a folder as it is sent, walked with openat so that no link is
// ever followed.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/archive.h"
#include "platform/archive_libarchive.h"
#include "platform/posix/unique_fd.h"

namespace brevane::archive {

namespace detail {

int create_beside(const std::string& path, std::string& tmp) {
  tmp = path + ".XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd >= 0) ::fchmod(fd, 0644);
  return fd;
}

bool finish_beside(int fd, const std::string& tmp, const std::string& path, bool keep) {
  bool ok = keep && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

}  // namespace detail

// ---- packing a folder as it is sent ----

namespace {

using detail::EntryPtr;
using detail::NameLocale;
using detail::Writer;

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
    // Per packer, not per thread: a thread-local buffer this size would sit
    // in every one of the host's worker threads.
    char* buf = buf_.data();
    while (left > 0) {
      size_t want = static_cast<size_t>(std::min<uint64_t>(left, buf_.size()));
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
  std::vector<char> buf_ = std::vector<char>(64 * 1024);
};

}  // namespace

Status stream_folder_zip(const std::string& root, std::string_view top, const ByteSink& sink, FolderZipCounts* counts) {
  FolderZipCounts local;
  FolderZipCounts& c = counts ? *counts : local;
  UniqueFd fd(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0) return Status::CannotOpen;
  NameLocale locale;
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
