// The news list: a search strip with the column selector, the SQL tail the
// component makes from the request, one page of rows and the paging bar, as
// a list page of the web application builds them.
#include "core/registry.h"
#include "frame/host.h"
#include "site/pages/common.h"
#include "site/pages/demo_site.h"

namespace brevane::site {

namespace {

using host::Page;

constexpr int32_t kNewsPageSize = 10;
constexpr char16_t kNewsColumns[] = u"title|标题||content|内容||dateandtime|发布时间||id|编号";

// The classes the fragments name, as an application's style sheet gives them.
constexpr char16_t kListStyle[] =
    u"<style>.searchbg{background:#eef3fb;padding:4px}.content_border{border:1px solid #9ab}"
    u".tdbg{background:#f7f9fc}table.news td{border-bottom:1px solid #dde}</style>";

Text cell(const Variant& v) { return v.is_null() ? Text() : html(v.to_text()); }

void news_list(Page& p) {
  page_start(p, u"新闻列表");
  p.write(kListStyle);
  Variant comm = component();
  Variant conn, rs;
  try {
    Variant request = p.request();
    p.write(call(comm, u"CommShowTitleTop",
                 {Variant(u"演示单位"), Variant(u"新闻列表"), Variant(u"list.asp"), Variant(int16_t(1)),
                  Variant(int16_t(1)), Variant(u"100%"), Variant(u"")})
                .to_text());
    p.write(call(comm, u"CommShowSearchLeft", {Variant(u"form")}).to_text());
    p.write(call(comm, u"CommShowSelect", {request, Variant(int16_t(0)), Variant(kNewsColumns)}).to_text());
    p.write(u"&nbsp;<input type='submit' id=search value='搜索' class=content_border>");
    p.write(call(comm, u"CommShowSearchRight", {Variant(u"form")}).to_text());

    Text tail = call(comm, u"CommGetOrderString",
                     {request, Variant(u""), Variant(u""), Variant(u""), Variant(u""), Variant(u"news")})
                    .to_text();
    Text sql = u"select [id],[title],[content],[dateandtime] from [news] where 1=1" + tail;
    p.write(u"<p class=sql>SQL: <code>" + html(sql) + u"</code></p>");

    conn = Variant(create_object(u"ADODB.Connection"));
    call(conn, u"Open", {call(comm, u"CommGetConnString", {p.server()})});
    rs = Variant(create_object(u"ADODB.Recordset"));
    RecordsetRef r(rs);
    r.open(sql, conn, 1, 1);
    r.set_page_size(kNewsPageSize);
    call(comm, u"CommShowNoPage", {request, rs});

    p.write(u"<table class='list news' width='100%'><tr><th>编号</th><th>标题</th><th>内容</th><th>发布时间</th></tr>");
    if (r.eof()) p.write(call(comm, u"CommShowNoRecord", {Variant(int16_t(4))}).to_text());
    for (int32_t n = 0; n < kNewsPageSize && !r.eof(); ++n) {
      p.write(u"<tr class=row><td class=id>" + cell(r.field(u"id")) + u"</td><td class=title>" +
              cell(r.field(u"title")) + u"</td><td>" + cell(r.field(u"content")) + u"</td><td>" +
              cell(r.field(u"dateandtime")) + u"</td></tr>");
      r.move_next();
    }
    p.write(u"</table>");
    p.write(call(comm, u"CommShowPage", {request, rs}).to_text());
    call(comm, u"CommCloseData", {rs, conn});
  } catch (const ScriptError& e) {
    close_quietly(rs);
    close_quietly(conn);
    if (!missing_piece(e)) throw;
    not_available(p, e);
  }
  page_end(p);
}

}  // namespace

void register_listpage_pages(host::PageRegistry& pages) { pages.add("/news/list.asp", news_list); }

}  // namespace brevane::site
