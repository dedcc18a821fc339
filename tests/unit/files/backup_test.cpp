#include "files/backup.h"

#include <gtest/gtest.h>

#include "kit/hostkit.h"
#include "kit/tempdrive.h"
#include "platform/regexp.h"

namespace brevane {
namespace {

using kit::TempDrive;

class Backup : public ::testing::Test {
 protected:
  Text run(Text list, uint8_t automatic, Text name, Text path) {
    Variant response = kit::var(kit::FakeResponse::make()), request = kit::var(kit::FakeRequest::make());
    return CommFileBackup(response, request, server, std::move(list), automatic, std::move(name), std::move(path));
  }
  // The folders below `rel`.
  std::vector<std::string> folders_in(const std::string& rel) {
    std::vector<std::string> out;
    for (const auto& p : t.tree())
      if (p.starts_with(rel) && p.ends_with("/") && p.size() > rel.size()) out.push_back(p.substr(rel.size()));
    return out;
  }
  TempDrive t;
  Variant server = kit::var(kit::FakeServer::make(t.path(u"site"), u"/admin/"));
};

TEST_F(Backup, CopiesTheListIntoAFolderNamedWithTheTime) {
  t.write("site/data/vote.asp", "votes");
  t.write("site/data/news.mdb", "news");
  Text folder = run(u"vote.asp|news.mdb", 1, u"daily", u"/backup");
  auto made = folders_in("site/backup/");
  ASSERT_EQ(made.size(), 1u);
  EXPECT_TRUE(Regex(u"^daily20[0-9]{12}/$").test(from_utf8(made[0]))) << made[0];
  EXPECT_EQ(folder, t.path(u"site\\backup\\" + from_utf8(made[0].substr(0, made[0].size() - 1))));
  EXPECT_EQ(t.read("site/backup/" + made[0] + "vote.asp"), "votes");
  EXPECT_EQ(t.read("site/backup/" + made[0] + "news.mdb"), "news");
}

TEST_F(Backup, WhereTheFolderGoes) {
  t.write("site/data/vote.asp", "v");
  // The default list is vote.asp; the default folder is relative to the page.
  EXPECT_NE(run(u"", 1, u"", u"AutoBackup"), u"");
  EXPECT_EQ(folders_in("site/admin/AutoBackup/").size(), 1u);
  // Only an explicitly empty path means the site's own AutoBackup.
  EXPECT_NE(run(u"", 1, u"x", u""), u"");
  EXPECT_EQ(folders_in("site/AutoBackup/").size(), 1u);
  // A physical path is used as it is; doubled backslashes are single.
  Text physical = run(u"vote.asp", 1, u"p", t.path(u"elsewhere\\"));
  EXPECT_TRUE(physical.starts_with(t.path(u"elsewhere\\p"))) << to_utf8(physical);
  EXPECT_EQ(folders_in("elsewhere/").size(), 1u);
}

TEST_F(Backup, OffMeansNothingAtAll) {
  t.write("site/data/vote.asp", "v");
  auto before = t.tree();
  EXPECT_EQ(run(u"vote.asp", 0, u"x", u"/AutoBackup"), u"");
  EXPECT_EQ(t.tree(), before);
}

TEST_F(Backup, StopsAtTheFirstFailureKeepingEarlierCopies) {
  t.write("site/data/a.mdb", "a");
  t.write("site/data/c.mdb", "c");
  EXPECT_EQ(run(u"a.mdb|missing.mdb|c.mdb", 1, u"", u"/bk"), u"");
  auto made = folders_in("site/bk/");
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(t.read("site/bk/" + made[0] + "a.mdb"), "a");
  EXPECT_FALSE(t.exists("site/bk/" + made[0] + "c.mdb"));
}

TEST_F(Backup, NamesThatClimbOutAreRefused) {
  t.write("site/data/a.mdb", "a");
  t.write("site/secret.txt", "s");
  EXPECT_EQ(run(u"a.mdb|..\\secret.txt", 1, u"", u"/bk"), u"");
  EXPECT_EQ(run(u"..\\..\\a.mdb", 1, u"", u"/bk2"), u"");
  for (const auto& p : t.tree()) EXPECT_EQ(p.find("secret.txt"), p == "site/secret.txt" ? 5u : std::string::npos);
}

}  // namespace
}  // namespace brevane
