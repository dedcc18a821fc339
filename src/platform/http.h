// Outbound HTTP as the component needs it.
#pragma once

#include <cstdint>
#include <string>

#include "core/text.h"

namespace brevane::http {

// True when a server answered a GET for `url` (any status) within
// `timeout_ms`; redirects are followed. Only http, https and ftp URLs are
// tried. The system's proxy settings apply.
bool url_answers(TextView url, int timeout_ms);

// ---- guarded fetch ----
//
// A GET on behalf of a page whose address came from user content: only http
// and https, every address connected to (the first and each redirect's) must
// pass `address_allowed`, the time and the body size are bounded. No proxy is
// used, so the address checked is the address talked to.

struct FetchLimits {
  int timeout_ms = 10000;
  uint64_t max_bytes = 20u << 20;
  int max_redirects = 3;
  bool allow_loopback = false;  // 127.0.0.0/8, ::1
  bool allow_private = false;   // 10/8, 172.16/12, 192.168/16, 100.64/10, fc00::/7, and link-local
};

enum class FetchStatus {
  Ok,                // a whole answer arrived (any status code)
  BadAddress,        // not http or https, or not a URL
  RefusedAddress,    // the host (or a redirect's host) is in a refused range
  TooManyRedirects,  // more than max_redirects
  TooLarge,          // the body passed max_bytes
  TimedOut,          // no whole answer within timeout_ms
  Failed,            // no connection, bad TLS, broken answer
};

struct FetchResult {
  FetchStatus status = FetchStatus::Failed;
  long code = 0;     // the HTTP status of the last answer
  std::string body;  // the bytes as they came
};

FetchResult fetch(TextView url, const FetchLimits& limits);

// Whether an address (4 or 16 bytes, network order) may be connected to.
// Unspecified, multicast, broadcast and reserved ranges never; loopback,
// private and link-local only when the limits allow them. IPv4-mapped IPv6
// addresses are judged as the IPv4 address they carry.
bool address_allowed(const uint8_t* addr, size_t len, const FetchLimits& limits);

}  // namespace brevane::http
