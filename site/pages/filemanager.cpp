// The web file manager's pages under /brevane/: login, the main page, and
// the pop-ups the page script opens. They serve one shared folder in the
// data directory (never mounted as static files, so nothing uploaded is
// served but through the viewer's sandbox). Every changing page checks on
// the server that the session is logged in with the full share and carries
// its token; names and folders are checked by the component's own rules.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/codepage.h"
#include "core/registry.h"
#include "core/vbrt.h"
#include "filemanager/access.h"
#include "filemanager/listing.h"
#include "filemanager/operations.h"
#include "files/paths.h"
#include "frame/host.h"
#include "host/site_map.h"
#include "html/escape.h"
#include "platform/archive.h"
#include "platform/fs.h"
#include "site/pages/common.h"
#include "site/pages/demo_site.h"
#include "transfer/download.h"

namespace brevane::site {

namespace {

namespace sfs = std::filesystem;
using host::Page;

constexpr char16_t kReadOnly[] = u"<script>alert('文件为只读共享，请勿越权使用！');history.go(-1)</script>";
constexpr char16_t kBadToken[] = u"<script>alert('请求无效或已过期，请刷新文件列表后重试！');history.go(-1)</script>";
constexpr char16_t kIllegal[] = u"<script>alert('指定的路径或文件名称非法');history.go(-1)</script>";
// Passwords the site starts with; the owner changes them on the login page.
constexpr char16_t kDefaultWrite[] = u"admin888";
constexpr char16_t kDefaultRead[] = u"guest";

sfs::path share_root(const Page& p) {
  for (const auto& [prefix, folder] : p.site.mounts)
    if (prefix == "/data") return folder.parent_path() / "brevane_share";
  return p.site.root / ".." / "brevane_share";
}

// Server as the file manager's pages hand it to the component: MapPath
// answers inside the shared folder, everything else is the page's Server.
class ShareServer : public DynamicObject {
 public:
  ShareServer(sfs::path root, const Variant& server) : root_(std::move(root)), server_(server) {
    define(u"MapPath", [this](int, Args a) -> Variant {
      if (a.size() < 1) throw ScriptError(ErrorCode::WrongArgumentCount);
      return map(a[0].to_text());
    });
    define(u"URLEncode", [this](int, Args a) -> Variant {
      if (a.size() < 1) throw ScriptError(ErrorCode::WrongArgumentCount);
      return call(server_, u"URLEncode", {Variant(a[0].to_text())});
    });
    define(u"HTMLEncode", [this](int, Args a) -> Variant {
      if (a.size() < 1) throw ScriptError(ErrorCode::WrongArgumentCount);
      return call(server_, u"HTMLEncode", {Variant(a[0].to_text())});
    });
  }

 private:
  Text map(TextView path) const {
    if (path.find(u':') != TextView::npos) throw ScriptError(ErrorCode::InvalidCall);
    bool trailing = !path.empty() && (path.back() == u'/' || path.back() == u'\\');
    std::vector<std::string> parts;
    Text piece;
    auto flush = [&] {
      if (piece == u"..") {
        if (parts.empty()) throw ScriptError(ErrorCode::InvalidCall);
        parts.pop_back();
      } else if (!piece.empty() && piece != u".") {
        parts.push_back(to_utf8(piece));
      }
      piece.clear();
    };
    for (char16_t c : path) {
      if (c == u'/' || c == u'\\')
        flush();
      else
        piece += c;
    }
    flush();
    sfs::path out = root_;
    for (const auto& part : parts) out /= part;
    Text text = host::to_windows_path(out.lexically_normal());
    while (text.size() > 3 && text.back() == u'\\') text.pop_back();
    if (trailing && !parts.empty()) text += u"\\";
    return text;
  }

