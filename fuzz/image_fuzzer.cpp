// Image header sniffing over arbitrary data, with and without the pad byte
// an odd-sized upload gets.
#include <cstddef>
#include <cstdint>

#include "upload/upload_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // A copy of exactly the input, so reads past it trip the sanitizer.
  std::vector<uint8_t> exact(data + 1, data + size);
  brevane::sniff_image(exact, data[0] & 1);
  return 0;
}
