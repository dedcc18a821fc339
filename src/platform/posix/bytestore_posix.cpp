// Byte store over malloc'd memory and, past the threshold, an unlinked
// temporary file that is mapped for reading and copied from with the
// kernel's own copy calls.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <thread>

#include "core/script_error.h"
#include "platform/bytestore.h"
#include "platform/fs_fault.h"
#include "platform/posix/unique_fd.h"

namespace brevane {

namespace {

// Small appends are gathered before each write so a large body costs few
// system calls; a piece handed over whole at least kDirectWrite long is
// written at once, while it is still in the cache, and its buffer goes back
// to the allocator right away (holding many pieces for one writev made the
// heap shrink and grow again, a page fault per page of every batch).
constexpr size_t kStageSize = 1u << 20;
constexpr size_t kReleaseStep = 1u << 20;
constexpr size_t kDirectWrite = 64u << 10;
constexpr size_t kPage = 4096;
constexpr uint64_t kAllocateStep = 64u << 20;

std::string temp_folder(const std::string& chosen) {
  if (!chosen.empty()) return chosen;
  const char* t = std::getenv("TMPDIR");
  return t && *t ? t : "/tmp";
}

// Nameless from the start, so nothing is left behind whatever happens to the
// process. A part's file may later be given a name (linked as the saved
// file); the body's own file never is.
UniqueFd open_temp_file(const std::string& folder, bool linkable = false) {
  std::string dir = temp_folder(folder);
  if (int injected = fs::injected_fault("open", dir)) {
    errno = injected;
    return UniqueFd();
  }
#ifdef O_TMPFILE
  UniqueFd fd(::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC | (linkable ? 0 : O_EXCL), 0600));
  if (fd) return fd;
#endif
  std::string tmpl = dir + "/brevane-upload-XXXXXX";
  UniqueFd fd2(::mkostemp(tmpl.data(), O_CLOEXEC));
  if (fd2) ::unlink(tmpl.c_str());
  return fd2;
}

bool write_all_at(int fd, const uint8_t* p, size_t n, off_t at) {
  while (n) {
    ssize_t w = ::pwrite(fd, p, n, at);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    at += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

// The memory of the last store a thread dropped, kept for the next one:
// bodies come one after another, and a fresh buffer each time costs page
// faults and heap consolidation on the hot path.
struct Spare {
  uint8_t* p = nullptr;
  size_t cap = 0;
  ~Spare() { std::free(p); }
};
thread_local Spare t_spare;
constexpr size_t kMaxSpare = 8u << 20;

[[noreturn]] void spool_failed() { throw ScriptError(kPermissionDenied, u"上传数据无法写入临时文件"); }

// The mode a file created with 0644 gets under this process's umask (read
// once from /proc: asking umask() for it would change it for a moment under
// the other threads' feet).
mode_t saved_file_mode() {
  static const mode_t mode = [] {
    mode_t mask = 022;
    if (FILE* f = std::fopen("/proc/self/status", "re")) {
      char line[256];
      while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "Umask:", 6) == 0) mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
      std::fclose(f);
    }
    return static_cast<mode_t>(0644 & ~mask);
  }();
  return mode;
}

// Copies in the kernel; a plain read and write where the file systems do not
// allow that. False on failure.
bool copy_between(int from, off_t from_at, int to, off_t to_at, uint64_t length) {
  bool range_calls = true;
  while (length) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(length, 1u << 30));
    ssize_t n;
    if (range_calls) {
      n = ::copy_file_range(from, &from_at, to, &to_at, want, 0);
      if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
        range_calls = false;
        continue;
      }
    } else {
      char buf[1 << 16];
      n = ::pread(from, buf, std::min(want, sizeof buf), from_at);
      if (n > 0) {
        if (!write_all_at(to, reinterpret_cast<const uint8_t*>(buf), static_cast<size_t>(n), to_at)) return false;
        from_at += n;
        to_at += n;
      }
    }
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    length -= static_cast<uint64_t>(n);
  }
  return true;
}

