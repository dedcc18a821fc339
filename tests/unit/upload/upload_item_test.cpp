// Saving uploaded items: the folder, the three naming options, overwriting
// only with -1 and the numbering that never replaces a file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/registry.h"
#include "core/vbdate.h"
#include "frame/page_context.h"
#include "kit/expect.h"
#include "kit/hostkit.h"
#include "kit/scratch.h"

namespace brevane {
namespace {

DateParts fixed_clock() { return DateParts{2026, 12, 6, 9, 5, 7}; }

class Saving : public ::testing::Test {
 protected:
  void SetUp() override {
    set_clock_for_testing(&fixed_clock);
    server = Variant(kit::var(kit::FakeServer::make(dir.physical())));
  }
  void TearDown() override { set_clock_for_testing(nullptr); }

  // An item of a live parser holding `data` under the client name `client`.
  Variant item(const std::string& client, const std::string& data) {
    kit::MultipartBody body;
    body.file("f", client, data, "image/jpeg");
    body.post(*req);
    parser = Variant(create_object(u"Brevane.Zelto_Class_UploadFile"));
    call(parser, u"GetData", {kit::var(req)});
    return call(parser, u"Files", {Variant(u"f")});
  }

  bool save(Variant& it, Variant path, Variant option, Variant overwrite) {
    return call(it, u"SavetoFile", {server, path, option, overwrite}).to_bool();
  }

