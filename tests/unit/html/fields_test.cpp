// Label/value cells by control type and page mode, option lists from the
// page's literal lists and from the dictionary tables, header rows, and the
// escaping of stored values.
#include "html/fields.h"

#include <gtest/gtest.h>

#include "core/object.h"
#include "core/vbdate.h"
#include "html/scripts.h"
#include "kit/expect.h"
#include "kit/hostkit.h"
#include "kit/memdb.h"

namespace brevane {
namespace {

using kit::error_of;

constexpr int16_t kNew = 1, kEdit = 2, kView = 3;

struct Cell {
  int16_t type;
  Text field;
  int16_t state = kEdit;
  int16_t pop_allow = 0;
  Text pop = u"";
  int16_t allow_edit = 1;
  Text star = u"";
  Text title = u"标题";
  int16_t div_height = 0;
};

class FieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_clock_for_testing([] { return DateParts{2026, 12, 6, 9, 5, 7}; });
    db_.exec(
        u"create table Sjzd ([名称] text, [分类] text, [序号] integer);"
        u"insert into Sjzd values ('国内', '类别', 2);"
        u"insert into Sjzd values ('国际', '类别', 1);"
        u"insert into Sjzd values (' 体育 ', '栏目', 1);"
        u"insert into Sjzd values ('<b>&', '栏目', 2);"
        u"create table BuMen ([部门名称] text, [排列顺序] integer);"
        u"insert into BuMen values ('办公室', 2);"
        u"insert into BuMen values ('技术部', 1);"
        u"create table Part ([Part] text, [SortId] integer);"
        u"insert into Part values ('甲组', 1);"
        u"insert into Part values ('乙组', 2);"
        u"create table news (id integer primary key, title text, content text, dateandtime text, [类别] text,"
        u" [部门名称] text, [Part] text, shown bit, pass text, posted datetime, [栏目] text);"
        u"insert into news values (1, ' it''s <script>x</script> ', 'a</textarea><b>', '20261206', '国际', '技术部',"
        u" '乙组', 1, 'secret', '1899-12-30 00:00:00', '<b>&');"
        u"insert into news values (2, 'plain', 'body', '20261207', '国内', '办公室', '甲组', 0, '', '2026-12-06', "
        u"'国内')");
    rs_ = kit::MemoryDb::record_set();
    call(rs_, u"Open", {Variant(u"select * from news order by id"), db_.conn(), Variant(1), Variant(1)});
  }
  void TearDown() override { set_clock_for_testing(nullptr); }

  void second_row() { call(rs_, u"MoveNext"); }

  Text td(const Cell& c) {
    return CommShowTd(db_.conn(), rs_, c.type, 200, 5, 1, c.title, u"", c.field, c.pop_allow, c.pop, c.state,
                      c.allow_edit, c.star, u"", u"", u"", c.div_height);
  }
  // The value cell's content alone.
  Text content(const Cell& c) {
    const Text open = u"<td align='left' bgcolor='#eeeeff'  colspan=1>&nbsp;";
    Text s = td(c);
    size_t at = s.find(open);
    EXPECT_NE(at, Text::npos) << to_utf8(s);
    if (at == Text::npos) return s;
    EXPECT_TRUE(s.ends_with(u"</td>"));
    return s.substr(at + open.size(), s.size() - at - open.size() - 5);
  }

  kit::MemoryDb db_;
  Variant rs_;
};

TEST_F(FieldsTest, CellFrameTitleColonAndDefaults) {
  EXPECT_EQ(td({.type = 6, .field = u"pass"}),
            u"<td align='right' bgcolor='#dcdcf9' colspan=2>标题：</td><td align='left' bgcolor='#eeeeff'  colspan=1>"
            u"&nbsp;<input name='pass' type='password' class='inputtext' style='width:200;' value=''  "
            u"onkeydown='onKeyDownDefault();' ></td>");
  // A title holding the colon gets no second one; a blank title is the field name.
  EXPECT_NE(td({.type = 6, .field = u"pass", .title = u"密码："}).find(u">密码：</td>"), Text::npos);
  EXPECT_NE(td({.type = 6, .field = u"pass", .title = u" "}).find(u">pass：</td>"), Text::npos);
  // "null" keeps only the value cell, "allnull" no cell at all.
  EXPECT_TRUE(td({.type = 6, .field = u"pass", .title = u"NULL"}).starts_with(u"<td align='left'"));
  EXPECT_EQ(td({.type = 6, .field = u"pass", .title = u"allnull"}),
            u"&nbsp;<input name='pass' type='password' class='inputtext' style='width:200;' value=''  "
            u"onkeydown='onKeyDownDefault();' >");
  Text titled = CommShowTd(db_.conn(), rs_, 6, 100, 1, 3, u"密码", u"pw", u"pass", 0, u"", kNew, 1, u"*", u"red",
                           u"blue", u"提示", 0);
  EXPECT_EQ(titled,
            u"<td align='right' bgcolor='red' colspan=2>密码：</td><td align='left' bgcolor='blue'  colspan=3 "
            u"title='提示'>&nbsp;<input name='pw' type='password' class='inputtext' style='width:100;' value=''  "
            u"onkeydown='onKeyDownDefault();' >&nbsp;<font color=red>*</font></td>");
}

