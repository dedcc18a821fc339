#include "host/page_objects.h"

#include <gtest/gtest.h>

#include "frame/host.h"

namespace brevane::host {
namespace {

const CodePage& gbk() {
  static const CodePage cp(936);
  return cp;
}

std::shared_ptr<HostRequest> make_request(RequestInfo info, std::string body = {}) {
  auto spool = std::make_shared<BodySpool>(8);
  spool->append(body.data(), body.size());
  info.body = spool;
  return std::make_shared<HostRequest>(std::move(info), gbk());
}

Variant var(const ObjectPtr& o) { return Variant(o); }

// ---- collections ----

TEST(RequestCollections, RepeatedKeysJoinWithCommaSpaceInArrivalOrder) {
  RequestInfo info;
  info.query = "tag=a&Other=1&TAG=b&tag=%C4%E3";
  RequestRef r(var(make_request(info)));
  EXPECT_EQ(r.query_string(u"tag"), u"a, b, 你");
  EXPECT_EQ(r.query_string(u"absent"), u"");
  VariantArray keys = r.query_string_collection().object()->enumerate();
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].text(), u"tag");
  EXPECT_EQ(keys[1].text(), u"Other");
  EXPECT_EQ(r.query_string_collection().value().to_text(), u"tag=a&Other=1&TAG=b&tag=%C4%E3");
}

TEST(RequestCollections, FormIsParsedOnlyFromUrlEncodedBodies) {
  RequestInfo info;
  info.method = "POST";
  info.headers = {{"Content-Type", "application/x-www-form-urlencoded; charset=gbk"}};
  EXPECT_EQ(RequestRef(var(make_request(info, "title=%C9%CF&memo=m"))).form(u"title"), u"上");
  info.headers = {{"Content-Type", "multipart/form-data; boundary=x"}};
  EXPECT_EQ(RequestRef(var(make_request(info, "title=x"))).form(u"title"), u"");
}

TEST(RequestItem, LooksInQueryFormCookiesThenServerVariables) {
  RequestInfo info;
  info.method = "POST";
  info.query = "a=query";
  info.headers = {{"Content-Type", "application/x-www-form-urlencoded"}, {"Cookie", "a=cookie; b=cookie; c=cookie"}};
  RequestRef r(var(make_request(info, "a=form&b=form")));
  EXPECT_EQ(r.item(u"a").to_text(), u"query");
  EXPECT_EQ(r.item(u"b").to_text(), u"form");
  EXPECT_EQ(r.item(u"c").to_text(), u"cookie");
  EXPECT_EQ(r.item(u"request_method").to_text(), u"POST");
  EXPECT_TRUE(r.item(u"nowhere").is_empty());
}

// ---- server variables ----

TEST(ServerVariables, NamesWithoutRegardToCase) {
  RequestInfo info;
  info.method = "POST";
  info.url_path = "/upload/save.asp";
  info.query = "x=1";
  info.headers = {{"Host", "example.test:8080"},
                  {"Content-Type", "multipart/form-data; boundary=b"},
                  {"Referer", "http://example.test:8080/upload/"},
                  {"X-Forwarded-For", "10.0.0.1"},
                  {"User-Agent", "UA"}};
  info.remote_addr = "127.0.0.2";
  info.local_addr = "127.0.0.1";
  info.local_port = 8080;
  RequestRef r(var(make_request(info, "12345")));
  struct Case {
    const char16_t* name;
    const char16_t* value;
  } cases[] = {
      {u"REQUEST_METHOD", u"POST"},
      {u"http_content_type", u"multipart/form-data; boundary=b"},
      {u"CONTENT_LENGTH", u"5"},
      {u"server_name", u"example.test"},
      {u"SERVER_PORT", u"8080"},
      {u"local_addr", u"127.0.0.1"},
      {u"Remote_Addr", u"127.0.0.2"},
      {u"Http_X_Forwarded_For", u"10.0.0.1"},
      {u"http_referer", u"http://example.test:8080/upload/"},
      {u"HTTP_USER_AGENT", u"UA"},
      {u"path_Info", u"/upload/save.asp"},
      {u"URL", u"/upload/save.asp"},
      {u"QUERY_STRING", u"x=1"},
      {u"HTTP_HOST", u"example.test:8080"},
      {u"HTTP_NOT_SENT", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(r.server_variables(c.name), c.value) << to_utf8(c.name);
  EXPECT_FALSE(r.server_variables(u"SERVER_SOFTWARE").empty());
  EXPECT_EQ(r.server_variables(u"HTTPS"), u"off");
  info.secure = true;  // pages build their own absolute links from these
  RequestRef secure(var(make_request(info, "")));
  EXPECT_EQ(secure.server_variables(u"HTTPS"), u"on");
  EXPECT_EQ(secure.server_variables(u"SERVER_PORT_SECURE"), u"1");
}

// ---- body ----

TEST(BinaryRead, ContinuesWhereTheLastReadStoppedAndReportsTheCount) {
  std::string body(100, 'x');
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i);
  RequestRef r(var(make_request({}, body)));
  EXPECT_EQ(r.total_bytes(), 100);
  std::string got;
  std::vector<int32_t> counts;
  for (int i = 0; i < 4; ++i) {
    int32_t count = 40;
    Variant chunk = r.binary_read(count);
    counts.push_back(count);
    got.append(chunk.bytes().begin(), chunk.bytes().end());
  }
  EXPECT_EQ(counts, (std::vector<int32_t>{40, 40, 20, 0}));
  EXPECT_EQ(got, body);
}

TEST(BinaryRead, NegativeCountIsAnInvalidCall) {
  RequestRef r(var(make_request({}, "abc")));
  int32_t count = -1;
  try {
    r.binary_read(count);
    FAIL();
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), kInvalidCall);
  }
}

