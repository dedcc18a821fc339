// Tab strips and the spreadsheet export document.
#include "html/tabs.h"

#include <gtest/gtest.h>

#include "core/object.h"
#include "core/registry.h"
#include "core/vbdate.h"
#include "kit/expect.h"
#include "kit/hostkit.h"

namespace brevane {
namespace {

using kit::error_of;
using kit::var;

size_t count(TextView s, TextView what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != Text::npos; at = s.find(what, at + what.size())) ++n;
  return n;
}

Variant texts(std::initializer_list<const char16_t*> items) {
  VariantArray a;
  for (const char16_t* t : items) a.emplace_back(Text(t));
  return Variant(std::move(a));
}

TEST(TabStyle, BackgroundOnlyWhenAColourIsGiven) {
  Text plain = CommShowTab(u"");
  EXPECT_EQ(plain.find(u"background:"), Text::npos);
  EXPECT_NE(plain.find(u"#contentwrapper { FLOAT: left; WIDTH: 100%;FLOAT: left; WIDTH: 97%;MARGIN: 0px 0px 0px 10px}"),
            Text::npos);
  Text coloured = CommShowTab(u"#ffeedd");
  EXPECT_EQ(count(coloured, u"background:#ffeedd;"), 2u);
  EXPECT_TRUE(coloured.starts_with(u"<style>"));
  EXPECT_TRUE(coloured.ends_with(u"</script>"));
  EXPECT_NE(coloured.find(u"<script language=javascript>function showBlockTabN(iTabnum, iTabcnt){"), Text::npos);
}

TEST(TabStrip, ThreeTabsSwitchOnMouseOverWithOnlyTheFirstPaneShown) {
  Text s = CommShowTabAndContent(u"", texts({u"新闻", u"公告", u"<b>日记</b>"}), texts({u"甲", u"乙", u"丙"}), u"97%",
                                 u"360");
  EXPECT_NE(s.find(u"<div id=contentwrapper><div class=Tab_Content><ul><li><a class=current  id='sTabmenu_0' "
                   u"onmouseover='showBlockTabN(0, 3);'><div class=textwrap>新闻</div></a>"
                   u"<li><a  id='sTabmenu_1' onmouseover='showBlockTabN(1, 3);'>"),
            Text::npos);
  EXPECT_NE(s.find(u"<div class=textwrap><b>日记</b></div></a></li></ul></div><div class=Tab_Title>"), Text::npos);
  EXPECT_NE(s.find(u"<div id='dTabcontent_0'><ul class=newsfield><table cellSpacing=0 cellPadding=0 width='97%' "
                   u"border=0 bgcolor=#eeeeff><tr><td valign=top align=left width='100%'><div "
                   u"style='height:360px;overflow-y:auto;'><ul class=newsfield>甲</ul></div></td></tr></table></ul>"
                   u"</div><div id='dTabcontent_1' style='display:none'>"),
            Text::npos);
  EXPECT_EQ(count(s, u"style='display:none'"), 2u);
  EXPECT_TRUE(s.ends_with(u"丙</ul></div></td></tr></table></ul></div></div></div>"));
}

TEST(TabStrip, EmptyOrMissingArraysGiveNoTabs) {
  for (const Variant& none : {Variant(), Variant::missing(), Variant(VariantArray{})}) {
    Text s = CommShowTabAndContent(u"", none, none, u"97%", u"360");
    EXPECT_EQ(count(s, u"id='sTabmenu_"), 0u);
    EXPECT_EQ(count(s, u"id='dTabcontent_"), 0u);
    EXPECT_TRUE(s.ends_with(u"<ul></li></ul></div><div class=Tab_Title></div></div>"));
  }
  EXPECT_EQ(error_of([] { CommShowTabAndContent(u"", Variant(u"x"), Variant(), u"", u""); }).number, kTypeMismatch);
}

TEST(TabStrip, ThroughTheFacadeWithScriptArrays) {
  Variant c(create_object(u"Brevane.BrevaneCls"));
  Text s = call(c, u"CommShowTabAndContent", {Variant(Text()), texts({u"一", u"二"}), texts({u"x", u"y"})}).to_text();
  EXPECT_NE(s.find(u"showBlockTabN(1, 2)"), Text::npos);
  EXPECT_NE(s.find(u"width='97%'"), Text::npos);  // defaults applied
  EXPECT_NE(s.find(u"height:360px"), Text::npos);
}

TEST(ExcelHeaderRow, SpansOnlyAboveOneAndTheHeaderBackground) {
  const Text expected =
      u"<tr align=center  ><td bgcolor=#b5f9de>A</td><td ColSpan='2' bgcolor=#b5f9de>B</td>"
      u"<td RowSpan='3' bgcolor=#b5f9de>C</td></tr>";
  EXPECT_EQ(CommShowExcelTableHeader(u"A$B|2$C|1|3", u"$"), expected);
  EXPECT_EQ(CommShowExcelTableHeader(u"A;B|2;C|1|3", u";"), expected);
}

TEST(ExcelParts, TopAndBottom) {
  EXPECT_EQ(CommShowExcelTop(5, u"新闻列表"),
            u"<table border='1'><tr align=center height=40><td colspan=5 bgcolor=#e8f24d>新闻列表</td></tr>");
  EXPECT_TRUE(CommShowExcelHeader().starts_with(u"<head><title>"));
  EXPECT_TRUE(CommShowExcelHeader().ends_with(u"</title></head>"));
  set_clock_for_testing([] { return DateParts{2026, 12, 6, 9, 5, 7}; });
  Text bottom = CommShowExcelBottom(3);
  set_clock_for_testing(nullptr);
  EXPECT_TRUE(bottom.starts_with(u"<tr align=center height=40><td colspan=3 bgcolor=65c8f2>来源："));
  EXPECT_TRUE(bottom.ends_with(u"<br>导出时间：2026/12/6 9:05:07</td></tr></table>"));
}

TEST(ExcelDocument, ContentTypeHeadersRowsAndClosedData) {
  auto response = kit::FakeResponse::make();
  auto conn = kit::FakeConn::make();
  auto rs = kit::FakeRs::make();
  Variant resp = var(response), c = var(conn), r = var(rs);
  Text doc =
      CommShowExcel(c, r, resp, u"列表", 3, u"<tr><td>1</td><td>2</td><td>3</td></tr>", u"甲|2$乙|1|2", u"丙$丁");
  EXPECT_EQ(response->properties[u"contenttype"].to_text(), u"application/vnd.ms-excel");
  EXPECT_TRUE(conn->closed);
  EXPECT_EQ(rs->close_calls, 1);
  const Text head = CommShowExcelHeader() + CommShowExcelTop(3, u"列表");
  ASSERT_TRUE(doc.starts_with(head));
  EXPECT_EQ(doc.substr(head.size(), doc.find(u"<tr><td>1") - head.size()),
            CommShowExcelTableHeader(u"甲|2$乙|1|2", u"$") + CommShowExcelTableHeader(u"丙$丁", u"$"));
  EXPECT_NE(doc.find(u"<td>3</td></tr><tr align=center height=40><td colspan=3 bgcolor=65c8f2>来源："), Text::npos);
  EXPECT_TRUE(doc.ends_with(u"</td></tr></table>"));
}

TEST(ExcelDocument, NoHeaderRowsWhenNoneAreGiven) {
  auto response = kit::FakeResponse::make();
  Variant resp = var(response), c, r;
  Text doc = CommShowExcel(c, r, resp, u"t", 1, u"<tr><td>x</td></tr>", u"", u"");
  EXPECT_EQ(count(doc, u"b5f9de"), 0u);
}

}  // namespace
}  // namespace brevane
