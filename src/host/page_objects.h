// The page objects of the native host: Request, Response and Server as a
// page (and the component) call them by name. One set per request.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/codepage.h"
#include "core/object.h"
#include "host/file_body.h"
#include "host/site_map.h"
#include "host/spool.h"
#include "host/urlcodec.h"

namespace brevane::host {

// Request.Form, QueryString, Cookies, ServerVariables: keys in arrival order,
// several values of one key joined with ", ", Empty for an absent key; the
// collection read as a whole is the raw text it was parsed from.
class HostCollection : public DynamicObject {
 public:
  HostCollection(Pairs items, Text raw);
  // Empty when absent.
  Variant lookup(TextView key) const;
  VariantArray enumerate() override;
  const Pairs& items() const { return items_; }

 private:
  std::vector<Text> keys() const;
  Pairs items_;
  Text raw_;
};

// What the HTTP layer knows about a request.
struct RequestInfo {
  std::string method = "GET";
  std::string url_path = "/";  // decoded, UTF-8
  std::string query;           // raw, undecoded
  std::string http_version = "HTTP/1.1";
  std::vector<std::pair<std::string, std::string>> headers;  // as received, in order
  std::string remote_addr = "127.0.0.1";
  int remote_port = 0;
  std::string local_addr = "127.0.0.1";
  int local_port = 80;
  std::string physical_path;  // Windows form of the page's file
  bool secure = false;        // came over HTTPS
  std::shared_ptr<BodySpool> body;

  std::string header(std::string_view name) const;  // case-insensitive, "" when absent
};

class HostRequest : public DynamicObject, public upload::BodySource {
 public:
  HostRequest(RequestInfo info, const CodePage& cp);
  const RequestInfo& info() const { return info_; }
  std::unique_ptr<upload::BodyIntake> take_body(uint64_t expected) override;
  Text server_variable(TextView name) const;

  // Form bodies beyond this are left unparsed (uploads are read with BinaryRead).
  static constexpr uint64_t kMaxFormBody = uint64_t{16} << 20;

 private:
  std::shared_ptr<HostCollection> form();
  Variant collection_call(const std::shared_ptr<HostCollection>& c, Args a);

  RequestInfo info_;
  const CodePage& cp_;
  BodyCursor cursor_;
  std::shared_ptr<HostCollection> query_, cookies_, variables_, form_;
};

// A body made while it is sent, for answers too large to hold (a folder
// packed on the fly): called once, after the page is done, with a writer
// that passes bytes on to the client and answers false once the client has
// gone. It returns false when it could not finish; the client then sees
// the answer cut short rather than a complete-looking one.
using BodyWriter = std::function<bool(const char* data, size_t size)>;
using StreamBody = std::function<bool(const BodyWriter& write)>;

// What goes back to the client once the page is done.
struct ResponseOut {
  int status = 200;
  std::string reason = "OK";
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  // Set by TransmitFile: the body is this file, sent from disk.
  std::shared_ptr<const FileBody> file;
  // Set by stream_body: sent in chunks, its length unknown beforehand.
  StreamBody stream;
};

class HostResponse : public DynamicObject {
 public:
  explicit HostResponse(const CodePage& cp);
  bool ended() const { return ended_; }
  void write_bytes(std::string_view bytes);
  void add_header(std::string name, std::string value);
  // The body becomes `body`, made while it is sent; what was buffered is
  // dropped, as for TransmitFile. Ignored after End.
  void stream_body(StreamBody body);
  // The response as it stands: status, headers (content type with charset,
  // expiry, cache control, those added) and body.
  ResponseOut finish() const;

 private:
  void set_status(const std::string& line);

  const CodePage& cp_;
  int status_ = 200;
  std::string reason_ = "OK";
  std::string content_type_ = "text/html";
  std::string charset_;
  std::string cache_control_;
  std::string expires_;  // HTTP date, empty when not set
  std::vector<std::pair<std::string, std::string>> headers_;
  std::string body_;
  std::shared_ptr<const FileBody> file_;
  StreamBody stream_;
  size_t flushed_ = 0;  // bytes sent by Flush can no longer be cleared
  bool buffer_ = true;
  bool ended_ = false;
};

class HostServer : public DynamicObject {
 public:
  HostServer(const SiteMap& site, std::string page_url, const CodePage& cp);

 private:
  const SiteMap& site_;
  std::string page_url_;
  const CodePage& cp_;
  int32_t script_timeout_ = 90;
};

// Date for an HTTP header.
std::string http_date(std::time_t t);
// An OLE date read as local time.
std::time_t time_from_ole_date(double d);

}  // namespace brevane::host