TEST_F(FieldsTest, ScrollingBoxAroundTheValue) {
  Text s = td({.type = 6, .field = u"pass", .div_height = 100});
  EXPECT_EQ(s.find(u"&nbsp;"), Text::npos);
  EXPECT_NE(s.find(u"<td align='left' bgcolor='#eeeeff'  colspan=1><div style='padding-left:5px;font-size:9px;"
                   u"line-height:150%;overflow:auto; height:100px;' valign=top><table width='100%' border='0' "
                   u"cellpadding='0' cellspacing='0' bgcolor='#eeeeff' height=96 style='table-layout: fixed; "
                   u"word-break:break-all' valign=top><tr valign=top><td bgcolor='#eeeeff' valign=top><input"),
            Text::npos);
  EXPECT_TRUE(s.ends_with(u"></td></tr></table></div></td>"));
}

TEST_F(FieldsTest, TextBoxesByTypeAndMode) {
  const Text box =
      u"<input name='title' type='text' class='inputtext' style='width:200;'  onkeydown='onKeyDownDefault();' ";
  struct Case {
    Cell cell;
    Text expected;
  } cases[] = {
      {{.type = 1, .field = u"title", .state = kNew}, box + u">"},
      {{.type = 21, .field = u"title", .state = kNew}, box + u">"},
      {{.type = 1, .field = u"title", .pop_allow = 1},
       box + u" value='it&#39;s &lt;script&gt;x&lt;/script&gt;' title='点击左键会弹出选择菜单' "
             u"onclick='PopSelectData(document.myform.title,\"标题\")' >"},
      {{.type = 9, .field = u"title", .state = kNew, .pop = u"pick(this)"},
       box + u" readonly  onclick=\"pick(this)\">"},
      {{.type = 9, .field = u"title", .state = kNew, .pop = u" "}, box + u" readonly  onclick=\"标题\">"},
      {{.type = 8, .field = u"title", .state = kNew, .pop = u"pick.asp|400|300"},
       box + u" readonly title='点击左键会弹出选择对话框'  onclick=\"return "
             u"OpenWindowModalScroll('pick.asp',400,300);\">"},
  };
  for (const Case& c : cases) EXPECT_EQ(content(c.cell), c.expected) << to_utf8(c.cell.field) << c.cell.type;
}

TEST_F(FieldsTest, DateBoxStartsWithTodayAndHidesAnEmptyTime) {
  const Text tail = u" readonly   title='点击左键会弹出日期选择框' onclick='PopSelectDate(document.myform.posted)'>";
  EXPECT_TRUE(content({.type = 2, .field = u"posted", .state = kNew}).ends_with(u" value='2026-12-06'" + tail));
  // A stored time-only zero is no date.
  EXPECT_TRUE(content({.type = 2, .field = u"posted"}).ends_with(u" value=''" + tail));
  EXPECT_EQ(content({.type = 2, .field = u"posted", .state = kView}), u"<font style='word-wrap: break-word'></font>");
}

TEST_F(FieldsTest, IdentityCardNumbersAreCheckedOnBlur) {
  EXPECT_TRUE(
      content({.type = 1, .field = u"身份证号码", .state = kNew, .pop_allow = 18})
          .ends_with(u" onblur='return isIdCardNo(document.myform.postcard,document.myform.postcard.value,18,1); "
                     u"' >"));
}

