#include "upload/bytesearch.h"

#include <string.h>  // memmem

#include <bit>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define BV_HAVE_AVX2_PATH 1
#endif

namespace brevane {

namespace {

size_t generic_find(const uint8_t* h, size_t n, const uint8_t* nd, size_t m) {
#if defined(_GNU_SOURCE) || defined(__GLIBC__)
  const void* p = ::memmem(h, n, nd, m);
  return p ? static_cast<size_t>(static_cast<const uint8_t*>(p) - h) : kNotFound;
#else
  // Knuth-Morris-Pratt: linear without the C library's memmem.
  if (m > n) return kNotFound;
  std::vector<size_t> fail(m, 0);
  for (size_t i = 1, k = 0; i < m; ++i) {
    while (k && nd[i] != nd[k]) k = fail[k - 1];
    if (nd[i] == nd[k]) ++k;
    fail[i] = k;
  }
  for (size_t i = 0, k = 0; i < n; ++i) {
    while (k && h[i] != nd[k]) k = fail[k - 1];
    if (h[i] == nd[k] && ++k == m) return i + 1 - m;
  }
  return kNotFound;
#endif
}

#if defined(__SSE2__)
// Tries the candidate positions a mask marks in the block at i. True when the
// scan is decided: `result` is then the match, or the answer of the C
// library's two-way search once candidates pile up (a hostile body), which
// keeps every scan linear.
template <class Mask>
inline bool check_candidates(Mask mask, const uint8_t* h, size_t n, size_t i, const uint8_t* nd, size_t m,
                             size_t& checks, size_t& result) {
  while (mask) {
    size_t at = i + static_cast<size_t>(std::countr_zero(mask));
    if (std::memcmp(h + at + 1, nd + 1, m - 2) == 0) {
      result = at;
      return true;
    }
    mask &= mask - 1;
    if (++checks > 64 + (i >> 4)) {
      size_t r = generic_find(h + i, n - i, nd, m);
      result = r == kNotFound ? kNotFound : i + r;
      return true;
    }
  }
  return false;
}

// Compares the needle's first and last byte at 16 (or 32) positions at once
// and checks the rest only where both match; a boundary's first and last
// bytes rarely pair up by chance in file data. When they do pair up too often
// (a hostile body), the rest of the scan goes to the C library's two-way
// search, which is linear in every case.
size_t vector_find(const uint8_t* h, size_t n, const uint8_t* nd, size_t m) {
  const __m128i first = _mm_set1_epi8(static_cast<char>(nd[0]));
  const __m128i last = _mm_set1_epi8(static_cast<char>(nd[m - 1]));
  size_t checks = 0;
  size_t i = 0;
  for (; i + m - 1 + 16 <= n; i += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + m - 1));
    unsigned mask =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    if (size_t r; mask && check_candidates(mask, h, n, i, nd, m, checks, r)) return r;
  }
  if (i + m > n) return kNotFound;
  size_t r = generic_find(h + i, n - i, nd, m);
  return r == kNotFound ? kNotFound : i + r;
}
#endif

#ifdef BV_HAVE_AVX2_PATH
__attribute__((target("avx2"))) size_t vector_find_avx2(const uint8_t* h, size_t n, const uint8_t* nd, size_t m) {
  const __m256i first = _mm256_set1_epi8(static_cast<char>(nd[0]));
  const __m256i last = _mm256_set1_epi8(static_cast<char>(nd[m - 1]));
  size_t checks = 0;
  size_t i = 0;
  // Two blocks a step while neither holds a candidate, the common case in
  // file data: one test and one branch for 64 positions.
  for (; i + m - 1 + 64 <= n; i += 64) {
    const auto* p = reinterpret_cast<const __m256i*>(h + i);
    const auto* q = reinterpret_cast<const __m256i*>(h + i + m - 1);
    __m256i e0 = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_loadu_si256(p), first),
                                  _mm256_cmpeq_epi8(_mm256_loadu_si256(q), last));
    __m256i e1 = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_loadu_si256(p + 1), first),
                                  _mm256_cmpeq_epi8(_mm256_loadu_si256(q + 1), last));
    if (_mm256_testz_si256(_mm256_or_si256(e0, e1), _mm256_or_si256(e0, e1))) continue;
    uint64_t mask = static_cast<uint32_t>(_mm256_movemask_epi8(e0)) |
                    (static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(e1))) << 32);
    if (size_t r; mask && check_candidates(mask, h, n, i, nd, m, checks, r)) return r;
  }
  for (; i + m - 1 + 32 <= n; i += 32) {
    __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i));
    __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i + m - 1));
    auto mask = static_cast<uint32_t>(
        _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, last))));
    if (size_t r; mask && check_candidates(mask, h, n, i, nd, m, checks, r)) return r;
  }
  size_t r = vector_find(h + i, n - i, nd, m);
  return r == kNotFound ? kNotFound : i + r;
}

const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#endif

}  // namespace

size_t find_bytes(std::span<const uint8_t> hay, std::span<const uint8_t> needle, size_t from) {
  size_t n = hay.size(), m = needle.size();
  if (from > n) return kNotFound;
  if (m == 0) return from;
  if (m > n - from) return kNotFound;
  const uint8_t* h = hay.data() + from;
  size_t len = n - from;
  size_t r;
  if (m == 1) {
    const void* p = std::memchr(h, needle[0], len);
    r = p ? static_cast<size_t>(static_cast<const uint8_t*>(p) - h) : kNotFound;
  } else {
#if defined(__SSE2__)
    if (m > 64) r = generic_find(h, len, needle.data(), m);
#ifdef BV_HAVE_AVX2_PATH
    else if (kHasAvx2)
      r = vector_find_avx2(h, len, needle.data(), m);
#endif
    else
      r = vector_find(h, len, needle.data(), m);
#else
    r = generic_find(h, len, needle.data(), m);
#endif
  }
  return r == kNotFound ? kNotFound : from + r;
}

}  // namespace brevane
