#include "filemanager/listing.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>
#include <vector>

#include "core/vbrt.h"
#include "filemanager/access.h"
#include "files/fileops.h"
#include "files/paths.h"
#include "frame/host.h"
#include "html/escape.h"
#include "html/scripts.h"
#include "platform/fs.h"
#include "text/formatters.h"
#include "text/measure.h"

namespace brevane {

namespace {

thread_local ListingCounters t_counters;

Text num(int64_t n) { return Variant(static_cast<double>(n)).to_text(); }

Text size_text(int64_t bytes) { return CommGetFileSize(num(bytes)); }

Text type_of(const fs::Entry& e) {
  if (e.is_folder()) return u"文件夹";
  Text ext = CommFileGetExt(e.name, 0);
  return ext.empty() ? Text(u"文件") : vb::UCase(ext) + u"文件";
}

// A name cut for display, as HTML: the cut writes spaces as &nbsp;.
Text topic_html(TextView name, int16_t length) {
  return vb::Replace(markup::escape_attr(CommGetTopicStr(Text(name), length)), u"&amp;nbsp;", u"&nbsp;");
}

Text date_text(double d) { return Variant::date(d).to_text(); }

constexpr char16_t kCrLf[] = u"\r\n";

// A browser percent-decodes a javascript: link before running it, so an
// escape inside one that would decode to anything but "/", ".", "-", "_" or
// "~" (a byte of a Chinese name, "&", "%", a quote) is escaped once more to
// reach the page as it was; plain paths keep their text.
Text in_script_url(TextView encoded) {
  auto hex = [](char16_t c) -> int {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
  };
  Text out;
  out.reserve(encoded.size());
  for (size_t i = 0; i < encoded.size(); ++i) {
    out += encoded[i];
    if (encoded[i] != u'%') continue;
    int hi = i + 2 < encoded.size() ? hex(encoded[i + 1]) : -1, lo = hi >= 0 ? hex(encoded[i + 2]) : -1;
    char16_t byte = static_cast<char16_t>(hi * 16 + lo);
    if (hi < 0 || lo < 0 || TextView(u"/.-_~").find(byte) == TextView::npos) out += u"25";
  }
  return out;
}

Text button(TextView action, TextView icon, TextView label) {
  return u"<td width=25><a href=javascript:" + Text(action) + u"  target='_self' title='" + Text(label) +
         u"'><img src='../comm/image/menu/" + Text(icon) +
         u".asp' border=0 class='imgbutton' width='24' height='24' onmouseover=\"this.className='imgbt'\" "
         u"onmouseout=\"this.className='imgbutton'\" alt='" +
         Text(label) + u"'></a></td>";
}

constexpr char16_t kSeparator[] =
    u"<td width=6 align=center><img src='../comm/image/menu/line.asp' width='4' height='24' border=0></td>";

}  // namespace

ListingCounters listing_counters() { return t_counters; }

namespace {

// One line of a listing: the entry, its name relative to the listed folder
// ("a.txt", or "sub/a.txt" in a search result) and its bytes.
struct Row {
  fs::Entry entry;
  Text rel;
  int64_t bytes = 0;
};

// Every text URL-encoded by the page's Server in one call: the names are
// joined with "/", which no name holds and which the encoder writes as %2F
// (no code page has 0x2F inside a character). An encoder that answers
// otherwise gets one call per text.
std::vector<Text> encode_all(const ServerRef& server, const std::vector<Text>& texts) {
  if (texts.empty()) return {};
  Text joined;
  for (const Text& t : texts) {
    if (!joined.empty() || &t != &texts.front()) joined += u'/';
    joined += t;
  }
  Text encoded = server.url_encode(joined);
  std::vector<Text> out;
  out.reserve(texts.size());
  size_t from = 0;
  for (;;) {
    size_t cut = encoded.find(u"%2F", from);
    out.push_back(encoded.substr(from, cut == Text::npos ? Text::npos : cut - from));
    if (cut == Text::npos) break;
    from = cut + 3;
  }
  if (out.size() == texts.size()) return out;
  out.clear();
  for (const Text& t : texts) out.push_back(server.url_encode(t));
  return out;
}

bool name_less(TextView a, TextView b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    char16_t x = a[i] >= u'A' && a[i] <= u'Z' ? a[i] + 32 : a[i];
    char16_t y = b[i] >= u'A' && b[i] <= u'Z' ? b[i] + 32 : b[i];
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

// Folders first, each group in the view's order; equal keys keep name order.
void order_rows(std::vector<Row>& rows, const ListingView& view) {
  if (view.key == ListingView::Key::Name && !view.descending && view.search.empty()) {
    // The platform lists by name already.
    std::stable_partition(rows.begin(), rows.end(), [](const Row& r) { return r.entry.is_folder(); });
    return;
  }
  auto key_less = [&view](const Row& a, const Row& b) {
    switch (view.key) {
      case ListingView::Key::Size:
        if (a.bytes != b.bytes) return a.bytes < b.bytes;
        break;
      case ListingView::Key::Type: {
        Text ta = type_of(a.entry), tb = type_of(b.entry);
        if (ta != tb) return name_less(ta, tb);
        break;
      }
      case ListingView::Key::Time:
        if (a.entry.modified != b.entry.modified) return a.entry.modified < b.entry.modified;
        break;
      case ListingView::Key::Name:
        break;
    }
    return name_less(a.rel, b.rel);
  };
  std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
    if (a.entry.is_folder() != b.entry.is_folder()) return a.entry.is_folder();
    return view.descending ? key_less(b, a) : key_less(a, b);
  });
}

// Every row's bytes; a folder's tree is walked, the folders shared out
// among a few threads (walking is mostly waiting on the file system).
void sum_sizes(const Text& physical, std::vector<Row>& rows) {
  std::vector<Row*> folders;
  for (Row& r : rows) {
    if (r.entry.is_folder())
      folders.push_back(&r);
    else
      r.bytes = static_cast<int64_t>(r.entry.size);
  }
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < folders.size(); i = next++)
      folders[i]->bytes =
          static_cast<int64_t>(fs::tree_size(physical + u"\\" + vb::Replace(folders[i]->rel, u"/", u"\\")));
  };
  const size_t helpers = std::min<size_t>({folders.size() / 2, std::max(1u, std::thread::hardware_concurrency()), 4});
  std::vector<std::thread> threads;
  for (size_t i = 1; i < helpers; ++i) threads.emplace_back(work);
  work();
  for (std::thread& t : threads) t.join();
}

