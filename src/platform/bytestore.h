// A growable byte store for request bodies: the bytes stay in memory up to a
// threshold and in an unlinked temporary file above it, so a large upload
// costs page cache, not process memory. Readers get one contiguous view of
// all bytes (a mapping of the file when spilled) and may hand back the part
// they have passed so that resident memory stays flat during a scan.
//
// A writer that knows where a large file part of a multipart body lies can
// divert that range to a file of its own: the range is then a hole in the
// store's file (filled in only if a reader asks for it through materialize),
// and saving exactly that range makes the part's file the saved file by a
// hard link instead of a copy.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace brevane {

class ByteStore {
 public:
  static constexpr uint64_t kDefaultSpillThreshold = 4u << 20;

  explicit ByteStore(uint64_t spill_threshold = kDefaultSpillThreshold);
  ~ByteStore();
  ByteStore(const ByteStore&) = delete;
  ByteStore& operator=(const ByteStore&) = delete;

  // Expected size in all; a store that will pass the threshold goes to its
  // file at once instead of growing in memory first.
  void reserve(uint64_t expected);
  // Raises a run-time error when the temporary file cannot be written.
  void append(const uint8_t* data, size_t n);
  // The first n bytes of a buffer the caller hands over: a spilled store
  // writes such pieces to its file in batches without copying them first.
  void append_shared(std::shared_ptr<const std::vector<uint8_t>> chunk, size_t n);
  uint64_t size() const;
  bool spilled() const;

  // Every byte appended so far, contiguous. Valid until the next append or
  // clear.
  std::span<const uint8_t> view();
  // The caller is done with [0, offset) of the view for now: resident pages
  // of a mapped view below it are dropped (the bytes stay in the file and
  // fault back in if read again).
  void release_before(uint64_t offset);
  // The caller is about to read [offset, offset + length) of the view: a
  // mapped view maps it in one go rather than page fault by page fault.
  void prepare(uint64_t offset, uint64_t length);

  enum class SaveResult { Done, Exists, OpenFailed, WriteFailed, OutOfRange };
  // Copies [offset, offset + length) to a new file at `native_path`,
  // replacing an existing file unless `exclusive`. A failed write leaves no
  // partial file behind.
  SaveResult save_range(uint64_t offset, uint64_t length, const std::string& native_path, bool exclusive);
  // false when the range lies outside the store.
  bool read(uint64_t offset, uint64_t length, uint8_t* out);

  void clear();
  // Takes over the other store's bytes and files (and hands it this one's).
  void swap(ByteStore& other) noexcept;

  // Temporary files go here instead of $TMPDIR; before the first append.
  void set_folder(std::string folder);
  // What is appended from now until divert_end goes to a file of its own
  // (the store spills first if it has not yet). Not on every platform: a
  // store that cannot divert keeps the bytes as usual.
  void divert_begin();
  void divert_end();
  // A reader of view() is about to look at [offset, offset + length): any
  // diverted range within it is copied into the view first. True when
  // something was copied (what the view showed there before was not it).
  bool materialize(uint64_t offset, uint64_t length);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace brevane
