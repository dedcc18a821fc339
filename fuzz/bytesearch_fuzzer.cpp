// The vectorised byte search and the boundary index against the plainest
// search there is: every occurrence each of them reports, and none they
// miss, must be what std::search finds.
//
// Input: byte 0 picks the needle's length, byte 1 the piece size the index
// is fed in, the rest is the haystack; the needle is cut from the haystack
// itself (byte 2 picks where) so that it occurs more than by chance.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "upload/boundary_index.h"
#include "upload/bytesearch.h"

using namespace brevane;

namespace {

size_t reference_find(std::span<const uint8_t> hay, std::span<const uint8_t> needle, size_t from) {
  if (from > hay.size()) return kNotFound;
  auto it = std::search(hay.begin() + static_cast<std::ptrdiff_t>(from), hay.end(), needle.begin(), needle.end());
  if (it == hay.end() && !needle.empty()) return kNotFound;
  return static_cast<size_t>(it - hay.begin());
}

void check(bool ok) {
  if (!ok) __builtin_trap();
}

void compare_search(std::span<const uint8_t> hay, std::span<const uint8_t> needle) {
  // Every start position: the vector loops' edges (16, 32, 64 bytes and
  // their tails) all get crossed.
  for (size_t from = 0; from <= hay.size() + 1; ++from)
    check(find_bytes(hay, needle, from) == reference_find(hay, needle, from));
}

void compare_index(std::span<const uint8_t> body, size_t piece) {
  // The body's first line is the needle, the rest is searched.
  size_t line = reference_find(body, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("\r\n"), 2), 0);
  if (line == kNotFound || line == 0) return;
  std::span<const uint8_t> boundary = body.first(line);
  BoundaryIndex index(boundary);
  for (size_t at = 0; at < body.size(); at += piece) index.feed(body.subspan(at, std::min(piece, body.size() - at)));
  if (!index.usable()) return;
  // Asked in increasing order, as the parser asks, then once more from the
  // start (the index must not depend on its cursor).
  for (int round = 0; round < 2; ++round)
    for (size_t from = 0; from <= body.size(); ++from) {
      uint64_t got = 0;
      bool found = index.next(from, got);
      size_t want = reference_find(body, boundary, from);
      check(found == (want != kNotFound));
      if (found) check(got == want);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  std::span<const uint8_t> hay(data + 3, size - 3);
  size_t length = data[0] % 72;
  size_t start = hay.empty() ? 0 : data[2] % hay.size();
  std::vector<uint8_t> needle;
  if (data[0] & 0x80) {
    // A needle that need not occur: its length alone.
    needle.assign(length, data[2]);
  } else {
    length = std::min(length, hay.size() - start);
    needle.assign(hay.begin() + static_cast<std::ptrdiff_t>(start),
                  hay.begin() + static_cast<std::ptrdiff_t>(start + length));
  }
  compare_search(hay, needle);
  compare_index(hay, 1 + data[1] % 97);
  return 0;
}
