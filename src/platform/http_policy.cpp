// Which addresses a guarded fetch may talk to; shared by every platform.
#include "platform/http.h"

namespace brevane::http {

namespace {

enum class Range { Public, Loopback, Private, Never };

Range classify_v4(const uint8_t* a) {
  if (a[0] == 127) return Range::Loopback;
  if (a[0] == 10) return Range::Private;
  if (a[0] == 172 && (a[1] & 0xF0) == 16) return Range::Private;
  if (a[0] == 192 && a[1] == 168) return Range::Private;
  if (a[0] == 100 && (a[1] & 0xC0) == 64) return Range::Private;   // carrier-grade NAT
  if (a[0] == 169 && a[1] == 254) return Range::Private;           // link-local (cloud metadata lives here)
  if (a[0] == 0) return Range::Never;                              // "this network"; 0.0.0.0 reaches the host
  if (a[0] >= 224) return Range::Never;                            // multicast, reserved, broadcast
  if (a[0] == 192 && a[1] == 0 && a[2] == 0) return Range::Never;  // protocol assignments
  if (a[0] == 198 && (a[1] & 0xFE) == 18) return Range::Never;     // benchmarking
  return Range::Public;
}

Range classify_v6(const uint8_t* a) {
  static const uint8_t mapped_prefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  bool mapped = true;
  for (int i = 0; i < 12; ++i) mapped = mapped && a[i] == mapped_prefix[i];
  if (mapped) return classify_v4(a + 12);
  bool zero_head = true;
  for (int i = 0; i < 15; ++i) zero_head = zero_head && a[i] == 0;
  if (zero_head && a[15] == 1) return Range::Loopback;
  if (zero_head && a[15] == 0) return Range::Never;
  if (a[0] == 0xFF) return Range::Never;                                               // multicast
  if ((a[0] & 0xFE) == 0xFC) return Range::Private;                                    // unique local
  if (a[0] == 0xFE && (a[1] & 0xC0) == 0x80) return Range::Private;                    // link-local
  if (a[0] == 0xFE && (a[1] & 0xC0) == 0xC0) return Range::Private;                    // old site-local
  if (a[0] == 0x20 && a[1] == 0x02) return Range::Never;                               // 6to4 can wrap any IPv4 address
  if (a[0] == 0 && a[1] == 0x64 && a[2] == 0xFF && a[3] == 0x9B) return Range::Never;  // NAT64 likewise
  return Range::Public;
}

}  // namespace

bool address_allowed(const uint8_t* addr, size_t len, const FetchLimits& limits) {
  Range r = len == 4 ? classify_v4(addr) : len == 16 ? classify_v6(addr) : Range::Never;
  switch (r) {
    case Range::Public:
      return true;
    case Range::Loopback:
      return limits.allow_loopback;
    case Range::Private:
      return limits.allow_private;
    case Range::Never:
      return false;
  }
  return false;
}

}  // namespace brevane::http