TEST_F(FieldsTest, DropDownFromEachSource) {
  struct Case {
    Cell cell;
    Text options;
  } cases[] = {
      // Literal list; the edited record's value is selected.
      {{.type = 3, .field = u"类别", .pop = u"国内|中国$国际"},
       u"<option value='国内'>中国</option><option value='国际' Selected >国际</option>"},
      // Dictionary by the field's name as category, in table order.
      {{.type = 3, .field = u"类别", .state = kNew}, u"<option value=\"国内\">国内<option value=\"国际\">国际"},
      // Dictionary by the pop field's category, by order number, names trimmed and escaped.
      {{.type = 3, .field = u"栏目", .pop = u"栏目"},
       u"<option value=\"体育\">体育<option value=\"&lt;b&gt;&amp;\" Selected >&lt;b&gt;&amp;"},
      {{.type = 3, .field = u"部门名称"}, u"<option value=\"技术部\" Selected >技术部<option value=\"办公室\">办公室"},
      {{.type = 3, .field = u"Part", .state = kNew}, u"<option value=\"甲组\">甲组<option value=\"乙组\">乙组"},
  };
  for (const Case& c : cases) {
    const Text name = c.cell.field;
    EXPECT_EQ(content(c.cell),
              u"<select name='" + name + u"' class='inputtext'  style='width:200px'>" + c.options + u"</select>")
        << to_utf8(name);
  }
  // Ready-made markup goes in whole, without a query.
  EXPECT_EQ(content({.type = 3, .field = u"nosuchcategory", .pop = u" <SELECT name=x></select> "}),
            u"<SELECT name=x></select>");
  // A category with a quote is still one string literal.
  EXPECT_EQ(content({.type = 3, .field = u"it's", .state = kNew}),
            u"<select name='it's' class='inputtext'  style='width:200px'></select>");
  // A missing table reaches the page as the database's error.
  EXPECT_NE(error_of([&] {
              db_.exec(u"drop table BuMen");
              td({.type = 3, .field = u"部门名称"});
            }).number,
            0);
}

TEST_F(FieldsTest, CheckBoxByStoredFlag) {
  const Text box = u"<input name='shown' type='checkbox' class='inputtext'  onkeydown='onKeyDownDefault();' value='on'";
  EXPECT_EQ(content({.type = 4, .field = u"shown"}), box + u" Checked >");
  EXPECT_EQ(content({.type = 4, .field = u"shown", .state = kNew}), box + u">");
  EXPECT_EQ(content({.type = 4, .field = u"shown", .state = kView}), u"√");
  second_row();
  EXPECT_EQ(content({.type = 4, .field = u"shown"}), box + u">");
  EXPECT_EQ(content({.type = 4, .field = u"shown", .allow_edit = 0}), u"");
}

TEST_F(FieldsTest, TextAreaInEveryMode) {
  const Text area =
      u"<textarea rows='5' name='content'  id='content'  class='inputedit' style='width:200;'  "
      u"onkeydown='onKeyDownDefault();' ";
  EXPECT_EQ(content({.type = 5, .field = u"content", .state = kNew}), area + u"></textarea>");
  EXPECT_EQ(content({.type = 5, .field = u"content"}), area + u">a&lt;/textarea&gt;&lt;b&gt;</textarea>");
  EXPECT_EQ(content({.type = 5, .field = u"content", .state = kView}),
            area +
                u" Readonly Style='word-wrap: break-word;border:0px;background:#eeeeff;' >"
                u"a&lt;/textarea&gt;&lt;b&gt;</textarea>");
  second_row();
  EXPECT_EQ(content({.type = 5, .field = u"content", .pop_allow = 1, .allow_edit = 0}),
            area +
                u" Readonly Style='background:#eeeeff;'  onclick='popup_select_data(document.myform.content,"
                u"\"标题\")' >body</textarea>");
}

TEST_F(FieldsTest, PasswordIsNeverShown) {
  EXPECT_EQ(content({.type = 6, .field = u"pass"}).find(u"secret"), Text::npos);
  EXPECT_EQ(content({.type = 6, .field = u"pass", .state = kView}), u"<font style='word-wrap: break-word'></font>");
}

TEST_F(FieldsTest, RadioGroups) {
  EXPECT_EQ(content({.type = 7, .field = u"类别", .state = kNew, .pop = u"国内|中国$国际|外国"}),
            u"<input name='类别' type='radio' value=\"国内\" Checked>中国<input name='类别' type='radio' "
            u"value=\"国际\">外国");
  EXPECT_EQ(content({.type = 7, .field = u"类别", .pop = u"国内|中国$国际|外国"}),
            u"<input name='类别' type='radio' value=\"国内\">中国<input name='类别' type='radio' value=\"国际\" "
            u"Checked >外国");
  EXPECT_EQ(content({.type = 7, .field = u"栏目"}),
            u"<input name='栏目' type='radio' value=\"体育\">体育"
            u"<input name='栏目' type='radio' value=\"&lt;b&gt;&amp;\" Checked >&lt;b&gt;&amp;");
  EXPECT_EQ(content({.type = 7, .field = u"部门名称", .state = kNew}),
            u"<input name='部门名称' type='radio' value=\"技术部\" Checked>技术部"
            u"<input name='部门名称' type='radio' value=\"办公室\">办公室");
}

