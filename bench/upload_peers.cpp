// Our multipart parser on a body file, for bench/upload_peers.sh, which runs
// the Node.js parsers on the same file and compares.
//
//   upload_peers write big|many FILE     writes a body, prints its boundary
//   upload_peers run FILE BOUNDARY REPS [host|binaryread]
//
// `run` prints the median MB/s (10^6 bytes) over REPS parses. One parse is
// what a page's GetData costs on that body, the upload object made and
// dropped included:
//  host        the way `brevane serve` hands a body over: the bytes go into
//              a body intake in 64 KiB pieces as they come off the socket
//              (in memory up to 1 MiB, the host's default, then a temporary
//              file; a large file part in a file of its own), and GetData
//              takes the store over;
//  binaryread  the way a page under another web server reads it: GetData
//              pulls the body with Request.BinaryRead into its own store.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/registry.h"
#include "kit/hostkit.h"
#include "upload/body_intake.h"

namespace brevane {
namespace {

constexpr const char* kBoundary = "----WebKitFormBoundaryq3bXkE0aZ9sTvY1u";
constexpr size_t kPiece = 64 << 10;
constexpr uint64_t kHostMemory = 1 << 20;

std::string file_data(size_t n, uint64_t seed) {
  std::string s(n, '\0');
  std::mt19937_64 g(seed);
  for (size_t i = 0; i < n; i += 8) {
    uint64_t r = g();
    std::memcpy(s.data() + i, &r, std::min<size_t>(8, n - i));
  }
  return s;
}

std::string make_body(const std::string& which) {
  kit::MultipartBody b(kBoundary);
  if (which == "big") {
    b.field("title", "holiday").field("memo", "pictures from the trip").field("album", "7");
    b.file("upload", "C:\\Users\\me\\Videos\\trip.mp4", file_data(256u << 20, 1), "video/mp4");
  } else {
    std::string kib = file_data(1024, 2), text(64, 't');
    for (int i = 0; i < 1000; ++i) {
      b.field("note" + std::to_string(i), text);
      b.file("pic" + std::to_string(i), "photo" + std::to_string(i) + ".jpg", kib, "image/jpeg");
    }
  }
  return b.str();
}

// A request that holds its body in an intake filled as the host fills it.
class HostLikeRequest : public kit::FakeRequest, public upload::BodySource {
 public:
  std::unique_ptr<upload::BodyIntake> take_body(uint64_t expected) override {
    if (!intake_ || intake_->size() != expected) return nullptr;
    return std::move(intake_);
  }
  void receive(const std::string& content_type) {
    intake_ = std::make_unique<upload::BodyIntake>(content_type, kHostMemory, std::string());
    const std::string& b = body();
    for (size_t at = 0; at < b.size(); at += kPiece) intake_->append(b.data() + at, std::min(kPiece, b.size() - at));
    intake_->finish();
  }

 private:
  std::unique_ptr<upload::BodyIntake> intake_;
};

int run(const char* path, const std::string& boundary, int reps, bool host) {
  std::ifstream in(path, std::ios::binary);
  std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (body.empty()) {
    std::fprintf(stderr, "cannot read %s\n", path);
    return 1;
  }
  auto req = std::make_shared<HostLikeRequest>();
  req->set_multipart(boundary, std::move(body));
  const std::string content_type = "multipart/form-data; boundary=" + boundary;
  const double size = static_cast<double>(req->body().size());
  Variant request = kit::var(req);
  std::vector<double> rates;
  for (int i = 0; i < reps; ++i) {
    req->rewind();
    auto t0 = std::chrono::steady_clock::now();
    {
      if (host) req->receive(content_type);
      Variant parser(create_object(u"Brevane.Zelto_Class_UploadFile"));
      call(parser, u"GetData", {request});
      if (get(parser, u"ErrorID").to_i32() != 0) {
        std::fprintf(stderr, "parse failed: ErrorID %d\n", get(parser, u"ErrorID").to_i32());
        return 1;
      }
    }
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - t0;
    rates.push_back(size / took.count() / 1e6);
  }
  std::sort(rates.begin(), rates.end());
  std::printf("%.1f\n", rates[rates.size() / 2]);
  return 0;
}

}  // namespace
}  // namespace brevane

int main(int argc, char** argv) {
  std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd == "write" && argc == 4) {
    std::string body = brevane::make_body(argv[2]);
    std::ofstream(argv[3], std::ios::binary).write(body.data(), static_cast<std::streamsize>(body.size()));
    std::printf("%s\n", brevane::kBoundary);
    return 0;
  }
  if (cmd == "run" && (argc == 5 || argc == 6)) {
    std::string path = argc == 6 ? argv[5] : "host";
    return brevane::run(argv[2], argv[3], std::max(1, std::atoi(argv[4])), path == "host");
  }
  std::fprintf(stderr, "usage: %s write big|many FILE | run FILE BOUNDARY REPS [host|binaryread]\n", argv[0]);
  return 2;
}
