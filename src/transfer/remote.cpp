#include "transfer/remote.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <string_view>

#include "check/validators.h"
#include "core/script_error.h"
#include "core/vbrt.h"
#include "frame/host.h"
#include "platform/fs.h"
#include "platform/regexp.h"
#include "text/formatters.h"
#include "upload/upload_image.h"

namespace brevane {

namespace {

// Kept exactly as pages have always relied on it, quirks included (ftp, rtsp
// and mms are matched, but only http and https are fetched).
constexpr char16_t kRemotePicturePattern[] =
    uR"(((http|https|ftp|rtsp|mms):(\/\/|\\\\){1}((\w)+[.]){1,}(net|com|cn|org|cc|tv|[0-9]{1,3})(\S*\/)((\S)+[.]{1}(gif|jpg|png|bmp))))";

std::mutex limits_mutex;
std::optional<http::FetchLimits> test_limits;

http::FetchLimits limits_from_setting() {
  http::FetchLimits l;
  l.timeout_ms = kRemoteFetchTimeoutMs;
  l.max_bytes = kRemotePictureMaxBytes;
  l.max_redirects = kRemoteMaxRedirects;
  const char* env = std::getenv(kFetchAllowVariable);
  std::string_view allow = env ? env : "";
  while (!allow.empty()) {
    size_t comma = allow.find(',');
    std::string_view word = allow.substr(0, comma);
    if (word == "loopback") l.allow_loopback = true;
    if (word == "private") l.allow_private = true;
    allow = comma == std::string_view::npos ? std::string_view() : allow.substr(comma + 1);
  }
  return l;
}

bool sniffs_as_image(const std::string& body) {
  UpLoadImageData probe;
  probe.Datatype = Variant(int16_t{1});
  probe.let_Value(Variant(Bytes(body.begin(), body.end())));
  Variant w, h, type, size, bit;
  return probe.IsImage(w, h, type, size, bit).to_bool();
}

Text fetch_failure_text(http::FetchStatus s) {
  switch (s) {
    case http::FetchStatus::BadAddress:
      return u"只能获取 http 或 https 地址";
    case http::FetchStatus::RefusedAddress:
      return u"拒绝访问本机或内部网络地址";
    case http::FetchStatus::TooManyRedirects:
      return u"重定向次数过多";
    case http::FetchStatus::TooLarge:
      return u"远程文件过大";
    case http::FetchStatus::TimedOut:
      return u"远程服务器响应超时";
    default:
      return u"无法获取远程文件";
  }
}

void replace_all(Text& s, const Text& from, const Text& to) {
  if (from.empty()) return;
  for (size_t at = s.find(from); at != Text::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
}

}  // namespace

http::FetchLimits remote_fetch_limits() {
  std::lock_guard lock(limits_mutex);
  if (test_limits) return *test_limits;
  static const http::FetchLimits from_setting = limits_from_setting();
  return from_setting;
}

void set_remote_fetch_limits_for_testing(const http::FetchLimits* limits) {
  std::lock_guard lock(limits_mutex);
  if (limits)
    test_limits = *limits;
  else
    test_limits.reset();
}

void CommSaveRemoteFile(Variant& Server, Text p_LocalFileName, Text p_RemoteFileUrl) {
  Text local = p_LocalFileName.find(u':') == Text::npos ? ServerRef(Server).map_path(p_LocalFileName) : p_LocalFileName;
  http::FetchResult got = http::fetch(p_RemoteFileUrl, remote_fetch_limits());
  if (got.status != http::FetchStatus::Ok) throw ScriptError(kRemoteFetchFailed, fetch_failure_text(got.status));
  // An error page or anything else that is not a picture is not kept under a picture's name.
  if (!sniffs_as_image(got.body)) throw ScriptError(kRemoteFetchFailed, u"远程文件不是图片");
  // Written beside the target and renamed into place: never half a picture.
  if (!fs::write_file(local, got.body, fs::WriteMode::Replace)) throw ScriptError(kRemoteSaveFailed, u"写入文件失败");
}

std::vector<Text> remote_picture_addresses(TextView html) {
  auto re = cached_regex(kRemotePicturePattern, RegexFlags{.ignore_case = true});
  std::vector<Text> found;
  for (RegexMatch& m : re->execute(html, true)) found.push_back(std::move(m.value));
  return found;
}

Text CommGetRemotefileUrl(Variant& Server, Text p_String, Text p_SavefilePath) {
  if (!CommCheckIsObjInstalled(Server, u"Microsoft.XMLHTTP")) return p_String;
  if (p_SavefilePath.empty() || p_SavefilePath.back() != u'/') p_SavefilePath += u'/';
  Text html = p_String;
  for (const Text& address : remote_picture_addresses(p_String)) {
    Text ext = address.substr(address.rfind(u'.') + 1);
    int r = static_cast<int>(vb::Int(vb::Rnd() * 900)) + 100;
    Text local = p_SavefilePath + CommGetDateTime() + T(std::to_string(r)) + u"." + ext;
    try {
      CommSaveRemoteFile(Server, local, address);
    } catch (const ScriptError& e) {
      // A picture that cannot be fetched keeps its remote address; the rest go on.
      if (e.number() != kRemoteFetchFailed) throw;
      continue;
    }
    replace_all(html, address, local);
  }
  return html;
}

}  // namespace brevane
