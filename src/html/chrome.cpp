#include "html/chrome.h"

#include <cstdlib>
#include <string>

#include "core/codepage.h"
#include "core/vbdate.h"
#include "core/vbrt.h"
#include "frame/caption.h"
#include "frame/host.h"
#include "html/escape.h"
#include "html/listpage.h"
#include "text/formatters.h"

namespace brevane {

namespace {

constexpr char16_t kCloseWindowQuietly[] = u"window.opener=null;window.open('','_self');window.close();";
constexpr char16_t kCloseTopWindowQuietly[] = u"top.window.opener=null;top.window.open('','_self');top.window.close();";

}  // namespace

Text script_string_body(TextView s) {
  Text out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    switch (c) {
      case u'\\':
        out += u"\\\\";
        break;
      case u'\'':
        out += u"\\'";
        break;
      case u'"':
        out += u"\\\"";
        break;
      case u'\r':
        out += u"\\r";
        break;
      case u'\n':
        out += u"\\n";
        break;
      case u'\u2028':
        out += u"\\u2028";
        break;
      case u'\u2029':
        out += u"\\u2029";
        break;
      case u'<':
        // "<\/" and "<\!--" read the same inside the string but not to the
        // HTML parser looking for the end of the script.
        out += c;
        if (i + 1 < s.size() && (s[i + 1] == u'/' || s[i + 1] == u'!')) out += u'\\';
        break;
      default:
        out += c;
    }
  }
  return out;
}

Text CommShowSuccess(Text p_SuccessMessage, Text p_Url) {
  Text h = u"<Script>{alert(\"" + script_string_body(p_SuccessMessage) + u"\");";
  if (p_Url.empty())
    h += u"history.go(-1);";
  else if (p_Url == u"close")
    h += u"window.close();";
  else
    h += u"location.href=\"" + script_string_body(vb::Trim(p_Url)) + u"\";";
  h += u"}</Script>";
  return h;
}

Variant CommShowMessage(Text p_Title, Text p_Content, Text p_Url) {
  return Variant(
      u"<table width='100%' height='100%' border=0 cellspacing=0 cellpadding=0><tr><td align=center valign=middle>"
      u"<table width='60%' border=1 cellspacing=0 cellpadding=4 bordercolor='green' bordercolordark='#FFFFFF'>"
      u"<tr><td height=39 bgcolor='#39867B' align=center><font color='#FFFFFF'><b>" +
      p_Title + u"</b></font></td></tr><tr><td align=center>" + p_Content + u"<br><br>" + p_Url +
      u"</td></tr></table></td></tr></table>");
}

Text CommOpenerRefresh() {
  return u"<SCRIPT LANGUAGE=JavaScript>opener.location.href=opener.location;window.close();</SCRIPT>";
}

Text CommOpenerEditRefresh(Text p_ShowTitle, uint8_t p_IsClose) {
  Text h = u"<SCRIPT LANGUAGE=JavaScript>";
  if (!p_ShowTitle.empty()) h += u"alert('" + script_string_body(p_ShowTitle) + u"');";
  h += u"parent.dialogArguments.location.href=parent.dialogArguments.location;";
  if (p_IsClose == 1) h += u"window.close();";
  h += u"</SCRIPT>";
  return h;
}

Variant CommCloseWindowNoMessagebox() { return Variant(kCloseWindowQuietly); }

Variant CommCloseTopWindowNoMessagebox() { return Variant(kCloseTopWindowQuietly); }

Variant CommCloseWindowCurrent() {
  // The frame's page closes the dialog; the centring is closed properly so
  // what follows on the page is not centred too.
  return Variant(
      u"<center><iframe name=zelto_close_ModalDialog allowTransparency=true scrolling=no frameborder='no' class=css0 "
      u"width='100%' height='30' src='../comm/comm_ZeltoCloseWindowCurrent.asp'></iframe></center>");
}

Variant CommCloseWindowModal(bool p_IsRefresh) {
  Text h = u"<head><base target=\"_self\"></head>";
  if (p_IsRefresh) h += u"<body onbeforeunload=\"dialogArguments.location.href=dialogArguments.location.href\">";
  return Variant(h);
}

}  // namespace brevane

// ---- frames, panels, title bars ----

