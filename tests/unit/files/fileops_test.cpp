#include "files/fileops.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "core/registry.h"
#include "kit/hostkit.h"
#include "kit/tempdrive.h"
#include "platform/fs.h"
#include "platform/http.h"

namespace brevane {
namespace {

using kit::TempDrive;
using Tree = std::vector<std::string>;

class FileOps : public ::testing::Test {
 protected:
  Text p(TextView rel) const { return t.path(rel); }
  TempDrive t;
};

// ---- existence ----

TEST_F(FileOps, ExistenceFollowsTheAttributeRules) {
  t.write("up/a.txt", "x");
  t.write("up/.htaccess", "x");
  t.mkdir("up/pics");
  struct Case {
    const char16_t* rel;
    bool file, folder;
  };
  const Case cases[] = {
      {u"up\\a.txt", true, true},  // the folder test is true for a plain file
      {u"up/a.txt", true, true},          {u"up\\.htaccess", false, false},  {u"up\\pics", false, true},
      {u"up\\pics\\", false, true},       {u"up\\*.txt", true, true},        {u"up\\*.jpg", false, false},
      {u"up\\missing.txt", false, false}, {u"nowhere\\a.txt", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CommFileExist(p(c.rel)), c.file) << to_utf8(c.rel);
    EXPECT_EQ(CommFolderExist(p(c.rel)), c.folder) << to_utf8(c.rel);
  }
  EXPECT_FALSE(CommFileExist(u""));
  EXPECT_FALSE(CommFolderExist(u"Q:\\unmapped\\"));
}

// ---- create and delete ----

TEST_F(FileOps, FolderCreateMakesEveryLevel) {
  EXPECT_TRUE(CommFolderCreate(u"  " + p(u"a\\b\\c") + u"  "));
  EXPECT_TRUE(t.is_folder("a/b/c"));
  EXPECT_TRUE(CommFolderCreate(p(u"a\\b\\")));  // already there
  t.write("file", "x");
  EXPECT_FALSE(CommFolderCreate(p(u"file\\sub")));
}

TEST_F(FileOps, DeletingWhatIsNotThereSucceeds) {
  EXPECT_TRUE(CommFileDelete(p(u"none.txt")));
  EXPECT_TRUE(CommFolderDelete(p(u"none")));
  t.write("d/x/y.txt", "y");
  t.write("f.txt", "f");
  EXPECT_TRUE(CommFolderDelete(p(u"d")));
  EXPECT_TRUE(CommFileDelete(p(u"f.txt")));
  EXPECT_EQ(t.tree(), Tree{});
}

TEST_F(FileOps, FailedDeleteIsReported) {
  t.write("d/x.txt", "x");
  fs::set_fault_hook_for_testing([](std::string_view c, std::string_view) { return c == "unlink" ? EACCES : 0; });
  EXPECT_FALSE(CommFileDelete(p(u"d\\x.txt")));
  EXPECT_FALSE(CommFolderDelete(p(u"d")));
}

// ---- rename ----

TEST_F(FileOps, RenameResultCodes) {
  t.write("a.txt", "A");
  t.write("b.txt", "B");
  t.mkdir("fa");
  t.mkdir("fb");
  EXPECT_EQ(CommFileRename(p(u"missing.txt"), p(u"c.txt")), kFileOpSourceMissing);
  EXPECT_EQ(CommFileRename(p(u"a.txt"), p(u"b.txt")), kFileOpDestinationExists);
  EXPECT_EQ(t.read("b.txt"), "B");
  EXPECT_EQ(CommFolderRename(p(u"fa"), p(u"fb")), kFileOpDestinationExists);
  EXPECT_EQ(CommFolderRename(p(u"nf"), p(u"fc")), kFileOpSourceMissing);
  EXPECT_EQ(CommFileRename(p(u"a.txt"), p(u"c.txt")), kFileOpDone);
  EXPECT_EQ(t.read("c.txt"), "A");
  EXPECT_EQ(CommFolderRename(p(u"fa"), p(u"fc")), kFileOpDone);
  EXPECT_TRUE(t.is_folder("fc"));
  fs::set_fault_hook_for_testing([](std::string_view c, std::string_view) { return c == "rename" ? EACCES : 0; });
  EXPECT_EQ(CommFileRename(p(u"c.txt"), p(u"d.txt")), kFileOpFailed);
}

// ---- copy and move ----

TEST_F(FileOps, FileCopyMoveModeWordsAndCodes) {
  struct Case {
    const char16_t* mode;
    const char16_t* overwrite;
    bool dest_exists;
    int16_t want;
    bool source_kept;
    std::string dest_after;
  };
  const Case cases[] = {
      {u"copy", u"overwrite", false, kFileOpDone, true, "S"},
      {u"Copy", u"OverWrite", true, kFileOpDone, true, "S"},  // words compared lower-cased
      {u"COPY", u"no", true, kFileOpDestinationExists, true, "D"},
      {u"copy", u"", false, kFileOpDone, true, "S"},
      {u"move", u"overwrite", true, kFileOpDone, false, "S"},
      {u"cut", u"keep", false, kFileOpDone, false, "S"},  // any other word moves
      {u"anything", u"keep", true, kFileOpDestinationExists, true, "D"},
  };
  for (const auto& c : cases) {
    TempDrive d(u'U');
    d.write("s.txt", "S");
    if (c.dest_exists) d.write("out/d.txt", "D");
    EXPECT_EQ(CommFileCopyMove(d.path(u"s.txt"), d.path(u"out\\d.txt"), c.mode, c.overwrite), c.want)
        << to_utf8(c.mode) << "/" << to_utf8(c.overwrite);
    EXPECT_EQ(d.exists("s.txt"), c.source_kept) << to_utf8(c.mode);
    EXPECT_EQ(d.read("out/d.txt"), c.dest_after) << to_utf8(c.mode);
  }
  EXPECT_EQ(CommFileCopyMove(p(u"none.txt"), p(u"x.txt"), u"copy", u"overwrite"), kFileOpSourceMissing);
}

TEST_F(FileOps, FolderCopyMove) {
  t.write("src/a.txt", "A");
  t.write("src/sub/b.txt", "B");
  EXPECT_EQ(CommFolderCopyMove(p(u"src"), p(u"copy"), u"copy", u""), kFileOpDone);
  EXPECT_EQ(t.read("copy/sub/b.txt"), "B");
  EXPECT_EQ(CommFolderCopyMove(p(u"src"), p(u"copy"), u"copy", u"no"), kFileOpDestinationExists);
  EXPECT_EQ(CommFolderCopyMove(p(u"src"), p(u"moved"), u"move", u""), kFileOpDone);
  EXPECT_FALSE(t.exists("src"));
  EXPECT_EQ(t.read("moved/a.txt"), "A");
  EXPECT_EQ(CommFolderCopyMove(p(u"src"), p(u"x"), u"copy", u""), kFileOpSourceMissing);
}

TEST_F(FileOps, CopyFailingHalfWayReportsOneAndLeavesNoCopy) {
  t.write("src/1.txt", "1");
  t.write("src/2.txt", "2");
  t.write("src/3.txt", "3");
  fs::set_fault_hook_for_testing([](std::string_view c, std::string_view path) {
    return c == "write" && path.find("3.txt") != std::string_view::npos ? ENOSPC : 0;
  });
  EXPECT_EQ(CommFolderCopyMove(p(u"src"), p(u"dst"), u"copy", u"overwrite"), kFileOpFailed);
  EXPECT_EQ(t.tree(), (Tree{"src/", "src/1.txt", "src/2.txt", "src/3.txt"}));
}

// ---- text files ----

TEST_F(FileOps, SaveWritesAnsiBytesWithoutMark) {
  struct Case {
    const char16_t* text;
    std::string bytes;
  };
  const Case cases[] = {
      {u"abc\r\n", "abc\r\n"},
      {u"中", "\xD6\xD0"},  // one character, two bytes, lead first
      {u"a中文b",
       "a\xD6\xD0\xCE\xC4"
       "b"},
      {u"€", "\x80"},    // single byte in GBK
      {u"\u0E01", "?"},  // not in the code page
      {u"", ""},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(CommSaveToTextFile(p(u"t.txt"), c.text, 2));
    EXPECT_EQ(t.read("t.txt"), c.bytes) << to_utf8(c.text);
  }
}

TEST_F(FileOps, SaveAppendsOrReplacesAndMakesFolders) {
  EXPECT_TRUE(CommSaveToTextFile(u" " + p(u"new\\deep\\t.txt") + u" ", u"one", 2));
  EXPECT_TRUE(CommSaveToTextFile(p(u"new\\deep\\t.txt"), u"two", 1));
  EXPECT_TRUE(CommSaveToTextFile(p(u"new\\deep\\t.txt"), u"3", 0));
  EXPECT_EQ(t.read("new/deep/t.txt"), "onetwo3");
  EXPECT_TRUE(CommSaveToTextFile(p(u"new\\deep\\t.txt"), u"four", 2));
  EXPECT_EQ(t.read("new/deep/t.txt"), "four");
  EXPECT_TRUE(CommSaveToTextFile(p(u"new/slash/t.txt"), u"s", 2));  // either separator
  EXPECT_FALSE(CommSaveToTextFile(u"  ", u"x", 2));
}

TEST_F(FileOps, FailedWriteIsNotReportedAsSaved) {
  fs::set_fault_hook_for_testing([](std::string_view c, std::string_view) { return c == "write" ? ENOSPC : 0; });
  EXPECT_FALSE(CommSaveToTextFile(p(u"t.txt"), u"data", 2));
}

TEST_F(FileOps, ReadReturnsTheTextOrNothing) {
  t.write("gbk.txt", "a\xD6\xD0\xCE\xC4\r\n");
  t.write("empty.txt", "");
  t.write(".hidden.txt", "secret");
  t.write("raw.bin", "\xFF\x80\x81");
  EXPECT_EQ(CommReadFromTextFile(p(u"gbk.txt")), u"a中文\r\n");
  EXPECT_EQ(CommReadFromTextFile(p(u"empty.txt")), u"");
  EXPECT_EQ(CommReadFromTextFile(p(u".hidden.txt")), u"");
  EXPECT_EQ(CommReadFromTextFile(p(u"missing.txt")), u"");
  // Bytes that are no character come back unchanged when saved again.
  Text raw = CommReadFromTextFile(p(u"raw.bin"));
  ASSERT_TRUE(CommSaveToTextFile(p(u"raw2.bin"), raw, 2));
  EXPECT_EQ(t.read("raw2.bin"), "\xFF\x80\x81");
}

TEST_F(FileOps, CreateEmptyTxtKeepsContentUnlessOverwrite) {
  t.write("a.txt", "content");
  EXPECT_FALSE(CommFileCreateEmptyTxt(p(u"a.txt"), u"keep"));
  EXPECT_EQ(t.read("a.txt"), "content");
  EXPECT_TRUE(CommFileCreateEmptyTxt(p(u"a.txt"), u" OverWrite "));
  EXPECT_EQ(t.read("a.txt"), "");
  EXPECT_TRUE(t.exists("a.txt"));
  EXPECT_TRUE(CommFileCreateEmptyTxt(p(u"sub\\b.txt"), u""));
  EXPECT_TRUE(t.exists("sub/b.txt"));
}

// ---- listing ----

TEST_F(FileOps, SearchPathFileListsByKindInNameOrder) {
  t.mkdir("d/b");
  t.mkdir("d/a");
  t.mkdir("d/C");
  t.write("d/z.txt", "");
  t.write("d/Y.doc", "");
  t.write("d/.hidden", "");
  EXPECT_EQ(CommSearchPathFile(p(u"d"), 1), u"a|b|C");
  EXPECT_EQ(CommSearchPathFile(p(u"d\\"), 1), u"a|b|C");
  EXPECT_EQ(CommSearchPathFile(p(u"d"), 0), u".hidden|Y.doc|z.txt");
  EXPECT_EQ(CommSearchPathFile(p(u"d"), 2), u".hidden|Y.doc|z.txt");
  t.mkdir("empty");
  EXPECT_EQ(CommSearchPathFile(p(u"empty"), 1), u"");
  EXPECT_EQ(CommSearchPathFile(p(u"empty"), 0), u"");
  EXPECT_EQ(CommSearchPathFile(p(u"missing"), 1), u"");
}

// ---- images ----

TEST_F(FileOps, DeleteImageRemovesEveryTaggedFile) {
  t.write("site/up/a.jpg", "a");
  t.write("site/up/b.jpg", "b");
  t.write("other/c.gif", "c");
  t.write("site/up/keep.jpg", "k");
  auto server = kit::FakeServer::make(p(u"site"));
  Variant sv = kit::var(server);
  // Text before the first tag is not a path, even when it looks like the end of one.
  Text html = u"<p>see /up/keep.jpg'> here</p><img src='/up/a.jpg'> and <img src='/up/b.jpg'><img src='" +
              p(u"other\\c.gif") + u"'><img src='/up/gone.jpg'>";
  EXPECT_TRUE(CommFileDeleteImage(sv, html));
  EXPECT_FALSE(t.exists("site/up/a.jpg"));
  EXPECT_FALSE(t.exists("site/up/b.jpg"));
  EXPECT_FALSE(t.exists("other/c.gif"));
  EXPECT_TRUE(t.exists("site/up/keep.jpg"));
}

TEST_F(FileOps, DeleteImageReportsErrors) {
  t.write("site/up/a.jpg", "a");
  auto server = kit::FakeServer::make(p(u"site"));
  Variant sv = kit::var(server);
  EXPECT_FALSE(CommFileDeleteImage(sv, u"<img src='../../outside.jpg'>"));  // MapPath refuses
  EXPECT_FALSE(CommFileDeleteImage(sv, u"<img src='/up/a.jpg\">"));         // no closing quote
  Variant nothing;
  EXPECT_FALSE(CommFileDeleteImage(nothing, u"<img src='/up/a.jpg'>"));
  EXPECT_TRUE(t.exists("site/up/a.jpg"));
  EXPECT_TRUE(CommFileDeleteImage(nothing, u"no images here"));
}

// ---- the façade ----

TEST_F(FileOps, ReachableByNameWithDeclaredDefaults) {
  Variant cls(create_object(u"Brevane.BrevaneCls"));
  Variant path(p(u"f\\x.txt"));
  ASSERT_TRUE(call(cls, u"CommSaveToTextFile", {path, Variant(u"a")}).to_bool());  // mode defaults to 2
  ASSERT_TRUE(call(cls, u"CommSaveToTextFile", {path, Variant(u"b"), Variant(int16_t{1})}).to_bool());
  EXPECT_EQ(call(cls, u"commreadfromtextfile", {path}).to_text(), u"ab");
  EXPECT_EQ(call(cls, u"CommFileRename", {path, path}).to_i16(), kFileOpDestinationExists);
}

// ---- URL probe ----

// A one-shot HTTP server on the loopback interface.
class TinyServer {
 public:
  explicit TinyServer(bool answer) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd_, 4);
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this, answer] {
      int c = ::accept(fd_, nullptr, nullptr);
      if (c < 0) return;
      char buf[2048];
      ssize_t n = ::recv(c, buf, sizeof buf, 0);
      if (n > 0) request.assign(buf, static_cast<size_t>(n));
      if (answer) {
        const char reply[] = "HTTP/1.0 404 Not Found\r\nContent-Length: 5\r\n\r\nnope\n";
        ::send(c, reply, sizeof reply - 1, MSG_NOSIGNAL);
      } else {
        while (::recv(c, buf, sizeof buf, 0) > 0) {
        }  // silent until the client gives up
      }
      ::close(c);
    });
  }
  ~TinyServer() {
    ::shutdown(fd_, SHUT_RDWR);
    thread_.join();
    ::close(fd_);
  }
  Text url() const { return T("http://127.0.0.1:" + std::to_string(port_) + "/probe"); }
  std::string request;

 private:
  int fd_ = -1;
  int port_ = 0;
  std::thread thread_;
};

class OpenUrl : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("no_proxy", "127.0.0.1", 1); }
};

TEST_F(OpenUrl, AnyAnswerCounts) {
  TinyServer s(true);
  EXPECT_TRUE(CommOpenUrl(s.url()));
  EXPECT_NE(s.request.find("GET /probe"), std::string::npos);
  EXPECT_NE(s.request.find("User-Agent: http"), std::string::npos);
}

TEST_F(OpenUrl, SilenceAndRefusalDoNot) {
  TinyServer s(false);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(http::url_answers(s.url(), 300));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1400));
  EXPECT_FALSE(CommOpenUrl(u"http://127.0.0.1:1/"));
  EXPECT_FALSE(CommOpenUrl(u"not a url"));
}

TEST_F(OpenUrl, OnlyNetworkSchemes) {
  TempDrive t;
  t.write("f.txt", "x");
  EXPECT_FALSE(CommOpenUrl(T("file://" + t.native("f.txt"))));
}

}  // namespace
}  // namespace brevane
