// Media players, remote picture copies, the footer, the file picker, the
// lost-file panel and the update page.
#include "core/codepage.h"
#include "core/registry.h"
#include "frame/host.h"
#include "site/pages/common.h"
#include "site/pages/demo_site.h"

namespace brevane::site {

namespace {

using host::Page;

void set_charset(Page& p) {
  ResponseRef(p.response()).set(u"CharSet", Variant(Text(CodePage::ansi().number() == 65001 ? u"utf-8" : u"gb2312")));
}

void media_index(Page& p) {
  page_start(p, u"媒体播放与远程图片");
  p.write(
      u"<h2>保存远程图片 (CommGetRemotefileUrl)</h2>"
      u"<form method=post action='/media/remote.asp'>"
      u"<p><textarea name=html id=html rows=6 cols=80>&lt;p&gt;&lt;img src=\"http://www.example.com/pics/a.png\"&gt;"
      u"&lt;/p&gt;</textarea></p><p><input type=submit id=fetch value='保存到本站'></p></form>"
      u"<p>图片保存到 /UploadFile/remote/。只获取 http 与 https 地址，拒绝本机与内部网络地址"
      u"（环境变量 BREVANE_FETCH_ALLOW=loopback,private 可放开），每张最多 20 MiB、10 秒，只保存图片。</p>"
      u"<h2>播放器</h2><ul>"
      u"<li><a href='/media/play.asp?FileType=Movie&Url=/UploadFile/media/demo.mp4&Title=MP4'>视频 (MP4)</a></li>"
      u"<li><a href='/media/play.asp?FileType=Movie&Url=/UploadFile/media/demo.asf&Title=ASF'>视频 (Windows "
      u"Media)</a></li>"
      u"<li><a href='/media/play.asp?FileType=Movie&Url=rtsp://media.example.com/demo.rm&Title=RM'>视频 "
      u"(RealPlayer)</a></li>"
      u"<li><a href='/media/play.asp?FileType=Music&Url=/UploadFile/media/demo.wav&Title=WAV'>音乐 (WAV)</a></li>"
      u"<li><a href='/media/play.asp?FileType=Flash&PlayType=Control&Url=/UploadFile/media/demo.swf&Title=Flash'>"
      u"Flash</a></li>"
      u"<li><a href='/media/play.asp?FileType=Image&Url=/Comm/Image/zelto_folder_open.asp&Title=图'>图像</a></li>"
      u"<li><a href='/media/play.asp?FileType=List&RunSystem=mms&List=mms://a.example.com/1.asf|mms://a.example.com/"
      u"2.asf'>播放列表 ASX</a>，<a href='/media/play.asp?FileType=List&RunSystem=rtsp&List=rtsp://a.example.com/"
      u"1.rm|rtsp://a.example.com/2.rm'>播放列表 SMIL</a></li></ul>"
      u"<h2>页脚、文件选择与升级</h2><ul>"
      u"<li><a href='/media/footer.asp'>文件选择、升级说明与页脚</a></li>"
      u"<li><a href='/media/lostfile.asp'>数据文件缺失提示</a></li></ul>");
  page_end(p);
}

void media_remote(Page& p) {
  Text html = RequestRef(p.request()).form(u"html");
  Variant comm = component();
  ServerRef server(p.server());
  call(comm, u"CommFolderCreate", {Variant(server.map_path(u"/UploadFile/remote"))});
  Text out;
  try {
    out = call(comm, u"CommGetRemotefileUrl", {p.server(), Variant(html), Variant(u"/UploadFile/remote")}).to_text();
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
    page_start(p, u"保存远程图片");
    not_available(p, e);
    page_end(p);
    return;
  }
  page_start(p, u"保存远程图片");
  p.write(u"<h2>替换后的 HTML</h2><pre id=result>" + site::html(out) +
          u"</pre><p><a href='/media/index.asp'>返回</a></p>");
  page_end(p);
}

void media_play(Page& p) {
  RequestRef q(p.request());
  Text type = q.query_string(u"FileType");
  Variant url(q.query_string(u"Url")), title(q.query_string(u"Title"));
  Variant comm = component();
  set_charset(p);
  try {
    if (iequals_ascii(type, u"List")) {
      call(comm, u"CommShowPlayList",
           {p.response(), Variant(q.query_string(u"RunSystem")), Variant(q.query_string(u"List"))});
      return;
    }
    Text page;
    if (iequals_ascii(type, u"Movie")) {
      page = call(comm, u"CommShowPlayMovie", {url, title, Variant(q.query_string(u"RunSystem"))}).to_text();
    } else if (iequals_ascii(type, u"Music")) {
      page = call(comm, u"CommShowPlayMusic", {url, title}).to_text();
    } else if (iequals_ascii(type, u"Flash")) {
      Text play = q.query_string(u"PlayType");
      page = play.empty() ? call(comm, u"CommShowPlayFlash", {url, title}).to_text()
                          : call(comm, u"CommShowPlayFlash", {url, title, Variant(play)}).to_text();
    } else if (iequals_ascii(type, u"Image")) {
      page = call(comm, u"CommShowPlayImage", {url, title}).to_text();
    } else {
      page_start(p, u"播放器");
      p.write(u"<p>FileType 应为 Movie、Music、Flash、Image 或 List。</p>");
      page_end(p);
      return;
    }
    p.write(page);
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
    page_start(p, u"播放器");
    not_available(p, e);
    page_end(p);
  }
}

void media_footer(Page& p) {
  Variant comm = component();
  page_start(p, u"文件选择、升级说明与页脚");
  try {
    p.write(
        u"<script>function SelectPathFile(name){document.getElementById('picked').value=name;}</script>"
        u"<p>选中：<input id=picked size=40></p><h2>文件夹</h2><div id=folders>" +
        call(comm, u"CommShowFormFileSelect",
             {p.response(), p.request(), p.server(), Variant(u"../UploadFile/"), Variant(int16_t{1})})
            .to_text() +
        u"</div><h2>文件</h2><div id=files>" +
        call(comm, u"CommShowFormFileSelect",
             {p.response(), p.request(), p.server(), Variant(u"../UploadFile/"), Variant(int16_t{0})})
            .to_text() +
        u"</div><h2>升级</h2><div id=update>" + call(comm, u"CommShowFormUpDate").to_text() + u"</div><div id=footer>" +
        call(comm, u"CommShowCopyRight", {Variant(Text()), Variant(Text()), Variant(int16_t{1}), Variant(int16_t{1})})
            .to_text() +
        u"</div>");
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
    not_available(p, e);
  }
  page_end(p);
}

// The demo's own database is there; the second name is not, so the panel shows.
void media_lostfile(Page& p) {
  set_charset(p);
  Variant none{Text()};
  call(component(), u"CommShowWindowLostFile",
       {p.server(), none, none, p.response(), Variant(u"vote.asp|missing.mdb"), Variant(u"演示单位")});
  if (p.ended()) return;
  page_start(p, u"数据文件");
  p.write(u"<p>数据文件齐全。</p>");
  page_end(p);
}

}  // namespace

void register_media_pages(host::PageRegistry& pages) {
  pages.add("/media/index.asp", media_index);
  pages.add("/media/remote.asp", media_remote);
  pages.add("/media/play.asp", media_play);
  pages.add("/media/footer.asp", media_footer);
  pages.add("/media/lostfile.asp", media_lostfile);
}

}  // namespace brevane::site