TEST_F(FieldsTest, EditorAndFilePickers) {
  EXPECT_EQ(content({.type = 10, .field = u"editor.asp?id=1"}),
            u"<textarea name='editor.asp?id=1' id='editor.asp?id=1' style='display:none'></textarea><iframe "
            u"id='editor' src='editor.asp?id=1' frameborder=1 scrolling=no width='200' height='5'></iframe>");
  Text photo = content({.type = 11, .field = u"photo", .state = kNew});
  EXPECT_TRUE(
      photo.starts_with(u"<input name='photo' type='text' class='inputtext' Readonly style='width:135;'>"
                        u"<input type='file' name='photo22' id='photo22' style='width:0px;'"));
  for (TextView part : {u"document.myform.photo.value=this.value", u"multipart/form-data", u"PhotoPre", u".url."})
    EXPECT_NE(photo.find(part), Text::npos) << to_utf8(part);
  Text submit = content({.type = 12, .field = u"file", .state = kNew});
  EXPECT_TRUE(
      submit.starts_with(u"<input type='file' Title='点击选择上传文件' name='file22' id='file22' "
                         u"style='width:0px;' class='inputtext'"));
  EXPECT_NE(submit.find(u"myform.submit()"), Text::npos);
}

TEST_F(FieldsTest, MarkupAndUnknownCodes) {
  for (int16_t state : {kNew, kEdit, kView})
    EXPECT_EQ(content({.type = 20, .field = u"x", .state = state, .pop = u" <b>自定义</b> "}), u"<b>自定义</b>");
  EXPECT_EQ(content({.type = 13, .field = u"title", .star = u"*"}), u"&nbsp;<font color=red>*</font>");
}

TEST_F(FieldsTest, ReadOnlyDisplayEscapesStoredValuesOnly) {
  EXPECT_EQ(content({.type = 1, .field = u"title", .state = kView, .star = u"*"}),
            u"<font style='word-wrap: break-word'>it&#39;s &lt;script&gt;x&lt;/script&gt;</font>");
  EXPECT_EQ(content({.type = 21, .field = u"title", .allow_edit = 0}),
            u"<input type='hidden'><font style='word-wrap: break-word'>it&#39;s &lt;script&gt;x&lt;/script&gt;</font>");
  // A name holding "$" is the page's own text, shown without the signs.
  EXPECT_EQ(content({.type = 1, .field = u"$<i>固定</i>$", .state = kView}),
            u"<font style='word-wrap: break-word'><i>固定</i></font>");
  second_row();
  EXPECT_EQ(content({.type = 3, .field = u"类别", .state = kView}), u"<font style='word-wrap: break-word'>国内</font>");
}

TEST_F(FieldsTest, DialogNeedsAddressWidthAndHeight) {
  EXPECT_EQ(error_of([&] { td({.type = 8, .field = u"title", .pop = u"pick.asp|400"}); }).number, kSubscriptOutOfRange);
  EXPECT_EQ(error_of([&] { td({.type = 1, .field = u"nosuch", .state = kView}); }).number, 3265);
}

TEST_F(FieldsTest, RowWrapsTheCells) {
  Text plain =
      CommShowTr(db_.conn(), rs_, u"", 6, 100, 1, 1, u"密码", u"", u"pass", 0, u"", kNew, 1, u"", u"", u"", u"", 0);
  EXPECT_TRUE(plain.starts_with(u"<tr class=tdbg align=center><td align='right'"));
  EXPECT_TRUE(plain.ends_with(u"</td></tr>"));
  EXPECT_TRUE(CommShowTr(db_.conn(), rs_, u"class=odd", 6, 100, 1, 1, u"密码", u"", u"pass", 0, u"", kNew, 1, u"", u"",
                         u"", u"", 0)
                  .starts_with(u"<tr class=odd><td"));
}

TEST(GridRow, AlternatesBaseColoursByRowNumber) {
  auto row = [](int16_t n) { return CommShowGridTr(n, u"class=x", u"#eeeeff", u"#e5e5f9", u"#cceecc", u"center"); };
  EXPECT_EQ(row(1),
            u"<tr align=center class=x bgcolor='#eeeeff' onmouseover=\"this.style.backgroundColor='#cceecc'\" "
            u"onmouseout=\"this.style.backgroundColor='#eeeeff'\">");
  EXPECT_NE(row(2).find(u"bgcolor='#e5e5f9'"), Text::npos);
  EXPECT_NE(row(3).find(u"bgcolor='#eeeeff'"), Text::npos);
}

