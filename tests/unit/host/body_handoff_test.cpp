// A body received by the host goes to the upload parser without a second
// copy, its large parts in files of their own: what the page reads and
// saves must be the bytes that were sent, whichever way the host stored them.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/registry.h"
#include "frame/host.h"
#include "host/page_objects.h"
#include "kit/hostkit.h"
#include "kit/scratch.h"

namespace brevane::host {
namespace {

namespace stdfs = std::filesystem;

std::string pattern(size_t n, unsigned seed, int span = 256, char first = 0) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(first + (i * 131 + (i >> 11) + seed) % span);
  return s;
}

class BodyHandoff : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_ = stdfs::temp_directory_path() / ("brevane-handoff-" + std::to_string(::getpid()));
    stdfs::create_directories(temp_);
  }
  void TearDown() override { stdfs::remove_all(temp_); }

  // The body as the host receives it: in pieces of `piece` bytes.
  std::shared_ptr<HostRequest> receive(const kit::MultipartBody& body, size_t piece = 4096) {
    std::string bytes = body.str();
    auto spool =
        std::make_shared<BodySpool>(1 << 16, temp_.string(), "multipart/form-data; boundary=" + body.boundary());
    for (size_t i = 0; i < bytes.size(); i += piece) spool->append(bytes.data() + i, std::min(piece, bytes.size() - i));
    RequestInfo info;
    info.method = "POST";
    info.headers = {{"Content-Type", "multipart/form-data; boundary=" + body.boundary()}};
    info.body = spool;
    static const CodePage cp(936);
    return std::make_shared<HostRequest>(std::move(info), cp);
  }

  // Files in the temporary folder, named or still open (nameless).
  size_t temp_files() const {
    size_t n = static_cast<size_t>(std::distance(stdfs::directory_iterator(temp_), stdfs::directory_iterator()));
    for (const auto& fd : stdfs::directory_iterator("/proc/self/fd")) {
      std::error_code ec;
      n += stdfs::read_symlink(fd.path(), ec).string().starts_with(temp_.string());
    }
    return n;
  }

  stdfs::path temp_;
};

TEST_F(BodyHandoff, PartsSavedWholeAreTheSentBytesAndTheBodyCountsAsRead) {
  const std::string big = pattern(3u << 20, 1), medium = pattern((1u << 20) + 7, 2),
                    big_field = pattern(2u << 20, 3, 26, 'a');
  kit::MultipartBody body;
  // A field named like a file part, larger than what the host keeps in line.
  body.field("title", "标题").file("f1", "big.bin", big).field("filename", big_field).file("f2", "m.dat", medium);
  for (size_t piece : {size_t{509}, size_t{1} << 20}) {
    SCOPED_TRACE(piece);
    auto request = receive(body, piece);
    Variant req(std::static_pointer_cast<Object>(request));
    const int32_t total = RequestRef(req).total_bytes();
    {
      Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
      call(p, u"GetData", {req});
      ASSERT_EQ(get(p, u"ErrorID").to_i32(), 0);
      EXPECT_EQ(call(p, u"Forms", {Variant(u"filename")}).to_text(), Text(big_field.begin(), big_field.end()));
      // The host's request reads as it does after the parser's own reading.
      int32_t count = 100;
      EXPECT_TRUE(RequestRef(req).binary_read(count).bytes().empty());  // a fresh value, checked at once
      EXPECT_EQ(count, 0);
      EXPECT_EQ(RequestRef(req).total_bytes(), total);

      kit::ScratchFolder dir;
      Variant server(kit::var(kit::FakeServer::make()));
      for (auto name : {u"f1", u"f2"}) {
        Variant item = call(p, u"Files", {Variant(name)});
        ASSERT_TRUE(call(item, u"SavetoFile", {server, Variant(dir.physical()), Variant(1), Variant(false)}).to_bool());
        // Saved again: under a new name (not replacing), then over the first.
        ASSERT_TRUE(call(item, u"SavetoFile", {server, Variant(dir.physical()), Variant(1), Variant(false)}).to_bool());
        ASSERT_TRUE(call(item, u"SavetoFile", {server, Variant(dir.physical()), Variant(1), Variant(true)}).to_bool());
      }
      EXPECT_EQ(call(call(p, u"Files", {Variant(u"f1")}), u"GetBytes").bytes().size(), big.size());
      for (auto [name, data] :
           {std::pair{"big.bin", &big}, {"big(0).bin", &big}, {"m.dat", &medium}, {"m(0).dat", &medium}}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(dir.read(name) == *data);
      }
    }
    // Nothing of the body is left once the request and the parser are gone.
    request.reset();
    req = Variant();
    EXPECT_EQ(temp_files(), 0u);
  }
}

TEST_F(BodyHandoff, APageThatReadsFirstKeepsReadingItself) {
  const std::string big = pattern(2u << 20, 4);
  kit::MultipartBody body;
  body.file("f", "a.bin", big);
  auto request = receive(body);
  Variant req(std::static_pointer_cast<Object>(request));
  int32_t count = 10;
  Variant head = RequestRef(req).binary_read(count);
  EXPECT_EQ(std::string(head.bytes().begin(), head.bytes().end()), body.str().substr(0, 10));
  EXPECT_EQ(request->take_body(static_cast<uint64_t>(RequestRef(req).total_bytes())), nullptr);
  // What BinaryRead hands out is the body as sent, across the part's own file.
  std::string rest;
  for (;;) {
    count = 1 << 20;
    Variant chunk = RequestRef(req).binary_read(count);
    if (chunk.bytes().empty()) break;
    rest.append(chunk.bytes().begin(), chunk.bytes().end());
  }
  EXPECT_TRUE(rest == body.str().substr(10));
}

}  // namespace
}  // namespace brevane::host
