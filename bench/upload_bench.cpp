// The multipart parser on bodies handed over by an in-memory Request through
// GetData in Mode 0, next to a memchr scan of the same buffer in the same
// run. Bytes per second are the body's size over the time of one GetData
// (creating and dropping the parser included).
//
//   build/release/bench/brevane_bench --benchmark_filter=Upload
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "core/registry.h"
#include "kit/hostkit.h"

namespace brevane {
namespace {

// File bytes never hold 0, so the memchr reference runs the whole buffer.
std::string file_data(size_t n, uint64_t seed) {
  std::string s(n, '\0');
  std::mt19937_64 g(seed);
  for (size_t i = 0; i < n; i += 8) {
    uint64_t r = g() | 0x0101010101010101ull;
    std::memcpy(s.data() + i, &r, std::min<size_t>(8, n - i));
  }
  return s;
}

const kit::MultipartBody& big_body() {
  static const kit::MultipartBody body = [] {
    kit::MultipartBody b("----WebKitFormBoundaryq3bXkE0aZ9sTvY1u");
    b.field("title", "holiday").field("memo", "pictures from the trip").field("album", "7");
    b.file("upload", "C:\\Users\\me\\Videos\\trip.mp4", file_data(256u << 20, 1), "video/mp4");
    return b;
  }();
  return body;
}

const kit::MultipartBody& many_body() {
  static const kit::MultipartBody body = [] {
    kit::MultipartBody b("----WebKitFormBoundaryq3bXkE0aZ9sTvY1u");
    std::string kib = file_data(1024, 2), text(64, 't');
    for (int i = 0; i < 1000; ++i) {
      b.field("note" + std::to_string(i), text);
      b.file("pic" + std::to_string(i), "photo" + std::to_string(i) + ".jpg", kib, "image/jpeg");
    }
    return b;
  }();
  return body;
}

long status_kib(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::strlen(key)));
  return -1;
}

// `with_items`: the page then reaches every item (Files("-1")), so their
// script objects are made too.
void run_getdata(benchmark::State& state, const kit::MultipartBody& body, bool with_items = false) {
  auto req = kit::FakeRequest::make();
  body.post(*req);
  const size_t size = body.str().size();
  Variant request = kit::var(req);
  // Peak memory over the runs, the request's own copy of the body included.
  long before = status_kib("VmRSS:");
  std::ofstream("/proc/self/clear_refs") << "5";
  for (auto _ : state) {
    req->rewind();
    Variant parser(create_object(u"Brevane.Zelto_Class_UploadFile"));
    call(parser, u"GetData", {request});
    if (get(parser, u"ErrorID").to_i32() != 0) state.SkipWithError("parse failed");
    if (with_items) benchmark::DoNotOptimize(call(parser, u"Files", {Variant(u"-1")}));
    benchmark::DoNotOptimize(parser);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  state.counters["rss_before_MiB"] = static_cast<double>(before) / 1024;
  state.counters["rss_peak_MiB"] = static_cast<double>(status_kib("VmHWM:")) / 1024;
}

void run_memchr(benchmark::State& state, const kit::MultipartBody& body) {
  const std::string s = body.str();
  for (auto _ : state) benchmark::DoNotOptimize(std::memchr(s.data(), 0, s.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
}

void BM_Upload256MiBFile(benchmark::State& s) { run_getdata(s, big_body()); }
void BM_Upload256MiBFile_memchr(benchmark::State& s) { run_memchr(s, big_body()); }
void BM_Upload1000Files1000Fields(benchmark::State& s) { run_getdata(s, many_body()); }
void BM_Upload1000Files1000Fields_memchr(benchmark::State& s) { run_memchr(s, many_body()); }
void BM_Upload1000Files1000Fields_items(benchmark::State& s) { run_getdata(s, many_body(), true); }

BENCHMARK(BM_Upload256MiBFile_memchr)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Upload256MiBFile)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Upload1000Files1000Fields_memchr)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Upload1000Files1000Fields)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Upload1000Files1000Fields_items)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace brevane
