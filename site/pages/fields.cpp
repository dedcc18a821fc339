// Field rendering, calendar, tabs and export: an edit form for a news record
// in new, edit and view modes with every control type, saved through
// parameterised commands; a calendar over the news table; a tab strip; the
// news list and its spreadsheet export.
#include <vector>

#include "core/codepage.h"
#include "core/registry.h"
#include "frame/host.h"
#include "site/pages/common.h"
#include "site/pages/demo_site.h"

namespace brevane::site {

namespace {

using host::Page;

// The page's open connection and a record set, closed whatever happens.
struct Data {
  Variant conn, rs;
  explicit Data(const Page& p) {
    Text connection = call(component(), u"CommGetConnString", {p.server()}).to_text();
    conn = Variant(create_object(u"ADODB.Connection"));
    call(conn, u"Open", {Variant(connection)});
    rs = Variant(create_object(u"ADODB.Recordset"));
  }
  ~Data() {
    close_quietly(rs);
    close_quietly(conn);
  }
  // Values travel beside the SQL text, never inside it.
  Variant run(TextView sql, VariantArray values = {}) {
    Variant cmd(create_object(u"ADODB.Command"));
    put(cmd, u"ActiveConnection", conn);
    put(cmd, u"CommandText", Variant(sql));
    return call(cmd, u"Execute", {Variant::missing(), Variant(std::move(values))});
  }
};

Text charset() { return CodePage::ansi().number() == 65001 ? u"utf-8" : u"gb2312"; }

// A record id from the query string: digits only, else none.
int32_t record_id(const Variant& request, TextView key) {
  Text id = RequestRef(request).query_string(key);
  if (id.empty() || id.size() > 9) return 0;
  for (char16_t c : id)
    if (c < u'0' || c > u'9') return 0;
  return Variant(id).to_i32();
}

void index_page(Page& p) {
  page_start(p, u"表单字段、日历、选项卡与导出");
  // The calendar opens on the month of the latest news.
  Text month;
  {
    Data data(p);
    Variant rs = data.run(u"select max([dateandtime]) as [latest] from [news]");
    Variant latest = call_default(rs, {Variant(u"latest")}).value();
    if (!latest.is_null()) month = latest.to_text().substr(0, 6);
  }
  p.write(
      u"<ul class=demos>"
      u"<li><a href='edit.asp?moden=new'>新建新闻</a>、<a href='edit.asp?moden=edit&id=1'>修改新闻 1</a>、"
      u"<a href='edit.asp?moden=view&id=1'>查看新闻 1</a> — CommShowTr / CommShowTd 的全部控件类型</li>"
      u"<li><a href='calendar.asp?month=" +
      month +
      u"'>新闻日历</a> — CommShowCalendar</li>"
      u"<li><a href='tabs.asp'>选项卡</a> — CommShowTabAndContent 与 CommShowMenuMoveContent</li>"
      u"<li><a href='list.asp'>新闻列表</a>，<a href='list.asp?excel=1'>导出 Excel</a> — CommShowGridTr、"
      u"CommShowTableHeader、CommShowExcel</li></ul>");
  page_end(p);
}

struct Row {
  int16_t type;
  const char16_t* title;
  const char16_t* name;
  const char16_t* field;
  int16_t pop_allow;
  const char16_t* pop;
  const char16_t* star;
};

void edit_page(Page& p) {
  Variant comm = component();
  Text moden = RequestRef(p.request()).query_string(u"moden");
  const int32_t id = record_id(p.request(), u"id");
  const int16_t state = moden == u"edit" && id > 0 ? 2 : moden == u"view" && id > 0 ? 3 : 1;
  page_start(p, state == 1 ? u"新建新闻" : state == 2 ? u"修改新闻" : u"查看新闻");
  Data data(p);
  call(data.rs, u"Open",
       {Variant(u"select n.[id], n.[title], n.[content], n.[dateandtime], e.* from [news] n left join [NewsExtra] e "
                u"on e.[NewsID] = n.[id] where n.[id] = " +
                Variant(id).to_text()),
        data.conn, Variant(1), Variant(1)});
  if (state != 1 && get(data.rs, u"EOF").to_bool()) {
    p.write(u"<p class=error>没有这条新闻。</p>");
    page_end(p);
    return;
  }
  for (const char16_t* script : {u"CommScriptPopSelect", u"CommScriptCheckPostCard", u"CommScriptOpenWindow"})
    p.write(call(comm, script).to_text());
  p.write(u"<form name=myform id=myform method=post action='save.asp'><input type=hidden name=id value='" +
          Variant(id).to_text() + u"'><input type=hidden name=url value='/Comm/Image/Zelto_Error_TopLeft.asp'>");
  p.write(call(comm, u"CommShowTableDouble", {Variant(u"96%"), Variant(u"#ffffff")}).to_text());
  const Text editor = u"editor.asp?id=" + Variant(id).to_text();
  const Text number_markup = state == 1 ? Text(u"<span class=hint>保存后自动编号</span>")
                                        : u"<span class=recordid>" + Variant(id).to_text() + u"</span>";
  const std::vector<Row> rows = {
      {20, u"编号", u"", u"id", 0, number_markup.c_str(), u""},
      {1, u"标题", u"title", u"title", 0, u"", u"*"},
      {1, u"身份证号码", u"postcard", u"身份证号码", 18, u"", u""},
      {3, u"类别", u"kind", u"类别", 0, u"", u""},
      {3, u"部门", u"dept", u"部门名称", 0, u"", u""},
      {3, u"小组", u"part", u"Part", 0, u"", u""},
      {7, u"栏目", u"column", u"栏目", 0, u"", u""},
      {4, u"已审核", u"checked", u"审核", 0, u"", u""},
      {6, u"密码", u"password", u"密码", 0, u"", u""},
      {2, u"发布日期", u"published", u"发布日期", 0, u"", u""},
      {8, u"作者", u"author", u"作者", 0, u"pick.asp|360|240", u""},
      {9, u"来源", u"source", u"来源", 0, u"this.value='本站原创'", u""},
      {5, u"摘要", u"summary", u"摘要", 0, u"", u""},
      {state == 3 ? int16_t{5} : int16_t{10}, u"正文", u"content", state == 3 ? u"content" : editor.c_str(), 0, u"",
       u""},
      {11, u"图片", u"photo", u"图片", 0, u"", u""},
      {12, u"附件", u"attachment", u"附件", 0, u"", u""},
      {21, u"备注", u"note", u"备注", 0, u"", u""},
  };
  for (const Row& r : rows) {
    // Pickers upload nothing in view mode; leave them out there.
    if (state == 3 && (r.type == 11 || r.type == 12)) continue;
    p.write(call(comm, u"CommShowTr",
                 {data.conn, data.rs, Variant(Text()), Variant(r.type), Variant(int32_t{r.type == 10 ? 480 : 300}),
                  Variant(int32_t{r.type == 10 ? 160 : 4}), Variant(int16_t{1}), Variant(r.title), Variant(r.name),
                  Variant(r.field), Variant(r.pop_allow), Variant(r.pop), Variant(state), Variant(int16_t{1}),
                  Variant(r.star), Variant(Text()), Variant(Text())})
                .to_text());
  }
  p.write(
      u"</table></td></tr></table><p><img id=PhotoPre name=PhotoPre src='/Comm/Image/Zelto_Error_TopLeft.asp' "
      u"alt=''> ");
  if (state == 3)
    p.write(u"<a id=editlink href='edit.asp?moden=edit&id=" + Variant(id).to_text() + u"'>修改</a>");
  else
    p.write(u"<input type=submit id=save value='保存'>");
  p.write(u"</p></form>");
  page_end(p);
}

// The rich-text frame of type 10: edits the stored text and keeps the
// parent form's hidden text area up to date.
void editor_page(Page& p) {
  ResponseRef(p.response()).set(u"CharSet", Variant(charset()));
  Text stored;
  const int32_t id = record_id(p.request(), u"id");
  if (id > 0) {
    Data data(p);
    Variant rs = data.run(u"select [content] from [news] where [id] = ?", {Variant(id)});
    if (!get(rs, u"EOF").to_bool()) stored = call_default(rs, {Variant(u"content")}).value().to_text();
  }
  p.write(
      u"<!DOCTYPE html><html><body style='margin:0'><div id=edit contenteditable=true "
      u"style='height:150px;border:0;padding:4px;overflow:auto'>" +
      html(stored) +
      u"</div><script>var e=document.getElementById('edit');"
      u"function sync(){var t=parent.document.myform&&parent.document.myform.content;if(t)t.value=e.innerText;}"
      u"e.oninput=sync;sync();</script></body></html>");
}

void pick_page(Page& p) {
  page_start(p, u"选择作者");
  p.write(u"<p><a href='#' onclick=\"window.returnValue='张三';window.close();return false\">张三</a></p>");
  page_end(p);
}

// Form values, from a plain post or, once a picker made the form
// multipart, through the upload parser.
struct Posted {
  Variant upload;
  const Page& p;
  explicit Posted(const Page& page) : p(page) {
    Text type = RequestRef(p.request()).server_variables(u"CONTENT_TYPE");
    if (type.find(u"multipart/form-data") != Text::npos) {
      upload = Variant(create_object(u"Brevane.Zelto_Class_UploadFile"));
      put(upload, u"Exe", Variant(u"jpg|jpeg|gif|png|txt"));
      call(upload, u"GetData", {p.request()});
    }
  }
  Text operator()(TextView name) const {
    if (upload.is_object()) return call(upload, u"Forms", {Variant(name)}).to_text();
    return RequestRef(p.request()).form(name);
  }
};

void save_page(Page& p) {
  Variant comm = component();
  call(comm, u"CommCheckPost", {p.request(), p.response()});
  if (p.ended()) return;
  Posted form(p);
  Text title = form(u"title");
  if (title.empty()) {
    error_page(p, u"请填写标题。");
    return;
  }
  Data data(p);
  int32_t id = 0;
  {
    Text given = form(u"id");
    if (!given.empty() && given.size() < 10 && given.find_first_not_of(u"0123456789") == Text::npos)
      id = Variant(given).to_i32();
  }
  if (id > 0) {
    data.run(u"update [news] set [title] = ?, [content] = ? where [id] = ?",
             {Variant(title), Variant(form(u"content")), Variant(id)});
  } else {
    data.run(u"insert into [news] ([title], [content], [dateandtime]) values (?, ?, ?)",
             {Variant(title), Variant(form(u"content")), call(comm, u"CommGetDateTime")});
    Variant rs = data.run(u"select max([id]) as [id] from [news]");
    id = call_default(rs, {Variant(u"id")}).value().to_i32();
  }
  // A blank password keeps the stored one: the form never shows it.
  data.run(
      u"insert into [NewsExtra] ([NewsID], [密码]) values (?, '') on conflict([NewsID]) do nothing;"
      u"update [NewsExtra] set [身份证号码] = ?, [类别] = ?, [部门名称] = ?, [Part] = ?, [栏目] = ?, [审核] = ?, "
      u"[密码] = coalesce(nullif(?, ''), [密码]), [发布日期] = ?, [作者] = ?, [来源] = ?, [摘要] = ?, [图片] = ?, "
      u"[备注] = ? where [NewsID] = ?",
      {Variant(id), Variant(form(u"postcard")), Variant(form(u"kind")), Variant(form(u"dept")), Variant(form(u"part")),
       Variant(form(u"column")), Variant(form(u"checked") == u"on"), Variant(form(u"password")),
       Variant(form(u"published")), Variant(form(u"author")), Variant(form(u"source")), Variant(form(u"summary")),
       Variant(form(u"photo")), Variant(form(u"note")), Variant(id)});
  page_start(p, u"保存新闻");
  p.write(u"<p class=saved>已保存新闻 " + Variant(id).to_text() + u"。</p>");
  p.write(call(comm, u"CommShowSuccess",
               {Variant(u"保存成功！"), Variant(u"edit.asp?moden=view&id=" + Variant(id).to_text())})
              .to_text());
  page_end(p);
}

void calendar_page(Page& p) {
  page_start(p, u"新闻日历");
  Data data(p);
  p.write(u"<div class=calendar style='width:320px'>");
  p.write(call(component(), u"CommShowCalendar",
               {p.request(), data.conn, data.rs, Variant(u"news"), Variant(Text()), Variant(Text())})
              .to_text());
  p.write(u"</div>");
  Text date = RequestRef(p.request()).query_string(u"date");
  if (date.size() == 8 && date.find_first_not_of(u"0123456789") == Text::npos) {
    Variant rs =
        data.run(u"select [id], [title] from [news] where Left([dateandtime], 8) = ? order by [id]", {Variant(date)});
    p.write(u"<h2>" + html(date) + u" 的新闻</h2><ul class=daynews>");
    for (; !get(rs, u"EOF").to_bool(); call(rs, u"MoveNext"))
      p.write(u"<li><a href='edit.asp?moden=view&id=" + call_default(rs, {Variant(u"id")}).value().to_text() + u"'>" +
              html(call_default(rs, {Variant(u"title")}).value().to_text()) + u"</a></li>");
    p.write(u"</ul>");
  }
  page_end(p);
}

void tabs_page(Page& p) {
  page_start(p, u"选项卡");
  Data data(p);
  Text latest;
  Variant rs = data.run(u"select [title] from [news] order by [dateandtime] desc limit 5");
  for (; !get(rs, u"EOF").to_bool(); call(rs, u"MoveNext"))
    latest += u"<li>" + html(call_default(rs, {Variant(u"title")}).value().to_text()) + u"</li>";
  VariantArray titles{Variant(u"最新新闻"), Variant(u"使用说明"), Variant(u"关于")};
  VariantArray contents{Variant(latest), Variant(u"<li>鼠标移到标题上即可切换。</li>"),
                        Variant(u"<li>选项卡由 CommShowTabAndContent 生成。</li>")};
  Variant comm = component();
  p.write(call(comm, u"CommShowTabAndContent",
               {Variant(Text()), Variant(std::move(titles)), Variant(std::move(contents)), Variant(u"97%"),
                Variant(u"160")})
              .to_text());
  p.write(u"<div style='clear:both'></div>");
  p.write(call(comm, u"CommShowMenuMoveContent",
               {Variant(int16_t{220}), Variant(int16_t{22}), Variant(u"浮动面板"), Variant(uint8_t{1}),
                Variant(uint8_t{0}), Variant(u"可以拖动标题栏。"), Variant(u"visible")})
              .to_text());
  page_end(p);
}

// The news list; with ?excel=1 the same rows as a worksheet.
void list_page(Page& p) {
  Variant comm = component();
  const bool excel = !RequestRef(p.request()).query_string(u"excel").empty();
  Data data(p);
  call(data.rs, u"Open",
       {Variant(u"select [id], [title], [dateandtime] from [news] order by [id]"), data.conn, Variant(1), Variant(1)});
  Text rows;
  int16_t n = 0;
  for (RecordsetRef r(data.rs); !r.eof(); r.move_next()) {
    ++n;
    Text cells = u"<td>" + r.field(u"id").to_text() + u"</td><td>" + html(r.field(u"title").to_text()) + u"</td><td>" +
                 call(comm, u"CommPutDateTime", {r.field(u"dateandtime")}).to_text() + u"</td></tr>";
    rows += (excel ? Text(u"<tr>") : call(comm, u"CommShowGridTr", {Variant(n)}).to_text()) + cells;
  }
  if (n == 0) rows = call(comm, u"CommShowNoRecord", {Variant(int16_t{3}), Variant(excel)}).to_text();
  if (excel) {
    Text doc = call(comm, u"CommShowExcel",
                    {data.conn, data.rs, p.response(), Variant(u"新闻列表"), Variant(int16_t{3}), Variant(rows),
                     Variant(u"新闻|3"), Variant(u"编号$标题$发布时间")})
                   .to_text();
    ResponseRef response(p.response());
    response.set(u"CharSet", Variant(charset()));
    response.add_header(u"Content-Disposition", u"attachment; filename=news.xls");
    // Spreadsheet programs other than the one the type names read an
    // undeclared HTML worksheet as Western text; the page says what it is.
    p.write(u"<meta http-equiv='Content-Type' content='text/html; charset=" + charset() + u"'>" + doc);
    return;
  }
  page_start(p, u"新闻列表");
  p.write(u"<p><a id=export href='list.asp?excel=1'>导出 Excel</a></p><table class=list width='100%'>");
  p.write(call(comm, u"CommShowTableHeader", {Variant(u"编号|60$标题|*$发布时间|160")}).to_text());
  p.write(rows + u"</table>");
  page_end(p);
}

}  // namespace

void register_fields_pages(host::PageRegistry& pages) {
  pages.add("/fields/index.asp", index_page);
  pages.add("/fields/edit.asp", edit_page);
  pages.add("/fields/editor.asp", editor_page);
  pages.add("/fields/pick.asp", pick_page);
  pages.add("/fields/save.asp", save_page);
  pages.add("/fields/calendar.asp", calendar_page);
  pages.add("/fields/tabs.asp", tabs_page);
  pages.add("/fields/list.asp", list_page);
}

}  // namespace brevane::site
