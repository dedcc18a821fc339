// List pages: which page is shown, what the paging bar carries, how the
// search strip and the SQL tail are made, and that hostile request values
// stay data.
#include "html/listpage.h"

#include <gtest/gtest.h>

#include "core/registry.h"
#include "kit/expect.h"
#include "kit/hostkit.h"

namespace brevane {
namespace {

using kit::var;

// A request whose query holds the given pairs, and a record set of `rows`
// records in pages of `page_size`.
struct ListFixture {
  std::shared_ptr<kit::FakeRequest> request = kit::FakeRequest::make();
  std::shared_ptr<kit::FakeRs> rs = kit::FakeRs::make();
  Variant req = var(request);
  Variant records = var(rs);

  ListFixture(int rows, int32_t page_size, std::initializer_list<std::pair<Text, Text>> query = {}) {
    rs->columns = {u"id"};
    for (int i = 0; i < rows; ++i) rs->rows.push_back({Variant(int32_t(i + 1))});
    rs->page_size = page_size;
    for (auto& [k, v] : query) request->query->add(k, v);
  }
};

TEST(ListPage, RequestedPageIsClampedToTheRecordSet) {
  struct Case {
    const char16_t* page;
    int rows;
    int32_t expected;
  } cases[] = {
      {u"abc", 30, 1}, {u"", 30, 1},  {u"2.7", 30, 2},   {u"-5", 30, 1}, {u"0", 30, 1},
      {u"99", 30, 3},  {u"3", 30, 3}, {u"1e300", 30, 3}, {u"2", 0, 0},   {u" 2 ", 30, 2},
  };
  for (const Case& c : cases) {
    ListFixture f(c.rows, 10, {{u"page", c.page}});
    EXPECT_EQ(requested_page(f.req, f.rs->rows.empty() ? 0 : 3), c.expected) << to_utf8(c.page);
  }
}

TEST(ListPage, NoPageMovesToThePageOrLeavesAnEmptySetAlone) {
  ListFixture f(25, 10, {{u"Page", u"3"}});
  CommShowNoPage(f.req, f.records);
  EXPECT_EQ(f.rs->pos, 20u);

  ListFixture empty(0, 10, {{u"Page", u"3"}});
  empty.rs->pos = 7;  // a set left untouched keeps its position
  CommShowNoPage(empty.req, empty.records);
  EXPECT_EQ(empty.rs->pos, 7u);
}

TEST(ListPage, EmptySetShowsPageZeroOfZeroWithoutLinks) {
  ListFixture f(0, 10);
  Text bar = CommShowPage(f.req, f.records);
  EXPECT_NE(bar.find(u" [总数<b>0</b>] [共<b>0</b>页] [第0页] [10部/页] [首 页] [上一页] [下一页] [尾 页] "),
            Text::npos);
  EXPECT_EQ(bar.find(u"<a "), Text::npos);
}

TEST(ListPage, LinksOnFirstMiddleAndLastPage) {
  const Text carried = u"&id=&classid=&nclassid=&sclassid=&grade=&subject=&type=&moden=title&search=&keyword=abc&part=";
  struct Case {
    const char16_t* page;
    std::vector<Text> present;
    std::vector<Text> absent;
  } cases[] = {
      {u"1",
       {u"[首 页] [上一页] [<a href=\"?page=2" + carried + u"\">下一页</a>] [<a href=\"?page=3" + carried +
        u"\">尾 页</a>] "},
       {u"首 页</a>", u"上一页</a>"}},
      {u"2",
       {u"[<a href=\"?page=1" + carried + u"\">首 页</a>] [<a href=\"?page=1" + carried +
        u"\">上一页</a>] [<a href=\"?page=3" + carried + u"\">下一页</a>] [<a href=\"?page=3" + carried +
        u"\">尾 页</a>] <input type='text'"},
       {}},
      {u"3",
       {u"[<a href=\"?page=1" + carried + u"\">首 页</a>] [<a href=\"?page=2" + carried +
        u"\">上一页</a>] [下一页] [尾 页] "},
       {u"下一页</a>"}},
  };
  for (const Case& c : cases) {
    ListFixture f(25, 10, {{u"page", c.page}, {u"moden", u"title"}, {u"keyword", u"abc"}});
    Text bar = CommShowPage(f.req, f.records);
    for (const Text& s : c.present) EXPECT_NE(bar.find(s), Text::npos) << to_utf8(c.page) << "\n" << to_utf8(bar);
    for (const Text& s : c.absent) EXPECT_EQ(bar.find(s), Text::npos) << to_utf8(c.page);
  }
}

TEST(ListPage, PagingBarPiecesInOrder) {
  ListFixture f(25, 10,
                {{u"page", u"2"},
                 {u"classid", u"4"},
                 {u"nclassid", u"5"},
                 {u"sclassid", u"6"},
                 {u"moden", u"title"},
                 {u"search", u"s"},
                 {u"keyword", u"k"},
                 {u"id", u"7"},
                 {u"type", u"t"},
                 {u"subject", u"u"},
                 {u"grade", u"g"},
                 {u"part", u"p"}});
  Text bar = CommShowPage(f.req, f.records);
  const Text line = u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=2><td></td></tr></table>";
  const Text expected_tail =
      u"<input type='text' name='page' size=2 maxlength=10  class=content_border value=2>&nbsp;"
      u"<input type='submit' name='submit'  class=content_border  value='Goto' size=2>"
      u"<input type='hidden' name='classid'  value=4>"
      u"<input type='hidden' name='nclassid' value=5>"
      u"<input type='hidden' name='sclassid' value=6>"
      u"<input type='hidden' name='moden'    value='title'>"
      u"<input type='hidden' name='search'   value='s'>"
      u"<input type='hidden' name='keyword'  value='k'>"
      u"<input type='hidden' name='id'       value='7'>"
      u"<input type='hidden' name='type'     value='t'>"
      u"<input type='hidden' name='subject'  value='u'>"
      u"<input type='hidden' name='grade'    value='g'>"
      u"<input type='hidden' name='part'     value='p'>"
      u"</td></form></tr></table>" +
      line;
  EXPECT_EQ(
      bar.rfind(line + CommShowSearchLeft(u"", u"") + u"<form method=post name='page' action='?'> [总数<b>25</b>]", 0),
      0u);
  ASSERT_GE(bar.size(), expected_tail.size());
  EXPECT_EQ(bar.substr(bar.size() - expected_tail.size()), expected_tail);
  EXPECT_NE(bar.find(u"?page=3&id=7&classid=4&nclassid=5&sclassid=6&grade=g&subject=u&type=t&moden=title&search=s&"
                     u"keyword=k&part=p\""),
            Text::npos);
}

TEST(ListPage, AbsentKeysGiveEmptyFields) {
  ListFixture f(5, 10);
  Text bar = CommShowPage(f.req, f.records);
  EXPECT_NE(bar.find(u"value=1>&nbsp;<input type='submit' name='submit'  class=content_border  value='Goto' size=2>"
                     u"<input type='hidden' name='classid'  value=><input type='hidden' name='nclassid' value=>"
                     u"<input type='hidden' name='sclassid' value=><input type='hidden' name='moden'    value=''>"),
            Text::npos);
}

TEST(ListPage, HostileRequestValuesStayData) {
  ListFixture f(25, 10,
                {{u"page", u"2"},
                 {u"keyword", u"x'\"><script>alert(1)</script>"},
                 {u"classid", u"1 onmouseover=alert(1)"},
                 {u"moden", u"a&b=c"}});
  Text bar = CommShowPage(f.req, f.records);
  EXPECT_EQ(bar.find(u"<script"), Text::npos);
  EXPECT_EQ(bar.find(u"value=1 onmouseover"), Text::npos);
  EXPECT_NE(bar.find(u"value='x&#39;&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;'"), Text::npos);
  EXPECT_NE(bar.find(u"name='classid'  value='1 onmouseover=alert(1)'>"), Text::npos);
  EXPECT_NE(bar.find(u"&moden=a%26b%3Dc&"), Text::npos);
  EXPECT_NE(bar.find(u"&keyword=x%27%22%3E%3Cscript%3Ealert%281%29%3C%2Fscript%3E&"), Text::npos);

  Text select = CommShowSelect(f.req, 0, u"title|标题");
  EXPECT_EQ(select.find(u"<script"), Text::npos);
  EXPECT_NE(select.find(u"value='x&#39;&quot;&gt;&lt;script&gt;"), Text::npos);
}

TEST(ListPage, UrlEscapeMatchesTheServerEncoder) {
  EXPECT_EQ(url_escape(u"abcXYZ019"), u"abcXYZ019");
  EXPECT_EQ(url_escape(u"a b"), u"a+b");
  EXPECT_EQ(url_escape(u"新闻"), u"%D0%C2%CE%C5");  // GBK bytes
  EXPECT_EQ(url_escape(u"-_.!"), u"%2D%5F%2E%21");
}

TEST(ListPage, OrderString) {
  struct Case {
    const char* name;
    std::initializer_list<std::pair<Text, Text>> query;
    const char16_t *sort_default, *fields, *desc, *keyword, *table;
    const char16_t* expected;
  } cases[] = {
      {"keyword filter then order",
       {},
       u"",
       u"title",
       u"",
       u"abc",
       u"",
       u" And [title] Like '%abc%'   Order By [title]"},
      {"descending list names the field",
       {},
       u"",
       u"title",
       u"|title|",
       u"abc",
       u"",
       u" And [title] Like '%abc%'   Order By [title] Desc"},
      {"content sorts by id",
       {},
       u"",
       u"content",
       u"",
       u"abc",
       u"news",
       u" And [news].[content] Like '%abc%'   Order By [news].[id]"},
      {"id always descends", {}, u"", u"id", u"", u"", u"", u" And [id] Like '%%'   Order By [id] Desc"},
      {"dateandtime always descends",
       {},
       u"",
       u"dateandtime",
       u"title",
       u"x",
       u"",
       u" And [dateandtime] Like '%x%'   Order By [dateandtime] Desc"},
      {"field and keyword from the request",
       {{u"moden", u"Title"}, {u"keyword", u"k"}},
       u"",
       u"",
       u"",
       u"",
       u"",
       u" And [title] Like '%k%'   Order By [title]"},
      {"prompt keyword matches all",
       {{u"moden", u"title"}, {u"keyword", u"关键字搜索"}},
       u"",
       u"",
       u"",
       u"",
       u"",
       u" And [title] Like '%%'   Order By [title]"},
      {"no field, no default", {{u"keyword", u"k"}}, u"", u"", u"", u"", u"", u" Order By ID Desc"},
      {"no field, default", {}, u"[title] Asc", u"", u"", u"k", u"", u" Order By [title] Asc"},
      {"apostrophes doubled",
       {{u"moden", u"title"}, {u"keyword", u"a' or '1'='1"}},
       u"",
       u"",
       u"",
       u"",
       u"",
       u" And [title] Like '%a'' or ''1''=''1%'   Order By [title]"},
      {"bracket doubled",
       {{u"moden", u"title] from x;--"}},
       u"",
       u"",
       u"",
       u"",
       u"",
       u" And [title]] from x;--] Like '%%'   Order By [title]] from x;--]"},
  };
  for (const Case& c : cases) {
    ListFixture f(0, 10, c.query);
    EXPECT_EQ(CommGetOrderString(f.req, c.sort_default, c.fields, c.desc, c.keyword, c.table), c.expected) << c.name;
  }
}

TEST(ListPage, ColumnSelector) {
  ListFixture f(0, 10, {{u"moden", u"content"}, {u"keyword", u"abc"}});
  EXPECT_EQ(CommShowSelect(f.req, 1, u"title|标题||content|内容"),
            u"<select name='moden' class='inputselect'><option value=''>-=请选择查询项目=-</option>"
            u"<option  value='title' >标题</option><option  value='content'  selected >内容</option>"
            u"</select>&nbsp;  关键字：<input type='text' name='keyword' size='10' maxlength='12' value='abc'>");
  EXPECT_NE(CommShowSelect(f.req, 0, u"").find(u"-=请选择查询项目(并排序)=-</option></select>"), Text::npos);
  EXPECT_NE(CommShowSelect(f.req, 2, u"").find(u"-=请选择排序项目=-"), Text::npos);
  EXPECT_EQ(CommShowSelect(f.req, 5, u"").find(u"<option"), Text::npos);
  EXPECT_EQ(kit::error_of([&] { CommShowSelect(f.req, 0, u"title"); }), kit::raised(ErrorCode::SubscriptOutOfRange));
}

TEST(ListPage, SearchStrip) {
  const Text table = u"<table class=content_border cellpadding=0 cellspacing=1 border=0 width='";
  EXPECT_EQ(
      CommShowSearchLeft(u"FORM", u""),
      table + u"100%' align=center><tr align=center><td class=searchbg><form method='post' name='sele' action='?'>");
  EXPECT_EQ(
      CommShowSearchLeft(u"myform", u"80%"),
      table + u"80%' align=center><tr align=center><td class=searchbg><form method='post' name='myform' action='?'>");
  EXPECT_EQ(CommShowSearchLeft(u"", u"600"), table + u"600' align=center><tr align=center><td class=searchbg>");
  EXPECT_EQ(CommShowSearchRight(u"Form"), u"</td></form></tr></table>");
  EXPECT_EQ(CommShowSearchRight(u"myform"), u"</td></tr></table>");
}

TEST(ListPage, LinesSpacesAndEmptyRow) {
  EXPECT_EQ(CommShowSpace(0), u"");
  EXPECT_EQ(CommShowSpace(-2), u"");
  EXPECT_EQ(CommShowSpace(3), u"&nbsp;&nbsp;&nbsp;");
  EXPECT_EQ(CommShowColorLine(300, 1, u"#cccccc"),
            u"<table cellspacing=0 cellpadding=0 width=300 border=0><tr><td nowrap bgcolor=#cccccc height=1></td></tr>"
            u"</table>");
  EXPECT_EQ(CommShowEmptyLine(16),
            u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=16><td></td></tr></table>");
  EXPECT_EQ(CommShowEmptyLine(4, u"#ff0000"),
            u"<table cellspacing=0 cellpadding=0 border=0 width='100%' bgcolor='#ff0000'><tr height=4><td></td></tr>"
            u"</table>");
  EXPECT_EQ(
      CommShowNoRecord(Variant(int16_t(5)), false, Variant(u"没有符合条件的数据。")),
      u"<tr  Class=tdbg><td ColSpan=5 Height=30 Align=Center><Font Color=Red>没有符合条件的数据。</Font></td></tr>");
  EXPECT_EQ(CommShowNoRecord(Variant(u"3"), true, Variant(u"无")),
            u"<tr ><td ColSpan=3 Height=30 Align=Center><Font Color=Red>无</Font></td></tr>");
}

TEST(ListPage, ReachedByNameWithDefaults) {
  Variant comm(create_object(u"Brevane.BrevaneCls"));
  EXPECT_EQ(call(comm, u"CommShowEmptyLine", {Variant(int16_t(2))}).to_text(), CommShowEmptyLine(2));
  EXPECT_EQ(call(comm, u"CommShowNoRecord", {Variant(int16_t(2))}).to_text(),
            CommShowNoRecord(Variant(int16_t(2)), false, Variant(u"没有符合条件的数据。")));
  EXPECT_EQ(call(comm, u"CommShowSearchLeft", {Variant(u"form")}).to_text(), CommShowSearchLeft(u"form", u""));
}

}  // namespace
}  // namespace brevane
