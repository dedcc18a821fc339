#include "files/archive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "files/paths.h"
#include "kit/hostkit.h"
#include "kit/tempdrive.h"

namespace brevane {
namespace {

using kit::TempDrive;
using Tree = std::vector<std::string>;

bool succeeded(const Text& script) { return script.find(u"操作成功") != Text::npos; }
bool failed(const Text& script) { return script.find(u"操作失败") != Text::npos; }

// Below `rel`, relative to it.
Tree tree_of(const TempDrive& t, const std::string& rel) {
  Tree out;
  for (const auto& p : t.tree())
    if (p.starts_with(rel) && p.size() > rel.size()) out.push_back(p.substr(rel.size()));
  return out;
}

class Archives : public ::testing::Test {
 protected:
  ~Archives() override { unsetenv("BREVANE_RAR"); }
  Text xceed(Text path, Text file, Text act) { return CommUnZipWithXceedZip(server, path, file, act); }
  Text rar(Text path, Text file, Text act) { return CommUnZipWithRar(server, path, file, act); }
  // A stand-in archiver outside the site: records its arguments one per
  // line, then runs `body` (sh) with $last set to the last argument.
  void fake_rar(const std::string& rel, const std::string& body) {
    t.write(rel, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + t.native("rar-args.txt") + "'\nfor last; do :; done\n" +
                     body + "\n");
    ::chmod(t.native(rel).c_str(), 0755);
    setenv("BREVANE_RAR", t.native(rel).c_str(), 1);
  }
  TempDrive t;
  Variant server = kit::var(kit::FakeServer::make(t.path(u"site")));
};

TEST_F(Archives, ZipFileMakesARarNamedZipBesideTheFileReplacingAnOldOne) {
  t.write("site/up/Report.TXT", "report");
  t.write("site/up/other.txt", "other");
  t.write("site/up/sub/Report.TXT", "not this one");
  t.write("site/up/report.RAR", "stale");
  EXPECT_TRUE(succeeded(xceed(u"/up", u"Report.TXT", u"ZipFile")));
  std::string zip = t.read("site/up/report.RAR");
  ASSERT_TRUE(zip.starts_with("PK\x03\x04")) << "a ZIP whatever its extension";
  EXPECT_TRUE(succeeded(xceed(u"/up", u"report.RAR", u"unzip")));  // round trip in place
  ASSERT_TRUE(ZeltoClassZip().UnCompressFile(t.path(u"site\\up\\report.RAR"), t.path(u"check"), false));
  EXPECT_EQ(tree_of(t, "check/"), (Tree{"Report.TXT"}));
}

TEST_F(Archives, ZipFolderAndUnzipRoundTrip) {
  t.write("site/up/docs/a.txt", "a");
  t.write("site/up/docs/中文目录/说明.txt", "说明");
  t.write("site/up/docs/sub/deep/b.bin", std::string(5000, 'b'));
  t.mkdir("site/up/docs/empty");
  EXPECT_TRUE(succeeded(xceed(u"/up", u"docs", u"zipfolder")));
  ASSERT_TRUE(t.exists("site/up/docs.RAR"));
  t.write("site/other/keep.txt", "keep");
  ASSERT_TRUE(ZeltoClassZip().CompressFile(t.path(u"site\\up"), u"docs.RAR", t.path(u"site\\other\\x.zip")));
  // Unpacking keeps what the target holds and the stored paths.
  EXPECT_TRUE(succeeded(xceed(u"/other", u"x.zip", u"UNZIP")));
  EXPECT_TRUE(succeeded(xceed(u"/other", u"docs.RAR", u"unzip")));
  EXPECT_EQ(tree_of(t, "site/other/"), (Tree{"a.txt", "docs.RAR", "empty/", "keep.txt", "sub/", "sub/deep/",
                                             "sub/deep/b.bin", "x.zip", "中文目录/", "中文目录/说明.txt"}));
  EXPECT_EQ(t.read("site/other/中文目录/说明.txt"), "说明");
}

TEST_F(Archives, TheResultRefreshesTheOpenerAndCloses) {
  t.write("site/up/a.txt", "a");
  EXPECT_EQ(
      xceed(u"/up", u"a.txt", u"zipfile"),
      u"<SCRIPT LANGUAGE=JavaScript>alert('操作成功');parent.dialogArguments.location.href=parent.dialogArguments."
      u"location;window.close();</SCRIPT>");
  EXPECT_EQ(
      xceed(u"/up", u"a.txt", u"other"),
      u"<SCRIPT LANGUAGE=JavaScript>alert('操作失败');parent.dialogArguments.location.href=parent.dialogArguments."
      u"location;window.close();</SCRIPT>");
}

TEST_F(Archives, WhatFailsReportsFailure) {
  t.write("site/up/a.txt", "a");
  EXPECT_TRUE(failed(xceed(u"/up", u"a.txt", u"pack")));           // unknown action
  EXPECT_TRUE(failed(xceed(u"/up", u"missing.txt", u"zipfile")));  // nothing to pack
  EXPECT_TRUE(failed(xceed(u"/up", u"missing.zip", u"unzip")));
  EXPECT_TRUE(failed(xceed(u"/up", u"..\\up\\a.txt", u"zipfile")));  // a name, not a path
  EXPECT_TRUE(failed(xceed(u"/", u"up/a.txt", u"zipfile")));
  EXPECT_EQ(tree_of(t, "site/"), (Tree{"up/", "up/a.txt"}));
}

TEST_F(Archives, MasksPasswordsSelectionAndEmptying) {
  t.write("base/a.txt", "a");
  t.write("base/b.log", "b");
  t.write("base/sub/c.txt", "c");
  t.write("base/sub/d.log", "d");
  ZeltoClassZip zip;
  ASSERT_TRUE(zip.CompressFile(t.path(u"base"), u"*.txt|sub\\*.log", t.path(u"m.zip"), u"  key  "));
  EXPECT_FALSE(zip.UnCompressFile(t.path(u"m.zip"), t.path(u"out"), false, u"", u"wrong"));
  EXPECT_FALSE(t.exists("out/a.txt"));
  t.write("out/old.txt", "old");
  ASSERT_TRUE(zip.UnCompressFile(t.path(u"m.zip"), t.path(u"out"), true, u"", u"  key  "));
  EXPECT_EQ(tree_of(t, "out/"), (Tree{"a.txt", "sub/", "sub/c.txt", "sub/d.log"}));
  ASSERT_TRUE(zip.UnCompressFile(t.path(u"m.zip"), t.path(u"sel"), false, u"*.log", u"  key  "));
  EXPECT_EQ(tree_of(t, "sel/"), (Tree{"sub/", "sub/d.log"}));
  EXPECT_FALSE(zip.CompressFile(t.path(u"base"), u"..\\*.*", t.path(u"up.zip")));
}

TEST_F(Archives, RarRunsWithoutAShellWhateverTheName) {
  fake_rar("bin/rar", "exit 0");
  const Text name = u"x\"; touch pwned; $(touch pwned2) & `touch pwned3` | y.txt";
  t.write("site/up/" + to_utf8(name), "data");
  EXPECT_TRUE(succeeded(rar(u"/up", name, u"ZipFile")));
  std::string folder = t.native("site/up");
  EXPECT_EQ(t.read("rar-args.txt"), "a\n-ep1\n-r\n-t\n-o+\n-y\n--\n" + folder + "/" + to_utf8(CommFileGetName(name)) +
                                        ".rar\n" + folder + "/" + to_utf8(name) + "\n");
  for (const char* made : {"pwned", "pwned2", "pwned3"}) {
    EXPECT_FALSE(std::filesystem::exists(made)) << made;  // the working folder
    for (const auto& p : t.tree()) EXPECT_FALSE(p.ends_with(made)) << p;
  }
}

TEST_F(Archives, RarExitCodeDecides) {
  fake_rar("bin/rar", "exit 3");
  t.write("site/up/a.txt", "a");
  EXPECT_TRUE(failed(rar(u"/up", u"a.txt", u"zip")));
}

TEST_F(Archives, RarUnpacksThroughStagingAndRefusesLinksOut) {
  fake_rar("bin/rar", "mkdir -p \"${last}sub\" && echo hi > \"${last}sub/x.txt\"");
  t.write("site/up/a.rar", "whatever");
  EXPECT_TRUE(succeeded(rar(u"/up", u"a.rar", u"UnZip")));
  EXPECT_EQ(t.read("site/up/sub/x.txt"), "hi\n");
  std::string args = t.read("rar-args.txt");
  EXPECT_TRUE(args.starts_with("x\n-r\n-o+\n-p-\n-y\n--\n" + t.native("site/up/a.rar") + "\n")) << args;
  EXPECT_EQ(args.find(t.native("site/up/") + "\n"), std::string::npos) << "never straight into the target";

  fake_rar("bin/rar", "echo new > \"${last}new.txt\"; ln -s /etc \"${last}etc\"");
  Tree before = t.tree();
  EXPECT_TRUE(failed(rar(u"/up", u"a.rar", u"unzip")));
  EXPECT_EQ(t.tree(), before);
}

TEST_F(Archives, NoArchiverFromInsideTheSite) {
  fake_rar("site/rar", "touch \"" + t.native("ran") + "\"");
  EXPECT_FALSE(rar_program(t.native("site")));
  EXPECT_TRUE(rar_program(t.native("elsewhere")));
  // Unpacking falls back to the library; packing has nothing to run.
  t.write("site/up/a.txt", "a");
  ASSERT_TRUE(succeeded(xceed(u"/up", u"a.txt", u"zipfile")));
  t.write("site/up/a.txt", "changed");
  EXPECT_TRUE(succeeded(rar(u"/up", u"a.RAR", u"unzip")));
  EXPECT_EQ(t.read("site/up/a.txt"), "a");
  EXPECT_TRUE(failed(rar(u"/up", u"a.txt", u"zip")));
  EXPECT_FALSE(t.exists("ran"));
}

}  // namespace
}  // namespace brevane
