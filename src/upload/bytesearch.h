// Byte searches over request bodies. Linear in the haystack whatever the
// needle and the data: a body is whatever a client chose to send.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace brevane {

constexpr size_t kNotFound = static_cast<size_t>(-1);

// Offset of the first occurrence of `needle` in `hay` at or after `from`, or
// kNotFound. An empty needle is found at `from` (when from <= hay.size()).
size_t find_bytes(std::span<const uint8_t> hay, std::span<const uint8_t> needle, size_t from);

}  // namespace brevane
