// A request body taken in as it comes off the connection and stored once, in
// the very form the upload parser reads: the parser takes the store over
// instead of reading the body with BinaryRead and storing it a second time.
//
// A multipart body is followed part by part as it arrives: the delimiter
// index the parser needs is built on the way, and the data of a large part
// goes to a file of its own (ByteStore::divert_begin), so a file part saved
// whole becomes the saved file by a link, not a copy. Where the parts are
// is only a guess made here; the parser still decides what the body means,
// and any byte it reads is the byte that was sent.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/bytestore.h"
#include "upload/boundary_index.h"

namespace brevane::upload {

class BodyIntake {
 public:
  // A data stretch longer than this (without a delimiter) gets a file of its own.
  static constexpr uint64_t kOwnFileAfter = uint64_t{1} << 20;

  // `content_type`: the request's header (a multipart one with a boundary is
  // followed by parts); `memory_limit`: bytes kept in memory before the store
  // moves to a file in `folder` (empty: $TMPDIR).
  BodyIntake(std::string_view content_type, uint64_t memory_limit, std::string folder);

  // Raises a run-time error when the temporary files cannot be written.
  void append(const char* data, size_t n);
  // Everything appended is in the store.
  void finish();
  uint64_t size() const { return received_; }

  ByteStore& store() { return store_; }
  // The occurrences of `needle()` in the body; null without a boundary or
  // when the index gave up.
  const BoundaryIndex* index() const { return index_ && index_->usable() ? index_.get() : nullptr; }
  const std::string& needle() const { return needle_; }

 private:
  void take(bool last);
  void commit_to(uint64_t end);

  ByteStore store_;
  std::string needle_;
  std::unique_ptr<BoundaryIndex> index_;
  // Bytes received and not yet in the store: [committed_, received_).
  std::string pending_;
  size_t pending_from_ = 0;
  uint64_t committed_ = 0, received_ = 0;
  // Looking for the end of a part's headers from head_from_, or in the data
  // of a part that began at data_at_.
  bool in_data_ = false, diverting_ = false, may_divert_ = false;
  uint64_t head_from_ = 0, data_at_ = 0;
};

// What a host's Request object offers when it holds the body in a BodyIntake.
class BodySource {
 public:
  virtual ~BodySource() = default;
  // The whole body, when nothing of it was read yet and it is `expected`
  // bytes long; it then counts as read (BinaryRead returns nothing more).
  // Null otherwise: the reader uses BinaryRead.
  virtual std::unique_ptr<BodyIntake> take_body(uint64_t expected) = 0;
};

}  // namespace brevane::upload
