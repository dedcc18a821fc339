// A request body as it arrives: kept in memory up to a limit, then moved to
// a temporary file, so a page reading a 1 GiB upload costs the host no more
// memory than a small one. The file is unlinked as soon as it is created;
// it goes away with the spool (or the process) whatever happens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace brevane::host {

class BodySpool {
 public:
  static constexpr size_t kMemoryLimit = size_t{1} << 20;

  // `temp_dir` empty: $TMPDIR, else /tmp.
  explicit BodySpool(size_t memory_limit = kMemoryLimit, std::string temp_dir = {});
  ~BodySpool();
  BodySpool(const BodySpool&) = delete;
  BodySpool& operator=(const BodySpool&) = delete;

  // Throws std::system_error when the temporary file cannot be written.
  void append(const char* data, size_t n);
  uint64_t size() const { return size_; }
  bool on_disk() const { return fd_ >= 0; }
  // Copies up to `n` bytes from `offset`; the number copied (0 at the end).
  size_t read(uint64_t offset, char* out, size_t n) const;
  // The whole body; only for bodies known to be small (form posts).
  std::string read_all() const;

 private:
  void spill();

  size_t memory_limit_;
  std::string temp_dir_;
  std::string memory_;
  int fd_ = -1;
  uint64_t size_ = 0;
};

// Hands a spooled body out front to back, as Request.BinaryRead does.
class BodyCursor {
 public:
  explicit BodyCursor(const BodySpool& spool) : spool_(&spool) {}
  // At most `n` bytes from where the last read stopped.
  std::string next(size_t n);
  uint64_t position() const { return pos_; }

 private:
  const BodySpool* spool_;
  uint64_t pos_ = 0;
};

}  // namespace brevane::host
