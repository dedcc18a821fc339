// Outbound HTTP over WinINet.
#include <windows.h>
#include <wininet.h>

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

// Guarded fetches are not offered on Windows yet: the host's own checks of
// the address actually connected to are not in place, so nothing is fetched.
FetchResult fetch(TextView, const FetchLimits&) {
  FetchResult r;
  r.status = FetchStatus::Failed;
  return r;
}

}  // namespace brevane::http
