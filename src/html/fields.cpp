#include "html/fields.h"

#include "core/script_error.h"
#include "core/vbrt.h"
#include "html/scripts.h"

namespace brevane {

namespace {

Text number(int64_t n) { return Variant(static_cast<int32_t>(n)).to_text(); }

// Spans and widths of header cells: the leading number, as a page author
// writes "100" or "50%"; anything else counts as none.
int64_t leading_number(TextView s) { return static_cast<int64_t>(vb::Val(s)); }

}  // namespace

Text CommShowGridTr(int16_t p_CurrentRow, Text p_Style, Text p_BgColor1, Text p_BgColor2, Text p_BgColor3,
                    Text p_Align) {
  const Text& base = (p_CurrentRow & 1) ? p_BgColor1 : p_BgColor2;
  return u"<tr align=" + p_Align + u" " + p_Style + u" bgcolor='" + base +
         u"' onmouseover=\"this.style.backgroundColor='" + p_BgColor3 +
         u"'\" onmouseout=\"this.style.backgroundColor='" + base + u"'\">";
}

Text CommShowTableHeader(Text p_TableHeaderList, int16_t p_Height, Text p_Class) {
  if (vb::Trim(p_TableHeaderList).empty()) return {};
  Text out = u"<tr align=center ";
  if (p_Height > 0) out += u" height=" + number(p_Height);
  if (!vb::Trim(p_Class).empty()) out += u" " + p_Class + u" ";
  out += u" >";
  for (const Text& cell : vb::Split(p_TableHeaderList, u"$")) {
    const size_t given = vb::Split(cell, u"|").size();
    std::vector<Text> parts = vb::Split(cell + u"|1|1|", u"|");
    if (parts.size() < 5) throw ScriptError(kSubscriptOutOfRange);
    out += u"<td";
    if (parts[1] == u"*" || leading_number(parts[1]) > 1) out += u" Width='" + parts[1] + u"'";
    if (leading_number(parts[2]) > 1) out += u" ColSpan='" + parts[2] + u"'";
    if (leading_number(parts[3]) > 1) out += u" RowSpan='" + parts[3] + u"'";
    // The padding "|1|1|" lands in the background slot of a cell written
    // with its spans but no background; "1" is no colour anyone asked for,
    // so only a background the cell names itself is used.
    Text background = given >= 5 ? parts[4] : Text();
    if (vb::LCase(background) == u"excel") background = u"#b5f9de";
    if (!background.empty()) out += u" bgcolor=" + background;
    out += u">" + parts[0] + u"</td>";
  }
  out += u"</tr>";
  return out;
}

Text CommShowTableHeaderEmpty(Text p_TableHeaderList) {
  Text out = u"<tr class=tdbg height=0>";
  for (const Text& width : vb::Split(p_TableHeaderList, u"|")) out += u"<td width='" + width + u"'></td>";
  out += u"</tr>";
  return out;
}

Text CommShowTableDouble(Text p_TableWidth, Text p_BgColor, Text p_BorderColor, bool p_IsDouble, bool p_IsTableFix) {
  Text out;
  if (p_IsDouble)
    out +=
        u"<table cellspacing='0' cellpadding='3' bordercolor='#3366cc' border='2' align=center  "
        u"style='background-color:white;border-color:#3366cc;border-width:1px;border-style:none;width:" +
        p_TableWidth + u";border-collapse:collapse;'><tr><td bgcolor='" + p_BgColor + u"'>";
  out +=
      u"<table width='100%' border='1' cellpadding='0' cellspacing='0' height='40' style='border-collapse: collapse' "
      u"bordercolor='" +
      p_BorderColor + u"' bgcolor='#ffffff' style='";
  if (p_IsTableFix) out += u"table-layout: fixed;";
  out += u"word-break:break-all'>";
  return out;
}

Text CommShowMenuMoveContent(int16_t p_Width, int16_t p_TitleHeight, Text p_Title, uint8_t p_Scroll1, uint8_t p_Scroll2,
                             Text p_Content, Text p_Visible, bool p_CanMove, bool p_CanExpand) {
  Text out;
  if (p_CanMove) out += CommScriptListMenuMove();
  if (p_CanExpand) out += CommScriptListMenu();
  out += u"<div id='scroll1' value='" + number(p_Scroll1) + u"'></div><div id='scroll2' value='" + number(p_Scroll2) +
         u"'></div>";
  const Text at = p_Visible == u"hidden" ? u"-1000" : u"0";
  const Text width = number(p_Width);
  out += u"<div id='floater' style='position:absolute; left:" + at + u"px; top:" + at + u"px; width:" + width +
         u"px; z-index:1; visibility:" + p_Visible + u";'>";
  out += u"<table width='" + width +
         u"' border='0' cellspacing='0' cellpadding='1'><tr bgcolor='#000066'><td>"
         u"<table width='100%' border='0' cellspacing='0' cellpadding='0' height='" +
         number(p_TitleHeight) +
         u"' style='cursor:move'><tr><td bgcolor='#9CDB73'><img src='../comm/image/zelto_ts.asp' border='0' "
         u"align='absmiddle'>" +
         p_Title +
         u"</td><td bgcolor='#9CDB73' align='right' width='16'><a href='javascript:closeLoginForm()'>"
         u"<img src='../comm/image/zelto_close.asp' width='12' height='12' border='0' alt='关闭窗口'></a></td></tr>"
         u"</table></td></tr><tr><td><table width='" +
         width + u"' border='0' cellspacing='0' cellpadding='2' bgcolor='#B5E4FB'><tr><td>" + p_Content +
         u"</td></tr></table></td></tr></table></div>";
  return out;
}

}  // namespace brevane
