// Outbound HTTP over libcurl.
#include <curl/curl.h>

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

}  // namespace brevane::http
