#include "transfer/remote.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "check/validators.h"
#include "core/registry.h"
#include "core/script_error.h"
#include "kit/hostkit.h"
#include "kit/tempdrive.h"
#include "platform/regexp.h"

namespace brevane {
namespace {

using kit::FakeServer;
using kit::TempDrive;
using kit::var;

// ---- which addresses may be fetched ----

TEST(FetchAddressPolicy, RangesByPermission) {
  struct Case {
    const char* addr;
    bool plain, loopback_allowed, private_allowed;
  };
  const Case cases[] = {
      {"8.8.8.8", true, true, true},
      {"172.32.0.1", true, true, true},
      {"127.0.0.1", false, true, false},
      {"127.8.9.10", false, true, false},
      {"10.1.2.3", false, false, true},
      {"172.16.0.1", false, false, true},
      {"172.31.255.255", false, false, true},
      {"192.168.1.1", false, false, true},
      {"100.64.0.1", false, false, true},
      {"169.254.169.254", false, false, true},
      {"0.0.0.0", false, false, false},
      {"224.0.0.1", false, false, false},
      {"255.255.255.255", false, false, false},
      {"2001:4860:4860::8888", true, true, true},
      {"::1", false, true, false},
      {"::", false, false, false},
      {"::ffff:127.0.0.1", false, true, false},
      {"::ffff:10.0.0.1", false, false, true},
      {"::ffff:8.8.8.8", true, true, true},
      {"fe80::1", false, false, true},
      {"fd00::1", false, false, true},
      {"ff02::1", false, false, false},
      {"2002:7f00:1::", false, false, false},
  };
  for (const Case& c : cases) {
    uint8_t buf[16];
    bool v6 = std::string_view(c.addr).find(':') != std::string_view::npos;
    ASSERT_EQ(inet_pton(v6 ? AF_INET6 : AF_INET, c.addr, buf), 1) << c.addr;
    size_t len = v6 ? 16 : 4;
    http::FetchLimits plain, lo, priv;
    lo.allow_loopback = true;
    priv.allow_private = true;
    EXPECT_EQ(http::address_allowed(buf, len, plain), c.plain) << c.addr;
    EXPECT_EQ(http::address_allowed(buf, len, lo), c.loopback_allowed) << c.addr;
    EXPECT_EQ(http::address_allowed(buf, len, priv), c.private_allowed) << c.addr;
  }
}

// ---- the address pattern ----

TEST(RemotePictureAddresses, PatternCases) {
  struct Case {
    const char16_t* html;
    std::vector<Text> found;
  };
  const Case cases[] = {
      {u"<p>no pictures <img src='/local/a.gif'></p>", {}},
      {u"<img src=\"http://img.example.com/p/PIC.JPG\">", {u"http://img.example.com/p/PIC.JPG"}},
      // A listed label followed by more host and a path ending in "/" still matches.
      {u"<img src=http://img.example.com.au/pics/a.png >", {u"http://img.example.com.au/pics/a.png"}},
      // Directly under a host whose last label is not listed: no match at all.
      {u"<img src=http://img.example.de/a.png >", {}},
      {u"<img src=http://10.0.0.7:8080/a.bmp >", {u"http://10.0.0.7:8080/a.bmp"}},
      // Back to back: one match running to the last picture name.
      {u"<a href=http://a.com/x/1.gif>http://b.net/y/2.gif</a>", {u"http://a.com/x/1.gif>http://b.net/y/2.gif"}},
      {u"<p>http://a.com/x/1.gif<br>http://b.net/y/2.gif</p>", {u"http://a.com/x/1.gif<br>http://b.net/y/2.gif"}},
      {u"x ftp://files.example.org/a/b.gif y mms:\\\\m.example.tv/c/d.jpg z",
       {u"ftp://files.example.org/a/b.gif", u"mms:\\\\m.example.tv/c/d.jpg"}},
      {u"http://a.cn/1.png http://a.cn/1.png", {u"http://a.cn/1.png", u"http://a.cn/1.png"}},
  };
  for (const Case& c : cases) EXPECT_EQ(remote_picture_addresses(c.html), c.found) << to_utf8(c.html);
}

// ---- fetching against a local server ----

// 1x1 pictures.
const std::string kGif(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00\x00,"
    "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
    43);
const std::string kPng(
    "\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\x00\x00\x00\x01\x00\x00\x00\x01\x08\x06\x00\x00\x00\x1f\x15\xc4\x89\x00\x00"
    "\x00\rIDATx\x9c"
    "c\xf8\x0f\x00\x00\x01\x01\x00\x05\x18\xd8N\x00\x00\x00\x00IEND\xae"
    "B`\x82",
    67);

class PictureServer {
 public:
  PictureServer() {
    s_.Get("/a/one.png", [](const httplib::Request&, httplib::Response& r) { r.set_content(kPng, "image/png"); });
    s_.Get("/b/TWO.GIF", [](const httplib::Request&, httplib::Response& r) { r.set_content(kGif, "image/gif"); });
    s_.Get("/c/page.jpg", [](const httplib::Request&, httplib::Response& r) {
      r.status = 404;
      r.set_content("<html>not found</html>", "text/html");
    });
    s_.Get("/d/big.png", [](const httplib::Request&, httplib::Response& r) {
      r.set_content(kPng + std::string(kRemotePictureMaxBytes, '\0'), "image/png");
    });
    s_.Get("/d/stream.png", [](const httplib::Request&, httplib::Response& r) {
      // No length announced: the limit has to hold while reading.
      r.set_chunked_content_provider("image/png", [](size_t offset, httplib::DataSink& sink) {
        if (offset > kRemotePictureMaxBytes + (1u << 20)) {
          sink.done();
          return true;
        }
        std::string chunk = offset == 0 ? kPng : std::string(1 << 16, '\0');
        return sink.write(chunk.data(), chunk.size());
      });
    });
    s_.Get("/e/away.png",
           [](const httplib::Request&, httplib::Response& r) { r.set_redirect("http://10.255.0.1/x/pic.png"); });
    s_.Get(R"(/f/hop(\d+).png)", [this](const httplib::Request& q, httplib::Response& r) {
      int n = std::stoi(q.matches[1]);
      if (n == 0)
        r.set_content(kPng, "image/png");
      else
        r.set_redirect(base() + "/f/hop" + std::to_string(n - 1) + ".png");
    });
    port_ = s_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { s_.listen_after_bind(); });
    while (!s_.is_running()) std::this_thread::yield();
  }
  ~PictureServer() {
    s_.stop();
    thread_.join();
  }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  Text url(std::string_view path) const { return T(base() + std::string(path)); }