// Writes a diverted part on a thread of its own, a few stage buffers behind
// the appends: the connection is read on while the disk takes the last
// megabyte, where the reader of a large upload otherwise waits for every write.
class PartWriter {
 public:
  explicit PartWriter(int fd) : fd_(fd), thread_([this] { run(); }) {}
  ~PartWriter() { finish(); }
  PartWriter(const PartWriter&) = delete;
  PartWriter& operator=(const PartWriter&) = delete;

  // Queues the n bytes of `full` (a kStageSize buffer, now the writer's) and
  // gives back an empty buffer of the same size; null when out of memory.
  uint8_t* hand_over(uint8_t* full, size_t n) {
    std::unique_lock lock(mutex_);
    queue_.emplace_back(full, n);
    changed_.notify_all();
    changed_.wait(lock, [this] { return queue_.size() < kDepth; });
    if (!spare_.empty()) {
      uint8_t* b = spare_.back();
      spare_.pop_back();
      return b;
    }
    lock.unlock();
    return static_cast<uint8_t*>(std::malloc(kStageSize));
  }
  bool failed() {
    std::lock_guard lock(mutex_);
    return failed_;
  }
  // Every queued byte written (or failed); true when all went well.
  bool finish() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    for (uint8_t* b : spare_) std::free(b);
    spare_.clear();
    return !failed_;
  }

 private:
  static constexpr size_t kDepth = 4;
  void run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (queue_.empty()) return;
      auto [buf, n] = queue_.front();
      bool skip = failed_;
      lock.unlock();
      bool ok = skip || write_all(fd_, buf, n);
      lock.lock();
      queue_.pop_front();
      failed_ = failed_ || !ok;
      spare_.push_back(buf);
      changed_.notify_all();
    }
  }

  const int fd_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<uint8_t*, size_t>> queue_;
  std::vector<uint8_t*> spare_;
  bool stop_ = false, failed_ = false;
  std::thread thread_;  // last: starts once the rest exists
};

}  // namespace

struct ByteStore::Impl {
  uint64_t threshold;
  std::string folder;  // empty: $TMPDIR
  // A range of the body kept in a file of its own; the store's file has a
  // hole there until a reader needs the bytes in the view.
  struct Part {
    uint64_t at = 0, length = 0;
    UniqueFd fd;
    bool filled = false;  // copied into the store's file
    bool linked = false;  // the file has become a saved file
    dev_t dev = 0;
    ino_t ino = 0;
  };
  std::vector<Part> parts;  // in body order
  bool diverting = false;
  std::unique_ptr<PartWriter> writer;  // while diverting
  // In memory.
  uint8_t* mem = nullptr;
  size_t mem_size = 0, mem_cap = 0;
  // In the file.
  UniqueFd fd;
  uint64_t file_size = 0;  // bytes written to the file
  uint64_t expected = 0, allocated = 0;
  uint8_t* stage = nullptr;
  size_t stage_size = 0;
  // Pieces handed over whole, written together with one writev.
  std::vector<std::shared_ptr<const std::vector<uint8_t>>> pending;
  std::vector<iovec> pending_iov;
  size_t pending_size = 0;
  // The mapped view of the file.
  void* map = nullptr;
  size_t map_len = 0;
  size_t map_released = 0;  // pages of the map already handed back

  ~Impl() { reset(); }

  void reset() {
    writer.reset();
    unmap();
    if (mem && mem_cap <= kMaxSpare && mem_cap > t_spare.cap) {
      std::free(t_spare.p);
      t_spare.p = mem;
      t_spare.cap = mem_cap;
      mem = nullptr;
    }
    std::free(mem);
    mem = nullptr;
    mem_size = mem_cap = 0;
    // A spilled store's stage buffer is the next body's memory.
    if (stage && !t_spare.p) {
      t_spare.p = stage;
      t_spare.cap = kStageSize;
      stage = nullptr;
    }
    std::free(stage);
    stage = nullptr;
    stage_size = 0;
    fd.reset();
    parts.clear();
    diverting = false;
    file_size = expected = allocated = 0;
    pending.clear();
    pending_iov.clear();
    pending_size = 0;
  }

