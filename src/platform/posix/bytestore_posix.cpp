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
#include <cstdlib>
#include <cstring>
#include <new>

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
constexpr size_t kDirectWrite = 64u << 10;
constexpr size_t kPage = 4096;
constexpr uint64_t kAllocateStep = 64u << 20;

std::string temp_folder() {
  const char* t = std::getenv("TMPDIR");
  return t && *t ? t : "/tmp";
}

UniqueFd open_temp_file() {
  std::string dir = temp_folder();
  if (int injected = fs::injected_fault("open", dir)) {
    errno = injected;
    return UniqueFd();
  }
#ifdef O_TMPFILE
  UniqueFd fd(::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC | O_EXCL, 0600));
  if (fd) return fd;
#endif
  std::string tmpl = dir + "/brevane-upload-XXXXXX";
  UniqueFd fd2(::mkostemp(tmpl.data(), O_CLOEXEC));
  if (fd2) ::unlink(tmpl.c_str());
  return fd2;
}

bool write_all(int fd, const uint8_t* p, size_t n) {
  while (n) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
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

}  // namespace

struct ByteStore::Impl {
  uint64_t threshold;
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

  ~Impl() { reset(); }

  void reset() {
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
    std::free(stage);
    stage = nullptr;
    stage_size = 0;
    fd.reset();
    file_size = expected = allocated = 0;
    pending.clear();
    pending_iov.clear();
    pending_size = 0;
  }

  void unmap() {
    if (map) ::munmap(map, map_len);
    map = nullptr;
    map_len = 0;
  }

  // Blocks for the file reserved a large step ahead of the writes instead
  // of page by page as they come in (about a fifth of the cost of spooling
  // a large body); never beyond the announced size, so a client announcing
  // much and sending little holds little disk. The file's size still grows
  // only with what is written; a file system without the call allocates as
  // it goes.
  void allocate_ahead(uint64_t end) {
    if (end <= allocated || allocated >= expected) return;
    uint64_t to = std::min(expected, std::max(end, allocated + kAllocateStep));
    ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, static_cast<off_t>(allocated), static_cast<off_t>(to - allocated));
    allocated = to;
  }

  uint64_t size() const { return fd ? file_size + stage_size + pending_size : mem_size; }

  void flush_pending() {
    allocate_ahead(file_size + pending_size);
    size_t done = 0;
    while (done < pending_iov.size()) {
      int count = static_cast<int>(std::min<size_t>(pending_iov.size() - done, 1024));
      ssize_t w = ::writev(fd.get(), pending_iov.data() + done, count);
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
    fd = open_temp_file();
    if (!fd) spool_failed();
    stage = static_cast<uint8_t*>(std::malloc(kStageSize));
    if (!stage) throw ScriptError(kOutOfMemory);
    if (mem_size && !write_all(fd.get(), mem, mem_size)) spool_failed();
    file_size = mem_size;
    std::free(mem);
    mem = nullptr;
    mem_size = mem_cap = 0;
  }

  void flush_stage() {
    flush_pending();
    if (!stage_size) return;
    allocate_ahead(file_size + stage_size);
    if (!write_all(fd.get(), stage, stage_size)) spool_failed();
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
  if (s.stage_size + n > kStageSize) s.flush_stage();
  if (n >= kStageSize) {
    s.allocate_ahead(s.file_size + n);
    if (!write_all(s.fd.get(), data, n)) spool_failed();
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
  if (!s.fd) {
    append(chunk->data(), n);
    return;
  }
  s.unmap();
  if (s.stage_size) s.flush_stage();
  if (n >= kDirectWrite) {
    s.flush_pending();
    s.allocate_ahead(s.file_size + n);
    if (!write_all(s.fd.get(), chunk->data(), n)) spool_failed();
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
  if (end) ::madvise(s.map, end, MADV_DONTNEED);
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
  if (s.fd) s.flush_stage();
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
    off_t in_off = static_cast<off_t>(offset);
    uint64_t left = length;
    bool range_calls = true;
    while (left && ok) {
      size_t want = static_cast<size_t>(std::min<uint64_t>(left, 1u << 30));
      ssize_t n = range_calls ? ::copy_file_range(s.fd.get(), &in_off, out.get(), nullptr, want, 0)
                              : ::sendfile(out.get(), s.fd.get(), &in_off, want);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && range_calls && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
        range_calls = false;
        continue;
      }
      if (n <= 0)
        ok = false;
      else
        left -= static_cast<uint64_t>(n);
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
  s.flush_stage();
  while (length) {
    ssize_t n =
        ::pread(s.fd.get(), out, static_cast<size_t>(std::min<uint64_t>(length, 1u << 30)), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    offset += static_cast<uint64_t>(n);
    length -= static_cast<uint64_t>(n);
  }
  return true;
}

void ByteStore::clear() { impl_->reset(); }

}  // namespace brevane