// ---- response ----

TEST(Response, WritesInTheCodePageAndDropsOutputAfterEnd) {
  auto resp = std::make_shared<HostResponse>(gbk());
  ResponseRef r(var(resp));
  r.write(u"你");
  r.binary_write(Variant(Bytes{0x00, 0xFF}));
  r.end();
  r.write(u"after");
  r.binary_write(Variant(Bytes{1}));
  EXPECT_TRUE(resp->ended());
  EXPECT_EQ(resp->finish().body, std::string("\xC4\xE3\x00\xFF", 4));
}

TEST(Response, ClearKeepsWhatFlushSent) {
  auto resp = std::make_shared<HostResponse>(gbk());
  ResponseRef r(var(resp));
  r.write(u"sent");
  r.flush();
  r.write(u"dropped");
  r.clear();
  r.write(u"!");
  EXPECT_EQ(resp->finish().body, "sent!");
}

TEST(Response, RedirectSetsLocationAndEnds) {
  auto resp = std::make_shared<HostResponse>(gbk());
  ResponseRef r(var(resp));
  r.write(u"lost");
  r.redirect(u"/index.asp?a=1");
  r.write(u"after");
  ResponseOut out = resp->finish();
  EXPECT_EQ(out.status, 302);
  EXPECT_NE(std::find(out.headers.begin(), out.headers.end(),
                      std::pair<std::string, std::string>("Location", "/index.asp?a=1")),
            out.headers.end());
  EXPECT_EQ(out.body.find("lost"), std::string::npos);
  EXPECT_EQ(out.body.find("after"), std::string::npos);
}

TEST(Response, PropertiesBecomeHeaders) {
  auto resp = std::make_shared<HostResponse>(gbk());
  ResponseRef r(var(resp));
  r.set(u"ContentType", Variant(Text(u"text/plain")));
  r.set(u"CharSet", Variant(Text(u"gb2312")));
  r.set(u"CacheControl", Variant(Text(u"no-cache")));
  r.set(u"Expires", Variant(int32_t{-1}));
  r.add_header(u"X-Evil", u"a\r\nSet-Cookie: x=1");
  r.set(u"Status", Variant(Text(u"404 Not Found")));
  ResponseOut out = resp->finish();
  auto header = [&](const std::string& k) {
    for (auto& [n, v] : out.headers)
      if (n == k) return v;
    return std::string("<none>");
  };
  EXPECT_EQ(out.status, 404);
  EXPECT_EQ(header("Content-Type"), "text/plain; Charset=gb2312");
  EXPECT_EQ(header("Cache-Control"), "no-cache");
  EXPECT_NE(header("Expires"), "<none>");
  EXPECT_EQ(header("X-Evil"), "aSet-Cookie: x=1");
}

TEST(Response, StatusMustStartWithThreeDigits) {
  auto resp = std::make_shared<HostResponse>(gbk());
  EXPECT_THROW(ResponseRef(var(resp)).set(u"Status", Variant(Text(u"ok"))), ScriptError);
}

// ---- server ----

TEST(Server, MapPathIsRelativeToThePageAndUrlEncodeUsesTheCodePage) {
  SiteMap site;
  site.root = "/srv/site";
  ServerRef s(var(std::make_shared<HostServer>(site, "/upload/save.asp", gbk())));
  EXPECT_EQ(s.map_path(u"files/a.txt"), u"C:\\srv\\site\\upload\\files\\a.txt");
  EXPECT_EQ(s.map_path(u"/data\\vote.asp"), u"C:\\srv\\site\\data\\vote.asp");
  EXPECT_THROW(s.map_path(u"../../x"), ScriptError);
  EXPECT_EQ(s.url_encode(u"中 文"), u"%D6%D0+%CE%C4");
}

}  // namespace
}  // namespace brevane::host

namespace brevane::host {
namespace {

TEST(BinaryRead, ARequestWithoutABodyHasNothingToRead) {
  RequestRef r(Variant(ObjectPtr(std::make_shared<HostRequest>(RequestInfo{}, CodePage::ansi()))));
  EXPECT_EQ(r.total_bytes(), 0);
  int32_t count = 10;
  EXPECT_TRUE(r.binary_read(count).bytes().empty());
  EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace brevane::host