  void unmap() {
    if (map) ::munmap(map, map_len);
    map = nullptr;
    map_len = 0;
    map_released = 0;
  }

  // Blocks for the file reserved a large step ahead of the writes instead
  // of page by page as they come in (about a fifth of the cost of spooling
  // a large body); never beyond the announced size, so a client announcing
  // much and sending little holds little disk. The file's size still grows
  // only with what is written; a file system without the call allocates as
  // it goes.
  void allocate_ahead(uint64_t end) {
    if (diverting || end <= allocated || allocated >= expected) return;
    uint64_t to = std::min(expected, std::max(end, allocated + kAllocateStep));
    ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, static_cast<off_t>(allocated), static_cast<off_t>(to - allocated));
    allocated = to;
  }

  uint64_t size() const { return fd ? file_size + stage_size + pending_size : mem_size; }
  // Where appended bytes go now.
  int target() const { return diverting ? parts.back().fd.get() : fd.get(); }

  // The file holding body offset `at`, the offset there, and how many bytes
  // from it lie in that file.
  struct Source {
    int fd;
    off_t at;
    uint64_t length;
  };
  Source source_at(uint64_t at) const {
    for (const Part& p : parts) {
      if (at < p.at) return {fd.get(), static_cast<off_t>(at), p.at - at};
      if (at < p.at + p.length) return {p.fd.get(), static_cast<off_t>(at - p.at), p.at + p.length - at};
    }
    return {fd.get(), static_cast<off_t>(at), UINT64_MAX};
  }

  // A file of this store's (a part's file that became a saved file).
  bool owns(const struct stat& st) const {
    for (const Part& p : parts)
      if (p.linked && p.dev == st.st_dev && p.ino == st.st_ino) return true;
    return false;
  }

  // Saving exactly a diverted range: its file gets the saved file's name, no
  // byte copied. nullopt when that cannot be done (the range is no part, the
  // part was given a name before, another file system, no /proc): the
  // caller copies instead.
  std::optional<SaveResult> link_part(uint64_t offset, uint64_t length, const std::string& path, bool exclusive) {
    auto it = std::find_if(parts.begin(), parts.end(), [&](const Part& p) { return p.at == offset; });
    if (it == parts.end() || it->length != length || it->linked || length == 0) return std::nullopt;
    if (int injected = fs::injected_fault("open", path))
      return injected == EEXIST ? SaveResult::Exists : SaveResult::OpenFailed;
    if (::fchmod(it->fd.get(), saved_file_mode()) != 0) return std::nullopt;
    std::string self = "/proc/self/fd/" + std::to_string(it->fd.get());
    for (int attempt = 0; attempt < 8; ++attempt) {
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        it->linked = true;
        return SaveResult::Done;
      }
      if (errno != EEXIST) return std::nullopt;
      if (exclusive) return SaveResult::Exists;
      // Replacing: only a plain file goes, never through a link planted
      // under the name, never a folder.
      struct stat st;
      if (::lstat(path.c_str(), &st) != 0) continue;
      if (!S_ISREG(st.st_mode)) return SaveResult::OpenFailed;
      if (::unlink(path.c_str()) != 0 && errno != ENOENT) return SaveResult::OpenFailed;
    }
    return SaveResult::OpenFailed;
  }

  void end_divert() {
    if (!diverting) return;
    flush_stage();
    diverting = false;
    bool written = !writer || writer->finish();
    writer.reset();
    if (!written) spool_failed();
    Part& p = parts.back();
    p.length = file_size - p.at;
    struct stat st;
    if (p.length == 0) {
      parts.pop_back();
    } else if (::fstat(p.fd.get(), &st) == 0) {
      p.dev = st.st_dev;
      p.ino = st.st_ino;
    }
    // The store's own file goes on after the hole.
    if (::ftruncate(fd.get(), static_cast<off_t>(file_size)) != 0 ||
        ::lseek(fd.get(), static_cast<off_t>(file_size), SEEK_SET) < 0)
      spool_failed();
  }

  void flush_pending() {
    allocate_ahead(file_size + pending_size);
    size_t done = 0;
    while (done < pending_iov.size()) {
      int count = static_cast<int>(std::min<size_t>(pending_iov.size() - done, 1024));
      ssize_t w = ::writev(target(), pending_iov.data() + done, count);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) spool_failed();
      file_size += static_cast<uint64_t>(w);
      size_t left = static_cast<size_t>(w);
      while (left && left >= pending_iov[done].iov_len) left -= pending_iov[done++].iov_len;
      if (left) {
        pending_iov[done].iov_base = static_cast<uint8_t*>(pending_iov[done].iov_base) + left;
        pending_iov[done].iov_len -= left;
      }
    }
    pending.clear();
    pending_iov.clear();
    pending_size = 0;
  }

  void grow_memory(size_t need) {
    if (need <= mem_cap) return;
    if (!mem && t_spare.p && t_spare.cap >= need) {
      mem = t_spare.p;
      mem_cap = t_spare.cap;
      t_spare.p = nullptr;
      t_spare.cap = 0;
      return;
    }
    size_t cap = std::max<size_t>({need, mem_cap * 2, 64 * 1024});
    auto* p = static_cast<uint8_t*>(std::realloc(mem, cap));
    if (!p) throw ScriptError(kOutOfMemory);
    mem = p;
    mem_cap = cap;
  }

  void spill() {
    fd = open_temp_file(folder);
    if (!fd) spool_failed();
    if (mem_size && !write_all(fd.get(), mem, mem_size)) spool_failed();
    file_size = mem_size;
    // The memory just written out becomes the stage: a fresh megabyte would
    // cost a page fault for every page of it.
    if (mem_cap >= kStageSize) {
      stage = mem;
    } else {
      std::free(mem);
      stage = static_cast<uint8_t*>(std::malloc(kStageSize));
    }
    mem = nullptr;
    mem_size = mem_cap = 0;
    if (!stage) throw ScriptError(kOutOfMemory);
  }

  void flush_stage() {
    flush_pending();
    if (!stage_size) return;
    if (writer) {
      stage = writer->hand_over(stage, stage_size);
      file_size += stage_size;
      stage_size = 0;
      if (!stage) throw ScriptError(kOutOfMemory);
      if (writer->failed()) spool_failed();
      return;
    }
    allocate_ahead(file_size + stage_size);
    if (!write_all(target(), stage, stage_size)) spool_failed();
    file_size += stage_size;
    stage_size = 0;
  }
};

