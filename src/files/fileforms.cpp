#include "files/fileforms.h"

#include <vector>

#include "files/fileops.h"
#include "frame/errorpage.h"
#include "frame/host.h"
#include "html/escape.h"
#include "html/scripts.h"

namespace brevane {

namespace {

constexpr char16_t kProductName[] = u"Brevane";

}  // namespace

void CommShowWindowLostFile(Variant& Server, Variant& Conn, Variant& Rs, Variant& Response, Text p_FileList,
                            Text p_Dwmc) {
  if (p_FileList.empty()) return;
  ServerRef server(Server);
  Text missing;
  for (const Text& name : split_at(p_FileList, u'|'))
    if (!CommFileExist(server.map_path(u"\\data\\" + name))) missing += u"〖" + name + u"〗";
  if (missing.empty()) return;
  ResponseRef response(Response);
  response.write(u"<table><tr><td height=30></td></tr></table>");
  response.write(
      u"<table align=center background='../comm/image/zelto_bg_filelost.asp' width=308 height=397 cellpadding=0 "
      u"cellspacing=0 border=0>");
  response.write(u"<tr><td height=40></td></tr>");
  response.write(u"<tr><td height=30 class=3dfont3 style='padding-left:40pt'>" + p_Dwmc + u"</td></tr>");
  response.write(u"<tr><td height=30 class=3dfont2 style='padding-left:40pt'>" + Text(kProductName) + u"</td></tr>");
  response.write(u"<tr><td height=3></td></tr>");
  response.write(u"<tr><td width='100%' class=3dfont3 style='padding-left:40pt'>" + missing + u"</td></tr>");
  response.write(u"<tr><td height=8></td></tr>");
  response.write(u"</table>");
  CommCloseData(Rs, Conn);
  response.end();
}

Text CommShowFormFileSelect(Variant&, Variant&, Variant& Server, Text p_SearchPath, int16_t p_SearchType) {
  Text physical = p_SearchPath.find(u':') == Text::npos ? ServerRef(Server).map_path(p_SearchPath) : p_SearchPath;
  Text heading = p_SearchPath;
  for (TextView piece : {TextView(u".."), TextView(u"\\"), TextView(u"/")})
    for (size_t at = heading.find(piece); at != Text::npos; at = heading.find(piece, at))
      heading.erase(at, piece.size());
  Text out = u"&nbsp;<img src='../comm/image/zelto_folder_open.asp' border=0 align=absmiddle>" +
             markup::escape_attr(heading) + u"<br>";
  Text entries = CommSearchPathFile(physical, p_SearchType);
  if (entries.empty()) return out;
  for (const Text& entry : split_at(entries, u'|')) {
    // File names may hold blanks and quotes: the handler's attribute has no
    // quotes of its own, so the name is escaped for the script string and
    // then for the attribute; plain names come out as they are.
    out += u"<a style='padding-left:20px;cursor:hand;' onclick=javascript:SelectPathFile('" +
           markup::escape_unquoted_attr(js_string_escape(entry)) +
           u"');><img src='../comm/image/zelto_folder_close.asp' border=0 align=absmiddle>" +
           markup::escape_attr(entry) + u"</a><br>";
  }
  return out;
}

}  // namespace brevane