TEST(HeaderRow, WidthsSpansAndBackgrounds) {
  struct Case {
    const char16_t* list;
    const char16_t* cells;
  } cases[] = {
      {u"编号|*", u"<td Width='*'>编号</td>"},
      {u"编号|1", u"<td>编号</td>"},
      {u"标题|200|2|3|excel", u"<td Width='200' ColSpan='2' RowSpan='3' bgcolor=#b5f9de>标题</td>"},
      {u"标题|50%|1|1|Red", u"<td Width='50%' bgcolor=Red>标题</td>"},
      // Spans without a background: no background, not the padding's "1".
      {u"标题|100|2", u"<td Width='100' ColSpan='2'>标题</td>"},
      {u"标题|100|2|2", u"<td Width='100' ColSpan='2' RowSpan='2'>标题</td>"},
      {u"A|10$B|20", u"<td Width='10'>A</td><td Width='20'>B</td>"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CommShowTableHeader(c.list, 30, u"class =titlebg"),
              u"<tr align=center  height=30 class =titlebg  >" + Text(c.cells) + u"</tr>")
        << to_utf8(c.list);
  EXPECT_EQ(CommShowTableHeader(u"  ", 30, u"x"), u"");
  EXPECT_EQ(CommShowTableHeader(u"A|10", 0, u" "), u"<tr align=center  ><td Width='10'>A</td></tr>");
  EXPECT_EQ(error_of([] { CommShowTableHeader(u"A", 30, u""); }).number, kSubscriptOutOfRange);
}

TEST(HeaderRow, EmptyWidthRowAndDoubleFrame) {
  EXPECT_EQ(CommShowTableHeaderEmpty(u"10|20%"),
            u"<tr class=tdbg height=0><td width='10'></td><td width='20%'></td></tr>");
  Text framed = CommShowTableDouble(u"90%", u"#fff", u"#C0C0C0", true, true);
  EXPECT_TRUE(framed.starts_with(u"<table cellspacing='0' cellpadding='3' bordercolor='#3366cc' border='2'"));
  EXPECT_NE(framed.find(u"width:90%;border-collapse:collapse;'><tr><td bgcolor='#fff'><table width='100%'"),
            Text::npos);
  EXPECT_TRUE(framed.ends_with(u"bgcolor='#ffffff' style='table-layout: fixed;word-break:break-all'>"));
  Text inner = CommShowTableDouble(u"90%", u"#fff", u"#123456", false, false);
  EXPECT_EQ(inner,
            u"<table width='100%' border='1' cellpadding='0' cellspacing='0' height='40' style='border-collapse: "
            u"collapse' bordercolor='#123456' bgcolor='#ffffff' style='word-break:break-all'>");
}

}  // namespace
}  // namespace brevane

namespace brevane {
namespace {

TEST(FloatingPanel, ScriptsFlagsPositionAndClose) {
  Text shown = CommShowMenuMoveContent(300, 20, u"提示", 1, 0, u"<p>内容</p>", u"visible", true, true);
  EXPECT_TRUE(shown.starts_with(CommScriptListMenuMove() + CommScriptListMenu()));
  EXPECT_NE(shown.find(u"<div id='scroll1' value='1'></div><div id='scroll2' value='0'></div>"), Text::npos);
  EXPECT_NE(shown.find(u"id='floater' style='position:absolute; left:0px; top:0px; width:300px; z-index:1; "
                       u"visibility:visible;'"),
            Text::npos);
  for (TextView part : {u"cursor:move", u"#9CDB73", u"../comm/image/zelto_ts.asp", u"提示",
                        u"javascript:closeLoginForm()", u"alt='关闭窗口'", u"bgcolor='#B5E4FB'><tr><td><p>内容</p>"})
    EXPECT_NE(shown.find(part), Text::npos) << to_utf8(part);
  EXPECT_TRUE(shown.ends_with(u"</div>"));
  Text hidden = CommShowMenuMoveContent(300, 20, u"t", 0, 1, u"", u"hidden", false, false);
  EXPECT_TRUE(hidden.starts_with(u"<div id='scroll1' value='0'>"));
  EXPECT_NE(hidden.find(u"left:-1000px; top:-1000px;"), Text::npos);
}

}  // namespace
}  // namespace brevane