bool name_matches(const Text& name, const Text& lowered_search) {
  Text lower = vb::LCase(name);
  if (lowered_search.find_first_of(u"*?") != Text::npos) return fs::wildcard_match(lowered_search, lower);
  return lower.find(lowered_search) != Text::npos;
}

// Names in `physical` and every folder below it that hold the search text;
// a folder reached through a link leading out of the shared tree is not
// entered.
void search_tree(const Variant& server, const Text& physical, const Text& rel, const Text& lowered_search,
                 std::vector<Row>& rows, int depth) {
  std::vector<fs::Entry> entries;
  if (depth > kSearchMaxDepth || !fs::list(physical, entries)) return;
  for (fs::Entry& e : entries) {
    if (rows.size() >= kSearchMaxResults) return;
    Text child_rel = rel.empty() ? e.name : rel + u"/" + e.name;
    Text child = physical + u"\\" + e.name;
    bool enter = e.is_folder() && fm_inside_share(server, child);
    if (name_matches(e.name, lowered_search)) rows.push_back({e, child_rel, 0});
    if (enter) search_tree(server, child, child_rel, lowered_search, rows, depth + 1);
  }
}

}  // namespace

bool fm_sort_key(TextView word, ListingView::Key& key) {
  const std::pair<const char16_t*, ListingView::Key> words[] = {{u"name", ListingView::Key::Name},
                                                                {u"size", ListingView::Key::Size},
                                                                {u"type", ListingView::Key::Type},
                                                                {u"time", ListingView::Key::Time}};
  for (const auto& [w, k] : words)
    if (vb::LCase(word) == w) {
      key = k;
      return true;
    }
  return false;
}

Text CommShowFileList(Variant& Server, int16_t p_FileListStyle, Text p_CurrentFolder) {
  return fm_show_file_list(Server, p_FileListStyle, std::move(p_CurrentFolder), ListingView{});
}

