#include "host/page_objects.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "core/registry.h"
#include "core/vbrt.h"
#include "platform/fs.h"

namespace brevane::host {

namespace {

bool iequals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string upper_ascii(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string lower_ascii(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

void need_args(Args a, size_t n) {
  if (a.size() < n) throw ScriptError(kArgumentNotOptional);
}

}  // namespace

// ---- collections ----

HostCollection::HostCollection(Pairs items, Text raw) : items_(std::move(items)), raw_(std::move(raw)) {
  define(
      u"Item",
      [this](int, Args a) -> Variant {
        if (a.empty() || a[0].is_missing()) return raw_;
        if (a[0].is_numeric_type()) {
          auto k = keys();
          int32_t i = a[0].to_i32();
          if (i < 1 || static_cast<size_t>(i) > k.size()) throw ScriptError(kSubscriptOutOfRange);
          return lookup(k[static_cast<size_t>(i - 1)]);
        }
        return lookup(a[0].to_text());
      },
      true);
  define(u"Count", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(keys().size())); });
  define(u"Key", [this](int, Args a) -> Variant {
    need_args(a, 1);
    auto k = keys();
    int32_t i = a[0].to_i32();
    if (i < 1 || static_cast<size_t>(i) > k.size()) throw ScriptError(kSubscriptOutOfRange);
    return k[static_cast<size_t>(i - 1)];
  });
}

std::vector<Text> HostCollection::keys() const {
  std::vector<Text> out;
  // A plain reference, not a structured binding: clang 14 cannot capture one.
  for (const auto& item : items_) {
    const Text& k = item.first;
    if (std::none_of(out.begin(), out.end(), [&](const Text& x) { return iequals_ascii(x, k); })) out.push_back(k);
  }
  return out;
}

Variant HostCollection::lookup(TextView key) const {
  Text joined;
  bool found = false;
  for (const auto& [k, v] : items_) {
    if (!iequals_ascii(k, key)) continue;
    if (found) joined += u", ";
    joined += v;
    found = true;
  }
  return found ? Variant(joined) : Variant();
}

VariantArray HostCollection::enumerate() {
  VariantArray out;
  for (Text& k : keys()) out.emplace_back(std::move(k));
  return out;
}

// ---- request ----

std::string RequestInfo::header(std::string_view name) const {
  for (const auto& [k, v] : headers)
    if (iequals(k, name)) return v;
  return {};
}

namespace {
RequestInfo with_body(RequestInfo info) {
  if (!info.body) info.body = std::make_shared<BodySpool>();
  return info;
}
}  // namespace

HostRequest::HostRequest(RequestInfo info, const CodePage& cp)
    : info_(with_body(std::move(info))), cp_(cp), cursor_(*info_.body) {
  query_ = std::make_shared<HostCollection>(parse_url_pairs(info_.query, cp_), cp_.decode(info_.query));
  std::string cookie_header = info_.header("Cookie");
  cookies_ = std::make_shared<HostCollection>(parse_cookie_header(cookie_header, cp_), cp_.decode(cookie_header));

  std::string host = info_.header("Host");
  std::string server_name = host.empty() ? info_.local_addr : host;
  if (!server_name.empty() && server_name[0] == '[') {
    server_name = server_name.substr(0, server_name.find(']') + 1);
  } else if (auto colon = server_name.rfind(':'); colon != std::string::npos) {
    server_name.resize(colon);
  }
  std::string length = std::to_string(info_.body->size());
  std::string all_http, all_raw;
  for (const auto& [k, v] : info_.headers) {
    std::string name = upper_ascii(k);
    std::replace(name.begin(), name.end(), '-', '_');
    all_http += "HTTP_" + name + ":" + v + "\n";
    all_raw += k + ": " + v + "\n";
  }
  std::vector<std::pair<std::string, std::string>> vars = {
      {"ALL_HTTP", all_http},
      {"ALL_RAW", all_raw},
      {"CONTENT_LENGTH", length},
      {"CONTENT_TYPE", info_.header("Content-Type")},
      {"GATEWAY_INTERFACE", "CGI/1.1"},
      {"HTTPS", info_.secure ? "on" : "off"},
      {"LOCAL_ADDR", info_.local_addr},
      {"PATH_INFO", info_.url_path},
      {"PATH_TRANSLATED", info_.physical_path},
      {"QUERY_STRING", info_.query},
      {"REMOTE_ADDR", info_.remote_addr},
      {"REMOTE_HOST", info_.remote_addr},
      {"REMOTE_PORT", std::to_string(info_.remote_port)},
      {"REQUEST_METHOD", info_.method},
      {"SCRIPT_NAME", info_.url_path},
      {"SERVER_NAME", server_name},
      {"SERVER_PORT", std::to_string(info_.local_port)},
      {"SERVER_PORT_SECURE", info_.secure ? "1" : "0"},
      {"SERVER_PROTOCOL", info_.http_version},
      {"SERVER_SOFTWARE", "Brevane/3.5.1"},
      {"URL", info_.url_path},
  };
  Pairs var_pairs;
  for (auto& [k, v] : vars) var_pairs.emplace_back(from_utf8(k), cp_.decode(v));
  for (const auto& [k, v] : info_.headers) {
    std::string name = "HTTP_" + upper_ascii(k);
    std::replace(name.begin(), name.end(), '-', '_');
    var_pairs.emplace_back(from_utf8(name), cp_.decode(v));
  }
  variables_ = std::make_shared<HostCollection>(std::move(var_pairs), Text());

  define(u"TotalBytes", [this](int, Args) -> Variant {
    uint64_t n = info_.body->size();
    if (n > static_cast<uint64_t>(INT32_MAX)) throw ScriptError(kOverflow);
    return Variant(static_cast<int32_t>(n));
  });
  define(u"BinaryRead", [this](int, Args a) -> Variant {
    need_args(a, 1);
    int32_t want = a[0].to_i32();
    if (want < 0) throw ScriptError(kInvalidCall);
    std::string chunk = cursor_.next(static_cast<size_t>(want));
    a[0] = Variant(static_cast<int32_t>(chunk.size()));
    return Variant(Bytes(chunk.begin(), chunk.end()));
  });
  define(u"ServerVariables", [this](int, Args a) -> Variant {
    if (a.empty() || a[0].is_missing()) return Variant(std::static_pointer_cast<Object>(variables_));
    return server_variable(a[0].to_text());
  });
  define(u"QueryString", [this](int, Args a) -> Variant { return collection_call(query_, a); });
  define(u"Form", [this](int, Args a) -> Variant { return collection_call(form(), a); });
  define(u"Cookies", [this](int, Args a) -> Variant { return collection_call(cookies_, a); });
  define(
      u"Item",
      [this](int, Args a) -> Variant {
        need_args(a, 1);
        Text key = a[0].to_text();
        for (const auto& c : {query_, form(), cookies_}) {
          Variant v = c->lookup(key);
          if (!v.is_empty()) return v;
        }
        return variables_->lookup(key);
      },
      true);
}

std::unique_ptr<upload::BodyIntake> HostRequest::take_body(uint64_t expected) {
  if (cursor_.position() != 0 || info_.body->size() != expected) return nullptr;
  std::unique_ptr<upload::BodyIntake> body = info_.body->take_intake();
  if (body) cursor_.skip_to_end();
  return body;
}

Text HostRequest::server_variable(TextView name) const {
  Variant v = variables_->lookup(name);
  return v.is_empty() ? Text() : v.text();
}

std::shared_ptr<HostCollection> HostRequest::form() {
  if (form_) return form_;
  std::string type = lower_ascii(info_.header("Content-Type"));
  std::string raw;
  if (type.starts_with("application/x-www-form-urlencoded") && info_.body->size() <= kMaxFormBody)
    raw = info_.body->read_all();
  form_ = std::make_shared<HostCollection>(parse_url_pairs(raw, cp_), cp_.decode(raw));
  return form_;
}

Variant HostRequest::collection_call(const std::shared_ptr<HostCollection>& c, Args a) {
  if (a.empty() || a[0].is_missing()) return Variant(std::static_pointer_cast<Object>(c));
  if (a[0].is_numeric_type()) return c->invoke(kDispIdValue, kGet, a);
  Variant v = c->lookup(a[0].to_text());
  return v.is_empty() ? Variant(Text()) : v;
}

// ---- response ----

std::string http_date(std::time_t t) {
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, "%a, %d %b %Y %H:%M:%S GMT", &tm);
  return buf;
}

