#include "host/spool.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brevane::host {
namespace {

namespace fs = std::filesystem;

class SpoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("brevane-spool-test-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  size_t files_in_dir() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  fs::path dir_;
};

std::string pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + i / 256) & 0xFF);
  return s;
}

TEST_F(SpoolTest, StaysInMemoryUpToTheLimit) {
  BodySpool spool(100, dir_.string());
  std::string data = pattern(100);
  spool.append(data.data(), data.size());
  EXPECT_FALSE(spool.on_disk());
  EXPECT_EQ(spool.read_all(), data);
}

TEST_F(SpoolTest, MovesToAnUnlinkedFileBeyondTheLimit) {
  BodySpool spool(100, dir_.string());
  std::string data = pattern(1000);
  for (size_t i = 0; i < data.size(); i += 70) spool.append(data.data() + i, std::min<size_t>(70, data.size() - i));
  EXPECT_TRUE(spool.on_disk());
  EXPECT_EQ(spool.size(), 1000u);
  EXPECT_EQ(spool.read_all(), data);
  // The temporary file has no name from the moment it exists.
  EXPECT_EQ(files_in_dir(), 0u);
}

TEST_F(SpoolTest, ReadsAtAnyOffsetAndStopsAtTheEnd) {
  BodySpool spool(16, dir_.string());
  std::string data = pattern(64);
  spool.append(data.data(), data.size());
  char buf[32];
  struct Case {
    uint64_t offset;
    size_t want;
    size_t got;
  } cases[] = {{0, 10, 10}, {60, 10, 4}, {64, 10, 0}, {100, 5, 0}, {15, 2, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offset);
    ASSERT_EQ(spool.read(c.offset, buf, c.want), c.got);
    EXPECT_EQ(std::string(buf, c.got), data.substr(static_cast<size_t>(std::min<uint64_t>(c.offset, 64)), c.got));
  }
}

TEST_F(SpoolTest, CursorHandsOutTheBodyFrontToBack) {
  BodySpool spool(8, dir_.string());
  std::string data = pattern(50);
  spool.append(data.data(), data.size());
  BodyCursor cursor(spool);
  std::string joined;
  std::vector<size_t> sizes;
  for (std::string chunk; !(chunk = cursor.next(16)).empty();) {
    sizes.push_back(chunk.size());
    joined += chunk;
  }
  EXPECT_EQ(joined, data);
  EXPECT_EQ(sizes, (std::vector<size_t>{16, 16, 16, 2}));
  EXPECT_EQ(cursor.next(16), "");
}

}  // namespace
}  // namespace brevane::host