  kit::ScratchFolder dir;
  Variant server, parser;
  std::shared_ptr<kit::FakeRequest> req = kit::FakeRequest::make();
};

TEST_F(Saving, SitePathsWithAndWithoutSlashReachOneFolder) {
  for (auto path : {u"/upload", u"/upload/", u"upload"}) {
    Variant it = item("a.jpg", "JPEG");
    ASSERT_TRUE(save(it, Variant(path), Variant(1), Variant(true))) << to_utf8(get(it, u"Exception").to_text());
    EXPECT_EQ(get(it, u"Path").to_text(), dir.physical() + u"\\upload\\");
  }
  EXPECT_EQ(dir.read("upload/a.jpg"), "JPEG");
}

TEST_F(Saving, PhysicalPathsAreUsedAsTheyStandAndFoldersAreMade) {
  Variant it = item("a.jpg", "JPEG");
  Text folder = dir.physical() + u"\\x\\y";
  ASSERT_TRUE(save(it, Variant(folder), Variant(1), Variant(true)));
  EXPECT_EQ(get(it, u"Path").to_text(), folder + u"\\");
  EXPECT_EQ(dir.read("x/y/a.jpg"), "JPEG");
}

TEST_F(Saving, NamingOptions) {
  struct Case {
    Variant option;
    const char16_t* user;
    const char* expect_prefix;
  };
  const Case cases[] = {
      {Variant(0), u"", "20261206090507"},       {Variant(1), u"", "photo.jpg"}, {Variant(-1), u"custom", "custom.jpg"},
      {Variant(-1), u"", "20261206090507"},  // no chosen name: the generated one
      {Variant(7), u"custom", "20261206090507"},
  };
  for (const Case& c : cases) {
    Variant it = item("C:\\pics\\photo.jpg", "J");
    put(it, u"UserSetName", Variant(c.user));
    ASSERT_TRUE(save(it, Variant(u"/up"), c.option, Variant(true)));
    std::string name = to_utf8(get(it, u"FileName").to_text());
    EXPECT_EQ(name.substr(0, std::strlen(c.expect_prefix)), c.expect_prefix);
    EXPECT_TRUE(dir.exists("up/" + name)) << name;
  }
}

TEST_F(Saving, OnlyMinusOneOverwrites) {
  dir.write("up/photo.jpg", "old");
  struct Case {
    Variant overwrite;
    const char* saved_as;
  };
  const Case cases[] = {
      {Variant(1), "photo(0).jpg"}, {Variant(false), "photo(1).jpg"},    {Variant(u"yes"), "photo(2).jpg"},
      {Variant(true), "photo.jpg"}, {Variant(int16_t(-1)), "photo.jpg"},
  };
  for (const Case& c : cases) {
    Variant it = item("photo.jpg", "new");
    ASSERT_TRUE(save(it, Variant(u"/up"), Variant(1), c.overwrite));
    EXPECT_EQ(to_utf8(get(it, u"FileName").to_text()), c.saved_as);
    EXPECT_EQ(dir.read(std::string("up/") + c.saved_as), "new");
  }
}

TEST_F(Saving, NumberingKeepsTheStemBeforeTheFirstDot) {
  dir.write("up/a.b.jpg", "old");
  Variant it = item("a.b.jpg", "new");
  ASSERT_TRUE(save(it, Variant(u"/up"), Variant(1), Variant(false)));
  EXPECT_EQ(get(it, u"FileName").to_text(), u"a(0).jpg");
  EXPECT_EQ(dir.read("up/a.b.jpg"), "old");
}

TEST_F(Saving, NamesWithoutADotAreNumberedToo) {
  dir.write("up/README", "old");
  dir.write("up/README(0)", "old");
  Variant it = item("README", "new");
  ASSERT_TRUE(save(it, Variant(u"/up"), Variant(1), Variant(false)));
  EXPECT_EQ(get(it, u"FileName").to_text(), u"README(1)");
  EXPECT_EQ(dir.read("up/README"), "old");
  EXPECT_EQ(dir.read("up/README(1)"), "new");
}

TEST_F(Saving, ALinkUnderTheChosenNameIsNeitherFollowedNorReplaced) {
  std::filesystem::create_directories(dir.native() / "up");
  std::filesystem::create_symlink(dir.native() / "nowhere", dir.native() / "up" / "a.jpg");
  Variant it = item("a.jpg", "new");
  ASSERT_TRUE(save(it, Variant(u"/up"), Variant(1), Variant(false)));
  EXPECT_EQ(get(it, u"FileName").to_text(), u"a(0).jpg");
  EXPECT_FALSE(dir.exists("nowhere"));
  Variant again = item("a.jpg", "new");
  EXPECT_FALSE(save(again, Variant(u"/up"), Variant(1), Variant(true)));
  EXPECT_FALSE(dir.exists("nowhere"));
}

TEST_F(Saving, FailuresGiveFalseAndAnException) {
  dir.write("blocked", "a file where the folder should be");
  Variant it = item("a.jpg", "J");
  EXPECT_FALSE(save(it, Variant(u"/blocked"), Variant(1), Variant(true)));
  EXPECT_FALSE(get(it, u"Exception").to_text().empty());
  // A page moving the item outside the body.
  Variant other = item("b.jpg", "J");
  put(other, u"Size", Variant(1 << 30));
  EXPECT_FALSE(save(other, Variant(u"/up"), Variant(1), Variant(true)));
  EXPECT_FALSE(dir.exists("up/b.jpg"));
}

TEST_F(Saving, QuickSaveSavesEveryFileOfAFieldThroughThePagesServer) {
  kit::MultipartBody body;
  body.file("pic", "a.jpg", "A").file("pic", "b.jpg", "B").file("other", "c.jpg", "C");
  body.post(*req);
  parser = Variant(create_object(u"Brevane.Zelto_Class_UploadFile"));
  call(parser, u"GetData", {kit::var(req)});
  // No page running: a site path cannot be mapped, and saying so beats saving nothing.
  EXPECT_EQ(kit::error_of([&] {
              call(parser, u"QuickSave", {Variant(u"PIC"), Variant(u"/quick")});
            }),
            kit::raised(kObjectRequired, u"QuickSave needs the page's Server: no page is running on this thread"));
  // A physical folder needs no page.
  EXPECT_EQ(call(parser, u"QuickSave", {Variant(u"pic"), Variant(dir.physical() + u"\\direct")}).to_i32(), 2);
  EXPECT_TRUE(std::filesystem::is_directory(dir.native() / "direct"));
  PageScope page(PageContext{kit::var(req), {}, server, {}, {}});
  EXPECT_EQ(call(parser, u"QuickSave", {Variant(u"PIC"), Variant(u"/quick")}).to_i32(), 2);
  EXPECT_EQ(call(parser, u"QuickSave", {Variant(u"none"), Variant(u"/quick")}).to_i32(), 0);
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.native() / "quick")) files += e.is_regular_file();
  EXPECT_EQ(files, 2);
}

TEST_F(Saving, GetBytesAndFieldsOfAFreshItem) {
  Variant it = item("a.jpg", "JPEG");
  Variant bytes = call(it, u"GetBytes");
  EXPECT_EQ(std::string(bytes.bytes().begin(), bytes.bytes().end()), "JPEG");
  Variant fresh(create_object(u"Brevane.Zelto_Class_UploadFileEx"));
  EXPECT_TRUE(get(fresh, u"IsFile").to_bool());
  EXPECT_EQ(get(fresh, u"Size").to_i32(), 0);
  EXPECT_TRUE(get(fresh, u"NewName").is_empty());
  EXPECT_EQ(get(fresh, u"FormName").type(), VarType::String);
  Variant none(create_object(u"Brevane.Zelto_Class_UploadFileEmpty"));
  EXPECT_FALSE(get(none, u"IsFile").to_bool());
}

}  // namespace
}  // namespace brevane
