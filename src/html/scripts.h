// Ready-made browser script blocks for the admin pages, and the one escape
// every fragment uses when it puts a value into a script string.
//
// Each block is one self-contained string: a page may write any set of them,
// in any order, more than once. They run in today's browsers and in the old
// ones the pages were first written for (features are detected, never
// assumed). The function names, element ids and texts are what other
// fragments and the pages call, so they are fixed; the bodies are ours.
#pragma once

#include "core/text.h"
#include "core/variant.h"

namespace brevane {

// Makes `value` safe as the body of a script string literal in either quote
// style, inside a <script> element or inside an event-handler attribute:
// backslash, quotes, '<', '>', '&', control characters and the two line
// separators become \xNN / \uNNNN escapes, so the value can neither end the
// string, nor the attribute, nor the script element. Other characters
// (Chinese text included) stay as they are.
Text js_string_escape(TextView value);

// ---- members ----

// Frame busting: across sites, and out of any frame.
Text CommScriptNoInFrame();
Text CommScriptNoInTop();
// DownImage (and DrawImage, the name the image viewer page uses), cgimg,
// zelto_showpic, and the photo-size editor dheight/xheight/dwidth/xwidth/photohy.
Text CommScriptImage();
// Page protection; empty when the query string asks for excel=yes.
Text CommScriptMouse(Variant& Request);
// initIt/expandIt expanding menu.
Text CommScriptListMenu();
// The movable `floater` panel: heartBeat, grabIt, moveIt, dropIt,
// closeLoginForm, showLoginForm.
Text CommScriptListMenuMove();
// checkform() from "field|empty message|limit|limit message$..." rules.
Text CommScriptCheckForm(Text p_CheckList);
// The ZeltoRegCheck... validators.
Text CommScriptCheck();
// isIdCardNo, create_postcard, checkDate.
Text CommScriptCheckPostCard();
// The OpenWindow... openers.
Text CommScriptOpenWindow();
// ShowIframe, ShowHtmlString, ShowConfirm (+ShowCallBack), ShowAlert, ClosePop.
Text CommScriptPopWindow();
// PopSelectData, PopSelectDate, onKeyDownDefault, IsDigit.
Text CommScriptPopSelect();
// ShowDateAndTimeScript() ticking in the element liveclock; p_OtherShow is
// script text the caller wants run on every tick.
Text CommScriptShowDateAndTime(Text p_OtherShow);
// AddProcessbar() and the busy box shown for IsShowProcessBar="True" clicks.
Text CommScriptShowProcessBar();
// ShowAjax(id, url[, postStr]); both blocks define the same function, which
// posts when given a body and gets otherwise.
Text CommAjaxGet();
Text CommAjaxPost();
// Tool-tip layer dek with popwish(text) and kill().
Variant CommScriptShowToolTipText();
// The pop-up date picker (VicPopCal, fPopCalendar, fPopUpCalendarDlg ...).
Variant CommScriptShowCalendar();
// Double-click auto-scroll (ZeltoScriptScrollWindow), stopped by a mouse-down.
Text CommScriptScrollWindow();
// Back-to-top button #master at the given left offset, following the scroll.
Text CommScriptScrollWindowFollow(Variant p_Left);
// The hint line that goes with the auto-scroll.
Text CommShowScrollWindowTitle(Text p_FontColor);

// ---- blocks other fragments write ----

// The file manager's right-click menu: popMenu(p_FileType, p_FileName) with
// the entries for "empty", "folder" and any file extension. The whole result
// of the file manager's right-menu member.
Text popup_menu_script();
// The file manager's drop-down machinery: ShowMenu(vMnuCode, tWidth),
// HideMenu(), makeRectangularDropShadow(el, color, size), with topMar,
// leftMar and space. The page supplies the division "menuDiv" and the bar.
Text dropdown_menu_script();

}  // namespace brevane
