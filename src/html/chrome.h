// Page chrome every admin page shares: alerts after a save, message panels,
// title bars, the dialog frame, boxes, the disk-space bar, cache headers and
// the short scripts that close or refresh windows.
#pragma once

#include "core/variant.h"

namespace brevane {

// Text made safe inside a quoted script string (either quote): backslash,
// both quotes and line breaks escaped, and "</" and "<!--" broken up so the
// text cannot end the script element. Ordinary text comes back unchanged.
Text script_string_body(TextView s);

// Alerts and messages.
Text CommShowSuccess(Text p_SuccessMessage, Text p_Url);
Variant CommShowMessage(Text p_Title, Text p_Content, Text p_Url);

// Frames and panels. The host objects are taken for the pages' sake; the
// markup does not depend on them.
Text CommShowForm(Variant& Response, Variant& Request, Variant& Server, int16_t p_Width, int16_t p_Height,
                  Text p_Content, bool p_IsClose);
Text CommShowLogin(Variant& Response, Variant& Request, Variant& Server, Text p_Content, Text p_ShowTitle);
Text CommShowAbout(Variant& Response, Variant& Request, Variant& Server, Text p_Content, Text p_ShowTitle);
Text CommShowBox(Text p_Title, Text p_Content, Text p_TitleBackColor, Text p_TitleForeColor, Text p_ContentBackColor,
                 Text p_ContentForeColor, Text p_TitleAlign, Text p_BottomImage);

// Title bars.
Text CommShowTitleTop(Text p_Dwmc, Text p_Title, Text p_ExcelUrl, int16_t p_ExcelAllow, int16_t p_PrintAllow,
                      Text p_Width, Text p_OtherUrl);
Text CommShowHeader(Text p_TitleName, Text p_ExcelUrl, int16_t p_ExcelAllow, int16_t p_PrintAllow, int16_t p_TableWidth,
                    Text p_OtherUrl);
Text CommShowTitleHeader(Text p_Title, Text p_TitleAdd, Text p_titleOther);
Text CommShowHeader2(Text p_Title, Text p_TitleAdd, Text p_titleOther);
Text CommShowTitleSingle(Text p_Width, Text p_Title, Text p_Content);
Text CommShowHeader1(Text p_Width, Text p_Title, Text p_Content);

// Disk space: sizes in bytes; Empty, Null and "" count as 0.
Text CommShowBar(Variant p_SizeMax, Variant p_SizeCurrent);
// Expires -1, ExpiresAbsolute a day ago, Cache-Control no-cache.
void CommClearCache(Variant& Response);

// Window scripts.
Text CommOpenerRefresh();
Text CommOpenerEditRefresh(Text p_ShowTitle, uint8_t p_IsClose);
Variant CommCloseWindowNoMessagebox();
Variant CommCloseTopWindowNoMessagebox();
Variant CommCloseWindowCurrent();
Variant CommCloseWindowModal(bool p_IsRefresh);

}  // namespace brevane
