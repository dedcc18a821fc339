// The body store in memory and spilled to its file.
#include "platform/bytestore.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <vector>

#include "kit/scratch.h"
#include "platform/fs.h"

namespace brevane {
namespace {

TEST(ByteStore, SpillsPastTheThresholdAndStaysExact) {
  for (uint64_t threshold : {uint64_t(1) << 30, uint64_t(1000)}) {
    ByteStore s(threshold);
    std::string all;
    for (int i = 0; i < 300; ++i) {
      std::string piece(static_cast<size_t>(i * 13 % 97 + 1), static_cast<char>(i));
      all += piece;
      s.append(reinterpret_cast<const uint8_t*>(piece.data()), piece.size());
    }
    EXPECT_EQ(s.spilled(), threshold == 1000);
    auto v = s.view();
    EXPECT_EQ(std::string(v.begin(), v.end()), all);
    s.release_before(all.size());
    v = s.view();
    EXPECT_EQ(std::string(v.begin(), v.end()), all);  // released pages come back from the file

    std::string part(40, '\0');
    ASSERT_TRUE(s.read(100, 40, reinterpret_cast<uint8_t*>(part.data())));
    EXPECT_EQ(part, all.substr(100, 40));
    EXPECT_FALSE(s.read(all.size() - 1, 2, reinterpret_cast<uint8_t*>(part.data())));

    kit::ScratchFolder dir;
    std::string out = (dir.native() / "out.bin").string();
    EXPECT_EQ(s.save_range(7, 5000, out, true), ByteStore::SaveResult::Done);
    EXPECT_EQ(dir.read("out.bin"), all.substr(7, 5000));
    EXPECT_EQ(s.save_range(0, 1, out, true), ByteStore::SaveResult::Exists);
    EXPECT_EQ(s.save_range(0, 3, out, false), ByteStore::SaveResult::Done);
    EXPECT_EQ(dir.read("out.bin"), all.substr(0, 3));
    EXPECT_EQ(s.save_range(all.size(), 1, out, false), ByteStore::SaveResult::OutOfRange);
  }
}

TEST(ByteStore, SaveFailuresAreReportedAndLeaveNoFile) {
  // In memory and spilled: each step of the save failed in turn through the
  // file system's fault hook.
  for (uint64_t threshold : {uint64_t(1) << 30, uint64_t(16)}) {
    ByteStore s(threshold);
    const std::string body(4000, 'b');
    s.append(reinterpret_cast<const uint8_t*>(body.data()), body.size());
    kit::ScratchFolder dir;
    std::string out = (dir.native() / "out.bin").string();
    const std::pair<const char*, ByteStore::SaveResult> steps[] = {
        {"open", ByteStore::SaveResult::OpenFailed},
        {"stat", ByteStore::SaveResult::OpenFailed},
        {"write", ByteStore::SaveResult::WriteFailed},
        {"close", ByteStore::SaveResult::WriteFailed},
    };
    for (const auto& [call, want] : steps) {
      SCOPED_TRACE(call);
      fs::set_fault_hook_for_testing(
          [call = std::string_view(call)](std::string_view c, std::string_view) { return c == call ? EIO : 0; });
      EXPECT_EQ(s.save_range(0, body.size(), out, false), want);
      fs::set_fault_hook_for_testing(nullptr);
      EXPECT_FALSE(std::filesystem::exists(out));
    }
    EXPECT_EQ(s.save_range(0, body.size(), out, false), ByteStore::SaveResult::Done);
  }
}

TEST(ByteStore, ReserveGoesStraightToTheFile) {
  ByteStore s(100);
  s.reserve(101);
  EXPECT_TRUE(s.spilled());
  EXPECT_TRUE(s.view().empty());
}

// Small pieces are gathered, large ones written at once, copied ones staged:
// the file holds them in the order they came, whatever the announced size.
TEST(ByteStore, MixedPiecesKeepTheirOrder) {
  for (uint64_t announced : {uint64_t(0), uint64_t(300000), uint64_t(10u << 20)}) {
    ByteStore s(1000);
    if (announced) s.reserve(announced);
    std::string all;
    int k = 0;
    for (size_t size : {size_t(10), size_t(200000), size_t(3), size_t(5000), size_t(70000), size_t(65536), size_t(1)}) {
      auto piece = std::make_shared<std::vector<uint8_t>>(size + 5);
      for (size_t i = 0; i < piece->size(); ++i) (*piece)[i] = static_cast<uint8_t>(i * 31 + k);
      all.append(piece->begin(), piece->begin() + static_cast<std::ptrdiff_t>(size));
      if (++k % 3 == 0)
        s.append(piece->data(), size);
      else
        s.append_shared(piece, size);
    }
    ASSERT_EQ(s.size(), all.size());
    auto v = s.view();
    EXPECT_TRUE(std::string(v.begin(), v.end()) == all) << announced;
  }
}

// A diverted range reads, maps and saves as the bytes appended; saved exactly,
// it becomes the saved file (a link), and saving it again or over that file
// never writes into the bytes being saved.
TEST(ByteStore, DivertedRangesStayExactAndSaveByLink) {
  std::string all;
  ByteStore s(1000);
  auto add = [&](size_t n, char seed) {
    std::string piece(n, '\0');
    for (size_t i = 0; i < n; ++i) piece[i] = static_cast<char>(seed + i * 7 + i / 300);
    all += piece;
    s.append(reinterpret_cast<const uint8_t*>(piece.data()), piece.size());
  };
  add(500, 'a');
  s.divert_begin();
  add(70000, 'b');
  s.divert_end();
  add(300, 'c');
  std::string got(all.size(), '\0');
  ASSERT_TRUE(s.read(0, all.size(), reinterpret_cast<uint8_t*>(got.data())));
  EXPECT_TRUE(got == all);

  kit::ScratchFolder dir;
  std::string a = (dir.native() / "a.bin").string(), b = (dir.native() / "b.bin").string();
  dir.write("a.bin", "old");
  EXPECT_EQ(s.save_range(500, 70000, a, true), ByteStore::SaveResult::Exists);
  EXPECT_EQ(dir.read("a.bin"), "old");
  EXPECT_EQ(s.save_range(500, 70000, a, false), ByteStore::SaveResult::Done);  // the part's file itself
  EXPECT_EQ(s.save_range(500, 70000, a, false), ByteStore::SaveResult::Done);  // a copy of it, over it
  EXPECT_EQ(s.save_range(490, 70020, b, true), ByteStore::SaveResult::Done);
  EXPECT_TRUE(dir.read("a.bin") == all.substr(500, 70000));
  EXPECT_TRUE(dir.read("b.bin") == all.substr(490, 70020));

  EXPECT_TRUE(s.materialize(600, 10));
  auto v = s.view();
  EXPECT_TRUE(std::string(v.begin(), v.end()) == all);
  EXPECT_FALSE(s.materialize(0, all.size()));
}

}  // namespace
}  // namespace brevane
