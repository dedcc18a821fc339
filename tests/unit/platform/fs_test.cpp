#include "platform/fs.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "kit/tempdrive.h"

namespace brevane::fs {
namespace {

using kit::TempDrive;
using namespace std::literals;
using Tree = std::vector<std::string>;

// ---- drive mapping ----

TEST(DriveMapping, WindowsFormToNative) {
  TempDrive t;
  struct Case {
    TextView in;
    std::optional<std::string> want;
  };
  const Case cases[] = {
      {u"C:\\srv\\site\\a.txt", "/srv/site/a.txt"},
      {u"c:/srv/site/a.txt", "/srv/site/a.txt"},
      {u"C:\\srv/mixed\\a.txt", "/srv/mixed/a.txt"},
      {u"C:\\", "/"},
      {u"C:", "/"},
      {u"\\up\\a.txt", "/up/a.txt"},
      {u"C:\\a\\.\\b\\\\c\\", "/a/b/c"},
      {u"C:\\a\\..\\..\\..\\etc", "/etc"},                           // clamped at the root
      {u"t:\\site\\..\\..\\etc\\passwd", t.root() + "/etc/passwd"},  // never above the drive
      {u"T:\\", t.root()},
      {u"a\\b.txt", "a/b.txt"},  // relative to the working folder
      {u"..\\a", "../a"},
      {u"Q:\\unmapped", std::nullopt},
      {u"\\\\server\\share\\a", std::nullopt},
      {u"C:\\a\0b"sv, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(native_path(c.in), c.want) << to_utf8(c.in);
}

TEST(DriveMapping, NativeBackToWindowsFormByLongestRoot) {
  TempDrive t;
  EXPECT_EQ(windows_path(t.root() + "/up/a.txt"), Text(u"T:\\up\\a.txt"));
  EXPECT_EQ(windows_path(t.root()), Text(u"T:\\"));
  EXPECT_EQ(windows_path("/srv/a"), Text(u"C:\\srv\\a"));
  EXPECT_EQ(windows_path("relative/a"), std::nullopt);
}

TEST(DriveMapping, ConfiguredFromEnvironment) {
  TempDrive t;
  ::setenv("BREVANE_DRIVES", "d=/srv/data;E:=/mnt/e/;C=", 1);
  reset_drives();
  EXPECT_EQ(native_path(u"D:\\x"), "/srv/data/x");
  EXPECT_EQ(native_path(u"E:\\x"), "/mnt/e/x");
  EXPECT_EQ(native_path(u"C:\\x"), std::nullopt);  // C= removes the default
  ::unsetenv("BREVANE_DRIVES");
  ::setenv("BREVANE_DRIVE_F", "/srv/f/", 1);
  reset_drives();
  EXPECT_EQ(native_path(u"f:\\x"), "/srv/f/x");
  ::unsetenv("BREVANE_DRIVE_F");
  reset_drives();
  EXPECT_EQ(native_path(u"C:\\x"), "/x");
  EXPECT_EQ(native_path(u"D:\\x"), std::nullopt);
}

// ---- matching ----

TEST(Wildcards, DosStyleMatching) {
  struct Case {
    const char16_t* pattern;
    const char16_t* name;
    bool want;
  };
  const Case cases[] = {
      {u"*.txt", u"a.txt", true},  {u"*.txt", u"A.TXT", true},    {u"*.txt", u"a.txt.bak", false},
      {u"*.*", u"readme", true},   {u"*", u".hidden", true},      {u"a?c", u"abc", true},
      {u"a?c", u"ac", false},      {u"read*.*", u"readme", true}, {u"*a*b", u"xaxxb", true},
      {u"*a*b", u"xaxxbc", false}, {u"a.txt", u"a.txt", true},    {u"", u"a", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(wildcard_match(c.pattern, c.name), c.want) << to_utf8(c.pattern) << " " << to_utf8(c.name);
}

TEST(MatchExists, AttributeRules) {
  TempDrive t;
  t.write("up/a.txt", "x");
  t.write("up/.secret", "x");
  t.mkdir("up/sub");
  t.mkdir("up/.git");
  t.mkdir("empty");
  struct Case {
    const char16_t* rel;
    uint32_t mask;
    bool want;
  };
  const Case cases[] = {
      {u"up\\a.txt", 0, true},
      {u"up\\A.TXT", 0, false},    // exact names are case-sensitive here
      {u"up\\.secret", 0, false},  // hidden
      {u"up\\.secret", kHidden, true},
      {u"up\\sub", 0, false},  // a folder is no file
      {u"up\\sub", kDirectory, true},
      {u"up\\a.txt", kDirectory, true},  // the folder test finds files too
      {u"up\\.git", kDirectory, false},
      {u"up\\*.txt", 0, true},
      {u"up\\*.TXT", 0, true},
      {u"up\\*.doc", 0, false},
      {u"up\\.s*", 0, false},
      {u"up\\s*", 0, false},
      {u"up\\s*", kDirectory, true},
      {u"up\\", kDirectory, true},  // trailing separator: the folder itself
      {u"up\\", 0, true},           // ... or any plain file in it
      {u"empty\\", 0, false},
      {u"empty\\", kDirectory, true},
      {u"missing\\", kDirectory, false},
      {u"missing\\*.txt", 0, false},
      {u"", kDirectory, true},  // the drive's root
  };
  for (const auto& c : cases)
    EXPECT_EQ(match_exists(t.path(c.rel), c.mask), c.want) << to_utf8(c.rel) << " mask " << c.mask;
  EXPECT_FALSE(match_exists(u"Q:\\up\\a.txt", kDirectory));
}

TEST(List, SortedIgnoringCaseWithAttributes) {
  TempDrive t;
  t.write("d/b.txt", "12345");
  t.write("d/A.txt", "");
  t.write("d/.h", "");
  t.mkdir("d/c");
  std::vector<Entry> entries;
  ASSERT_TRUE(list(t.path(u"d"), entries));
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].name, u".h");
  EXPECT_TRUE(entries[0].attributes & kHidden);
  EXPECT_EQ(entries[1].name, u"A.txt");
  EXPECT_EQ(entries[2].name, u"b.txt");
  EXPECT_EQ(entries[2].size, 5u);
  EXPECT_EQ(entries[2].attributes, kArchive);
  EXPECT_EQ(entries[3].name, u"c");
  EXPECT_TRUE(entries[3].is_folder());
  EXPECT_GT(entries[3].modified, 40000.0);
  EXPECT_FALSE(list(t.path(u"nope"), entries));
}

// ---- creating and writing ----

TEST(CreateFolders, AllLevelsAndExisting) {
  TempDrive t;
  EXPECT_TRUE(create_folders(t.path(u"a\\b\\c\\")));
  EXPECT_TRUE(t.is_folder("a/b/c"));
  EXPECT_TRUE(create_folders(t.path(u"a\\b")));
  t.write("f", "x");
  EXPECT_FALSE(create_folders(t.path(u"f\\g")));
}

TEST(WriteFile, ModesAndFailures) {
  TempDrive t;
  EXPECT_TRUE(write_file(t.path(u"a.txt"), "abc", WriteMode::Truncate));
  EXPECT_TRUE(write_file(t.path(u"a.txt"), "de", WriteMode::Append));
  EXPECT_EQ(t.read("a.txt"), "abcde");
  EXPECT_TRUE(write_file(t.path(u"a.txt"), "x", WriteMode::Truncate));
  EXPECT_EQ(t.read("a.txt"), "x");
  EXPECT_TRUE(write_file(t.path(u"a.txt"), "whole", WriteMode::Replace));
  EXPECT_EQ(t.read("a.txt"), "whole");
  EXPECT_FALSE(write_file(t.path(u"no\\such\\folder.txt"), "x", WriteMode::Truncate));

  set_fault_hook_for_testing([](std::string_view call, std::string_view) { return call == "write" ? ENOSPC : 0; });
  EXPECT_FALSE(write_file(t.path(u"a.txt"), "lost", WriteMode::Replace));
  EXPECT_EQ(t.read("a.txt"), "whole");  // the old content stays whole
  EXPECT_EQ(t.tree(), Tree{"a.txt"});   // and no scrap is left beside it
  EXPECT_FALSE(write_file(t.path(u"a.txt"), "lost", WriteMode::Append));
}

TEST(ReadFile, WholeFileOrFailure) {
  TempDrive t;
  std::string big(300000, 'z');
  t.write("big", big);
  std::string out;
  ASSERT_TRUE(read_file(t.path(u"big"), out));
  EXPECT_EQ(out, big);
  EXPECT_FALSE(read_file(t.path(u"missing"), out));
  t.mkdir("dir");
  EXPECT_FALSE(read_file(t.path(u"dir"), out));
}

// ---- shell operations ----

class ShellOps : public ::testing::Test {
 protected:
  void SetUp() override {
    t.write("src/a.txt", "A");
    t.write("src/sub/b.txt", "B");
    t.write("src/sub/deep/c.txt", "C");
    t.write("src/.hidden", "H");
  }
  // Makes the call `call` fail on every path containing `needle`, after
  // letting `skip` such calls through.
  void fail(std::string call, std::string needle, int err = EIO, int skip = 0) {
    auto seen = std::make_shared<int>(0);
    set_fault_hook_for_testing([=](std::string_view c, std::string_view p) {
      if (c != call || p.find(needle) == std::string_view::npos) return 0;
      return (*seen)++ >= skip ? err : 0;
    });
  }
  bool op(ShellOp o, TextView from, TextView to = u"") {
    return shell_operation(o, {t.path(from)},
                           o == ShellOp::Delete ? std::vector<Text>{} : std::vector<Text>{t.path(to)});
  }
  TempDrive t;
  const Tree src_tree{"src/",          "src/.hidden",   "src/a.txt",         "src/sub/",
                      "src/sub/b.txt", "src/sub/deep/", "src/sub/deep/c.txt"};
};

TEST_F(ShellOps, CopyFolderBuildsCompleteTreeIncludingMissingParents) {
  ASSERT_TRUE(op(ShellOp::Copy, u"src", u"x\\y\\dst"));
  EXPECT_EQ(t.read("x/y/dst/sub/deep/c.txt"), "C");
  EXPECT_EQ(t.read("x/y/dst/.hidden"), "H");
  EXPECT_EQ(t.read("src/a.txt"), "A");
}

TEST_F(ShellOps, CopyFailingHalfWayLeavesNoDestination) {
  fail("write", "c.txt");
  EXPECT_FALSE(op(ShellOp::Copy, u"src", u"x\\y\\dst"));
  EXPECT_EQ(t.tree(), src_tree);  // neither the copy nor the folders made for it
}

TEST_F(ShellOps, EveryStepOfACopyCanFailAndLeavesNoDestination) {
  // Each call a copy makes on the way, failed in turn: the copy reports it
  // and takes back what it made, whether the step wrote bytes or only mode,
  // times or a link.
  std::filesystem::create_symlink("a.txt", t.root() + "/src/link");
  const Tree with_link = t.tree();
  const std::pair<const char*, const char*> steps[] = {
      {"open", "/x/"},  {"stat", "/x/"},    {"read", "/src/"},         {"write", "/x/"}, {"close", "/x/"},
      {"chmod", "/x/"}, {"utimens", "/x/"}, {"readlink", "/src/link"}, {"mkdir", "/x/"},
  };
  for (const auto& [call, where] : steps) {
    SCOPED_TRACE(call);
    fail(call, where);
    EXPECT_FALSE(op(ShellOp::Copy, u"src", u"x\\y\\dst"));
    EXPECT_EQ(t.tree(), with_link);
  }
}

TEST_F(ShellOps, CopyFolderOntoFolderMerges) {
  t.write("dst/a.txt", "old");
  t.write("dst/keep.txt", "K");
  ASSERT_TRUE(op(ShellOp::Copy, u"src", u"dst"));
  EXPECT_EQ(t.read("dst/a.txt"), "A");
  EXPECT_EQ(t.read("dst/keep.txt"), "K");
  EXPECT_EQ(t.read("dst/sub/deep/c.txt"), "C");
}

TEST_F(ShellOps, FileReplacedOnlyWhenCopyIsComplete) {
  t.write("dst.txt", "old");
  fail("write", "dst.txt");
  EXPECT_FALSE(op(ShellOp::Copy, u"src\\a.txt", u"dst.txt"));
  EXPECT_EQ(t.read("dst.txt"), "old");
  set_fault_hook_for_testing(nullptr);
  ASSERT_TRUE(op(ShellOp::Copy, u"src\\a.txt", u"dst.txt"));
  EXPECT_EQ(t.read("dst.txt"), "A");
}

TEST_F(ShellOps, LongNamesFitBesideTheirTemporaryCopy) {
  std::string name(250, 'n');
  t.write("src/" + name, "L");
  ASSERT_TRUE(op(ShellOp::Copy, u"src", u"dst"));
  EXPECT_EQ(t.read("dst/" + name), "L");
}

TEST_F(ShellOps, FileIntoExistingFolder) {
  t.mkdir("box");
  ASSERT_TRUE(op(ShellOp::Copy, u"src\\a.txt", u"box"));
  EXPECT_EQ(t.read("box/a.txt"), "A");
}

TEST_F(ShellOps, FolderNeverCopiedOrMovedIntoItself) {
  EXPECT_FALSE(op(ShellOp::Copy, u"src", u"src\\sub\\again"));
  EXPECT_FALSE(op(ShellOp::Move, u"src", u"src\\sub\\again"));
  EXPECT_EQ(t.tree(), src_tree);
}

TEST_F(ShellOps, MoveAcrossFileSystemsCopiesThenRemoves) {
  fail("rename", "/src", EXDEV);  // every rename of the source reports another device
  ASSERT_TRUE(op(ShellOp::Move, u"src", u"moved"));
  EXPECT_FALSE(t.exists("src"));
  EXPECT_EQ(t.read("moved/sub/deep/c.txt"), "C");
  EXPECT_EQ(t.read("moved/.hidden"), "H");
}

TEST_F(ShellOps, MoveAcrossFileSystemsFailingKeepsSourceAndLeavesNoDestination) {
  auto writes = std::make_shared<int>(0);
  set_fault_hook_for_testing([=](std::string_view c, std::string_view p) {
    if (c == "rename" && p.find("/src") != std::string_view::npos) return EXDEV;
    if (c == "write" && ++*writes == 3) return EIO;
    return 0;
  });
  EXPECT_FALSE(op(ShellOp::Move, u"src", u"far\\moved"));
  EXPECT_EQ(t.tree(), src_tree);
}

TEST_F(ShellOps, MoveFolderOntoFolderMergesAndEmptiesSource) {
  t.write("dst/sub/b.txt", "old");
  ASSERT_TRUE(op(ShellOp::Move, u"src", u"dst"));
  EXPECT_FALSE(t.exists("src"));
  EXPECT_EQ(t.read("dst/sub/b.txt"), "B");
}

TEST_F(ShellOps, RenameRefusesExistingTarget) {
  t.write("other.txt", "O");
  EXPECT_FALSE(op(ShellOp::Rename, u"src\\a.txt", u"other.txt"));
  EXPECT_EQ(t.read("other.txt"), "O");
  EXPECT_TRUE(op(ShellOp::Rename, u"src\\a.txt", u"src\\z.txt"));
  EXPECT_EQ(t.read("src/z.txt"), "A");
}

TEST_F(ShellOps, DeleteIsPermanentAndDoesNotFollowLinks) {
  t.write("outside/keep.txt", "K");
  std::filesystem::create_directory_symlink(t.native("outside"), t.native("src/link"));
  ASSERT_TRUE(op(ShellOp::Delete, u"src"));
  EXPECT_FALSE(t.exists("src"));
  EXPECT_EQ(t.read("outside/keep.txt"), "K");
  EXPECT_FALSE(op(ShellOp::Delete, u"src"));  // nothing left to delete
}

TEST_F(ShellOps, WildcardSourcesAndSeveralPairs) {
  t.write("src/b.txt", "b");
  t.write("src/c.doc", "c");
  ASSERT_TRUE(op(ShellOp::Copy, u"src\\*.txt", u"txt"));
  EXPECT_EQ(t.read("txt/a.txt"), "A");
  EXPECT_EQ(t.read("txt/b.txt"), "b");
  EXPECT_FALSE(t.exists("txt/c.doc"));
  ASSERT_TRUE(op(ShellOp::Delete, u"src\\*.txt"));
  EXPECT_FALSE(t.exists("src/a.txt"));
  EXPECT_TRUE(t.exists("src/c.doc"));
  ASSERT_TRUE(shell_operation(ShellOp::Copy, {t.path(u"src\\c.doc"), t.path(u"txt\\a.txt")},
                              {t.path(u"p1.doc"), t.path(u"p2.txt")}));
  EXPECT_EQ(t.read("p1.doc"), "c");
  EXPECT_EQ(t.read("p2.txt"), "A");
}

TEST_F(ShellOps, DrivesAndEmptyPathsAreNeverDeleted) {
  EXPECT_FALSE(shell_operation(ShellOp::Delete, {t.path()}, {}));
  EXPECT_FALSE(shell_operation(ShellOp::Delete, {u""}, {}));
  EXPECT_FALSE(shell_operation(ShellOp::Move, {u"C:\\"}, {t.path(u"x")}));
  EXPECT_TRUE(t.exists("src/a.txt"));
}

}  // namespace
}  // namespace brevane::fs
