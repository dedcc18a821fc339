// Downloads: the files of the demo folder (/DownFile/, in the data folder)
// with links through CommFileDownload and CommFileView, and the viewer
// pop-up the view scripts open (../comm/zelto_FileView.asp).
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>

#include "frame/host.h"
#include "platform/fs.h"
#include "site/pages/common.h"
#include "site/pages/demo_site.h"

namespace brevane::site {

namespace {

using host::Page;
namespace stdfs = std::filesystem;

constexpr uint64_t kLargeDemoFile = uint64_t{256} << 20;

// A one-second 440 Hz tone, so the viewer has something to play.
std::string tone_wav() {
  const uint32_t rate = 8000, samples = rate;
  auto le = [](std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  std::string w = "RIFF";
  le(w, 36 + samples, 4);
  w += "WAVEfmt ";
  le(w, 16, 4);
  le(w, 1, 2);  // PCM
  le(w, 1, 2);  // mono
  le(w, rate, 4);
  le(w, rate, 4);
  le(w, 1, 2);
  le(w, 8, 2);
  w += "data";
  le(w, samples, 4);
  for (uint32_t i = 0; i < samples; ++i)
    w.push_back(static_cast<char>(128 + 60 * std::sin(2 * std::numbers::pi * 440 * i / rate)));
  return w;
}

Text file_url(TextView name) { return u"/DownFile/" + Text(name); }

Text query_arg(Page& p, TextView value) { return ServerRef(p.server()).url_encode(value); }

Text size_text(uint64_t bytes) {
  char buf[32];
  if (bytes >= (uint64_t{1} << 20))
    std::snprintf(buf, sizeof buf, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
  else
    std::snprintf(buf, sizeof buf, "%llu B", static_cast<unsigned long long>(bytes));
  return T(buf);
}

void index_page(Page& p) {
  page_start(p, u"文件下载");
  Text folder = ServerRef(p.server()).map_path(u"/DownFile/");
  std::vector<fs::Entry> entries;
  fs::list(folder, entries);
  p.write(
      u"<p>演示目录 /DownFile/ 中的文件。“下载”经 CommFileDownload；“经查看下载”与“查看”经 CommFileView"
      u"（DownLoad 与 View）。脚本与数据库文件会被拒绝。</p>"
      u"<table class=list id=files><tr><th>文件</th><th>大小</th><th>操作</th></tr>");
  for (const fs::Entry& e : entries) {
    if (e.is_folder()) continue;
    Text arg = query_arg(p, file_url(e.name));
    p.write(u"<tr><td class=name>" + html(e.name) + u"</td><td>" + size_text(e.size) + u"</td><td>" +
            u"<a class=get href=\"get.asp?file=" + html(arg) + u"\">下载</a> | " +
            u"<a class=viewget href=\"view.asp?act=DownLoad&amp;file=" + html(arg) + u"\">经查看下载</a> | " +
            u"<a class=view target=_blank href=\"view.asp?act=View&amp;file=" + html(arg) + u"\">查看</a></td></tr>");
  }
  p.write(u"</table>");
  page_end(p);
}

void get_page(Page& p) {
  Text file = RequestRef(p.request()).query_string(u"file");
  try {
    call(component(), u"CommFileDownload", {p.response(), p.server(), Variant(file), Variant(false)});
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
    page_start(p, u"文件下载");
    not_available(p, e);
    page_end(p);
  }
}

// The view scripts call the window openers, which the page carries first.
void view_page(Page& p) {
  RequestRef request(p.request());
  Text file = request.query_string(u"file"), act = request.query_string(u"act");
  Variant comm = component();
  if (act == u"View") {
    try {
      p.write(u"<html><head><title>查看</title>" + call(comm, u"CommScriptOpenWindow").to_text() + u"</head><body>");
    } catch (const ScriptError& e) {
      if (!missing_piece(e)) throw;
      not_available(p, e);
    }
  }
  try {
    call(comm, u"CommFileView", {p.server(), p.response(), p.request(), Variant(file), Variant(act), Variant(Text())});
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
    not_available(p, e);
  }
}

// The pop-up viewer: an HTML5 element where the browser can play the format.
void viewer_page(Page& p) {
  RequestRef request(p.request());
  Text type = request.query_string(u"FileType"), url = request.query_string(u"Url"),
       title = request.query_string(u"Title"), system = request.query_string(u"RunSystem");
  page_start(p, title.empty() ? Text(u"查看") : title);
  Text src = html(url);
  if (type == u"Wav") {
    p.write(u"<audio id=player controls autoplay src=\"" + src + u"\">此浏览器不能播放这段声音。</audio>");
  } else if (type == u"Movie") {
    p.write(u"<video id=player controls autoplay width=480 src=\"" + src + u"\">此浏览器不能播放这段影片。</video>");
    if (!system.empty())
      p.write(u"<p class=note>原系统以 " + html(system) +
              u" 协议播放；这里由浏览器直接取文件，能否播放取决于格式。</p>");
  } else if (type == u"Flash") {
    p.write(
        u"<div id=player class=flash style='width:640px;height:480px;border:1px solid #999'>"
        u"<p>Flash 动画已不能在浏览器中播放。</p><p><a href=\"" +
        src + u"\">下载 " + html(title) + u"</a></p></div>");
  } else if (type == u"Image") {
    p.write(u"<p><img id=player src=\"" + src + u"\" alt=\"" + html(title) + u"\" style='max-width:100%'></p>");
  } else {
    p.write(u"<p><a id=player href=\"" + src + u"\">" + html(title) + u"</a></p>");
  }
  p.write(u"<p><a href='javascript:window.close()'>关闭窗口</a></p></div></body></html>");
}

}  // namespace

bool prepare_download_demo(const stdfs::path& site_dir, const stdfs::path& data_dir) {
  stdfs::path dir = data_dir / "DownFile";
  std::error_code ec;
  if (stdfs::exists(dir, ec)) return true;
  stdfs::path temp = data_dir / "DownFile.new";
  stdfs::remove_all(temp, ec);
  stdfs::create_directories(temp, ec);
  if (ec) return false;
  auto put = [&](const char* name, const std::string& bytes) { std::ofstream(temp / name, std::ios::binary) << bytes; };
  put("说明.txt", "这是演示目录中的文本文件。\nA text file of the demo folder.\n");
  put("readme.txt", "Files here are offered for download and viewing.\n");
  stdfs::copy_file(site_dir / "Comm" / "Image" / "Zelto_Error_Bg.asp", temp / "示例图片.png", ec);
  put("提示音.wav", tone_wav());
  put("报表 2026.xls", "not really a spreadsheet\n");
  put("page.asp", "<% ' a server script: never handed out %>\n");
  put("数据库.mdb", "Standard Jet DB (a stand-in)\n");
  // The large file is sparse: made at once, costing no disk.
  std::ofstream(temp / "大文件.bin", std::ios::binary).put('\0');
  stdfs::resize_file(temp / "大文件.bin", kLargeDemoFile, ec);
  if (!ec) stdfs::rename(temp, dir, ec);
  if (ec) std::fprintf(stderr, "brevane: cannot create the download demo folder: %s\n", ec.message().c_str());
  return !ec;
}

void register_download_pages(host::PageRegistry& pages) {
  pages.add("/download/index.asp", index_page);
  pages.add("/download/get.asp", get_page);
  pages.add("/download/view.asp", view_page);
  pages.add("/comm/zelto_FileView.asp", viewer_page);
}

}  // namespace brevane::site
