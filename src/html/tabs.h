// Tab strips that switch on mouse-over, and the spreadsheet export: an HTML
// table served with the spreadsheet content type, which the office program
// opens as a worksheet.
#pragma once

#include "core/variant.h"

namespace brevane {

// The style sheet and the showBlockTabN(iTabnum, iTabcnt) switching script.
Text CommShowTab(Text p_BgColor);
// Titles and contents are arrays of markup (lower bound 0); Empty or a
// missing argument gives no tabs, anything else that is not an array is a
// type mismatch.
Text CommShowTabAndContent(Text p_BgColor, Variant p_ArrayTabTitle, Variant p_ArrayTabContent, Text p_TabWeight,
                           Text p_TabHeight);

// The whole export document. Sets the response's content type, closes `Rs`
// and `Conn` (the page must have read its data), and returns the document
// for the page to write as its whole response.
Text CommShowExcel(Variant& Conn, Variant& Rs, Variant& Response, Text p_Title, int16_t p_ColCount, Text p_Content,
                   Text p_ContentHeader1, Text p_ContentHeader2);
Text CommShowExcelHeader();
Text CommShowExcelTop(int16_t p_ColspanNumber, Text p_Title);
// Cells "caption|colspan|rowspan" joined by `p_Delimiter`, missing spans 1;
// every cell on the header background.
Text CommShowExcelTableHeader(Text p_TableHeaderList, Text p_Delimiter);
Text CommShowExcelBottom(int16_t p_ColspanNumber);

constexpr char16_t kExcelContentType[] = u"application/vnd.ms-excel";

}  // namespace brevane
