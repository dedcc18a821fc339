// MD5 of 1 MiB of ASCII text against OpenSSL's MD5 of the same bytes, in the
// same run. The ratio line is what to read: ours / OpenSSL.
#include <benchmark/benchmark.h>
#include <openssl/md5.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "hash/md5.h"

namespace {

constexpr size_t kSize = 1 << 20;

const brevane::Text& text() {
  static const brevane::Text t = [] {
    brevane::Text s(kSize, u'a');
    for (size_t i = 0; i < kSize; ++i) s[i] = static_cast<char16_t>(u' ' + (i * 7919) % 95);
    return s;
  }();
  return t;
}

const std::string& bytes() {
  static const std::string b(text().begin(), text().end());
  return b;
}

void BM_Md5Text(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(brevane::md5_text(text()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}

void BM_OpenSslMd5(benchmark::State& state) {
  unsigned char out[MD5_DIGEST_LENGTH];
  for (auto _ : state) {
    MD5(reinterpret_cast<const unsigned char*>(bytes().data()), bytes().size(), out);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}

// Interleaved timing of both, so machine noise hits them alike.
void BM_Md5RatioToOpenSsl(benchmark::State& state) {
  double ours = 0, theirs = 0;
  unsigned char out[MD5_DIGEST_LENGTH];
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(brevane::md5_text(text()));
    auto t1 = std::chrono::steady_clock::now();
    MD5(reinterpret_cast<const unsigned char*>(bytes().data()), bytes().size(), out);
    benchmark::DoNotOptimize(out);
    auto t2 = std::chrono::steady_clock::now();
    ours += std::chrono::duration<double>(t1 - t0).count();
    theirs += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters["ratio"] = theirs / ours;  // >= 0.9 is the target
}

BENCHMARK(BM_Md5Text);
BENCHMARK(BM_OpenSslMd5);
BENCHMARK(BM_Md5RatioToOpenSsl);

}  // namespace
