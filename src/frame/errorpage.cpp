#include "frame/errorpage.h"

#include "core/object.h"
#include "core/vbrt.h"
#include "frame/caption.h"
#include "frame/host.h"
#include "frame/swapimage.h"

namespace brevane {

namespace {

// Anything but Empty, Null and blank text is something to close; an object
// always is, even Nothing (closing it fails quietly).
bool holds_value(const Variant& v) {
  if (v.is_object()) return true;
  if (v.is_empty() || v.is_null()) return false;
  std::optional<Text> t = v.try_to_text();
  return !t || !vb::Trim(*t).empty();  // not text at all (an array): still a value
}

void close_and_clear(Variant& v) {
  if (!holds_value(v)) return;
  close_quietly(v);  // already closed, or not a record set at all: nothing to report
  v = Variant(ObjectPtr());
}

}  // namespace

void CommCloseData(Variant& Rs, Variant& Conn) {
  close_and_clear(Rs);
  close_and_clear(Conn);
}

Text error_page_html(TextView message, bool close_parent) {
  Text h = CommScriptSwapImage();
  if (close_parent) h += u"<head><base target=\"_self\"></head>";
  h += u"<title>";
  h += kComponentCaption;
  h += u"</title>";
  h += u"<body bgcolor='#FFFFFF' leftmargin='0' topmargin='0' "
       u"onload=ZeltoPreloadImages('../Comm/Image/Zelto_Error_ButtonClose2.asp','../Comm/Image/"
       u"Zelto_Error_ButtonReturn2.asp')>";
  h += u"<table height='100%' cellspacing=0 cellpadding=0 width='100%' border=0><tr><td height='60%'>";
  h += u"<table class=body cellspacing=0 cellpadding=0 width=400 align=center "
       u"background='../Comm/Image/Zelto_Error_TopBg.asp' border=0><tr>";
  h += u"<td width=10 height=23><img height=23 src='../Comm/Image/Zelto_Error_TopLeft.asp' width=24 border=0></td>";
  h += u"<td width=348 height=23>&nbsp;<FONT face='Arial, Helvetica, sans-serif' color=#000000 style='font-size:9pt;'>";
  h += kComponentCaption;
  h += u"</FONT></td>";
  h += u"<td vAlign=baseline width=37 height=23 align=right><a "
       u"onmouseover=ZeltoSwapImage('close','','../Comm/Image/Zelto_Error_ButtonClose2.asp',1) "
       u"onmouseout=ZeltoSwapImgRestore()";
  h += u" href='JavaScript:window.close()'>";
  h += u"<img height=18 src='../Comm/Image/Zelto_Error_ButtonClose1.asp' width=15 border=0 name=close></a></td>";
  h += u"<td width=5 height=23><img height=23 src='../Comm/Image/Zelto_Error_TopRight.asp' width=5 border=0 "
       u"name=errr1_c4></td>";
  h += u"</tr></table>";
  h += u"<table class=body cellspacing=0 cellpadding=0 width=400 align=center border=0 height=100><tr vAlign=bottom>"
       u"<td background='../Comm/Image/Zelto_Error_Bg.asp' height=100>";
  h += u"<blockquote><div id=base><font style='font-size:9pt;'>";
  h += u"<br><br>出错原因：";
  // The message is markup by contract: callers pass fixed texts and may
  // format them.
  h += u"<ul><li>&nbsp;&nbsp;&nbsp;&nbsp;对不起，";
  h += message;
  h += u"</ul>";
  h += u"<br><br></font></div></blockquote>";
  h += u"<P align=center><a onmouseover=ZeltoSwapImage('back','','../Comm/Image/Zelto_Error_ButtonReturn2.asp',1) "
       u"onmouseout=ZeltoSwapImgRestore() ";
  h += close_parent ? u" href='JavaScript:window.close()'>" : u" href='JavaScript:history.back();'>";
  h += u"<img height=20 src='../Comm/Image/Zelto_Error_ButtonReturn1.asp' width=73 border=0 name=back></a>";
  h += u"</td></tr><tr><td height=2><img height=5 src='../Comm/Image/Zelto_Error_Bottom.asp' width=400></td></tr>"
       u"</table></td></tr></table>";
  return h;
}

void show_error_page(const Variant& response, Variant& rs, Variant& conn, TextView message, bool close_parent) {
  ResponseRef out(response);
  out.write(error_page_html(message, close_parent));
  CommCloseData(rs, conn);
  out.end();
}

void show_error_page(const Variant& response, const Variant& rs, const Variant& conn, TextView message,
                     bool close_parent) {
  Variant r = rs, c = conn;
  show_error_page(response, r, c, message, close_parent);
}

void CommShowErrorPage(Variant& Response, Variant& Rs, Variant& Conn, Text p_ErrorMessage, bool p_CloseParent) {
  show_error_page(Response, Rs, Conn, p_ErrorMessage, p_CloseParent);
}

}  // namespace brevane
