#include "host/http_host.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <thread>

#include "frame/host.h"
#include "frame/page_context.h"

namespace brevane::host {
namespace {

// A real host on a loopback port with a few pages, talked to over HTTP.
class HttpHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("brevane-host-test-" + std::to_string(::getpid()));
    fs::create_directories(root_ / "Comm" / "Image");
    fs::create_directories(root_ / "data");
    std::ofstream(root_ / "Comm" / "Image" / "Dot.asp", std::ios::binary) << std::string("\x89PNG\r\n\x1a\nrest", 12);
    std::ofstream(root_ / "Comm" / "page.asp") << "<% script %>";
    std::ofstream(root_ / "data" / "vote.asp") << "SQLite format 3";
    std::ofstream(root_ / "hello.txt") << "hello";

    PageRegistry pages;
    pages.add("/echo.asp", [](Page& p) {
      RequestRef r(p.request());
      int32_t total = r.total_bytes();
      std::string body;
      for (;;) {
        int32_t count = 1000;
        Variant chunk = r.binary_read(count);
        if (count == 0) break;
        body.append(chunk.bytes().begin(), chunk.bytes().end());
      }
      ResponseRef(p.response()).set(u"ContentType", Variant(Text(u"application/octet-stream")));
      ResponseRef(p.response()).binary_write(Variant(Bytes(body.begin(), body.end())));
      EXPECT_EQ(static_cast<size_t>(total), body.size());
    });
    // A body made while it is sent: three pieces, or one and a failure.
    pages.add("/stream.asp", [](Page& p) {
      p.write(u"dropped");
      ResponseRef(p.response()).add_header(u"Content-Length", u"7");
      p.response_object.stream_body(
          [fail = !RequestRef(p.request()).query_string(u"fail").empty()](const BodyWriter& write) {
            std::string piece(100000, 'z');
            for (int i = 0; i < 3; ++i) {
              if (!write(piece.data(), piece.size())) return false;
              if (fail) return false;
            }
            return true;
          });
    });
    pages.add("/fail.asp", [](Page& p) {
      p.write(u"before ");
      throw ScriptError(13, u"Type mismatch: <b>");
    });
    pages.add("/count.asp", [](Page& p) {
      StoreRef s(p.session());
      int32_t n = s.get(u"n").is_empty() ? 0 : s.get(u"n").to_i32();
      s.set(u"n", Variant(n + 1));
      p.write(T(std::to_string(n + 1)));
    });
    pages.add("/context.asp", [](Page& p) {
      const PageContext* c = current_page();
      p.write(c && c->request.is_object() && &c->response.object() != nullptr ? u"yes" : u"no");
    });
    pages.add("/upload/index.asp", [](Page& p) { p.write(u"upload index"); });
    // Holds its worker until the test opens the gate.
    pages.add("/wait.asp", [this](Page& p) {
      ++entered_;
      std::lock_guard<std::mutex> pass(gate_);
      p.write(u"waited");
    });

    HostConfig config;
    config.site.root = root_;
    config.port = 0;
    config.spool_memory_limit = 64;  // every sizeable body goes through the file
    config.log = log_ = std::tmpfile();
    config.workers = workers_;
    host_ = std::make_unique<HttpHost>(config, std::move(pages));
    port_ = host_->bind();
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { host_->serve(); });
    host_->wait_until_ready();
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
  }

  void TearDown() override {
    host_->stop();
    thread_.join();
    std::fclose(log_);
    fs::remove_all(root_);
  }

  // The host logs once the response is on its way, so the line may trail
  // the client's receipt by a moment.
  std::string log_text(size_t lines = 1) {
    for (int i = 0; i < 200; ++i) {
      std::string s = read_log();
      if (static_cast<size_t>(std::count(s.begin(), s.end(), '\n')) >= lines) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return read_log();
  }

  std::string read_log() {
    std::fflush(log_);
    std::rewind(log_);
    std::string s;
    for (int c; (c = std::fgetc(log_)) != EOF;) s.push_back(static_cast<char>(c));
    return s;
  }

  fs::path root_;
  size_t workers_ = 512;
  std::mutex gate_;
  std::atomic<int> entered_ = 0;
  std::FILE* log_ = nullptr;
  std::unique_ptr<HttpHost> host_;
  int port_ = 0;
  std::thread thread_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(HttpHostTest, MultipartBodiesReachBinaryReadByteForByte) {
  std::string body = "--XyZ\r\nContent-Disposition: form-data; name=\"f\"; filename=\"a.bin\"\r\n\r\n";
  for (int i = 0; i < 5000; ++i) body.push_back(static_cast<char>(i * 7));
  body += "\r\n--XyZ--\r\n";
  auto res = client_->Post("/echo.asp", body, "multipart/form-data; boundary=XyZ");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->body, body);
}