  sfs::path root_;
  Variant server_;
};

Variant share_server(const Page& p) {
  return Variant(ObjectPtr(std::make_shared<ShareServer>(share_root(p), p.server())));
}

Text req(const Page& p, TextView key) {
  Variant v = RequestRef(p.request()).item(key).value();
  return v.is_empty() || v.is_null() ? Text() : v.to_text();
}

Text sess(const Page& p, TextView key) {
  Variant v = StoreRef(p.session()).get(key).value();
  return v.is_empty() || v.is_null() ? Text() : v.to_text();
}

Text app(const Page& p, TextView key) {
  Variant v = StoreRef(p.application()).get(key).value();
  return v.is_empty() || v.is_null() ? Text() : v.to_text();
}

Text random_token() {
  std::random_device rd;
  static const char* hex = "0123456789abcdef";
  std::string s;
  for (int i = 0; i < 32; ++i) s += hex[rd() & 15];
  return T(s);
}

Text md5(TextView s) { return call(component(), u"CommMd5", {Variant(Text(s))}).to_text(); }

// The application's keys the first time any file manager page runs: a
// state token, and the two passwords (kept as digests) with sharing open.
void ensure_settings(const Page& p) {
  StoreRef a(p.application());
  if (app(p, u"zelto_brevane_state").empty()) a.set(u"zelto_brevane_state", Variant(random_token()));
  if (app(p, u"zelto_brevane_password_write").empty()) {
    a.set(u"zelto_brevane_password_write", Variant(md5(kDefaultWrite)));
    a.set(u"brevane_password_read", Variant(md5(kDefaultRead)));
    a.set(u"brevane_share_open", Variant(u"1"));
  }
}

void fragment_charset(const Page& p) {
  ResponseRef(p.response()).set(u"CharSet", Variant(Text(CodePage::ansi().number() == 65001 ? u"utf-8" : u"gb2312")));
}

Text style_of(const Page& p) {
  Text s = req(p, u"p_FileListStyle");
  return s.empty() ? Text(u"1") : s;
}

int16_t style_number(const Page& p) {
  double v = vb::Val(style_of(p));
  return static_cast<int16_t>(v >= 0 && v < 10 ? v : 1);
}

Text folder_of(const Page& p) {
  Text f = req(p, u"p_CurrentFolder");
  if (f.empty()) f = u"/";
  if (f.back() != u'/') f += u'/';
  return f;
}

// Logged in at all; otherwise the component's redirect script and stop.
bool logged_in(Page& p) {
  ensure_settings(p);
  fragment_charset(p);
  Variant response = p.response(), session = p.session(), application = p.application();
  call(component(), u"CommCheckUserNormal", {response, session, application});
  if (!fm_logged_in(p.session(), p.application())) {
    ResponseRef(p.response()).end();
    return false;
  }
  return true;
}

// Logged in with the full share and carrying the session's token.
// A pop-up window answers a refusal by closing itself.
bool may_change(Page& p, bool popup = false) {
  if (!logged_in(p)) return false;
  ResponseRef r(p.response());
  if (!fm_write_right(p.session(), p.application())) {
    r.write(popup ? vb::Replace(kReadOnly, u"history.go(-1)", u"window.close()") : Text(kReadOnly));
    r.end();
    return false;
  }
  Text token = sess(p, kFmTokenKey);
  if (token.empty() || req(p, u"fm_token") != token) {
    r.write(popup ? vb::Replace(kBadToken, u"history.go(-1)", u"window.close()") : Text(kBadToken));
    r.end();
    return false;
  }
  return true;
}

// The result scripts of the pop-ups refresh `parent.dialogArguments`, which
// only a modal dialog has: a window opened with window.open gets its opener
// there, so the listing behind it is refreshed and the window closes.
constexpr char16_t kOpenerAsDialog[] =
    u"<script>if(!window.dialogArguments&&window.opener)window.dialogArguments=window.opener;</script>";

void head(Page& p, TextView title) {
  p.write(u"<!DOCTYPE html><html><head><meta http-equiv='Content-Type' content='text/html'><title>" +
          markup::escape_attr(title) + u"</title><link rel=stylesheet href='../comm/filemanager.css'></head>");
}

// ---- login ----

void login_page(Page& p) {
  ensure_settings(p);
  fragment_charset(p);
  Text act = req(p, u"act");
  Text message;
  if (act == u"logout") {
    StoreRef(p.session()).set(u"zelto_brevane_state", Variant(u""));
    StoreRef(p.session()).set(u"zelto_brevane_right", Variant(u""));
    StoreRef(p.session()).set(u"zelto_brevane_password", Variant(u""));
    message = u"已退出。";
  } else if (act == u"login") {
    Text digest = md5(RequestRef(p.request()).form(u"password"));
    StoreRef s(p.session());
    Text right;
    if (app(p, u"brevane_share_open") != u"1") {
      message = u"共享尚未开启。";
    } else if (digest == app(p, u"zelto_brevane_password_write")) {
      right = u"write";  // the full share wins when both passwords are the same
    } else if (digest == app(p, u"brevane_password_read")) {
      right = u"read";
    } else {
      message = u"密码错误！";
    }
    if (!right.empty()) {
      s.set(u"zelto_brevane_state", Variant(app(p, u"zelto_brevane_state")));
      s.set(u"zelto_brevane_right", Variant(right));
      s.set(u"zelto_brevane_password", Variant(digest));
      s.set(kFmTokenKey, Variant(random_token()));
      ResponseRef(p.response()).redirect(u"netdrivers.asp");
      return;
    }
  } else if (act == u"settings" && fm_logged_in(p.session(), p.application()) &&
             fm_write_right(p.session(), p.application()) && req(p, u"fm_token") == sess(p, kFmTokenKey)) {
    RequestRef r(p.request());
    StoreRef a(p.application());
    if (!r.form(u"write").empty()) a.set(u"zelto_brevane_password_write", Variant(md5(r.form(u"write"))));
    if (!r.form(u"read").empty()) a.set(u"brevane_password_read", Variant(md5(r.form(u"read"))));
    a.set(u"brevane_share_open", Variant(Text(r.form(u"open") == u"1" ? u"1" : u"0")));
    // New passwords log everybody out.
    a.set(u"zelto_brevane_state", Variant(random_token()));
    message = u"设置已保存，请重新登录。";
  }
  head(p, u"登录 - 网络文件管理");
  p.write(u"<body class=login><div class=loginbox><h2>Brevane 网络文件管理</h2>");
  if (!message.empty()) p.write(u"<p class=msg id=msg>" + markup::escape_attr(message) + u"</p>");
  p.write(
      u"<form method=post action='login.asp?act=login'><p>密码：<input type=password name=password id=password "
      u"size=20> <input type=submit id=loginbtn value='登录'></p></form>"
      u"<p class=hint>完全共享密码可读写，只读共享密码只能浏览和下载。</p>");
  if (fm_logged_in(p.session(), p.application()) && fm_write_right(p.session(), p.application()) &&
      !sess(p, u"zelto_brevane_state").empty()) {
    p.write(u"<form method=post action='login.asp?act=settings&fm_token=" + sess(p, kFmTokenKey) +
            u"'><fieldset><legend>共享设置</legend><p>完全共享密码：<input type=password name=write></p>"
            u"<p>只读共享密码：<input type=password name=read></p><p><label><input type=checkbox name=open value=1" +
            Text(app(p, u"brevane_share_open") == u"1" ? u" checked" : u"") +
            u">开启共享</label></p><input type=submit value='保存设置'></fieldset></form>");
  }
  p.write(
      u"<p><a href='netdrivers.asp'>进入文件管理</a> | <a "
      u"href='../index.asp'>返回演示首页</a></p></div></body></html>");
}

// ---- main page ----

void send_file(Page& p, const Text& mapped, bool inline_view) {
  ResponseRef r(p.response());
  auto native = fs::native_path(mapped);
  std::ifstream in(native ? *native : std::string(), std::ios::binary);
  if (!native || !in) {
    r.write(u"<script>alert('找不到指定的文件，可能该文件已经被删除!');history.go(-1)</script>");
    r.end();
    return;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  r.clear();
  Text name = CommFileGetFullName(mapped);
  r.set(u"ContentType", Variant(from_utf8(inline_view ? host::content_type_for(sfs::path(*native))
                                                      : std::string("application/octet-stream"))));
  // What is viewed comes from visitors: it must not run script in the
  // site's origin, nor be sniffed into something that does.
  r.add_header(u"X-Content-Type-Options", u"nosniff");
  r.add_header(u"Content-Security-Policy",
               u"sandbox; default-src 'none'; img-src 'self' data:; style-src 'unsafe-inline'");
  std::string encoded;
  for (unsigned char c : to_utf8(name)) {
    if (std::isalnum(c) || c == '.' || c == '-' || c == '_') {
      encoded += static_cast<char>(c);
    } else {
      static const char* hex = "0123456789ABCDEF";
      encoded += '%';
      encoded += hex[c >> 4];
      encoded += hex[c & 15];
    }
  }
  r.add_header(u"Content-Disposition",
               from_utf8(std::string(inline_view ? "inline" : "attachment") + "; filename*=UTF-8''" + encoded));
  r.binary_write(Variant(Bytes(bytes.begin(), bytes.end())));
  r.end();
}

// The file a request names, checked against the shared tree; empty when refused.
Text checked_file(const Variant& server, const Text& file) {
  Text folder = CommFileGetPath(file);
  Text name = CommFileGetFullName(file);
  if (folder.empty()) folder = u"/";
  if (!fm_target_is_safe(server, folder, name)) return Text();
  return ServerRef(server).map_path(file);
}

// The listing's order comes from the query ("p_Sort": name, size, type or
// time; "p_Order": asc or desc) and is kept in the session, so links that
// do not carry it keep it too. "p_Search" lists the matching names in the
// folder and below; it lasts for one page.
ListingView listing_view(Page& p) {
  ListingView view;
  StoreRef session(p.session());
  Text sort = req(p, u"p_Sort");
  Text order = req(p, u"p_Order");
  if (sort.empty() && order.empty()) {
    sort = sess(p, u"brevane_sort");
    order = sess(p, u"brevane_order");
  }
  if (!fm_sort_key(sort, view.key)) view.key = ListingView::Key::Name;
  view.descending = vb::LCase(order) == u"desc";
  session.set(u"brevane_sort", Variant(sort));
  session.set(u"brevane_order", Variant(Text(view.descending ? u"desc" : u"asc")));
  view.search = vb::Left(vb::Trim(req(p, u"p_Search")), 100);
  return view;
}

// Sort and search under the listing: one form, sent as the page's query.
Text find_bar(Page& p, const Text& folder, const ListingView& view) {
  const std::pair<const char16_t*, const char16_t*> keys[] = {
      {u"name", u"名称"}, {u"size", u"大小"}, {u"type", u"类型"}, {u"time", u"修改时间"}};
  Text out =
      u"<form class=findbar name=fm_find method=get action='netdrivers.asp'><input type=hidden "
      u"name=p_CurrentFolder value='" +
      markup::escape_attr(folder) + u"'><input type=hidden name=p_FileListStyle value='" +
      markup::escape_attr(style_of(p)) + u"'>排序 <select name=p_Sort id=fm_sort onchange='this.form.submit()'>";
  for (const auto& [word, label] : keys) {
    ListingView::Key k{};
    fm_sort_key(word, k);
    out += u"<option value=" + Text(word) + (k == view.key ? u" selected>" : u">") + label + u"</option>";
  }
  out += Text(u"</select><select name=p_Order id=fm_order onchange='this.form.submit()'><option value=asc") +
         (view.descending ? u"" : u" selected") + u">升序</option><option value=desc" +
         (view.descending ? u" selected" : u"") +
         u">降序</option></select> 搜索 <input type=text name=p_Search id=fm_search size=14 value='" +
         markup::escape_attr(view.search) + u"'><input type=submit id=fm_findbtn value='搜索'>";
  if (!view.search.empty())
    out += u" <span id=fm_found>“" + markup::escape_attr(view.search) +
           u"”的搜索结果</span> <a id=fm_clear href='netdrivers.asp?p_CurrentFolder=" +
           markup::escape_attr(ServerRef(p.server()).url_encode(folder)) + u"&p_FileListStyle=" +
           markup::escape_attr(style_of(p)) + u"'>[返回]</a>";
  return out + u"</form>";
}

void main_page(Page& p) {
  if (!logged_in(p)) return;
  Variant server = share_server(p);
  Variant response = p.response(), request = p.request(), session = p.session(), application = p.application();
  Variant comm = component();
  const Text folder = folder_of(p);
  const int16_t style = style_number(p);
  const Text act = req(p, u"p_Act");
  if (!fm_folder_is_safe(folder) || !fm_inside_share(server, ServerRef(server).map_path(folder))) {
    p.write(kIllegal);
    return;
  }
  if (act == u"download") {
    Text mapped = checked_file(server, req(p, u"p_CurrentFile"));
    if (mapped.empty()) {
      p.write(kIllegal);
      return;
    }
    call(comm, u"CommFileDownload", {response, server, Variant(mapped), Variant(false)});
    return;
  }
  if (act == u"paste") {
    if (!may_change(p)) return;
    StoreRef(p.session()).set(u"brevane_last_folder", Variant(folder));
  }
  Text script = call(comm, u"CommSave",
                     {server, application, session, response, request, Variant(style), Variant(folder), Variant(act)})
                    .to_text();
  if (p.ended()) {
    p.write(script);
    return;
  }
  StoreRef(p.session()).set(u"brevane_last_folder", Variant(folder));
  StoreRef(p.session()).set(u"brevane_last_style", Variant(style));
  head(p, u"网络文件管理 - " + folder);
  p.write(
      u"<body class=fm oncontextmenu=\"if((event.target||event.srcElement).closest&&(event.target||event.srcElement)"
      u".closest('a'))return true;popMenu('empty','');return false;\">");
  p.write(call(comm, u"CommScriptOpenWindow").to_text());
  p.write(script);
  p.write(call(comm, u"CommShowMenuRight").to_text());
  p.write(u"<div class=window>");
  p.write(call(comm, u"CommShowMenu", {request}).to_text());
  p.write(call(comm, u"CommShowMenuShort", {server, Variant(style), Variant(folder)}).to_text());
  p.write(call(comm, u"CommShowUrl", {Variant(style), Variant(folder)}).to_text());
  const ListingView view = listing_view(p);
  p.write(u"<div class=listing>");
  p.write(fm_show_file_list(server, style, folder, view));
  p.write(u"</div>");
  p.write(call(comm, u"CommShowBottom", {request}).to_text());
  p.write(find_bar(p, folder, view));
  p.write(u"<div class=account>" + Text(sess(p, u"zelto_brevane_right") == u"write" ? u"完全共享" : u"只读共享") +
          u" | <a href='login.asp'>设置</a> | <a href='login.asp?act=logout' id=logout>退出</a></div></div>");
  p.write(
      u"<script src='../comm/brevane-progress.js' charset='utf-8'></script>"
      u"<script src='../comm/brevane-fm-transfer.js' charset='utf-8'></script>");
  p.write(u"</body></html>");
}

// Paste answers with a redirect to index.asp: back to the folder last shown.
void index_redirect(Page& p) {
  Text folder = sess(p, u"brevane_last_folder");
  Text style = sess(p, u"brevane_last_style");
  Variant server = p.server();
  ResponseRef(p.response())
      .redirect(u"netdrivers.asp?p_FileListStyle=" + (style.empty() ? Text(u"1") : style) + u"&p_CurrentFolder=" +
                ServerRef(server).url_encode(folder.empty() ? Text(u"/") : folder));
}

// ---- pop-ups and operations ----

void rename_page(Page& p) {
  if (!may_change(p)) return;
  Variant server = share_server(p), response = p.response(), request = p.request();
  call(component(), u"CommReName",
       {server, response, request, Variant(style_number(p)), Variant(folder_of(p)), Variant(req(p, u"p_Act"))});
}

void create_del_page(Page& p) {
  if (!may_change(p)) return;
  Variant server = share_server(p), response = p.response(), request = p.request();
  call(component(), u"CommCreateOrDel",
       {server, response, request, Variant(style_number(p)), Variant(folder_of(p)), Variant(req(p, u"p_CurrentFile")),
        Variant(req(p, u"p_Act"))});
}

void del_batch_page(Page& p) {
  if (!may_change(p)) return;
  Variant server = share_server(p), response = p.response(), request = p.request();
  call(component(), u"CommDelBatch",
       {server, response, request, Variant(style_number(p)), Variant(folder_of(p)),
        Variant(RequestRef(p.request()).form(u"p_Act"))});
}

void copy_page(Page& p) {
  if (!may_change(p)) return;
  Variant server = share_server(p), response = p.response(), request = p.request(), session = p.session();
  call(component(), u"CommCopyCut",
       {server, session, response, request, Variant(style_number(p)), Variant(folder_of(p)),
        Variant(RequestRef(p.request()).form(u"p_Act"))});
}

void edit_page(Page& p) {
  if (!may_change(p)) return;
  Variant server = share_server(p), response = p.response(), request = p.request();
  head(p, u"编辑文件");
  p.write(Text(u"<body>") + kOpenerAsDialog);
  Text out = call(component(), u"CommFileEdit",
                  {server, response, request, Variant(req(p, u"p_CurrentFile")), Variant(req(p, u"p_Act"))})
                 .to_text();
  if (p.ended()) return;
  // Both of the editor's forms post back to itself: the token rides along
  // in each.
  Text token = u"<input type=hidden name='fm_token' value='" + markup::escape_attr(sess(p, kFmTokenKey)) + u"'>";
  out = vb::Replace(out, u"<input type=hidden name='p_Act' value='EditFile'>",
                    u"<input type=hidden name='p_Act' value='EditFile'>" + token);
  out = vb::Replace(out, u"<input type=submit value='读文件'", token + u"<input type=submit value='读文件'");
  p.write(out + u"</body></html>");
}

void view_page(Page& p) {
  if (!logged_in(p)) return;
  Variant server = share_server(p);
  Text mapped = checked_file(server, req(p, u"p_CurrentFile"));
  if (mapped.empty()) {
    p.write(kIllegal);
    return;
  }
  send_file(p, mapped, true);
}

// A folder and everything below it as one ZIP, packed while it is sent:
// nothing is written to disk and the host's memory does not grow with the
// folder. Reading is enough, as for downloading a file.
void folder_zip_page(Page& p) {
  if (!logged_in(p)) return;
  Variant server = share_server(p);
  const Text folder = folder_of(p);
  if (!fm_folder_is_safe(folder)) {
    p.write(kIllegal);
    return;
  }
  const Text mapped = ServerRef(server).map_path(folder);
  auto native = fs::native_path(mapped);
  std::error_code ec;
  sfs::path real = native ? sfs::canonical(*native, ec) : sfs::path();
  if (!native || ec || !fm_inside_share(server, mapped) || !sfs::is_directory(real, ec)) {
    p.write(kIllegal);
    return;
  }
  Text name = CommFileGetFullName(vb::Left(folder, static_cast<int64_t>(folder.size()) - 1));
  if (name.empty()) name = u"brevane_share";
  ResponseRef r(p.response());
  r.set(u"ContentType", Variant(Text(u"application/zip")));
  r.set(u"CharSet", Variant(Text()));  // set for the pages' text, wrong for an archive
  r.add_header(u"Content-Disposition", download_disposition(name + u".zip"));
  p.response_object.stream_body([root = real.string(), top = to_utf8(name)](const host::BodyWriter& write) {
    return archive::stream_folder_zip(root, top, write) == archive::Status::Ok;
  });
}

void upload_page(Page& p) {
  if (!may_change(p)) return;
  Variant server = share_server(p);
  const Text folder = folder_of(p);
  if (!fm_target_is_safe(server, folder, u"")) {
    p.write(kIllegal);
    return;
  }
  const Text token = sess(p, kFmTokenKey);
  head(p, u"上传文件");
  p.write(u"<body class=popup>");
  if (req(p, u"act") == u"save") {
    Variant up(create_object(u"Brevane.Zelto_Class_UploadFile"));
    put(up, u"MaxSize", Variant(int32_t{0}));
    put(up, u"SingleSize", Variant(int32_t{0}));
    // Files dropped on the listing come from a script, whose names are UTF-8.
    if (req(p, u"fm_charset") == u"utf-8") put(up, u"CharSet", Variant(Text(u"utf-8")));
    call(up, u"GetData", {p.request()});
    if (get(up, u"ErrorID").to_i32() != 0) {
      p.write(u"<p class=msg>" + markup::escape_attr(get(up, u"Description").to_text()) + u"</p>");
    } else {
      Text saved;
      for (const char16_t* field : {u"file1", u"file2", u"file3"}) {
        Variant item = call(up, u"Files", {Variant(Text(field))});
        if (!get(item, u"IsFile").to_bool()) continue;
        Text name = get(item, u"LocalName").to_text();
        if (!fm_target_is_safe(server, folder, name)) continue;
        if (call(item, u"SavetoFile", {server, Variant(folder), Variant(int16_t{1}), Variant(true)}).to_bool())
          saved += markup::escape_attr(name) + u" ";
      }
      p.write(call(component(), u"CommOpenerEditRefresh",
                   {Variant(saved.empty() ? Text(u"没有文件被上传") : u"上传成功：" + saved), Variant(uint8_t{1})})
                  .to_text());
    }
  }
  p.write(u"<form method=post enctype='multipart/form-data' action='netdrivers_upload.asp?act=save&p_FileListStyle=" +
          style_of(p) + u"&p_CurrentFolder=" + markup::escape_attr(ServerRef(p.server()).url_encode(folder)) +
          u"&fm_token=" + markup::escape_attr(token) + u"'><h3>上传文件到 " + markup::escape_attr(folder) +
          u"</h3><p><input type=file name=file1 id=file1></p><p><input type=file name=file2></p><p><input type=file "
          u"name=file3></p><p><input type=submit id=uploadbtn value='上传'> <input type=button value='关闭' "
          u"onclick='window.close()'></p></form><script src='/Comm/brevane-progress.js'></script>"
          u"<script>BrevaneProgress.watch(document.forms[0]);</script></body></html>");
}

// Compress a file or folder beside it, or unpack an archive into the
// current folder. A folder is packed only when no link below it leads out of
// the shared tree: the archive could otherwise carry files from elsewhere.
void unzip_page(Page& p) {
  if (!may_change(p, true)) return;
  Variant server = share_server(p);
  const Text folder = folder_of(p);
  const Text file = req(p, u"p_CurrentFile");
  const Text act = vb::LCase(req(p, u"p_Act"));
  head(p, u"压缩与解压");
  p.write(Text(u"<body class=popup>") + kOpenerAsDialog);
  bool safe = fm_target_is_safe(server, folder, file);
  if (safe && act == u"zipfolder") safe = fm_tree_inside_share(server, ServerRef(server).map_path(folder + file));
  if (!safe) {
    p.write(u"<script>alert('指定的路径或文件名称非法');window.close();</script></body></html>");
    return;
  }
  p.write(
      call(component(), u"CommUnZipWithXceedZip", {server, Variant(folder), Variant(file), Variant(req(p, u"p_Act"))})
          .to_text());
  p.write(u"</body></html>");
}

void help_page(Page& p) {
  fragment_charset(p);
  head(p, u"使用帮助");
  p.write(u"<body style='margin:0'>" + call(component(), u"CommHelp").to_text() + u"</body></html>");
}

void about_page(Page& p) {
  fragment_charset(p);
  head(p, u"关于");
  p.write(
      u"<body class=popup><h3>Brevane 网络文件管理</h3><p>在浏览器中浏览、上传、下载和整理站点的共享文件夹。</p>"
      u"<p><a href='netdrivers.asp'>返回文件管理</a></p></body></html>");
}

}  // namespace

void seed_filemanager_share(const sfs::path& data_dir) {
  sfs::path root = data_dir / "brevane_share";
  std::error_code ec;
  if (sfs::exists(root, ec)) return;
  sfs::create_directories(root / "文档", ec);
  sfs::create_directories(root / "images", ec);
  sfs::create_directories(root / "项目资料" / "2026", ec);
  std::ofstream(root / "readme.txt") << "Brevane shared folder.\r\n";
  // Text files are kept in the site's code page, as the editor reads them.
  std::ofstream(root / "文档" / "说明.txt") << CodePage::ansi().encode(u"这是共享文件夹里的说明文件。\r\n");
  std::ofstream(root / "index.htm") << "<html><body><h1>Hello</h1></body></html>\r\n";
  std::ofstream(root / "项目资料" / "计划.txt") << "plan\r\n";
}

void register_filemanager_pages(host::PageRegistry& pages) {
  pages.add("/brevane/login.asp", login_page);
  pages.add("/brevane/index.asp", index_redirect);
  pages.add("/brevane/netdrivers.asp", main_page);
  pages.add("/brevane/netdrivers_rename.asp", rename_page);
  pages.add("/brevane/netdrivers_create_del.asp", create_del_page);
  pages.add("/brevane/netdrivers_del_batch.asp", del_batch_page);
  pages.add("/brevane/netdrivers_copy.asp", copy_page);
  pages.add("/brevane/netdrivers_edit.asp", edit_page);
  pages.add("/brevane/netdrivers_view.asp", view_page);
  pages.add("/brevane/netdrivers_upload.asp", upload_page);
  pages.add("/brevane/netdrivers_zip_folder.asp", folder_zip_page);
  pages.add("/brevane/netdrivers_unzip.asp", unzip_page);
  pages.add("/brevane/netdrivers_help.asp", help_page);
  pages.add("/brevane/netdrivers_about.asp", about_page);
}

}  // namespace brevane::site