Text fm_show_file_list(Variant& Server, int16_t p_FileListStyle, Text p_CurrentFolder, const ListingView& view) {
  ServerRef server(Server);
  const bool grid = p_FileListStyle == 1;
  const Text style = num(p_FileListStyle);
  Text out = u"<table width=774 border=0 cellspacing=0 cellpadding=0 align=center>";
  if (grid) {
    out += u"<tr><td height=6></td></tr>";
  } else {
    // The title images carry the column names as the cells' text.
    out += u"<tr class=titles>";
    const std::pair<int, const char16_t*> titles[] = {
        {365, u"名称"}, {76, u"大小"}, {149, u"类型"}, {140, u"修改时间"}};
    for (int i = 0; i < 4; ++i)
      out += u"<td width=" + num(titles[i].first) +
             u" height=20 style=\"background:url('../comm/image/fileswt/title_bg_" + num(i + 1) + u".asp')\">&nbsp;" +
             titles[i].second + u"</td>";
    out += u"</tr>";
  }
  out += grid ? u"<tr><td colspan=4><div style='position:absolute;top:84px;width:774px;height:404px;overflow:auto'>"
              : u"<tr><td colspan=4><div style='position:absolute;top:96px;width:774px;height:392px;overflow:auto'>";
  out += u"<table width=751 border=0 cellspacing=0 cellpadding=2>";
  const Text encoded_folder = server.url_encode(p_CurrentFolder);
  out += u"<form name='delthis' method='post' action='netdrivers_del_batch.asp?p_FileListStyle=" + style +
         u"&p_CurrentFolder=" + encoded_folder +
         u"'><input type=hidden name='p_Act' value='DelBatch'><input type=hidden name='SourceFolder' value='" +
         markup::escape_attr(p_CurrentFolder) + u"'>";
  // A folder outside the shared tree (a link leading away, a crafted path)
  // lists as a missing one: frame and form only.
  const Text physical = fm_folder_is_safe(p_CurrentFolder) ? server.map_path(p_CurrentFolder) : Text();
  if (physical.empty() || !CommFolderExist(physical) || !fm_inside_share(Server, physical)) {
    out += u"</form></table></div></td></tr></table>";
    return out;
  }
  std::vector<Row> rows;
  if (view.search.empty()) {
    std::vector<fs::Entry> entries;
    fs::list(physical, entries);
    rows.reserve(entries.size());
    for (fs::Entry& e : entries) rows.push_back({std::move(e), Text(), 0});
    for (Row& r : rows) r.rel = r.entry.name;
  } else {
    search_tree(Server, physical, Text(), vb::LCase(view.search), rows, 0);
  }
  sum_sizes(physical, rows);
  order_rows(rows, view);

  // The names go into links and the menus' arguments URL-encoded; the
  // folder's own encoding is shared by every child path.
  // Names go into links and the menus' arguments URL-encoded. A search
  // result's name is encoded part by part, the parts joined by the encoded
  // "/"; the folder's own encoding is shared by every child path.
  std::vector<Text> parts;
  std::vector<size_t> part_counts;
  for (const Row& r : rows) {
    std::vector<Text> pieces = vb::Split(r.rel, u"/");
    part_counts.push_back(pieces.size());
    for (Text& piece : pieces) parts.push_back(std::move(piece));
  }
  const std::vector<Text> encoded_parts = encode_all(server, parts);
  const Text slash = server.url_encode(u"/");
  std::vector<Text> encoded;
  encoded.reserve(rows.size());
  for (size_t i = 0, at = 0; i < rows.size(); ++i) {
    Text e;
    for (size_t k = 0; k < part_counts[i]; ++k) e += (k ? slash : Text()) + encoded_parts[at++];
    encoded.push_back(std::move(e));
  }
  // The child's path is the folder, "/" and the name with every "//" made
  // one; no name holds "/" at its start, so the folder's part is its own.
  const Text encoded_base = server.url_encode(vb::Replace(p_CurrentFolder + u"/", u"//", u"/"));

  ListingCounters c;
  int position = 0;
  if (grid) out += u"<tr>";
  for (size_t i = 0; i < rows.size(); ++i) {
    const fs::Entry* e = &rows[i].entry;
    const Text& rel = rows[i].rel;
    const bool folder = e->is_folder();
    const int64_t bytes = rows[i].bytes;
    if (folder) {
      ++c.folders;
      c.folder_bytes += bytes;
    } else {
      ++c.files;
      c.file_bytes += bytes;
    }
    Text type = type_of(*e);
    Text modified = date_text(e->modified);
    Text tip = markup::escape_attr(rel + kCrLf + u"类型：" + type + kCrLf + u"修改时间：" + modified + kCrLf +
                                   u"大小：" + size_text(bytes));
    const Text encoded_child = encoded_base + encoded[i];
    Text box = Text(u"<input type=checkbox name='") + (folder ? u"folders" : u"files") + u"' value='" +
               markup::escape_attr(rel) + u"'>";
    Text ext = vb::LCase(CommFileGetExt(e->name, 0));
    // Names go to the menu as URL-encoded text: the page script puts them
    // into links as they come, and they can close neither the string nor
    // the attribute.
    Text menu = Text(u" oncontextmenu=\"popMenu('") + (folder ? Text(u"folder") : js_string_escape(ext)) + u"','" +
                encoded[i] + u"');return false;\"";
    Text href = folder ? u"?p_CurrentFolder=" + encoded_child + u"&p_FileListStyle=" + (grid ? u"1" : style)
                       : u"javascript:OpenWindow('netdrivers_view.asp?p_Act=View&p_CurrentFile=" +
                             in_script_url(encoded_child) + u"','',420,200)";
    Text link = u"<a href=\"" + markup::escape_attr(href) + u"\" title=\"" + tip + u"\"" + menu + u">";
    if (grid) {
      Text icon = folder ? Text(u"<img src=../comm/image/fileswt1/folder.asp border=0 width=35 height=32 alt='folder'>")
                         : CommFileGetIcon(ext, u"asp", u"big");
      out += u"<td width=95 align=center style='word-wrap: break-word' valign=top>" + box + link + icon + u"<br>" +
             topic_html(rel, 24) + u"</a></td>";
      if (++position % 8 == 0) out += u"</tr><tr><td colspan=8 height=20></td></tr><tr>";
    } else if (folder) {
      out += u"<tr><td width=355 nowrap>" + box + link +
             u"<img src=../comm/image/fileswt/folder.asp border=0 width=16 height=16 align='absmiddle'> " +
             topic_html(rel, 40) +
             u"</a></td><td width=76></td><td width=149>文件夹</td>"
             u"<td width=140 nowrap>" +
             modified + u"</td></tr>";
    } else {
      out += u"<tr><td width=355 nowrap>" + box + link + CommFileGetIcon(ext, u"asp", u"small") + u" " +
             topic_html(rel, 40) + u"</a></td><td width=76 align=right>" + size_text(bytes) +
             u"</td><td width=149 title=\"" + markup::escape_attr(type) + u"\">" + topic_html(type, 20) +
             u"</td><td width=140 nowrap>" + modified + u"</td></tr>";
    }
  }
  if (grid) {
    for (int i = static_cast<int>(rows.size() % 8); i <= 7; ++i) out += u"<td width=95></td>";
    out += u"</tr>";
  }
  t_counters = c;
  out += u"</form></table></div></td></tr></table>";
  return out;
}

