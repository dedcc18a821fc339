#include "files/fileforms.h"

#include <gtest/gtest.h>

#include "kit/hostkit.h"
#include "kit/tempdrive.h"

namespace brevane {
namespace {

using kit::FakeConn;
using kit::FakeResponse;
using kit::FakeRs;
using kit::FakeServer;
using kit::TempDrive;
using kit::var;

class LostFile : public ::testing::Test {
 protected:
  void SetUp() override {
    drive.write("site/data/a.mdb", "x");
    drive.write("site/data/c.mdb", "x");
  }
  TempDrive drive;
  Variant server = var(FakeServer::make(drive.path(u"site")));
  std::shared_ptr<FakeResponse> response = FakeResponse::make();
  std::shared_ptr<FakeConn> conn = FakeConn::make();
  Variant resp = var(response), cv = var(conn), rv = var(FakeRs::make());
};

TEST_F(LostFile, MissingNamesAreListedInOrderAndThePageEnds) {
  CommShowWindowLostFile(server, cv, rv, resp, u"a.mdb|b.mdb|c.mdb|d.mdb|b.mdb", u"某某单位");
  EXPECT_TRUE(response->ended);
  EXPECT_TRUE(conn->closed);
  const Text& out = response->output;
  EXPECT_TRUE(
      out.starts_with(u"<table><tr><td height=30></td></tr></table><table align=center "
                      u"background='../comm/image/zelto_bg_filelost.asp' "
                      u"width=308 height=397 cellpadding=0 cellspacing=0 border=0>"));
  EXPECT_NE(out.find(u"class=3dfont3 style='padding-left:40pt'>某某单位</td>"), Text::npos);
  EXPECT_NE(out.find(u"class=3dfont2 style='padding-left:40pt'>Brevane</td>"), Text::npos);
  EXPECT_NE(out.find(u">〖b.mdb〗〖d.mdb〗〖b.mdb〗</td>"), Text::npos);
  EXPECT_TRUE(out.ends_with(u"</table>"));
}

TEST_F(LostFile, NothingMissingOrNothingListedWritesNothing) {
  for (const char16_t* list : {u"a.mdb|c.mdb", u""}) {
    CommShowWindowLostFile(server, cv, rv, resp, list, u"");
    EXPECT_EQ(response->output, u"") << to_utf8(list);
    EXPECT_FALSE(response->ended);
    EXPECT_FALSE(conn->closed);
  }
}

TEST(FileSelect, HeadingDropsDotsAndSlashes) {
  TempDrive drive;
  drive.mkdir("site/upload/2024");
  drive.write("site/upload/a b'c.txt", "x");
  Variant server = var(FakeServer::make(drive.path(u"site"), u"/admin/"));
  Variant none;
  struct Case {
    const char16_t* path;
    const char16_t* heading;
  };
  const Case cases[] = {
      {u"../upload/", u"upload"},
      {u"..\\upload\\", u"upload"},
      {u"/upload", u"upload"},
  };
  const Text head = u"&nbsp;<img src='../comm/image/zelto_folder_open.asp' border=0 align=absmiddle>";
  for (const Case& c : cases) {
    Text folders = CommShowFormFileSelect(none, none, server, c.path, 1);
    EXPECT_EQ(folders, head + c.heading +
                           u"<br><a style='padding-left:20px;cursor:hand;' onclick=javascript:SelectPathFile('2024');>"
                           u"<img src='../comm/image/zelto_folder_close.asp' border=0 align=absmiddle>2024</a><br>")
        << to_utf8(c.path);
  }
  // A name with a blank and a quote cannot end the handler early.
  Text files = CommShowFormFileSelect(none, none, server, u"../upload/", 0);
  EXPECT_NE(files.find(u"onclick=javascript:SelectPathFile('a&#32;b\\x27c.txt');>"), Text::npos) << to_utf8(files);
  EXPECT_NE(files.find(u">a b&#39;c.txt</a><br>"), Text::npos);
  // A physical path is listed as given; a missing folder gives the heading alone.
  EXPECT_EQ(CommShowFormFileSelect(none, none, server, drive.path(u"site\\nothing"), 1), head + u"T:sitenothing<br>");
}

}  // namespace
}  // namespace brevane
