#include "html/tabs.h"

#include "core/script_error.h"
#include "core/vbdate.h"
#include "core/vbrt.h"
#include "frame/caption.h"
#include "frame/errorpage.h"
#include "frame/host.h"
#include "html/fields.h"

namespace brevane {

namespace {

Text number(int64_t n) { return Variant(static_cast<int32_t>(n)).to_text(); }

const VariantArray& items_of(const Variant& v) {
  static const VariantArray none;
  if (v.is_empty() || v.is_missing()) return none;
  return v.array();  // 13 for anything else
}

}  // namespace

Text CommShowTab(Text p_BgColor) {
  const Text background = p_BgColor.empty() ? Text() : u"background:" + p_BgColor + u";";
  Text out = u"<style>";
  out += u"#contentwrapper { FLOAT: left; WIDTH: 100%;FLOAT: left; WIDTH: 97%;MARGIN: 0px 0px 0px 10px" + background +
         u"}";
  out += u"UL.newsfield { PADDING: 0px; MARGIN: 0px 0px 2px; LIST-STYLE-TYPE: none;" + background + u"}";
  out +=
      u"UL.newsfield LI { PADDING-LEFT: 12px; BACKGROUND: url(../comm/image/zelto_star.asp) no-repeat left bottom; "
      u"BORDER-BOTTOM: #cccccc 1px dashed}";
  out += u"UL.newsfield LI.pager { BACKGROUND-IMAGE: none}";
  out += u".textwrap { PADDING-TOP: 4px}";
  out +=
      u".Tab_Title { BORDER-RIGHT: #6394c3 1px solid; BORDER-LEFT: #6394c3 1px solid; BORDER-BOTTOM: #6394c3 1px "
      u"solid; PADDING-RIGHT: 8px; PADDING-LEFT: 8px; MARGIN-BOTTOM: 12px; BACKGROUND: #ffffff}";
  out += u".Tab_Content { WIDTH: 100%; TEXT-ALIGN: center; BACKGROUND: url(../comm/image/zelto_tab_bg.asp) repeat-x}";
  out += u".Tab_Content UL { FONT-SIZE: 13px; LIST-STYLE-TYPE: none}";
  out += u".Tab_Content LI { DISPLAY: inline}";
  out +=
      u".Tab_Content LI A { DISPLAY: block; FLOAT: left; WIDTH: 93px; HEIGHT: 26px; COLOR: #1e5792; "
      u"TEXT-DECORATION: none; BACKGROUND: url(../comm/image/zelto_tab_title2.asp) no-repeat}";
  out += u".Tab_Content LI A:hover { BACKGROUND: url(../comm/image/zelto_tab_title1.asp) no-repeat}";
  out += u".Tab_Content LI A.current { COLOR: #000000; BACKGROUND: url(../comm/image/zelto_tab_title1.asp) no-repeat}";
  out += u"</style>";
  out +=
      u"<script language=javascript>"
      u"function showBlockTabN(iTabnum, iTabcnt){"
      u"var p_i;"
      u"for(p_i=0;p_i<iTabcnt;p_i++){document.getElementById('dTabcontent_'+p_i).style.display='none';}"
      u"for(p_i=0;p_i<iTabcnt;p_i++){document.getElementById('sTabmenu_'+p_i).className='';}"
      u"document.getElementById('sTabmenu_'+iTabnum).className='current';"
      u"document.getElementById('dTabcontent_'+iTabnum).style.display='block';"
      u"}"
      u"</script>";
  return out;
}

Text CommShowTabAndContent(Text p_BgColor, Variant p_ArrayTabTitle, Variant p_ArrayTabContent, Text p_TabWeight,
                           Text p_TabHeight) {
  const VariantArray& titles = items_of(p_ArrayTabTitle);
  const VariantArray& contents = items_of(p_ArrayTabContent);
  Text out = CommShowTab(p_BgColor);
  out += u"<div id=contentwrapper><div class=Tab_Content><ul>";
  const Text count = number(static_cast<int64_t>(titles.size()));
  for (size_t i = 0; i < titles.size(); ++i) {
    const Text n = number(static_cast<int64_t>(i));
    out += u"<li><a ";
    if (i == 0) out += u"class=current ";
    out += u" id='sTabmenu_" + n + u"' onmouseover='showBlockTabN(" + n + u", " + count + u");'>";
    out += u"<div class=textwrap>" + titles[i].to_text() + u"</div></a>";
  }
  out += u"</li></ul></div><div class=Tab_Title>";
  for (size_t i = 0; i < contents.size(); ++i) {
    out += u"<div id='dTabcontent_" + number(static_cast<int64_t>(i)) + u"'";
    if (i > 0) out += u" style='display:none'";
    out += u"><ul class=newsfield><table cellSpacing=0 cellPadding=0 width='" + p_TabWeight +
           u"' border=0 bgcolor=#eeeeff><tr><td valign=top align=left width='100%'><div style='height:" + p_TabHeight +
           u"px;overflow-y:auto;'><ul class=newsfield>" + contents[i].to_text() +
           u"</ul></div></td></tr></table></ul></div>";
  }
  out += u"</div></div>";
  return out;
}

Text CommShowExcelHeader() { return u"<head><title>" + Text(kComponentCaption) + u"</title></head>"; }

Text CommShowExcelTop(int16_t p_ColspanNumber, Text p_Title) {
  return u"<table border='1'><tr align=center height=40><td colspan=" + number(p_ColspanNumber) + u" bgcolor=#e8f24d>" +
         p_Title + u"</td></tr>";
}

Text CommShowExcelTableHeader(Text p_TableHeaderList, Text p_Delimiter) {
  std::vector<Text> cells;
  for (const Text& cell : vb::Split(p_TableHeaderList, p_Delimiter)) {
    std::vector<Text> parts = vb::Split(cell + u"|1|1", u"|");
    cells.push_back(parts[0] + u"|0|" + parts[1] + u"|" + parts[2] + u"|#b5f9de");
  }
  return CommShowTableHeader(vb::Join(cells, u"$"), 0, Text());
}

Text CommShowExcelBottom(int16_t p_ColspanNumber) {
  return u"<tr align=center height=40><td colspan=" + number(p_ColspanNumber) + u" bgcolor=65c8f2>来源：" +
         Text(kComponentCaption) + u"<br>导出时间：" + format_ole_date(ole_date_from_parts(local_now())) +
         u"</td></tr></table>";
}

Text CommShowExcel(Variant& Conn, Variant& Rs, Variant& Response, Text p_Title, int16_t p_ColCount, Text p_Content,
                   Text p_ContentHeader1, Text p_ContentHeader2) {
  ResponseRef(Response).set(u"ContentType", Variant(Text(kExcelContentType)));
  Text out = CommShowExcelHeader() + CommShowExcelTop(p_ColCount, p_Title);
  if (!p_ContentHeader1.empty()) out += CommShowExcelTableHeader(p_ContentHeader1, u"$");
  if (!p_ContentHeader2.empty()) out += CommShowExcelTableHeader(p_ContentHeader2, u"$");
  out += p_Content;
  CommCloseData(Rs, Conn);
  out += CommShowExcelBottom(p_ColCount);
  return out;
}

}  // namespace brevane