TEST_F(HttpHostTest, StreamedBodiesGoInChunksAndAFailureCutsThemShort) {
  auto res = client_->Get("/stream.asp");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->get_header_value("Transfer-Encoding"), "chunked");
  EXPECT_FALSE(res->has_header("Content-Length"));
  EXPECT_EQ(res->body, std::string(300000, 'z'));
  // Cut short: the client must not take it for a whole answer.
  EXPECT_FALSE(client_->Get("/stream.asp?fail=1"));
}

TEST_F(HttpHostTest, ScriptErrorAnswers500WithNumberAndDescription) {
  auto res = client_->Get("/fail.asp");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 500);
  EXPECT_NE(res->body.find("Error 13: Type mismatch: &lt;b&gt;"), std::string::npos) << res->body;
  EXPECT_NE(res->body.find("800a000d"), std::string::npos);
  EXPECT_NE(log_text().find("GET /fail.asp 500"), std::string::npos);
}

TEST_F(HttpHostTest, OneLogLinePerRequest) {
  client_->Get("/hello.txt");
  client_->Get("/missing.txt");
  std::string log = log_text(2);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
  EXPECT_NE(log.find("GET /hello.txt 200 5 "), std::string::npos) << log;
  EXPECT_NE(log.find("GET /missing.txt 404"), std::string::npos) << log;
}

TEST_F(HttpHostTest, StaticFilesMatchWithoutRegardToCase) {
  auto res = client_->Get("/comm/image/dot.asp");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->get_header_value("Content-Type"), "image/png");
  EXPECT_EQ(res->body.size(), 12u);
}

TEST_F(HttpHostTest, ScriptsAndTheDataFolderAreNeverServedAsFiles) {
  for (const char* path : {"/Comm/page.asp", "/data/vote.asp", "/DATA/vote.asp", "/../hello.txt"}) {
    auto res = client_->Get(path);
    ASSERT_TRUE(res) << path;
    EXPECT_GE(res->status, 400) << path;
    EXPECT_EQ(res->body.find("SQLite"), std::string::npos) << path;
  }
}

TEST_F(HttpHostTest, FolderRequestsFindTheirIndexPage) {
  auto res = client_->Get("/upload/");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, "upload index");
  res = client_->Get("/upload");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 301);
  EXPECT_EQ(res->get_header_value("Location"), "/upload/");
}

TEST_F(HttpHostTest, SessionFollowsItsCookie) {
  auto first = client_->Get("/count.asp");
  ASSERT_TRUE(first);
  std::string cookie = first->get_header_value("Set-Cookie");
  ASSERT_FALSE(cookie.empty());
  cookie.resize(cookie.find(';'));
  auto second = client_->Get("/count.asp", {{"Cookie", cookie}});
  ASSERT_TRUE(second);
  EXPECT_EQ(second->body, "2");
  EXPECT_EQ(client_->Get("/count.asp")->body, "1");
}

TEST_F(HttpHostTest, ThePageContextIsSetWhileAPageRuns) {
  EXPECT_EQ(current_page(), nullptr);
  EXPECT_EQ(client_->Get("/context.asp")->body, "yes");
}

// The fewest workers a host keeps.
constexpr int kFewestWorkers = 8;

class HttpHostFewWorkersTest : public HttpHostTest {
 protected:
  HttpHostFewWorkersTest() { workers_ = kFewestWorkers; }
};

TEST_F(HttpHostFewWorkersTest, ARequestThatArrivedBeforeTheStopSignalIsStillAnswered) {
  // Every worker is held by a page...
  constexpr int kWorkers = kFewestWorkers;
  std::unique_lock<std::mutex> gate(gate_);
  std::vector<std::thread> holders;
  for (int i = 0; i < kWorkers; ++i)
    holders.emplace_back([this] {
      auto r = httplib::Client("127.0.0.1", port_).Get("/wait.asp");
      EXPECT_TRUE(r && r->body == "waited");
    });
  while (entered_ < kWorkers) std::this_thread::sleep_for(std::chrono::milliseconds(5));

  // ...while one more request arrives whole...
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port_));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  const std::string request = "GET /hello.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
  ASSERT_EQ(::send(fd, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  // ...then the host is told to stop, and only then does a worker come free.
  host_->stop();
  gate.unlock();
  for (std::thread& t : holders) t.join();

  std::string answer;
  char buf[4096];
  for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;) answer.append(buf, static_cast<size_t>(n));
  ::close(fd);
  EXPECT_TRUE(answer.starts_with("HTTP/1.1 200")) << answer;
  EXPECT_TRUE(answer.ends_with("hello")) << answer;
}

}  // namespace
}  // namespace brevane::host