ByteStore::ByteStore(uint64_t spill_threshold) : impl_(std::make_unique<Impl>()) { impl_->threshold = spill_threshold; }

ByteStore::~ByteStore() = default;

void ByteStore::reserve(uint64_t expected) {
  Impl& s = *impl_;
  if (s.fd) return;
  if (expected > s.threshold) {
    s.spill();
    s.expected = expected;
  } else {
    s.grow_memory(static_cast<size_t>(expected));
  }
}

void ByteStore::append(const uint8_t* data, size_t n) {
  Impl& s = *impl_;
  if (!n) return;
  s.unmap();
  if (!s.fd && s.mem_size + n > s.threshold) s.spill();
  if (!s.fd) {
    s.grow_memory(s.mem_size + n);
    std::memcpy(s.mem + s.mem_size, data, n);
    s.mem_size += n;
    return;
  }
  s.flush_pending();
  if (s.writer) {  // in order, through the writer
    while (n) {
      if (s.stage_size == kStageSize) s.flush_stage();
      size_t k = std::min(n, kStageSize - s.stage_size);
      std::memcpy(s.stage + s.stage_size, data, k);
      s.stage_size += k;
      data += k;
      n -= k;
    }
    return;
  }
  if (s.stage_size + n > kStageSize) s.flush_stage();
  if (n >= kStageSize) {
    s.allocate_ahead(s.file_size + n);
    if (!write_all(s.target(), data, n)) spool_failed();
    s.file_size += n;
    return;
  }
  std::memcpy(s.stage + s.stage_size, data, n);
  s.stage_size += n;
}