 private:
  httplib::Server s_;
  int port_ = 0;
  std::thread thread_;
};

// Accepts connections and never says a word.
class SilentServer {
 public:
  SilentServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd_, 8);
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
  }
  ~SilentServer() { ::close(fd_); }
  Text url(std::string_view path) const { return T("http://127.0.0.1:" + std::to_string(port_) + std::string(path)); }

 private:
  int fd_ = -1;
  int port_ = 0;
};

class RemoteFetch : public ::testing::Test {
 protected:
  void SetUp() override {
    limits.allow_loopback = true;
    limits.timeout_ms = 800;
    set_remote_fetch_limits_for_testing(&limits);
    drive.mkdir("site/upload/pic");
  }
  void TearDown() override { set_remote_fetch_limits_for_testing(nullptr); }
  std::vector<std::string> saved() const {
    std::vector<std::string> out;
    for (const std::string& p : drive.tree())
      if (p.starts_with("site/upload/pic/") && p != "site/upload/pic/") out.push_back(p);
    return out;
  }

  http::FetchLimits limits{kRemoteFetchTimeoutMs, kRemotePictureMaxBytes, kRemoteMaxRedirects, false, false};
  TempDrive drive;
  Variant server = var(FakeServer::make(drive.path(u"site")));
  PictureServer pictures;
};

TEST_F(RemoteFetch, TwoPicturesAreSavedAndTheHtmlPointsAtThem) {
  Text html =
      u"<p><img src=\"" + pictures.url("/a/one.png") + u"\"> and <img src=\"" + pictures.url("/b/TWO.GIF") + u"\"></p>";
  Text out = CommGetRemotefileUrl(server, html, u"/upload/pic");
  auto m = Regex(u"^<p><img src=\"/upload/pic/(\\d+\\.png)\"> and <img src=\"/upload/pic/(\\d+\\.GIF)\"></p>$")
               .execute(out, false);
  ASSERT_EQ(m.size(), 1u) << to_utf8(out);
  EXPECT_EQ(drive.read("site/upload/pic/" + to_utf8(*m[0].groups[0])), kPng);
  EXPECT_EQ(drive.read("site/upload/pic/" + to_utf8(*m[0].groups[1])), kGif);  // the extension keeps its case
  EXPECT_EQ(saved().size(), 2u);
}

