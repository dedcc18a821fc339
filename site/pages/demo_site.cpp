// The demo site's pages. Each creates the component by its programmatic
// identifier and calls it by name with the page objects, as a server page
// does; pieces of the component that are not built yet show a note instead.
#include "site/pages/demo_site.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/registry.h"
#include "frame/host.h"
#include "site/pages/common.h"

namespace brevane::site {

namespace {

using host::Page;
namespace fs = std::filesystem;

// ---- pages ----

void index_page(Page& p) {
  page_start(p, u"Brevane 演示站点");
  StoreRef session(p.session()), app(p.application());
  int32_t visits = session.get(u"visits").is_empty() ? 0 : session.get(u"visits").to_i32();
  session.set(u"visits", Variant(visits + 1));
  call(p.application(), u"Lock");
  int32_t hits = app.get(u"hits").is_empty() ? 0 : app.get(u"hits").to_i32();
  app.set(u"hits", Variant(hits + 1));
  call(p.application(), u"Unlock");
  Text version = call(component(), u"CommGetVersion").to_text();
  p.write(u"<p>组件版本 " + html(version) + u"。本次会话第 " + num(visits + 1) + u" 次访问，站点共 " + num(hits + 1) +
          u" 次。</p><ul class=demos>"
          u"<li><a href='/md5.asp'>MD5 摘要</a> — CommMd5 与 CommServU</li>"
          u"<li><a href='/upload/index.asp'>文件上传</a> — Zelto_Class_UploadFile 与 CommFileUpload</li>"
          u"<li><a href='/brevane/login.asp'>网络文件管理</a> — 登录后浏览、上传、编辑共享文件夹（密码 admin888 / "
          u"guest）</li>"
          u"<li><a href='/guard.asp?id=1'>请求检查</a> — CommCheckInject 通过；"
          u"<a href='/guard.asp?id=1%27'>带注入字符</a> 显示错误页</li>"
          u"<li><a href='/list.asp'>数据列表</a> — 嵌入式数据库中的记录</li>"
          u"<li><a href='/news/list.asp'>新闻列表</a> — 分页、排序与搜索条</li>"
          u"<li><a href='/chrome/index.asp'>页面外观</a> — 提示、标题栏、对话框与窗口脚本</li>"
          u"<li><a href='/fields/index.asp'>表单字段、日历、选项卡与导出</a> — "
          u"CommShowTd、CommShowCalendar、CommShowTab、CommShowExcel</li>"
          u"<li><a href='/archive/index.asp'>备份与压缩</a> — 打包、解压与数据备份</li>"
          u"<li><a href='/mappath.asp?path=/data/vote.asp'>路径映射</a> — Server.MapPath</li>"
          u"<li><a href='/media/index.asp'>媒体播放与远程图片</a> — 播放器、远程图片、文件选择、页脚</li>"
          u"<li><a href='/scripts/index.asp'>客户端脚本</a> — CommScript… 与 ShowAjax</li>"
          u"<li><a href='/download/index.asp'>文件下载与查看</a> — CommFileDownload 与 CommFileView</li>"
          u"</ul><p><img src='/Comm/Image/Zelto_Error_TopLeft.asp' alt=''> 图片由本站绘制。</p>");
  page_end(p);
}

void md5_page(Page& p) {
  page_start(p, u"MD5 摘要");
  Text text = RequestRef(p.request()).query_string(u"text");
  p.write(u"<form method=get action='md5.asp'><input name=text value=\"" + html(text) +
          u"\"> <input type=submit value='计算'></form>");
  if (!text.empty()) {
    Variant comm = component();
    p.write(u"<p>CommMd5: <code>" + call(comm, u"CommMd5", {Variant(text)}).to_text() + u"</code></p>");
    p.write(u"<p>CommServU: <code>" + call(comm, u"CommServU", {Variant(text)}).to_text() + u"</code></p>");
  }
  page_end(p);
}

// Shows where a site path lives on disk; a path leaving the site is refused
// by Server.MapPath itself and the page answers with that error.
void mappath_page(Page& p) {
  Text path = RequestRef(p.request()).query_string(u"path");
  Text mapped = ServerRef(p.server()).map_path(path);
  page_start(p, u"路径映射");
  p.write(u"<p><code>" + html(path) + u"</code> → <code class=mapped>" + html(mapped) + u"</code></p>");
  page_end(p);
}

void upload_index(Page& p) {
  page_start(p, u"文件上传");
  p.write(
      u"<h2>用 Zelto_Class_UploadFile 上传</h2>"
      u"<form name=myform id=parserform method=post enctype='multipart/form-data' action='save.asp'>"
      u"<p>标题 <input name=title value='演示'> 备注 <input name=memo value=''></p>"
      u"<p>文件一 <input type=file name=file1> 文件二 <input type=file name=file2></p>"
      u"<p><input type=submit id=submit1 value='上传'></p></form>"
      u"<h2>用 CommFileUpload 一次上传</h2>"
      u"<form name=myform2 method=post enctype='multipart/form-data' action='onecall.asp'>"
      u"<p>标题 <input name=title value='演示'> 备注 <input name=memo value=''></p>"
      u"<p>文件一 <input type=file name=file1> 文件二 <input type=file name=file2></p>"
      u"<p><input type=submit value='上传'></p></form>"
      u"<p>文件保存在站点路径 /UploadFile/（数据目录中）。</p>"
      u"<script src='/Comm/brevane-progress.js'></script><script>BrevaneProgress.watch(document.forms.myform);"
      u"BrevaneProgress.watch(document.forms.myform2);</script>");
  page_end(p);
}

constexpr char16_t kAllowed[] = u"jpg|jpeg|gif|png|bmp|txt|zip|rar|7z|pdf|doc|xls|bin|dat";

}  // namespace

std::string demo_upload_types() { return to_utf8(kAllowed); }

namespace {

void upload_save(Page& p) {
  Variant comm = component();
  try {
    call(comm, u"CommCheckPost", {p.request(), p.response()});
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
  }
  if (p.ended()) return;
  try {
    Variant up(create_object(u"Brevane.Zelto_Class_UploadFile"));
    put(up, u"Exe", Variant(Text(kAllowed)));
    put(up, u"MaxSize", Variant(int32_t{0}));
    put(up, u"SingleSize", Variant(int32_t{0}));
    call(up, u"GetData", {p.request()});
    if (get(up, u"ErrorID").to_i32() != 0) {
      error_page(p, get(up, u"Description").to_text());
      return;
    }
    page_start(p, u"上传结果");
    p.write(u"<ul class=saved>");
    for (const char16_t* field : {u"file1", u"file2"}) {
      Variant item = call(up, u"Files", {Variant(Text(field))});
      if (!get(item, u"IsFile").to_bool()) continue;
      bool ok =
          call(item, u"SavetoFile", {p.server(), Variant(Text(u"/UploadFile/")), Variant(int16_t{0}), Variant(false)})
              .to_bool();
      if (ok) {
        p.write(u"<li class=file>" + Text(field) + u"|" + html(get(item, u"LocalName").to_text()) + u"|" +
                html(get(item, u"FileName").to_text()) + u"|" + get(item, u"Size").to_text() + u"</li>");
      } else {
        p.write(u"<li class=failed>" + Text(field) + u"|" + html(get(item, u"Exception").to_text()) + u"</li>");
      }
    }
    p.write(u"</ul><p class=fields>title=" + html(call(up, u"Forms", {Variant(Text(u"title"))}).to_text()) + u"|memo=" +
            html(call(up, u"Forms", {Variant(Text(u"memo"))}).to_text()) + u"</p>");
    p.write(success_script(u"上传成功！", u"index.asp"));
    page_end(p);
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
    page_start(p, u"上传结果");
    not_available(p, e);
    page_end(p);
  }
}

void upload_onecall(Page& p) {
  page_start(p, u"上传结果");
  try {
    Text result =
        call(component(), u"CommFileUpload",
             {p.server(), p.request(), Variant(Text(kAllowed)), Variant(int32_t{0}), Variant(int32_t{0}),
              Variant(Text(u"/UploadFile/")), Variant(int16_t{0}), Variant(false), Variant(Text(u"title|memo"))})
            .to_text();
    p.write(u"<pre class=result>" + html(result) + u"</pre>");
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
    not_available(p, e);
  }
  page_end(p);
}

void guard_page(Page& p) {
  page_start(p, u"请求检查");
  try {
    call(component(), u"CommCheckInject", {p.request(), p.response()});
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
    not_available(p, e);
  }
  if (p.ended()) return;
  p.write(u"<p class=passed>参数检查通过。</p>");
  page_end(p);
}

void list_page(Page& p) {
  page_start(p, u"数据列表");
  Variant comm = component();
  Variant conn, rs;
  try {
    Text connection = call(comm, u"CommGetConnString", {p.server()}).to_text();
    conn = Variant(create_object(u"ADODB.Connection"));
    call(conn, u"Open", {Variant(connection)});
    rs = Variant(create_object(u"ADODB.Recordset"));
    RecordsetRef r(rs);
    r.open(u"select [ID],[Title],[Votes] from [Vote] order by [ID]", conn, 1, 1);
    p.write(u"<table class=list><tr><th>编号</th><th>标题</th><th>票数</th></tr>");
    while (!r.eof()) {
      p.write(u"<tr><td>" + r.field(u"ID").to_text() + u"</td><td>" + html(r.field(u"Title").to_text()) + u"</td><td>" +
              r.field(u"Votes").to_text() + u"</td></tr>");
      r.move_next();
    }
    p.write(u"</table>");
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

bool prepare_demo_data(const fs::path& site_dir, const fs::path& data_dir) {
  std::error_code ec;
  fs::create_directories(data_dir / "data", ec);
  fs::create_directories(data_dir / "UploadFile", ec);
  if (ec) {
    std::fprintf(stderr, "brevane: cannot create %s: %s\n", data_dir.c_str(), ec.message().c_str());
    return false;
  }
  seed_filemanager_share(data_dir);
  if (!prepare_download_demo(site_dir, data_dir)) return false;
  fs::path db = data_dir / "data" / "vote.asp";
  if (fs::exists(db)) return true;
  std::ifstream schema_file(site_dir / "data" / "schema.sql");
  if (!schema_file) return true;  // a site without a database
  std::stringstream schema;
  schema << schema_file.rdbuf();
  // Then each feature's own tables (site/data/<feature>.sql), in name order.
  std::vector<fs::path> extra;
  for (const auto& entry : fs::directory_iterator(site_dir / "data", ec))
    if (entry.path().extension() == ".sql" && entry.path().filename() != "schema.sql") extra.push_back(entry.path());
  std::sort(extra.begin(), extra.end());
  for (const fs::path& file : extra) schema << "\n" << std::ifstream(file).rdbuf();
  // Built under another name and moved into place, so a failed first run
  // leaves no half-made database behind.
  fs::path temp = db;
  temp += ".new";
  fs::remove(temp, ec);
  sqlite3* handle = nullptr;
  char* message = nullptr;
  bool ok = sqlite3_open(temp.c_str(), &handle) == SQLITE_OK &&
            sqlite3_exec(handle, schema.str().c_str(), nullptr, nullptr, &message) == SQLITE_OK;
  if (!ok)
    std::fprintf(stderr, "brevane: cannot create the database %s: %s\n", db.c_str(),
                 message ? message : sqlite3_errmsg(handle));
  sqlite3_free(message);
  sqlite3_close(handle);
  if (ok) fs::rename(temp, db, ec);
  return ok && !ec;
}

void register_demo_pages(host::PageRegistry& pages) {
  // Each feature's pages live in a file of their own (site/pages/<feature>.cpp) and register here.
  pages.add("/index.asp", index_page);
  register_scripts_pages(pages);
  register_filemanager_pages(pages);
  pages.add("/md5.asp", md5_page);
  pages.add("/mappath.asp", mappath_page);
  pages.add("/guard.asp", guard_page);
  pages.add("/list.asp", list_page);
  pages.add("/upload/index.asp", upload_index);
  pages.add("/upload/save.asp", upload_save);
  pages.add("/upload/onecall.asp", upload_onecall);
  register_media_pages(pages);
  register_listpage_pages(pages);
  register_chrome_pages(pages);
  register_fields_pages(pages);
  register_archive_pages(pages);
  register_download_pages(pages);
}

}  // namespace brevane::site