void ByteStore::append_shared(std::shared_ptr<const std::vector<uint8_t>> chunk, size_t n) {
  Impl& s = *impl_;
  if (!n) return;
  if (!s.fd && s.mem_size + n > s.threshold) s.spill();
  if (!s.fd || s.writer) {
    append(chunk->data(), n);
    return;
  }
  s.unmap();
  if (s.stage_size) s.flush_stage();
  if (n >= kDirectWrite) {
    s.flush_pending();
    s.allocate_ahead(s.file_size + n);
    if (!write_all(s.target(), chunk->data(), n)) spool_failed();
    s.file_size += n;
    return;
  }
  s.pending_iov.push_back(iovec{const_cast<uint8_t*>(chunk->data()), n});
  s.pending.push_back(std::move(chunk));
  s.pending_size += n;
  if (s.pending_size >= kStageSize || s.pending.size() >= 256) s.flush_pending();
}

uint64_t ByteStore::size() const { return impl_->size(); }

bool ByteStore::spilled() const { return static_cast<bool>(impl_->fd); }

std::span<const uint8_t> ByteStore::view() {
  Impl& s = *impl_;
  if (!s.fd) return {s.mem, s.mem_size};
  s.end_divert();
  s.flush_stage();
  if (!s.file_size) return {};
  if (!s.map) {
    void* m = ::mmap(nullptr, s.file_size, PROT_READ, MAP_SHARED, s.fd.get(), 0);
    if (m == MAP_FAILED) throw ScriptError(kOutOfMemory);
    ::madvise(m, s.file_size, MADV_SEQUENTIAL);
    s.map = m;
    s.map_len = s.file_size;
  }
  return {static_cast<const uint8_t*>(s.map), s.map_len};
}

void ByteStore::release_before(uint64_t offset) {
  Impl& s = *impl_;
  if (!s.map) return;
  size_t end = static_cast<size_t>(std::min<uint64_t>(offset, s.map_len)) & ~(kPage - 1);
  // In steps of a megabyte: the parser calls this after every part, and each
  // call costs every core a TLB flush however little it hands back.
  if (end < s.map_released + kReleaseStep) return;
  ::madvise(static_cast<uint8_t*>(s.map) + s.map_released, end - s.map_released, MADV_DONTNEED);
  s.map_released = end;
}

void ByteStore::prepare(uint64_t offset, uint64_t length) {
#ifdef MADV_POPULATE_READ
  Impl& s = *impl_;
  if (!s.map || offset >= s.map_len) return;
  size_t begin = static_cast<size_t>(offset) & ~(kPage - 1);
  size_t end = static_cast<size_t>(std::min<uint64_t>(offset + length, s.map_len));
  // Older kernels refuse the advice; the pages then fault in as usual.
  ::madvise(static_cast<uint8_t*>(s.map) + begin, end - begin, MADV_POPULATE_READ);
#else
  (void)offset;
  (void)length;
#endif
}