TEST_F(RemoteFetch, RefusedPicturesKeepTheirAddressAndLeaveNothing) {
  SilentServer silent;
  const Text refused[] = {
      pictures.url("/c/page.jpg"),    // an error page, not a picture
      pictures.url("/d/big.png"),     // larger than the limit, length announced
      pictures.url("/d/stream.png"),  // larger than the limit, no length
      pictures.url("/e/away.png"),    // redirects to the local network
      silent.url("/g/never.png"),     // never answers
      u"ftp://127.0.0.1/h/pic.png",   // matched, but not http
  };
  Text html;
  for (const Text& u : refused) html += u"<img src='" + u + u"'> ";
  html += u"<img src='" + pictures.url("/a/one.png") + u"'>";
  Text out = CommGetRemotefileUrl(server, html, u"/upload/pic/");
  for (const Text& u : refused) EXPECT_NE(out.find(u), Text::npos) << to_utf8(u);
  EXPECT_EQ(out.find(pictures.url("/a/one.png")), Text::npos);
  EXPECT_EQ(saved().size(), 1u);  // the one picture, and no partial or temporary file
}

TEST_F(RemoteFetch, EachFailureIsReportedByTheSingleFileFetch) {
  SilentServer silent;
  const Text target = drive.path(u"site\\upload\\pic\\keep.png");
  drive.write("site/upload/pic/keep.png", "old");
  for (const Text& u : {pictures.url("/c/page.jpg"), pictures.url("/d/big.png"), pictures.url("/e/away.png"),
                        silent.url("/x.png"), pictures.url("/f/hop4.png")}) {
    try {
      CommSaveRemoteFile(server, target, u);
      ADD_FAILURE() << "fetched " << to_utf8(u);
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.number(), kRemoteFetchFailed) << to_utf8(u);
    }
    EXPECT_EQ(drive.read("site/upload/pic/keep.png"), "old") << to_utf8(u);
  }
  // Three redirects are followed.
  CommSaveRemoteFile(server, u"/upload/pic/hops.png", pictures.url("/f/hop3.png"));
  EXPECT_EQ(drive.read("site/upload/pic/hops.png"), kPng);
}

TEST_F(RemoteFetch, LoopbackIsRefusedUnlessAllowed) {
  limits.allow_loopback = false;
  set_remote_fetch_limits_for_testing(&limits);
  Text html = u"<img src=" + pictures.url("/a/one.png") + u">";
  EXPECT_EQ(CommGetRemotefileUrl(server, html, u"/upload/pic"), html);
  EXPECT_TRUE(saved().empty());
  // "localhost" is the same machine by another name.
  Text by_name = u"http://localhost" + pictures.url("/a/one.png").substr(16);
  EXPECT_THROW(CommSaveRemoteFile(server, u"/upload/pic/x.png", by_name), ScriptError);
}

TEST_F(RemoteFetch, SavingIntoAMissingFolderIsAnError) {
  try {
    CommGetRemotefileUrl(server, u"<img src=" + pictures.url("/a/one.png") + u">", u"/nowhere");
    ADD_FAILURE() << "no error";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), kRemoteSaveFailed);
  }
}

TEST_F(RemoteFetch, TheRequestObjectIsOfferedByName) {
  EXPECT_TRUE(CommCheckIsObjInstalled(server, u"Microsoft.XMLHTTP"));
  Variant x(create_object(u"Microsoft.XMLHTTP"));
  call(x, u"Open", {Variant(u"Get"), Variant(pictures.url("/b/TWO.GIF")), Variant(false)});
  call(x, u"Send");
  EXPECT_EQ(get(x, u"Status").to_i32(), 200);
  Variant got = get(x, u"ResponseBody");
  const Bytes& body = got.bytes();
  EXPECT_EQ(std::string(body.begin(), body.end()), kGif);
  call(x, u"Open", {Variant(u"GET"), Variant(pictures.url("/e/away.png")), Variant(false)});
  EXPECT_THROW(call(x, u"Send"), ScriptError);
}

}  // namespace
}  // namespace brevane
