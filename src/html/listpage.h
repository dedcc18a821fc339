// List pages: the record set put on the requested page, the paging bar, the
// search strip with its column selector, the SQL tail that searches and
// sorts, the empty-list row, and the spacer lines the bars are built from.
//
// Request values reach three places: links (percent-encoded), attributes
// (escaped) and SQL (quoted). Letters and digits pass all three unchanged,
// so ordinary lists look exactly as they always did.
#pragma once

#include "core/variant.h"

namespace brevane {

// Spacer lines and blanks.
Text CommShowColorLine(int16_t p_Width, int16_t p_Height, Text p_Color);
Text CommShowEmptyLine(int16_t p_Height);
// With a background colour; an empty colour gives the plain line.
Text CommShowEmptyLine(int16_t p_Height, TextView p_Color);
// "&nbsp;" repeated; none for zero or less.
Text CommShowSpace(int16_t p_SpaceNumber);

// The search strip: a centred bar that may open a form. Form type "form"
// opens the form named sele; any other non-empty type opens a form of that
// name, which the closer leaves open (only "form" is closed).
Text CommShowSearchLeft(Text p_FormType, Text p_Width);
Text CommShowSearchRight(Text p_FormType);

Text CommShowNoRecord(Variant p_ColspanNumber, bool p_IsExcel, Variant p_NoRecordMessage);

// Paging.
void CommShowNoPage(Variant& Request, Variant& Rs);
Text CommShowPage(Variant& Request, Variant& Rs);
Text CommShowSelect(Variant& Request, int16_t p_ShowTitleType, Text p_TitleList);
Text CommGetOrderString(Variant& Request, Text p_SortDefault, Text p_SortFieldList, Text p_SortDescFieldList,
                        Text p_SearchKeyword, Text p_TableName);

// The requested page: floor of Request("Page"), 1 when it is not a number,
// then kept within 1..page_count (0 when there are no pages).
int32_t requested_page(const Variant& request, int32_t page_count);

// Escapes for putting outside values into links (attributes: markup::escape_attr
// in html/escape.h).
// As the server's URLEncode: letters and digits stay, a blank becomes "+",
// every other byte of the text in the system code page becomes %XX.
Text url_escape(TextView s);

}  // namespace brevane
