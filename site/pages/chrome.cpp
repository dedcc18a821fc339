// Page chrome: every message, title bar, frame, box, disk-space bar and
// window script of the component on one page, with links that fire each
// alert. Alerts are written before the page, as a page does after a save.
#include "core/registry.h"
#include "frame/host.h"
#include "site/pages/common.h"
#include "site/pages/demo_site.h"

namespace brevane::site {

namespace {

using host::Page;

// The classes the fragments name, as an application's style sheet gives them.
constexpr char16_t kChromeStyle[] =
    u"<style>.searchbg{background:#eef3fb;padding:4px}.content_border{border:1px solid #9ab}"
    u".tdbg{background:#f7f9fc}.titlebg{background:#dde6f3}.toptitle{font-size:16px;font-weight:bold}"
    u".3dfont1{font-size:18px;font-weight:bold;color:#234}.3dfont5{font-size:13px;color:#567}"
    u".border{border:1px solid #9ab}.b{display:block}.d1{background:#f7f8f9}"
    u"pre.src{white-space:pre-wrap;background:#f4f4f4;padding:4px;font-size:12px}</style>";

struct Alert {
  const char16_t* key;
  const char16_t* label;
};
constexpr Alert kAlerts[] = {
    {u"success", u"保存后提示并转到本页"}, {u"back", u"提示后返回上一页"},         {u"close", u"提示后关闭窗口"},
    {u"quote", u"消息含引号与脚本标记"},   {u"edit", u"修改后提示（对话框刷新）"},
};

// The alert the link asked for, or "" for none.
Text alert_script(const Variant& comm, TextView which) {
  if (which == u"success")
    return call(comm, u"CommShowSuccess", {Variant(u"保存成功！"), Variant(u" index.asp ")}).to_text();
  if (which == u"back") return call(comm, u"CommShowSuccess", {Variant(u"已返回上一页"), Variant(u"")}).to_text();
  if (which == u"close") return call(comm, u"CommShowSuccess", {Variant(u"窗口将关闭"), Variant(u"close")}).to_text();
  if (which == u"quote")
    return call(comm, u"CommShowSuccess",
                {Variant(u"含\"引号\"与'撇号'\\及</script><script>alert(1)</script>"), Variant(u"index.asp")})
        .to_text();
  if (which == u"edit")
    return call(comm, u"CommOpenerEditRefresh", {Variant(u"修改成功"), Variant(uint8_t(0))}).to_text();
  return Text();
}

void source(Page& p, TextView title, TextView markup) {
  p.write(u"<h3>" + Text(title) + u"</h3><pre class=src>" + html(markup) + u"</pre>");
}

void chrome_panels(Page& p, const Variant& comm, TextView show) {
  Variant none;
  Text content =
      u"<form id=login method=post action='index.asp'>用户 <input name=user size=12><br>密码 <input "
      u"name=pass type=password size=12><br><input type=submit value='登录'></form>";
  p.write(kChromeStyle);
  if (show == u"login") {
    p.write(call(comm, u"CommShowLogin", {p.response(), p.request(), p.server(), Variant(content)}).to_text());
  } else if (show == u"about") {
    p.write(call(comm, u"CommShowAbout", {p.response(), p.request(), p.server(), Variant(u"")}).to_text());
  } else {
    p.write(call(comm, u"CommShowForm",
                 {p.response(), p.request(), p.server(), Variant(int16_t(420)), Variant(int16_t(200)),
                  Variant(u"<p id=formcontent>对话框框架中的内容</p>"), Variant(true)})
                .to_text());
  }
}

// A small window of its own, to try the scripts that close or refresh it.
void chrome_popup(Page& p, const Variant& comm) {
  p.write(kChromeStyle);
  p.write(call(comm, u"CommShowTitleHeader", {Variant(u"小窗口"), Variant(u"close"), Variant(u"")}).to_text());
  Text quiet = call(comm, u"CommCloseWindowNoMessagebox").to_text();
  p.write(u"<p><button id=quietclose onclick=\"" + html(quiet) +
          u"\">不提示关闭</button> "
          u"<a id=refreshopener href='index.asp?show=refresh'>刷新打开者并关闭</a></p>");
  p.write(call(comm, u"CommCloseWindowCurrent").to_text());
  p.write(u"<p>上面的框架载入后会关闭本窗口。</p>");
}

void chrome_index(Page& p) {
  Variant comm = component();
  ResponseRef response(p.response());
  Text show = RequestRef(p.request()).query_string(u"show");
  Text which = RequestRef(p.request()).query_string(u"alert");
  try {
    call(comm, u"CommClearCache", {p.response()});
    if (show == u"refresh") {
      p.write(call(comm, u"CommOpenerRefresh").to_text());
      return;
    }
    if (show == u"login" || show == u"about" || show == u"form") return chrome_panels(p, comm, show);
    if (show == u"popup") return chrome_popup(p, comm);

    Text script = alert_script(comm, which);
    if (!script.empty()) {
      p.write(script);
      return;
    }
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
    page_start(p, u"页面外观");
    not_available(p, e);
    page_end(p);
    return;
  }

  page_start(p, u"页面外观");
  p.write(kChromeStyle);
  try {
    p.write(u"<h2>提示脚本</h2><ul class=alerts>");
    for (const Alert& a : kAlerts)
      p.write(u"<li><a id='alert-" + Text(a.key) + u"' href='index.asp?alert=" + a.key + u"'" +
              (Text(a.key) == u"close" ? Text(u" target=_blank") : Text()) + u">" + a.label + u"</a></li>");
    p.write(u"</ul>");

    p.write(u"<h2>标题栏</h2>");
    p.write(call(comm, u"CommShowTitleTop",
                 {Variant(u"演示单位"), Variant(u"页面外观"), Variant(u"index.asp?show=popup"), Variant(int16_t(1)),
                  Variant(int16_t(1)), Variant(u"100%"), Variant(u"<a href='../index.asp'>首页</a>&nbsp;")})
                .to_text());
    p.write(call(comm, u"CommShowHeader",
                 {Variant(u"旧式标题栏"), Variant(u"index.asp?show=popup"), Variant(int16_t(1)), Variant(int16_t(1)),
                  Variant(int16_t(600)), Variant(u"")})
                .to_text());
    p.write(call(comm, u"CommShowTitleHeader", {Variant(u"带关闭与打印"), Variant(u"closeprint"), Variant(u"其他")})
                .to_text());
    p.write(call(comm, u"CommShowTitleSingle", {Variant(u"100%"), Variant(u"单行标题"), Variant(u"说明")}).to_text());

    p.write(u"<h2>消息与方框</h2>");
    p.write(u"<div style='height:220px'>" +
            call(comm, u"CommShowMessage",
                 {Variant(u"操作提示"), Variant(u"资料已经保存。"), Variant(u"<a href='index.asp'>返回</a>")})
                .to_text() +
            u"</div>");
    p.write(call(comm, u"CommShowBox", {Variant(u"方框标题"), Variant(u"方框里的内容。")}).to_text());

    p.write(u"<h2>空间条</h2>");
    p.write(call(comm, u"CommShowBar", {Variant(int32_t(10485760)), Variant(int32_t(3145728))}).to_text());
    p.write(
        call(comm, u"CommShowColorLine", {Variant(int16_t(300)), Variant(int16_t(2)), Variant(u"#3366cc")}).to_text());

    p.write(
        u"<h2>对话框框架</h2><p><a id=show-form href='index.asp?show=form'>对话框框架</a> · "
        u"<a id=show-login href='index.asp?show=login'>登录面板</a> · "
        u"<a id=show-about href='index.asp?show=about'>关于面板</a></p>");

    p.write(u"<h2>窗口脚本</h2><p><a id=popup href='index.asp?show=popup' target=_blank>打开小窗口</a></p>");
    source(p, u"CommCloseWindowNoMessagebox", call(comm, u"CommCloseWindowNoMessagebox").to_text());
    source(p, u"CommCloseTopWindowNoMessagebox", call(comm, u"CommCloseTopWindowNoMessagebox").to_text());
    source(p, u"CommCloseWindowCurrent", call(comm, u"CommCloseWindowCurrent").to_text());
    source(p, u"CommCloseWindowModal", call(comm, u"CommCloseWindowModal", {Variant(true)}).to_text());
    source(p, u"CommOpenerRefresh", call(comm, u"CommOpenerRefresh").to_text());
    source(p, u"CommOpenerEditRefresh",
           call(comm, u"CommOpenerEditRefresh", {Variant(u"修改成功"), Variant(uint8_t(1))}).to_text());
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
    not_available(p, e);
  }
  page_end(p);
}

// The page the close frame loads: it closes the window holding the frame.
void close_window_current(Page& p) {
  p.write(u"<script>try{top.opener=null;top.open('','_self');top.close();}catch(e){}</script>");
}

void logout(Page& p) {
  page_start(p, u"安全退出");
  p.write(u"<p>已退出。</p>");
  page_end(p);
}

}  // namespace

void register_chrome_pages(host::PageRegistry& pages) {
  pages.add("/chrome/index.asp", chrome_index);
  pages.add("/comm/comm_ZeltoCloseWindowCurrent.asp", close_window_current);
  pages.add("/comm/logout.asp", logout);
}

}  // namespace brevane::site
