#include "files/paths.h"

#include <gtest/gtest.h>

#include <set>

#include "core/registry.h"
#include "core/script_error.h"
#include "core/vbdate.h"
#include "kit/tempdrive.h"

namespace brevane {
namespace {

struct Case {
  const char16_t* in;
  const char16_t* want;
};

TEST(PathSplit, FolderPart) {
  const Case cases[] = {
      {u"C:\\site\\up\\a.txt", u"C:\\site\\up\\"},
      {u"/up/a.txt", u"/up/"},
      {u"a.txt", u""},
      {u"", u""},
      {u"  C:\\x\\a.txt  ", u"C:\\x\\"},  // trimmed first
      {u"C:\\x/y/z.doc", u"C:\\"},        // a backslash wins as the separator
      {u"C:\\x\\", u"C:\\x\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(CommFileGetPath(c.in), c.want) << to_utf8(c.in);
}

TEST(PathSplit, FullName) {
  const Case cases[] = {
      {u"a.txt", u"a.txt"},
      {u"C:\\x/y\\z.doc", u"z.doc"},
      {u"C:\\x\\y/z.doc", u"y/z.doc"},  // forward slashes behind the last backslash stay in the name
      {u"/up/pic.JPG", u"pic.JPG"},
      {u" /up/ ", u""},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(CommFileGetFullName(c.in), c.want) << to_utf8(c.in);
}

TEST(PathSplit, NameIsEverythingBeforeTheLastFullStopLowerCased) {
  const Case cases[] = {
      {u"Photo.JPG", u"photo"},
      {u"README", u"readme"},
      {u"Docs\\Read.Me.TXT", u"docs\\read.me"},  // the folder part stays
      {u" A.b ", u" a"},                         // not trimmed
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(CommFileGetName(c.in), c.want) << to_utf8(c.in);
}

TEST(PathSplit, Extension) {
  struct ExtCase {
    const char16_t* in;
    uint8_t has_point;
    const char16_t* want;
  };
  const ExtCase cases[] = {
      {u" a.b.TAR ", 0, u"tar"},   {u" a.b.TAR ", 1, u".tar"}, {u"a.JPG", 0, u"jpg"},
      {u"a.JPG", 1, u".jpg"},      {u"a.b.JPG", 2, u"b.jpg"},  // a larger value reaches further left
      {u"ab.JPG", 200, u"ab.jpg"},                             // but never past the start
      {u"README", 1, u""},         {u"a.", 1, u"."},           {u"", 1, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(CommFileGetExt(c.in, c.has_point), c.want) << to_utf8(c.in);
}

TEST(Icon, ListedExtensionKeepsItsCase) {
  EXPECT_EQ(CommFileGetIcon(u"DOC", u"asp", u"small"),
            u"<img src=../comm/image/fileswt/DOC.asp border=0 width=16 height=16 alt='DOC' align='absmiddle'>");
  EXPECT_EQ(CommFileGetIcon(u"xyz", u"gif", u"BIG"),
            u"<img src=../comm/image/fileswt1/unknown.gif border=0 width=35 height=32 alt='xyz' align='absmiddle'>");
  const Case unknown[] = {{u"", u"unknown"}, {u"oc", u"unknown"}, {u"doc|xls", u"unknown"}, {u"Mp3", u"Mp3"}};
  for (const auto& c : unknown)
    EXPECT_NE(CommFileGetIcon(c.in, u"asp", u"small").find(Text(u"fileswt/") + c.want + u".asp"), Text::npos)
        << to_utf8(c.in);
}

TEST(Icon, DefaultsThroughTheFacade) {
  Variant cls(create_object(u"Brevane.BrevaneCls"));
  EXPECT_EQ(call(cls, u"CommFileGetIcon", {Variant(u"zip")}).to_text(),
            u"<img src=../comm/image/fileswt/zip.asp border=0 width=16 height=16 alt='zip' align='absmiddle'>");
}

TEST(Size, LengthOfPlainFilesOnly) {
  kit::TempDrive t;
  t.write("a.bin", std::string(1234, 'x'));
  t.write(".hidden", "xyz");
  t.mkdir("dir");
  EXPECT_EQ(CommFileGetSize(t.path(u"a.bin")), 1234);
  EXPECT_EQ(CommFileGetSize(t.path(u"missing")), 0);
  EXPECT_EQ(CommFileGetSize(t.path(u".hidden")), 0);
  EXPECT_EQ(CommFileGetSize(t.path(u"dir")), 0);
}

DateParts fixed_clock() { return {2026, 3, 7, 9, 5, 1}; }

class ClockNames : public ::testing::Test {
 protected:
  void SetUp() override { set_clock_for_testing(&fixed_clock); }
  void TearDown() override { set_clock_for_testing(nullptr); }
};

TEST_F(ClockNames, TimeNameIsFourteenPaddedDigits) { EXPECT_EQ(CommFileGetTimeName(), u"20260307090501"); }

TEST_F(ClockNames, RandomNameLengths) {
  Text n20 = CommFileGetRndName(20);
  ASSERT_EQ(n20.size(), 20u);
  EXPECT_EQ(n20.substr(0, 14), u"20260307090501");
  for (char16_t c : n20) EXPECT_TRUE(c >= u'0' && c <= u'9');
  Text n25 = CommFileGetRndName(25);
  ASSERT_EQ(n25.size(), 25u);
  EXPECT_EQ(n25.substr(20), u"99999");
  EXPECT_EQ(CommFileGetRndName(8).size(), 8u);
  EXPECT_EQ(CommFileGetRndName(0), u"");
  try {
    CommFileGetRndName(-1);
    ADD_FAILURE() << "no error";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), kInvalidCall);
  }
}

TEST_F(ClockNames, RandomPartVariesWithinTheSameSecond) {
  std::set<Text> seen;
  for (int i = 0; i < 300; ++i) {
    Text name = CommFileGetRndName(20);
    ASSERT_EQ(name.substr(0, 14), u"20260307090501");
    seen.insert(name.substr(14));
  }
  EXPECT_GT(seen.size(), 200u);
}

}  // namespace
}  // namespace brevane