std::time_t time_from_ole_date(double d) {
  // The date's fields as if UTC, then read back as local time.
  auto secs = static_cast<std::time_t>(std::llround((d - 25569.0) * 86400.0));
  std::tm tm{};
  gmtime_r(&secs, &tm);
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

HostResponse::HostResponse(const CodePage& cp) : cp_(cp) {
  define(u"Write", [this](int, Args a) -> Variant {
    need_args(a, 1);
    Variant v = a[0].value();
    if (!v.is_null()) write_bytes(cp_.encode(v.to_text()));
    return {};
  });
  define(u"BinaryWrite", [this](int, Args a) -> Variant {
    need_args(a, 1);
    Variant v = a[0].value();
    if (v.type() == VarType::ByteArray) {
      const Bytes& b = v.bytes();
      write_bytes(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
    } else if (!v.is_empty() && !v.is_null()) {
      write_bytes(cp_.encode(v.to_text()));
    }
    return {};
  });
  define(u"End", [this](int, Args) -> Variant {
    ended_ = true;
    return {};
  });
  define(u"Clear", [this](int, Args) -> Variant {
    if (!ended_) body_.resize(flushed_);
    return {};
  });
  define(u"Flush", [this](int, Args) -> Variant {
    flushed_ = body_.size();
    return {};
  });
  define(u"Redirect", [this](int, Args a) -> Variant {
    need_args(a, 1);
    if (ended_) return {};
    std::string url = cp_.encode(a[0].to_text());
    status_ = 302;
    reason_ = "Object moved";
    headers_.emplace_back("Location", url);
    body_ = "<head><title>Object moved</title></head><body><h1>Object Moved</h1>This object may be found <a HREF=\"" +
            html_escape(url) + "\">here</a>.</body>";
    flushed_ = 0;
    file_.reset();
    stream_ = nullptr;
    ended_ = true;
    return {};
  });
  define(u"AddHeader", [this](int, Args a) -> Variant {
    need_args(a, 2);
    add_header(cp_.encode(a[0].to_text()), cp_.encode(a[1].to_text()));
    return {};
  });
  auto text_property = [this](std::string* field) {
    return [this, field](int kind, Args a) -> Variant {
      if (kind & (kPut | kPutRef)) {
        need_args(a, 1);
        *field = cp_.encode(a.back().to_text());
        return {};
      }
      return cp_.decode(*field);
    };
  };
  define(u"ContentType", text_property(&content_type_));
  define(u"CharSet", text_property(&charset_));
  define(u"CacheControl", text_property(&cache_control_));
  define(u"Buffer", [this](int kind, Args a) -> Variant {
    if (kind & kPut) {
      need_args(a, 1);
      buffer_ = a.back().to_bool();
      return {};
    }
    return Variant(buffer_);
  });
  define(u"Status", [this](int kind, Args a) -> Variant {
    if (kind & kPut) {
      need_args(a, 1);
      set_status(cp_.encode(a.back().to_text()));
      return {};
    }
    return from_utf8(std::to_string(status_) + " " + reason_);
  });
  define(u"Expires", [this](int kind, Args a) -> Variant {
    if (kind & kPut) {
      need_args(a, 1);
      expires_ = http_date(std::time(nullptr) + static_cast<std::time_t>(a.back().to_i32()) * 60);
      return {};
    }
    return {};
  });
  define(u"ExpiresAbsolute", [this](int kind, Args a) -> Variant {
    if (kind & kPut) {
      need_args(a, 1);
      expires_ = http_date(time_from_ole_date(a.back().to_date()));
      return {};
    }
    return {};
  });
  // TransmitFile(path): the body becomes the file at the physical path,
  // streamed from disk when the page is done; what was buffered is dropped.
  define(u"TransmitFile", [this](int, Args a) -> Variant {
    need_args(a, 1);
    if (ended_) return {};
    std::optional<std::string> native = brevane::fs::native_path(a[0].to_text());
    std::shared_ptr<const FileBody> file = native ? FileBody::open(*native) : nullptr;
    if (!file) throw ScriptError(kFileNotFound);
    file_ = std::move(file);
    stream_ = nullptr;
    body_.clear();
    flushed_ = 0;
    return {};
  });
  define(u"IsClientConnected", [](int, Args) -> Variant { return Variant(true); });
}

void HostResponse::write_bytes(std::string_view bytes) {
  if (!ended_ && !file_ && !stream_) body_.append(bytes);
}

void HostResponse::stream_body(StreamBody body) {
  if (ended_) return;
  stream_ = std::move(body);
  file_.reset();
  body_.clear();
  flushed_ = 0;
}

void HostResponse::add_header(std::string name, std::string value) {
  // A header cannot carry a line break; one in a value would start a header
  // the page never meant to send.
  auto strip = [](std::string& s) { std::erase_if(s, [](char c) { return c == '\r' || c == '\n'; }); };
  strip(name);
  strip(value);
  headers_.emplace_back(std::move(name), std::move(value));
}

void HostResponse::set_status(const std::string& line) {
  size_t i = 0;
  int code = 0;
  while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) code = code * 10 + (line[i++] - '0');
  if (code < 100 || code > 999 || i != 3) throw ScriptError(kInvalidCall);
  status_ = code;
  reason_ = line.size() > 4 ? line.substr(4) : "";
}

ResponseOut HostResponse::finish() const {
  ResponseOut out;
  out.status = status_;
  out.reason = reason_;
  std::string type = content_type_.empty() ? "text/html" : content_type_;
  if (!charset_.empty()) type += "; Charset=" + charset_;
  out.headers.emplace_back("Content-Type", type);
  if (!expires_.empty()) out.headers.emplace_back("Expires", expires_);
  out.headers.emplace_back("Cache-Control", cache_control_.empty() ? "private" : cache_control_);
  for (const auto& h : headers_) out.headers.push_back(h);
  for (auto& [k, v] : out.headers) std::erase_if(v, [](char c) { return c == '\r' || c == '\n'; });
  out.body = body_;
  out.file = file_;
  out.stream = stream_;
  return out;
}

// ---- server ----

HostServer::HostServer(const SiteMap& site, std::string page_url, const CodePage& cp)
    : site_(site), page_url_(std::move(page_url)), cp_(cp) {
  define(u"MapPath", [this](int, Args a) -> Variant {
    need_args(a, 1);
    return site_.map_path(a[0].to_text(), page_url_);
  });
  define(u"URLEncode", [this](int, Args a) -> Variant {
    need_args(a, 1);
    return url_encode(a[0].to_text(), cp_);
  });
  define(u"HTMLEncode", [this](int, Args a) -> Variant {
    need_args(a, 1);
    return cp_.decode(html_escape(cp_.encode(a[0].to_text())));
  });
  define(u"CreateObject", [](int, Args a) -> Variant {
    need_args(a, 1);
    return Variant(create_object(a[0].to_text()));
  });
  define(u"ScriptTimeout", [this](int kind, Args a) -> Variant {
    if (kind & kPut) {
      need_args(a, 1);
      script_timeout_ = a.back().to_i32();
      return {};
    }
    return Variant(script_timeout_);
  });
}

}  // namespace brevane::host