ByteStore::SaveResult ByteStore::save_range(uint64_t offset, uint64_t length, const std::string& path, bool exclusive) {
  Impl& s = *impl_;
  if (offset > s.size() || length > s.size() - offset) return SaveResult::OutOfRange;
  if (s.fd) {
    s.end_divert();
    s.flush_stage();
    if (std::optional<SaveResult> linked = s.link_part(offset, length, path, exclusive)) return *linked;
    // A file of ours may already stand under the name: replacing it must not
    // write into the very bytes being copied (or those of a saved file).
    struct stat st;
    if (!exclusive && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && s.owns(st)) ::unlink(path.c_str());
  }
  // Never through a link planted under the chosen name.
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (exclusive ? O_EXCL : O_TRUNC);
  // The same fault points as the file-system layer, so tests can fail a save.
  auto fault = [&path](std::string_view call) {
    int injected = fs::injected_fault(call, path);
    if (injected) errno = injected;
    return injected != 0;
  };
  UniqueFd out(fault("open") ? -1 : ::open(path.c_str(), flags, 0644));
  if (!out) return errno == EEXIST ? SaveResult::Exists : SaveResult::OpenFailed;
  struct stat st;
  if (fault("stat") || ::fstat(out.get(), &st) != 0) {
    ::unlink(path.c_str());
    return SaveResult::OpenFailed;
  }
  if (!S_ISREG(st.st_mode)) return SaveResult::OpenFailed;
  bool ok = !fault("write");
  if (ok && !s.fd) {
    ok = write_all(out.get(), s.mem + offset, static_cast<size_t>(length));
  } else if (ok) {
    // In the kernel: no pass through user space, a reflink where the file
    // system offers one.
    uint64_t at = offset, left = length;
    while (left && ok) {
      Impl::Source src = s.source_at(at);
      uint64_t n = std::min(left, src.length);
      ok = copy_between(src.fd, src.at, out.get(), static_cast<off_t>(at - offset), n);
      at += n;
      left -= n;
    }
  }
  bool close_fails = fault("close");
  if (::close(out.release()) != 0 || close_fails) ok = false;
  if (!ok) {
    if (!fault("unlink")) ::unlink(path.c_str());
    return SaveResult::WriteFailed;
  }
  return SaveResult::Done;
}

bool ByteStore::read(uint64_t offset, uint64_t length, uint8_t* out) {
  Impl& s = *impl_;
  if (offset > s.size() || length > s.size() - offset) return false;
  if (!s.fd) {
    if (length) std::memcpy(out, s.mem + offset, static_cast<size_t>(length));
    return true;
  }
  s.end_divert();
  s.flush_stage();
  while (length) {
    Impl::Source src = s.source_at(offset);
    ssize_t n = ::pread(src.fd, out, static_cast<size_t>(std::min<uint64_t>({length, src.length, 1u << 30})), src.at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    offset += static_cast<uint64_t>(n);
    length -= static_cast<uint64_t>(n);
  }
  return true;
}

void ByteStore::clear() { impl_->reset(); }

void ByteStore::swap(ByteStore& other) noexcept { impl_.swap(other.impl_); }

void ByteStore::set_folder(std::string folder) { impl_->folder = std::move(folder); }

void ByteStore::divert_begin() {
  Impl& s = *impl_;
  if (s.diverting) return;
  if (!s.fd) s.spill();
  s.unmap();
  s.flush_stage();
  UniqueFd part = open_temp_file(s.folder, true);
  if (!part) return;  // the bytes stay in the store's own file
  Impl::Part p;
  p.at = s.file_size;
  p.fd = std::move(part);
  s.parts.push_back(std::move(p));
  s.diverting = true;
  s.writer = std::make_unique<PartWriter>(s.parts.back().fd.get());
}

void ByteStore::divert_end() { impl_->end_divert(); }

bool ByteStore::materialize(uint64_t offset, uint64_t length) {
  Impl& s = *impl_;
  if (s.parts.empty()) return false;
  bool copied = false;
  s.end_divert();
  for (Impl::Part& p : s.parts) {
    if (p.at >= offset + length) break;
    if (p.filled || p.at + p.length <= offset) continue;
    if (!copy_between(p.fd.get(), 0, s.fd.get(), static_cast<off_t>(p.at), p.length)) spool_failed();
    p.filled = true;
    copied = true;
  }
  return copied;
}

}  // namespace brevane