Text CommShowBottom(Variant& Request) {
  const ListingCounters c = t_counters;
  Text out = CommScriptShowDateAndTime(u"");
  out += u"<table width=774 border=0 cellspacing=0 cellpadding=0 align=center class=statusbar><tr height=22>";
  out += u"<td width=120>&nbsp;<span  title='文件夹：" + num(c.folders) + kCrLf + u"文件：" + num(c.files) + u"'>" +
         num(c.folders + c.files) + u"个对象</span></td>";
  out += u"<td width=120><span  title='文件夹：" + size_text(c.folder_bytes) + kCrLf + u"文件：" +
         size_text(c.file_bytes) + u"'>" + size_text(c.folder_bytes + c.file_bytes) + u"</span></td>";
  out += u"<td width=200>Brevane 网络文件管理</td>";
  out += u"<td><span id=liveclock></span></td>";
  out += u"<td width=120>" + markup::escape_attr(CommGetIp(Request)) + u"</td></tr>";
  out += u"<tr><td colspan=5 height=2></td></tr></table><script>ShowDateAndTimeScript();</script>";
  return out;
}

Text CommShowMenuShort(Variant& Server, int16_t p_FileListStyle, Text p_CurrentFolder) {
  ServerRef server(Server);
  const Text style = num(p_FileListStyle);
  Text out = u"<table width=774 border=0 cellspacing=0 cellpadding=0 align=center class=toolbar><tr>";
  out += button(u"window.location.href='?p_CurrentFolder=/&p_FileListStyle=" + style + u"'", u"home", u"首页");
  out += button(u"history.go(-1)", u"back", u"后退");
  out += button(u"history.go(1)", u"go", u"前进");
  if (p_CurrentFolder == u"/" || p_CurrentFolder.size() < 2) {
    out +=
        u"<td width=25><img src='../comm/image/menu/up.asp' border=0 class='imgbutton' width='24' height='24' "
        u"alt='向上'></td>";
  } else {
    // The parent is the text up to the last "/" at or before the
    // second-to-last character.
    int64_t cut = vb::InStrRev(p_CurrentFolder, u"/", static_cast<int64_t>(p_CurrentFolder.size()) - 1);
    Text parent = cut > 0 ? vb::Left(p_CurrentFolder, cut) : Text(u"/");
    out += button(u"window.location.href='?p_CurrentFolder=" + in_script_url(server.url_encode(parent)) +
                      u"&p_FileListStyle=" + style + u"'",
                  u"up", u"向上");
  }
  out += button(u"window.location.reload()", u"refresh", u"刷新");
  out += kSeparator;
  out += button(u"create_it('CreateFolder')", u"create_folder", u"新建文件夹");
  out += button(u"create_it('CreateFile')", u"create_file", u"新建文本文件");
  out += button(u"upfile()", u"upload", u"上传文件");
  out += kSeparator;
  out += button(u"delbatch()", u"del", u"删除");
  out += button(u"cutfile(0,'')", u"cut", u"剪切");
  out += button(u"copyfile(0,'')", u"copy", u"复制");
  out += button(u"pastefile()", u"paste", u"粘贴");
  out += kSeparator;
  out += button(u"selectall('folders',true)", u"select_folder", u"全选文件夹");
  out += button(u"selectall('folders',false)", u"no_select_folder", u"取消全选文件夹");
  out += button(u"selectall('files',true)", u"select_file", u"全选文件");
  out += button(u"selectall('files',false)", u"no_select_file", u"取消全选文件");
  out += kSeparator;
  out += button(u"viewfile('','folder',1)", u"view_1", u"查看方式(图标)");
  out += button(u"viewfile('','folder',2)", u"view_2", u"查看方式(详细资料)");
  out += kSeparator;
  out += button(u"fm_favorite()", u"favorites", u"添加到收藏夹");
  out += kSeparator;
  out += button(u"help()", u"help", u"帮助");
  out += u"<td width=600></td></tr></table>";
  out +=
      u"<script>function fm_favorite(){var u=window.location.href;"
      u"if(window.external&&window.external.AddFavorite){window.external.AddFavorite(u,'Brevane 网络文件管理');}"
      u"else{window.prompt('请按 Ctrl+D 收藏本页：',u);}}</script>";
  return out;
}

