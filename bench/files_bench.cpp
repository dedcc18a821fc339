// File operations on a scratch drive: copying a site folder (200 files of
// 4 KiB in 10 folders) and one 32 MiB file, against the standard library's
// copy measured in the same run; saving 1 MiB of text in the ANSI code page;
// a wildcard existence test in a folder of 1000 files.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "files/fileops.h"
#include "platform/fs.h"

namespace brevane {
namespace {

namespace stdfs = std::filesystem;

struct Scratch {
  Scratch() {
    std::string tmpl = (stdfs::temp_directory_path() / "brevane-bench-XXXXXX").string();
    root = ::mkdtemp(tmpl.data());
    fs::set_drive(u'B', root);
    std::string block(4096, 'x');
    for (int d = 0; d < 10; ++d) {
      stdfs::create_directories(root + "/site/d" + std::to_string(d));
      for (int f = 0; f < 20; ++f)
        std::ofstream(root + "/site/d" + std::to_string(d) + "/f" + std::to_string(f) + ".htm") << block;
    }
    std::ofstream(root + "/big.bin", std::ios::binary) << std::string(32 << 20, 'b');
    stdfs::create_directories(root + "/many");
    for (int f = 0; f < 1000; ++f) std::ofstream(root + "/many/n" + std::to_string(f) + ".dat") << "x";
  }
  ~Scratch() { stdfs::remove_all(root); }
  std::string root;
};

Scratch& scratch() {
  static Scratch s;
  return s;
}

void FolderCopy(benchmark::State& state) {
  scratch();
  for (auto _ : state) {
    benchmark::DoNotOptimize(fs::copy(u"B:\\site", u"B:\\copy"));
    state.PauseTiming();
    fs::remove(u"B:\\copy");
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(FolderCopy)->Unit(benchmark::kMillisecond);

void FolderCopyReference(benchmark::State& state) {
  const std::string& root = scratch().root;
  for (auto _ : state) {
    stdfs::copy(root + "/site", root + "/copy", stdfs::copy_options::recursive);
    state.PauseTiming();
    stdfs::remove_all(root + "/copy");
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(FolderCopyReference)->Unit(benchmark::kMillisecond);

void BigFileCopy(benchmark::State& state) {
  scratch();
  for (auto _ : state) benchmark::DoNotOptimize(fs::copy(u"B:\\big.bin", u"B:\\big2.bin"));
  state.SetBytesProcessed(state.iterations() * (int64_t{32} << 20));
}
BENCHMARK(BigFileCopy)->Unit(benchmark::kMillisecond);

void BigFileCopyReference(benchmark::State& state) {
  const std::string& root = scratch().root;
  for (auto _ : state) stdfs::copy_file(root + "/big.bin", root + "/big3.bin", stdfs::copy_options::overwrite_existing);
  state.SetBytesProcessed(state.iterations() * (int64_t{32} << 20));
}
BENCHMARK(BigFileCopyReference)->Unit(benchmark::kMillisecond);

void SaveTextFile(benchmark::State& state) {
  scratch();
  Text text;
  while (text.size() < (1u << 19)) text += u"中文网页 text, 2026 ";
  for (auto _ : state) benchmark::DoNotOptimize(CommSaveToTextFile(u"B:\\t.txt", text, 2));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() * 2));
}
BENCHMARK(SaveTextFile)->Unit(benchmark::kMillisecond);

void WildcardExistIn1000(benchmark::State& state) {
  scratch();
  for (auto _ : state) benchmark::DoNotOptimize(CommFileExist(u"B:\\many\\*.txt"));
}
BENCHMARK(WildcardExistIn1000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace brevane
