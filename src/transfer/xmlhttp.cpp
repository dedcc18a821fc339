// The request object server pages create as "Microsoft.XMLHTTP", on the same
// guarded fetch as the remote picture copies: a page cannot be talked into
// reaching this machine or the local network either.
#include "core/script_error.h"
#include "transfer/remote.h"

namespace brevane {

namespace {

class XmlHttp : public DynamicObject {
 public:
  XmlHttp() {
    define(u"Open", [this](int, Args a) -> Variant {
      if (a.size() < 2) throw ScriptError(kArgumentNotOptional);
      method_ = a[0].to_text();
      url_ = a[1].to_text();
      result_ = {};
      state_ = 1;
      return {};
    });
    define(u"setRequestHeader", [](int, Args) -> Variant { return {}; });
    define(u"Send", [this](int, Args) -> Variant {
      if (state_ == 0) throw ScriptError(kInvalidCall);
      // Only GET: the object exists for fetching resources.
      if (!iequals_ascii(method_, u"GET")) throw ScriptError(kInvalidCall, u"只支持 GET 请求");
      result_ = http::fetch(url_, remote_fetch_limits());
      if (result_.status != http::FetchStatus::Ok) throw ScriptError(kRemoteFetchFailed, u"无法获取远程文件");
      state_ = 4;
      return {};
    });
    define(u"Abort", [this](int, Args) -> Variant {
      state_ = 0;
      return {};
    });
    define(u"ResponseBody",
           [this](int, Args) -> Variant { return Variant(Bytes(result_.body.begin(), result_.body.end())); });
    define(u"ResponseText", [this](int, Args) -> Variant { return Variant(from_utf8(result_.body)); });
    define(u"Status", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(result_.code)); });
    define(u"readyState", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(state_)); });
  }

 private:
  Text method_, url_;
  http::FetchResult result_;
  int state_ = 0;
};

}  // namespace

ObjectPtr make_xmlhttp_object() { return std::make_shared<XmlHttp>(); }

}  // namespace brevane