Text CommShowUrl(int16_t p_FileListStyle, Text p_CurrentFolder) {
  return u"<table width=774 border=0 cellspacing=0 cellpadding=0 align=center class=addressbar><tr><td width=40 "
         u"align=center>地址</td><td><form method='post' action='?p_FileListStyle=" +
         num(p_FileListStyle) +
         u"' style='padding:0;margin:0' name='pathdirect'><input type=text name='p_CurrentFolder' size=87 value='" +
         markup::escape_attr(p_CurrentFolder) +
         u"'> <a href='javascript:document.pathdirect.submit()'><img src='../comm/image/menu/go_url.asp' border=0 "
         u"width=36 height=18 align='absmiddle' alt='转到'></a></form></td></tr></table>";
}

Text CommShowMenu(Variant& Request) {
  RequestRef request(Request);
  Text https = request.server_variables(u"HTTPS");
  Text prefix = vb::LCase(https) == u"on" ? u"https://" : u"http://";
  Text out = dropdown_menu_script();
  auto item = [](TextView action, TextView label) {
    return u"<a href=javascript:" + Text(action) + u" style='display:block;padding:2px 8px;text-decoration:none'>" +
           Text(label) + u"</a>";
  };
  Text rule = u"<hr size=1 style='margin:2px 0'>";
  out += u"<script>var address=\"" +
         js_string_escape(prefix + request.server_variables(u"local_addr") + u":" +
                          request.server_variables(u"server_port")) +
         u"\";";
  out += u"var menu_file=\"" +
         js_string_escape(item(u"create_it('CreateFolder')", u"新建文件夹") +
                          item(u"create_it('CreateFile')", u"新建文本文件") + item(u"delbatch()", u"删除")) +
         u"\";";
  out += u"var menu_edit=\"" +
         js_string_escape(item(u"cutfile(0,'')", u"剪切") + item(u"copyfile(0,'')", u"复制") +
                          item(u"pastefile()", u"粘贴") + rule + item(u"selectall('folders',true)", u"全选文件夹") +
                          item(u"selectall('folders',false)", u"取消选择文件夹") +
                          item(u"selectall('files',true)", u"全选文件") +
                          item(u"selectall('files',false)", u"取消全选文件")) +
         u"\";";
  out += u"var menu_view=\"" +
         js_string_escape(item(u"viewfile('','folder',1)", u"查看方式(图标)") +
                          item(u"viewfile('','folder',2)", u"查看方式(详细资料)") +
                          item(u"window.location.reload()", u"刷新")) +
         u"\";";
  out += u"var menu_fav=\"" + js_string_escape(item(u"fm_favorite()", u"添加到收藏夹")) + u"\";";
  out += u"var menu_help=\"" +
         js_string_escape(item(u"update_online()", u"在线升级") + item(u"help()", u"使用帮助") +
                          item(u"about()", u"关于") + rule +
                          u"<a href='https://brevane.example/' target=_blank style='display:block;padding:2px "
                          u"8px'>Brevane 主页</a><a href='mailto:feedback@brevane.example' style='display:block;"
                          u"padding:2px 8px'>意见反馈</a>") +
         u"\";</script>";
  out +=
      u"<div id=menuDiv style='visibility:hidden;position:absolute;z-index:1000;background:#f0f0f0;border:1px "
      u"solid #808080'></div>";
  out += u"<table width=774 border=0 cellspacing=0 cellpadding=0 align=center class=menubar><tr height=22>";
  for (auto [var, label] :
       {std::pair{u"menu_file", u"文件"}, std::pair{u"menu_edit", u"编辑"}, std::pair{u"menu_view", u"查看"},
        std::pair{u"menu_fav", u"收藏"}, std::pair{u"menu_help", u"帮助"}})
    out += u"<td width=100 align=center class=menuitem onmouseover='ShowMenu(" + Text(var) + u",100)'>" + Text(label) +
           u"</td>";
  out += u"<td></td></tr></table>";
  return out;
}

Text CommShowMenuRight() { return popup_menu_script(); }

Text CommHelp() {
  return u"<table width=100% height=100% border=0 cellspacing=0 cellpadding=12 "
         u"style=\"background:#b5542f url('../comm/image/brick.asp')\"><tr><td valign=top>"
         u"<div style='background:#fffaf0;border:1px solid #7a2e14;padding:14px;font-size:12px;line-height:180%'>"
         u"<h3 style='margin:0 0 10px 0'>Brevane 网络文件管理 使用说明</h3>"
         u"<p>用户使用时只需要将本文件拷贝至需共享的文件夹下，运行后设置密码并开启共享即可。</p>"
         u"<p><b>关于密码优先级问题：</b><br>如果完全共享密码与只读共享密码相同，则完全共享优先开启。</p>"
         u"<p><b>关于在线压缩和解压缩</b><br>本程序不需要压缩软件即可完成在线压缩与解压缩。</p>"
         u"<p align=right style='color:#7a2e14'>Brevane 网络文件管理</p></div></td></tr></table>";
}

}  // namespace brevane
