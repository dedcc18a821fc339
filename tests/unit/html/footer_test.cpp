#include "html/footer.h"

#include <gtest/gtest.h>

#include "component/facade.h"
#include "kit/hostkit.h"

namespace brevane {
namespace {

using kit::FakeConn;
using kit::FakeRs;
using kit::var;

TEST(CopyRight, RowHeightLineBreakAndFormFollowTheArguments) {
  struct Case {
    int16_t type, line;
    const char16_t* expected;
  };
  const Case cases[] = {
      {1, 1,
       u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=50><td align=center>Brevane<br><br>"
       u"Copyright &copy; Brevane</td></tr></table>"},
      {3, 0,
       u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=150><td align=center>Brevane"
       u"Copyright &copy; 2026 Brevane 版权所有 程序设计：Brevane 开发组</td></tr></table>"},
      // A type beyond what 16 bits times 50 hold is a tall row, not an overflow.
      {1000, 1,
       u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=50000><td align=center>Brevane<br><br>"
       u"Copyright &copy; 2026 Brevane 版权所有 程序设计：Brevane 开发组</td></tr></table>"},
  };
  for (const Case& c : cases) {
    auto conn = FakeConn::make();
    auto rs = FakeRs::make();
    Variant cv = var(conn), rv = var(rs), line(c.line);
    EXPECT_EQ(CommShowCopyRight(cv, rv, c.type, line), c.expected) << c.type;
    EXPECT_TRUE(conn->closed);
    EXPECT_GE(rs->close_calls, 1);
  }
}

TEST(UpDate, ShowsTheInstalledVersionWithoutAnyAddress) {
  Text page = CommShowFormUpDate();
  EXPECT_NE(page.find(kVersion), Text::npos);
  EXPECT_EQ(page.find(u"http"), Text::npos);
}

}  // namespace
}  // namespace brevane
