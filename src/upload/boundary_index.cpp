#include "upload/boundary_index.h"

#include <algorithm>

#include "upload/bytesearch.h"

namespace brevane {

void BoundaryIndex::feed(std::span<const uint8_t> piece) {
  if (state_ == State::Off || piece.empty() || boundary_.empty()) return;
  const size_t m = boundary_.size();
  auto record = [&](uint64_t at) {
    if (hits_.size() >= kMaxHits) {
      state_ = State::Off;
      hits_.clear();
      hits_.shrink_to_fit();
      return false;
    }
    hits_.push_back(at);
    return true;
  };
  // Occurrences that begin in the tail of what came before.
  if (!carry_.empty()) {
    joint_.assign(carry_.begin(), carry_.end());
    joint_.insert(joint_.end(), piece.begin(),
                  piece.begin() + static_cast<std::ptrdiff_t>(std::min(m - 1, piece.size())));
    for (size_t k = find_bytes(joint_, boundary_, 0); k != kNotFound && k < carry_.size();
         k = find_bytes(joint_, boundary_, k + 1))
      if (!record(fed_ - carry_.size() + k)) return;
  }
  // Occurrences wholly inside the piece.
  for (size_t k = find_bytes(piece, boundary_, 0); k != kNotFound; k = find_bytes(piece, boundary_, k + 1))
    if (!record(fed_ + k)) return;
  // The last m - 1 bytes seen, for the next piece.
  if (m > 1) {
    if (piece.size() >= m - 1) {
      carry_.assign(piece.end() - static_cast<std::ptrdiff_t>(m - 1), piece.end());
    } else {
      carry_.insert(carry_.end(), piece.begin(), piece.end());
      if (carry_.size() > m - 1) carry_.erase(carry_.begin(), carry_.end() - static_cast<std::ptrdiff_t>(m - 1));
    }
  }
  fed_ += piece.size();
}

bool BoundaryIndex::next(uint64_t from, uint64_t& at) const {
  // The parser asks in increasing order: start from the last answer, walk a
  // few entries, and fall back on a binary search for a longer way.
  if (cursor_ > hits_.size() || (cursor_ > 0 && hits_[cursor_ - 1] >= from)) cursor_ = 0;
  size_t i = cursor_;
  for (size_t steps = 0; i < hits_.size() && hits_[i] < from; ++i)
    if (++steps == 8) {
      i = static_cast<size_t>(std::lower_bound(hits_.begin() + static_cast<std::ptrdiff_t>(i), hits_.end(), from) -
                              hits_.begin());
      break;
    }
  cursor_ = i;
  if (i == hits_.size()) return false;
  at = hits_[i];
  return true;
}

}  // namespace brevane
