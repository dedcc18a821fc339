#include "host/site_map.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/script_error.h"

namespace brevane::host {
namespace {

SiteMap sample_site() {
  SiteMap m;
  m.root = "/srv/site";
  m.mounts = {{"/data", "/var/lib/brevane/data"}};
  return m;
}

TEST(MapPath, SitePathsAndPageRelativePaths) {
  SiteMap m = sample_site();
  struct Case {
    const char16_t* path;
    const char* page;
    const char16_t* out;
  } cases[] = {
      {u"/", "/index.asp", u"C:\\srv\\site"},
      {u"/upload/a.txt", "/index.asp", u"C:\\srv\\site\\upload\\a.txt"},
      {u"a.txt", "/upload/save.asp", u"C:\\srv\\site\\upload\\a.txt"},
      {u"../img/x.gif", "/upload/save.asp", u"C:\\srv\\site\\img\\x.gif"},
      {u"./", "/upload/save.asp", u"C:\\srv\\site\\upload\\"},
      {u"/UploadFile/", "/x.asp", u"C:\\srv\\site\\UploadFile\\"},
      {u"\\a\\\\b/c", "/x.asp", u"C:\\srv\\site\\a\\b\\c"},
      {u"/data\\vote.asp", "/x.asp", u"C:\\var\\lib\\brevane\\data\\vote.asp"},
      {u"/DATA/vote.asp", "/x.asp", u"C:\\var\\lib\\brevane\\data\\vote.asp"},
      {u"/database/x", "/x.asp", u"C:\\srv\\site\\database\\x"},
      {u"", "/upload/save.asp", u"C:\\srv\\site\\upload"},
  };
  for (const auto& c : cases) EXPECT_EQ(m.map_path(c.path, c.page), c.out) << to_utf8(c.path);
}

TEST(MapPath, RefusesPathsThatLeaveTheSite) {
  SiteMap m = sample_site();
  for (const char16_t* p : {u"/..", u"../x", u"/a/../../etc/passwd", u"..\\..\\x", u"C:\\windows", u"/a:b"}) {
    try {
      Text out = m.map_path(p, "/index.asp");
      ADD_FAILURE() << to_utf8(p) << " mapped to " << to_utf8(out);
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.number(), kInvalidCall) << to_utf8(p);
    }
  }
}

TEST(MapPath, ClimbingInsideTheSiteIsFine) {
  EXPECT_EQ(sample_site().map_path(u"/a/b/../../c", "/x.asp"), u"C:\\srv\\site\\c");
}

class ResolveFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("brevane-site-test-" + std::to_string(::getpid()));
    fs::create_directories(root_ / "Comm" / "Image");
    std::ofstream(root_ / "Comm" / "Image" / "Zelto_Close.asp") << "GIF89a";
    std::ofstream(root_ / "comm.txt") << "x";
    site_.root = root_;
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
  SiteMap site_;
};

TEST_F(ResolveFileTest, MatchesComponentsWithoutRegardToCase) {
  auto expected = root_ / "Comm" / "Image" / "Zelto_Close.asp";
  for (const char* p : {"/Comm/Image/Zelto_Close.asp", "/comm/image/zelto_close.asp", "/COMM/IMAGE/ZELTO_CLOSE.ASP"})
    EXPECT_EQ(site_.resolve_file(p), expected) << p;
}

TEST_F(ResolveFileTest, NothingForMissingFilesFoldersAndClimbs) {
  for (const char* p : {"/comm/image/none.asp", "/comm/image", "/comm/../comm.txt", "/../etc/passwd"})
    EXPECT_FALSE(site_.resolve_file(p)) << p;
}

TEST(SniffImageType, Table) {
  struct Case {
    std::string head;
    const char* type;
  } cases[] = {
      {"\x89PNG\r\n\x1a\n....", "image/png"},
      {"GIF89a...", "image/gif"},
      {"GIF87a", "image/gif"},
      {"\xFF\xD8\xFF\xE0", "image/jpeg"},
      {"BM" + std::string(20, '\0'), "image/bmp"},
      {"<% Response.Write %>", ""},
      {"SQLite format 3", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(sniff_image_type(c.head), c.type) << c.head;
}

TEST(ToWindowsPath, DriveCIsTheRoot) {
  EXPECT_EQ(to_windows_path("/"), u"C:\\");
  EXPECT_EQ(to_windows_path("/srv/site"), u"C:\\srv\\site");
}

}  // namespace
}  // namespace brevane::host
