// Outbound HTTP over WinINet.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <wininet.h>
// clang-format on

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/http.h"

namespace brevane::http {

namespace {

bool network_scheme(TextView url) {
  for (TextView scheme : {TextView(u"http://"), TextView(u"https://"), TextView(u"ftp://")})
    if (url.size() >= scheme.size() && iequals_ascii(url.substr(0, scheme.size()), scheme)) return true;
  return false;
}

}  // namespace

bool url_answers(TextView url, int timeout_ms) {
  if (!network_scheme(url) || url.find(u'\0') != TextView::npos) return false;
  // The system's proxy settings, the agent text "http".
  HINTERNET session = InternetOpenW(L"http", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!session) return false;
  DWORD ms = static_cast<DWORD>(timeout_ms);
  InternetSetOptionW(session, INTERNET_OPTION_CONNECT_TIMEOUT, &ms, sizeof ms);
  InternetSetOptionW(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
  InternetSetOptionW(session, INTERNET_OPTION_SEND_TIMEOUT, &ms, sizeof ms);
  std::wstring w(url.begin(), url.end());
  HINTERNET handle = InternetOpenUrlW(session, w.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
  bool answered = handle != nullptr;
  if (handle) InternetCloseHandle(handle);
  InternetCloseHandle(session);
  return answered;
}

namespace {

bool http_scheme(TextView url) {
  for (TextView scheme : {TextView(u"http://"), TextView(u"https://")})
    if (url.size() >= scheme.size() && iequals_ascii(url.substr(0, scheme.size()), scheme)) return true;
  return false;
}

// Every address the host name has must pass: WinINet picks one itself.
// (It resolves the name again, so a name that changes its answer in between
// is not caught here as it is on POSIX, where the connection is checked.)
FetchStatus check_host(const std::wstring& url, const FetchLimits& limits) {
  wchar_t host[256] = {};
  URL_COMPONENTSW uc{};
  uc.dwStructSize = sizeof uc;
  uc.lpszHostName = host;
  uc.dwHostNameLength = 255;
  if (!InternetCrackUrlW(url.c_str(), 0, 0, &uc) || host[0] == 0) return FetchStatus::BadAddress;
  std::wstring name(host);
  if (name.size() > 2 && name.front() == L'[' && name.back() == L']') name = name.substr(1, name.size() - 2);
  std::string narrow = to_utf8(Text(name.begin(), name.end()));
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(narrow.c_str(), nullptr, &hints, &found) != 0 || !found) return FetchStatus::Failed;
  FetchStatus status = FetchStatus::Ok;
  for (addrinfo* a = found; a; a = a->ai_next) {
    bool ok = false;
    if (a->ai_family == AF_INET) {
      const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
      ok = address_allowed(reinterpret_cast<const uint8_t*>(&in->sin_addr), 4, limits);
    } else if (a->ai_family == AF_INET6) {
      const auto* in6 = reinterpret_cast<const sockaddr_in6*>(a->ai_addr);
      ok = address_allowed(reinterpret_cast<const uint8_t*>(&in6->sin6_addr), 16, limits);
    }
    if (!ok) status = FetchStatus::RefusedAddress;
  }
  freeaddrinfo(found);
  return status;
}

struct Handle {
  HINTERNET h;
  explicit Handle(HINTERNET x) : h(x) {}
  ~Handle() {
    if (h) InternetCloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
};

// The fetch itself, on a worker thread; `session` belongs to the caller.
FetchResult fetch_blocking(HINTERNET session, const std::wstring& url, const FetchLimits& limits, ULONGLONG deadline) {
  FetchResult r;
  std::wstring current = url;
  for (int hop = 0;; ++hop) {
    if (!http_scheme(Text(current.begin(), current.end())) || current.find(L'\0') != std::wstring::npos) {
      r.status = FetchStatus::BadAddress;
      return r;
    }
    if (FetchStatus s = check_host(current, limits); s != FetchStatus::Ok) {
      r.status = s;
      return r;
    }
    Handle h(InternetOpenUrlW(session, current.c_str(), nullptr, 0,
                              INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                  INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI,
                              0));
    if (!h.h) {
      r.status = GetLastError() == ERROR_INTERNET_TIMEOUT ? FetchStatus::TimedOut : FetchStatus::Failed;
      return r;
    }
    DWORD code = 0, len = sizeof code;
    HttpQueryInfoW(h.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &len, nullptr);
    r.code = static_cast<long>(code);
    if (code == 301 || code == 302 || code == 303 || code == 307 || code == 308) {
      if (hop >= limits.max_redirects) {
        r.status = FetchStatus::TooManyRedirects;
        return r;
      }
      wchar_t location[2048] = {};
      DWORD loc_len = sizeof location;
      if (!HttpQueryInfoW(h.h, HTTP_QUERY_LOCATION, location, &loc_len, nullptr)) return r;
      wchar_t next[4096] = {};
      DWORD next_len = 4095;
      if (!InternetCombineUrlW(current.c_str(), location, next, &next_len, ICU_NO_ENCODE)) return r;
      current.assign(next, next_len);
      continue;
    }
    std::string body;
    char buf[65536];
    for (;;) {
      DWORD got = 0;
      if (!InternetReadFile(h.h, buf, sizeof buf, &got)) {
        r.status = GetLastError() == ERROR_INTERNET_TIMEOUT ? FetchStatus::TimedOut : FetchStatus::Failed;
        return r;
      }
      if (got == 0) break;
      if (body.size() + got > limits.max_bytes) {
        r.status = FetchStatus::TooLarge;
        return r;
      }
      body.append(buf, got);
      if (GetTickCount64() > deadline) {
        r.status = FetchStatus::TimedOut;
        return r;
      }
    }
    r.status = FetchStatus::Ok;
    r.body = std::move(body);
    return r;
  }
}

}  // namespace

FetchResult fetch(TextView url, const FetchLimits& limits) {
  static std::once_flag winsock;
  std::call_once(winsock, [] {
    WSADATA d;
    WSAStartup(MAKEWORD(2, 2), &d);
  });
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(limits.timeout_ms);
  // Direct, without the system proxy: the address checked is the one talked to.
  HINTERNET session =
      InternetOpenW(L"Mozilla/4.0 (compatible; MSIE 6.0)", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (!session) return {};
  DWORD ms = static_cast<DWORD>(limits.timeout_ms);
  InternetSetOptionW(session, INTERNET_OPTION_CONNECT_TIMEOUT, &ms, sizeof ms);
  InternetSetOptionW(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
  InternetSetOptionW(session, INTERNET_OPTION_SEND_TIMEOUT, &ms, sizeof ms);
  // WinINet's own time-outs do not bound a server that accepts and then says
  // nothing, so the whole fetch runs on a worker and is cut off at the
  // deadline by closing its session, which ends any blocking call in it.
  struct Shared {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    FetchResult result;
  };
  auto shared = std::make_shared<Shared>();
  std::wstring target(url.begin(), url.end());
  std::thread worker([shared, session, target, limits, deadline] {
    FetchResult r = fetch_blocking(session, target, limits, deadline);
    std::lock_guard lock(shared->m);
    shared->result = std::move(r);
    shared->done = true;
    shared->cv.notify_all();
  });
  bool finished;
  {
    std::unique_lock lock(shared->m);
    finished =
        shared->cv.wait_for(lock, std::chrono::milliseconds(limits.timeout_ms + 500), [&] { return shared->done; });
  }
  InternetCloseHandle(session);
  if (!finished) {
    // The worker returns once its call fails on the closed session.
    worker.detach();
    FetchResult r;
    r.status = FetchStatus::TimedOut;
    return r;
  }
  worker.join();
  return std::move(shared->result);
}

}  // namespace brevane::http
