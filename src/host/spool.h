// A request body as it arrives: kept in memory up to a limit, then in
// nameless temporary files, so a page reading a 1 GiB upload costs the host
// no more memory than a small one, and nothing is left on disk whatever
// happens. The bytes go straight into the upload parser's own store
// (upload::BodyIntake): a page that hands the request to the parser gets the
// body without a second copy, its large file parts already in files of
// their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "upload/body_intake.h"

namespace brevane::host {

class BodySpool {
 public:
  static constexpr size_t kMemoryLimit = size_t{1} << 20;

  // `temp_dir` empty: $TMPDIR, else /tmp. `content_type`: the request's,
  // which tells whether the body is followed by parts.
  explicit BodySpool(size_t memory_limit = kMemoryLimit, std::string temp_dir = {}, std::string_view content_type = {});
  BodySpool(const BodySpool&) = delete;
  BodySpool& operator=(const BodySpool&) = delete;

  // Raises when the temporary files cannot be written.
  void append(const char* data, size_t n);
  uint64_t size() const { return size_; }
  bool on_disk() const;
  // Copies up to `n` bytes from `offset`; the number copied (0 at the end).
  size_t read(uint64_t offset, char* out, size_t n) const;
  // The whole body; only for bodies known to be small (form posts).
  std::string read_all() const;
  // The body itself, for the upload parser; null when given away before.
  // The spool reads as empty afterwards; size() stays what was received.
  std::unique_ptr<upload::BodyIntake> take_intake();

 private:
  // Received bytes are placed in batches; any read sees them all.
  upload::BodyIntake* settled() const;

  mutable std::unique_ptr<upload::BodyIntake> intake_;
  uint64_t size_ = 0;
};

// Hands a spooled body out front to back, as Request.BinaryRead does.
class BodyCursor {
 public:
  explicit BodyCursor(const BodySpool& spool) : spool_(&spool) {}
  // At most `n` bytes from where the last read stopped.
  std::string next(size_t n);
  uint64_t position() const { return pos_; }
  // As if everything had been read.
  void skip_to_end() { pos_ = spool_->size(); }

 private:
  const BodySpool* spool_;
  uint64_t pos_ = 0;
};

}  // namespace brevane::host
