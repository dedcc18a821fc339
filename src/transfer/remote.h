// Keeping copies of pictures that pasted HTML shows from other sites:
// CommGetRemotefileUrl finds the remote picture addresses, fetches each with
// CommSaveRemoteFile and points the HTML at the local copies.
//
// The addresses come from user content, so a fetch goes only to http and
// https, never to this machine or the local network (unless the setting
// below allows it), follows at most kRemoteMaxRedirects redirects with the
// same check, gives up after kRemoteFetchTimeoutMs or kRemotePictureMaxBytes,
// and keeps only what reads as a GIF, JPEG, PNG or BMP picture. A fetch that
// fails leaves nothing on disk.
#pragma once

#include <cstdint>
#include <vector>

#include "core/object.h"
#include "platform/http.h"

namespace brevane {

constexpr uint64_t kRemotePictureMaxBytes = 20u << 20;  // 20 MiB
constexpr int kRemoteFetchTimeoutMs = 10000;
constexpr int kRemoteMaxRedirects = 3;

// The setting: environment variable BREVANE_FETCH_ALLOW, a comma-separated
// list of "loopback" (127.0.0.0/8, ::1) and "private" (RFC 1918, carrier
// NAT, link-local, unique-local IPv6). Unset: both refused.
constexpr char kFetchAllowVariable[] = "BREVANE_FETCH_ALLOW";

// The limits every remote fetch runs under: the constants above and the
// setting, read once.
http::FetchLimits remote_fetch_limits();
// Tests set the limits for the whole process; nullptr returns to the setting.
void set_remote_fetch_limits_for_testing(const http::FetchLimits* limits);

// Error numbers a page sees from CommSaveRemoteFile. The first is the number
// the request object raises when a resource cannot be fetched; the second
// the stream object's "write to file failed".
constexpr int kRemoteFetchFailed = static_cast<int>(0x800C0005u);
constexpr int kRemoteSaveFailed = 3004;

// The remote picture addresses in `html`, in order, as CommGetRemotefileUrl
// finds them (the same address twice is listed twice).
std::vector<Text> remote_picture_addresses(TextView html);

Text CommGetRemotefileUrl(Variant& Server, Text p_String, Text p_SavefilePath);
void CommSaveRemoteFile(Variant& Server, Text p_LocalFileName, Text p_RemoteFileUrl);

// The native "Microsoft.XMLHTTP": synchronous GET through the guarded fetch
// (Open, Send, ResponseBody, ResponseText, Status, readyState).
ObjectPtr make_xmlhttp_object();

}  // namespace brevane
