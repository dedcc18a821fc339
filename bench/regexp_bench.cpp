// The regular-expression service as validators use it: one pattern tested
// call after call. The reference is compiling the pattern every time, which
// is what a page creating a fresh RegExp per check pays.
#include <benchmark/benchmark.h>

#include "check/validators.h"
#include "platform/regexp.h"

using namespace brevane;

namespace {

constexpr char16_t kEmailPattern[] = u"^\\w+([-+.]\\w+)*@\\w+([-.]\\w+)*\\.\\w+([-.]\\w+)*$";
constexpr char16_t kAddress[] = u"someone.name@mail.example.com.cn";

void CompileEveryCall(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Regex(kEmailPattern, {true, false}).test(kAddress));
}
BENCHMARK(CompileEveryCall);

void CachedPattern(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(regex_test(kEmailPattern, kAddress));
}
BENCHMARK(CachedPattern);

// What a page does: a new object, its properties, one Test.
void FreshObjectByName(benchmark::State& state) {
  Variant subject(kAddress);
  for (auto _ : state) {
    Variant re(make_regexp_object());
    put(re, u"Pattern", Variant(kEmailPattern));
    put(re, u"IgnoreCase", Variant(true));
    benchmark::DoNotOptimize(call(re, u"Test", {subject}));
  }
}
BENCHMARK(FreshObjectByName);

// Global replace over a page-sized text: the tag-stripping shape of use.
void GlobalReplace(benchmark::State& state) {
  Text page;
  for (int i = 0; i < 2000; ++i) page += u"<p class=x>第" + Variant(int32_t{i}).to_text() + u"段文字</p>";
  auto tags = cached_regex(u"<[^>]*>");
  for (auto _ : state) benchmark::DoNotOptimize(tags->replace(page, u"", true));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size() * 2));
}
BENCHMARK(GlobalReplace);

}  // namespace
