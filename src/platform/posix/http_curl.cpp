// Outbound HTTP over libcurl.
#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <mutex>

#include "platform/http.h"

namespace brevane::http {

namespace {

void global_init() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The first bytes of the body prove the answer; nothing more is fetched.
size_t stop_at_body(char*, size_t, size_t, void*) { return 0; }

}  // namespace

bool url_answers(TextView url, int timeout_ms) {
  global_init();
  CURL* c = curl_easy_init();
  if (!c) return false;
  std::string u = to_utf8(url);
  curl_easy_setopt(c, CURLOPT_URL, u.c_str());
  curl_easy_setopt(c, CURLOPT_USERAGENT, "http");
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout_ms));
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout_ms));
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, stop_at_body);
  CURLcode rc = curl_easy_perform(c);
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(c);
  return (rc == CURLE_OK || rc == CURLE_WRITE_ERROR) && status > 0;
}

namespace {

struct FetchState {
  const FetchLimits* limits;
  std::string body;
  bool refused = false;
  bool too_large = false;
};

// Every connection curl opens (the first, each redirect's, each address a
// name resolves to) passes here, so a name that resolves differently the
// second time is checked again where it is actually used.
curl_socket_t open_checked(void* clientp, curlsocktype, curl_sockaddr* a) {
  auto* st = static_cast<FetchState*>(clientp);
  bool ok = false;
  if (a->family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(&a->addr);
    ok = address_allowed(reinterpret_cast<const uint8_t*>(&in->sin_addr), 4, *st->limits);
  } else if (a->family == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&a->addr);
    ok = address_allowed(reinterpret_cast<const uint8_t*>(&in6->sin6_addr), 16, *st->limits);
  }
  if (!ok) {
    st->refused = true;
    return CURL_SOCKET_BAD;
  }
  return ::socket(a->family, a->socktype, a->protocol);
}

size_t collect(char* data, size_t size, size_t n, void* clientp) {
  auto* st = static_cast<FetchState*>(clientp);
  size_t len = size * n;
  if (st->body.size() + len > st->limits->max_bytes) {
    st->too_large = true;
    return 0;
  }
  st->body.append(data, len);
  return len;
}

bool http_scheme(TextView url) {
  for (TextView scheme : {TextView(u"http://"), TextView(u"https://")})
    if (url.size() >= scheme.size() && iequals_ascii(url.substr(0, scheme.size()), scheme)) return true;
  return false;
}

}  // namespace

FetchResult fetch(TextView url, const FetchLimits& limits) {
  FetchResult r;
  if (!http_scheme(url) || url.find(u'\0') != TextView::npos) {
    r.status = FetchStatus::BadAddress;
    return r;
  }
  global_init();
  CURL* c = curl_easy_init();
  if (!c) return r;
  FetchState st{&limits, {}, false, false};
  std::string u = to_utf8(url);
  curl_easy_setopt(c, CURLOPT_URL, u.c_str());
  curl_easy_setopt(c, CURLOPT_USERAGENT, "Mozilla/4.0 (compatible; MSIE 6.0)");
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, static_cast<long>(limits.max_redirects));
  curl_easy_setopt(c, CURLOPT_PROXY, "");  // the checked address must be the one talked to
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.timeout_ms));
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.timeout_ms));
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.max_bytes));
  curl_easy_setopt(c, CURLOPT_OPENSOCKETFUNCTION, open_checked);
  curl_easy_setopt(c, CURLOPT_OPENSOCKETDATA, &st);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &st);
  CURLcode rc = curl_easy_perform(c);
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &r.code);
  curl_easy_cleanup(c);
  if (rc == CURLE_OK) {
    r.status = FetchStatus::Ok;
    r.body = std::move(st.body);
  } else if (st.refused) {
    r.status = FetchStatus::RefusedAddress;
  } else if (st.too_large || rc == CURLE_FILESIZE_EXCEEDED) {
    r.status = FetchStatus::TooLarge;
  } else if (rc == CURLE_TOO_MANY_REDIRECTS) {
    r.status = FetchStatus::TooManyRedirects;
  } else if (rc == CURLE_OPERATION_TIMEDOUT) {
    r.status = FetchStatus::TimedOut;
  } else if (rc == CURLE_UNSUPPORTED_PROTOCOL) {
    r.status = FetchStatus::BadAddress;
  }
  return r;
}

}  // namespace brevane::http
