// Throughput of the text routines pages call on whole articles: 1 MiB of
// UTF-16 mixing Chinese and ASCII the way a news page does. Rates are MB/s of
// input (the "MB" counter, per second); "Copy" is the floor any routine
// returning a new string pays.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/codepage.h"
#include "text/encode.h"
#include "text/measure.h"
#include "text/pinyin.h"

namespace brevane {
namespace {

constexpr size_t kUnits = 512 * 1024;  // 1 MiB of UTF-16

// Mostly first-level characters, some second-level ones and full-width
// punctuation, with ASCII words, numbers, markup signs, tabs and line breaks.
const Text& mixed_text() {
  static const Text text = [] {
    const CodePage& cp = CodePage::ansi();
    std::mt19937 rng(20261206);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const char* const words[] = {"the ", "HTML ", "2026 ", "a  b ", "<p>", "&amp; ", "\t", "\r\n", "\"x\" ", "ok, "};
    Text t;
    t.reserve(kUnits + 64);
    while (t.size() < kUnits) {
      int kind = pick(0, 99);
      if (kind < 55) {
        int lead = pick(0xB0, 0xD7), trail = pick(0xA1, 0xFE);
        if (lead == 0xD7 && trail > 0xF9) trail = 0xF9;
        t += cp.from_ansi_code(lead << 8 | trail);
      } else if (kind < 60) {
        t += cp.from_ansi_code(pick(0xD8, 0xF7) << 8 | pick(0xA1, 0xFE));
      } else if (kind < 63) {
        t += u"，。";
      } else {
        const char* w = words[pick(0, 9)];
        while (*w) t.push_back(static_cast<char16_t>(*w++));
      }
    }
    t.resize(kUnits);
    return t;
  }();
  return text;
}

// The same text as the lines a page measures one by one.
const std::vector<Text>& mixed_lines() {
  static const std::vector<Text> lines = [] {
    std::vector<Text> out;
    const Text& t = mixed_text();
    std::mt19937 rng(7);
    for (size_t at = 0; at < t.size();) {
      size_t n = std::min<size_t>(std::uniform_int_distribution<size_t>(16, 160)(rng), t.size() - at);
      out.push_back(t.substr(at, n));
      at += n;
    }
    return out;
  }();
  return lines;
}

void report(benchmark::State& state, size_t units) {
  const double bytes = static_cast<double>(units * sizeof(char16_t)) * static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["MB"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsRate);
}

void Copy(benchmark::State& state) {
  const Text& t = mixed_text();
  for (auto _ : state) {
    Text copy = t;
    benchmark::DoNotOptimize(copy.data());
  }
  report(state, t.size());
}
BENCHMARK(Copy)->Unit(benchmark::kMillisecond);

void HtmlEncode(benchmark::State& state) {
  const Text& t = mixed_text();
  for (auto _ : state) benchmark::DoNotOptimize(CommHtmlEncode(t));
  report(state, t.size());
}
BENCHMARK(HtmlEncode)->Unit(benchmark::kMillisecond);

void QPyString(benchmark::State& state) {
  const Text& t = mixed_text();
  CommGetQPyString(u"中");  // the lookup is built once per process, not per call
  for (auto _ : state) benchmark::DoNotOptimize(CommGetQPyString(t));
  report(state, t.size());
}
BENCHMARK(QPyString)->Unit(benchmark::kMillisecond);

void StringLengthPerLine(benchmark::State& state) {
  const auto& lines = mixed_lines();
  for (auto _ : state) {
    int64_t total = 0;
    for (const Text& line : lines) total += CommGetStringLength(line);
    benchmark::DoNotOptimize(total);
  }
  report(state, mixed_text().size());
}
BENCHMARK(StringLengthPerLine)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brevane
