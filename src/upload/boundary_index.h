// Where the boundary occurs in a body that arrives in pieces. Each piece is
// searched while it is still in the cache, so the parser later finds the
// parts' ends by lookup instead of reading a large body a second time.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace brevane {

class BoundaryIndex {
 public:
  // Beyond this many occurrences the index gives up (a hostile body made of
  // boundaries) and the parser scans instead.
  static constexpr size_t kMaxHits = 1u << 20;

  // `needle`: what is looked for (the delimiter's CRLF "--" boundary).
  explicit BoundaryIndex(std::span<const uint8_t> needle) : boundary_(needle.begin(), needle.end()) {}
  void feed(std::span<const uint8_t> piece);
  bool usable() const { return state_ == State::Indexing && !boundary_.empty(); }
  // The first occurrence at or after `from`; false when there is none.
  bool next(uint64_t from, uint64_t& at) const;

 private:
  enum class State { Indexing, Off };
  State state_ = State::Indexing;
  std::vector<uint8_t> boundary_, carry_, joint_;
  std::vector<uint64_t> hits_;
  uint64_t fed_ = 0;
  mutable size_t cursor_ = 0;
};

}  // namespace brevane