namespace brevane {

namespace {

Text num(int64_t n) { return T(std::to_string(n)); }

// Export links call a window opener by name; the page may not define it
// (the title bar names one no script block of ours defines). The fallback
// only fills the name when it is still free, so a page's own opener wins,
// and it looks for the other opener's name at call time.
Text opener_fallback(TextView name, TextView other) {
  const Text n(name), o(other);
  return u"<script type='text/javascript'>if(typeof " + n + u"!='function'){window." + n +
         u"=function(u,w,h){var o=window." + o +
         u";if(typeof o=='function'&&!o.brevaneFallback)return o(u,w,h);"
         u"var x=window.open(u,'','width='+w+',height='+h+',resizable=yes,scrollbars=yes');"
         u"if(x)x.focus();return x;};window." +
         n + u".brevaneFallback=1;}</script>";
}

Text print_link(TextView image_folder) {
  return u"<a href='javascript:window.print()'><img src='" + Text(image_folder) +
         u"zelto_printer.asp' width=16 height=14 border=0 alt='打印本页'></a>&nbsp;";
}

Text excel_link(TextView opener, TextView url, TextView image_folder) {
  return u"<a href=\"" + Text(url) + u"\" onclick=\"" + Text(opener) +
         u"(this.href,800,600);return false;\"><img src='" + Text(image_folder) +
         u"zelto_excel.asp' border=0 alt='导出至excel'></a>&nbsp;";
}

Text logout_link(TextView title, TextView target, TextView image_folder) {
  return u"<a href='" + Text(target) + u"' onclick=\"return confirm('真的要退出【" + script_string_body(title) +
         u"】吗？');\"><img src='" + Text(image_folder) + u"zelto_quit.asp' border=0 alt='安全退出'></a>";
}

Text env_text(const char* lower, const char* upper, const char* posix) {
  for (const char* name : {lower, upper, posix}) {
    if (!name) continue;
    if (const char* v = std::getenv(name); v && *v) {
#ifdef _WIN32
      return CodePage::ansi().decode(v);
#else
      return from_utf8(v);
#endif
    }
  }
  return Text();
}

// The login panel's frame from its table on: the title rows, then (for
// the login panel) the credits box, then the caller's content.
Text panel(TextView content, TextView show_title, bool with_credits) {
  Text title = vb::Trim(show_title);
  Text version = u"版本号：" + Text(kVersionText) + CommShowSpace(2);
  Text h = u"<table width='100%' cellspacing=0 padding=0>";
  if (!title.empty()) {
    h += u"<tr><td height=100 align=right valign=top style=\"background:url('" + markup::escape_attr(title) +
         u"') no-repeat;\">" + version + u"</td></tr>";
  } else {
    h += u"<tr><td height=20 align=right valign=top>" + version + u"</td></tr>";
    h += u"<tr><td height=80><table width='100%' cellspacing=0 cellpadding=0 border=0><tr>"
         u"<td align=left><img src='../comm/image/zelto_lf.asp' border=0></td>"
         u"<td align=right class=3dfont1>" +
         Text(kComponentCaption) + u"</td></tr></table></td></tr>";
  }
  if (with_credits) {
    h += u"<tr><td height=80><b class=b1></b><b class=b2></b><b class=b3></b><b class=b4></b>"
         u"<div class='b d1 k'><font color='#999999'>" +
         Text(kCreditsLines) +
         u"</font></div><b class=b4b></b><b class=b3b></b><b class=b2b></b><b class=b1b></b></td></tr>";
  }
  h += u"<tr><td height=30></td></tr><tr><td height=160>";
  h += content;
  h += u"</td></tr></table>";
  return h;
}

constexpr char16_t kRoundedBoxStyle[] =
    u"<style type='text/css'>"
    u".b1,.b2,.b3,.b4,.b1b,.b2b,.b3b,.b4b{display:block;overflow:hidden;}"
    u".b1,.b2,.b3,.b1b,.b2b,.b3b{height:1px;}"
    u".b2,.b3,.b4,.b2b,.b3b,.b4b{border-left:1px solid #999;border-right:1px solid #999;}"
    u".b1,.b1b{margin:0 5px;background:#999;}"
    u".b2,.b2b{margin:0 3px;border-width:2px;}"
    u".b3,.b3b{margin:0 2px;}"
    u".b4,.b4b{height:2px;margin:0 1px;}"
    u".b{display:block;border-left:1px solid #999;border-right:1px solid #999;}"
    u".d1{background:#F7F8F9;}"
    u".k {height:30px;}"
    u"</style>";

Text title_header(TextView title, TextView add, TextView other) {
  Text h =
      u"<table width='90%' height=30 border=0 cellspacing=0 cellpadding=0 align=center><tr>"
      u"<td width='90%' class=toptitle>" +
      Text(title);
  if (add.find(u"close") != TextView::npos)
    h += u"&nbsp;<a href='javascript:window.close();'><img src='../comm/image/zelto_close.asp' border=0 "
         u"alt='关闭'></a>";
  if (add.find(u"print") != TextView::npos) h += u"&nbsp;" + print_link(u"../comm/image/");
  h += u"</td><td width='10%' align=right>" + Text(other) + u"</td></tr></table>";
  return h;
}

Text title_single(TextView width, TextView title, TextView content) {
  Text h = CommShowSearchLeft(u"", Text(width));
  if (!content.empty()) h += u"【" + Text(content) + u"】&nbsp;&nbsp;";
  h += title;
  h += u"</td></tr></table>";
  return h;
}

// Empty, Null and "" are no bytes at all.
double byte_count(const Variant& v) {
  Variant value = v.value();
  if (value.is_empty() || value.is_null()) return 0;
  if (value.type() == VarType::String && value.text().empty()) return 0;
  return value.to_double();
}

Text size_text(double bytes) {
  Text digits = Variant(bytes).to_text();
  return CommGetFileSize(digits);
}

Text bar_row(TextView label, TextView width, TextView size) {
  return u"<tr class='tdbg' height='22'><td align=left width='20%'>" + Text(label) +
         u"</td><td align=left><img src='../comm/image/zelto_bar.asp' width='" + Text(width) +
         u"' height='10' align=absmiddle>&nbsp;" + Text(size) + u"</td></tr>";
}

}  // namespace

Text CommShowForm(Variant&, Variant&, Variant&, int16_t p_Width, int16_t p_Height, Text p_Content, bool p_IsClose) {
  Text close_target = p_IsClose ? u"javascript:" + Text(kCloseWindowQuietly) : Text(u"../Brevane/Netdrivers.asp");
  Text h = u"<br><br><body leftmargin=0 topmargin=0>";
  h += u"<table width=" + num(p_Width) + u" height=" + num(p_Height) +
       u" align=center cellspacing=0 cellpadding=0 border=0 "
       u"style='border:4 solid #7786DB;border-top:0 solid #7786DB;background:#ECE9D8;'>";
  h += u"<tr><td height=28 background='../comm/image/zelto_form_title_bg.asp'>"
       u"<img src='../comm/image/tb.asp' width=16 height=16 align=absmiddle>&nbsp;"
       u"<font style='font-size:14px;color:#FFFFFF'>" +
       Text(kComponentCaption) + u"</font></td>";
  h += u"<td width=20 height=28 background='../comm/image/zelto_form_title_bg.asp'><a href=\"" + close_target +
       u"\"><img src='../comm/image/zelto_form_close.asp' border=0 alt='关闭'></a></td></tr>";
  h += u"<tr><td height=" + num(int32_t(p_Height) - 62) + u" colspan=2 align=center valign=middle>";
  h += p_Content;
  h += u"</td></tr></table>";
  return h;
}

Text CommShowLogin(Variant& Response, Variant& Request, Variant& Server, Text p_Content, Text p_ShowTitle) {
  Text h = kRoundedBoxStyle + panel(p_Content, p_ShowTitle, true);
  return CommShowForm(Response, Request, Server, 308, 400, h, true);
}

Text CommShowAbout(Variant& Response, Variant& Request, Variant& Server, Text, Text p_ShowTitle) {
  Text about = u"<table width='100%' height=240 cellspacing=0 cellpadding=0 border=0>";
  about += u"<tr><td colspan=2 align=center height=60>" + Text(kCreditsLines) + u"</td></tr>";
  about += u"<tr><td colspan=2><hr width='90%' size=1></td></tr>";
  about += u"<tr><td width='70%' align=left valign=top><br>&nbsp;" +
           markup::escape_attr(env_text("computername", "COMPUTERNAME", "HOSTNAME")) + u"<br>&nbsp;" +
           markup::escape_attr(env_text("username", "USERNAME", "USER")) + u"</td>";
  about +=
      u"<td width='30%' align=center valign=top>"
      u"<input type=button class=button_image value='系统信息' "
      u"onclick=\"try{new ActiveXObject('wscript.shell').Run('winmsd.exe');}catch(e){}\"><br><br>"
      u"<input type=button class=button_image value='  确定  ' "
      u"onclick=\"location.href='../Brevane/Netdrivers.asp';\"></td></tr></table>";
  return CommShowForm(Response, Request, Server, 308, 400, panel(about, p_ShowTitle, false), true);
}

Text CommShowBox(Text p_Title, Text p_Content, Text p_TitleBackColor, Text p_TitleForeColor, Text p_ContentBackColor,
                 Text p_ContentForeColor, Text p_TitleAlign, Text p_BottomImage) {
  Text h =
      u"<table width='95%' cellspacing=5 cellpadding=0 border=0 bgcolor='#FFFFFF' align=center "
      u"style='word-break: break-all'>";
  h += u"<tr><td height=22 bgcolor='" + p_TitleBackColor + u"' align='" + p_TitleAlign + u"'><font color='" +
       p_TitleForeColor + u"'><b>" + p_Title + u"</b></font></td></tr>";
  h += u"<tr><td bgcolor='" + p_ContentBackColor + u"' align=left><font color='" + p_ContentForeColor + u"'>" +
       p_Content + u"</font></td></tr></table>";
  h += u"<table width='99%' cellspacing=0 cellpadding=0 border=0 align=center><tr><td><img src='" + p_BottomImage +
       u"' width=105 height=8></td></tr></table>";
  h += u"<table width='100%' cellspacing=0 cellpadding=0 border=0><tr><td>&nbsp;</td></tr></table>";
  return h;
}

Text CommShowTitleTop(Text p_Dwmc, Text p_Title, Text p_ExcelUrl, int16_t p_ExcelAllow, int16_t p_PrintAllow,
                      Text p_Width, Text p_OtherUrl) {
  Text h;
  if (p_ExcelAllow == 1) h += opener_fallback(u"openwindow_resizable", u"OpenWindowResize");
  h += u"<table width='" + p_Width + u"' border=0 cellspacing=0 cellpadding=0 align=center><tr>";
  h += u"<td width='90%'><br><font class=3dfont5>〖" + p_Dwmc + u"〗" + kProductWord +
       u"</font><br><br><font class=3dfont1>" + p_Title + u"</font></td>";
  h += u"<td width='10%' align=right valign=bottom nowrap>" + p_OtherUrl;
  if (p_ExcelAllow == 1) h += excel_link(u"openwindow_resizable", p_ExcelUrl, u"../comm/image/");
  if (p_PrintAllow == 1) h += print_link(u"../comm/image/");
  h += logout_link(kProductTitleLine, u"../comm/logout.asp", u"../comm/image/");
  h += u"</td></tr></table>";
  h += CommShowEmptyLine(16);
  return h;
}

Text CommShowHeader(Text p_TitleName, Text p_ExcelUrl, int16_t p_ExcelAllow, int16_t p_PrintAllow, int16_t p_TableWidth,
                    Text p_OtherUrl) {
  Text h;
  if (p_ExcelAllow == 1) h += opener_fallback(u"OpenWindowResize", u"openwindow_resizable");
  h += u"<table width=" + num(p_TableWidth) + u" border=0 cellspacing=0 cellpadding=0 align=center><tr>";
  h += u"<td width='90%'><br><font class=3dfont5>〖" + Text(kMakerName) + u"〗" + kProductWord +
       u"</font><br><br><font class=3dfont1>" + p_TitleName + u"</font></td>";
  h += u"<td width='10%' align=right valign=bottom nowrap>" + p_OtherUrl;
  if (p_ExcelAllow == 1) h += excel_link(u"OpenWindowResize", p_ExcelUrl, u"../zelto/image/");
  if (p_PrintAllow == 1) h += print_link(u"../zelto/image/");
  h += logout_link(kProductWord, u"../zelto/zelto_logout.asp", u"../zelto/image/");
  h += u"</td></tr></table>";
  h += CommShowEmptyLine(16);
  return h;
}

Text CommShowTitleHeader(Text p_Title, Text p_TitleAdd, Text p_titleOther) {
  return title_header(p_Title, p_TitleAdd, p_titleOther);
}
Text CommShowHeader2(Text p_Title, Text p_TitleAdd, Text p_titleOther) {
  return title_header(p_Title, p_TitleAdd, p_titleOther);
}
Text CommShowTitleSingle(Text p_Width, Text p_Title, Text p_Content) {
  return title_single(p_Width, p_Title, p_Content);
}
Text CommShowHeader1(Text p_Width, Text p_Title, Text p_Content) { return title_single(p_Width, p_Title, p_Content); }

Text CommShowBar(Variant p_SizeMax, Variant p_SizeCurrent) {
  double max = byte_count(p_SizeMax), current = byte_count(p_SizeCurrent);
  auto percent = [&](double part) { return num(static_cast<int64_t>(vb::Int(part / max * 100 * 0.8))) + u"%"; };
  Text h = u"<table width='100%' border=0 cellspacing=1 cellpadding=2 class='border'>";
  h += u"<tr class='titlebg'><td height='22' colspan=2 align=center><strong>我的上传文件管理</strong></td></tr>";
  h += bar_row(u"总空间：", u"80%", size_text(max));
  h += bar_row(u"已使用：", max <= 0 ? Text(u"80%") : percent(current), size_text(current));
  h += bar_row(u"尚剩余：", max <= 0 ? Text(u"0%") : percent(max - current), size_text(max - current));
  h += u"</table>";
  return h;
}

void CommClearCache(Variant& Response) {
  ResponseRef response(Response);
  response.set(u"Expires", Variant(int32_t(-1)));
  response.set(u"ExpiresAbsolute", Variant::date(ole_date_from_parts(local_now()) - 1));
  response.set(u"CacheControl", Variant(u"no-cache"));
}

}  // namespace brevane
