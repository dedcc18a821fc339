// Label/value rows of data-entry and detail pages, bound to a record set
// field, and the table pieces around them: header rows from a compact list,
// an invisible width row, the alternating list-row opener, the double frame
// of forms and a floating, movable panel.
//
// Values read from the database reach three places: input values
// (attribute-escaped), text-area bodies and option captions (markup-escaped),
// and read-only displays (markup-escaped), so a stored ' or <script> shows as
// text. Text the page itself passes (titles, literal option lists, markup of
// type 20, handlers) is markup and goes in as given.
#pragma once

#include "core/variant.h"

namespace brevane {

// p_Type: 1 text (identity-card check or pick list), 2 date, 3 drop-down,
// 4 check box, 5 text area, 6 password, 7 radio group, 8 modal-dialog box,
// 9 read-only box with a handler, 10 editor frame, 11 photo file picker,
// 12 file picker that submits, 20 caller's markup, 21 text (hidden + value
// when read-only). p_State: 2 edit (values from the current row of Rs),
// 3 view, anything else new.
Text CommShowTd(Variant& Conn, Variant& Rs, int16_t p_Type, int32_t p_Width, int32_t p_Height, int16_t p_ColSpan,
                Text p_Title, Text p_Name, Text p_Field, int16_t p_Pop_Allow, Text p_Pop_Field, int16_t p_State,
                int16_t p_Allow_Edit, Text p_Star, Text p_Title_Bgcolor, Text p_Value_Bgcolor, Text p_TdTitle,
                int16_t p_DivHeight);
Text CommShowTr(Variant& Conn, Variant& Rs, Text p_TrClass, int16_t p_Type, int32_t p_Width, int32_t p_Height,
                int16_t p_ColSpan, Text p_Title, Text p_Name, Text p_Field, int16_t p_Pop_Allow, Text p_Pop_Field,
                int16_t p_State, int16_t p_Allow_Edit, Text p_Star, Text p_Title_Bgcolor, Text p_Value_Bgcolor,
                Text p_TdTitle, int16_t p_DivHeight);
// Opens a list row (odd rows colour 1, even rows colour 2, colour 3 under the
// mouse); the caller adds the cells and "</tr>".
Text CommShowGridTr(int16_t p_CurrentRow, Text p_Style, Text p_BgColor1, Text p_BgColor2, Text p_BgColor3,
                    Text p_Align);
// Cells "caption|width|colspan|rowspan|background" joined by "$"; missing
// spans are 1, background "excel" is the export's header colour. A cell of a
// caption alone is a subscript error.
Text CommShowTableHeader(Text p_TableHeaderList, int16_t p_Height, Text p_Class);
Text CommShowTableHeaderEmpty(Text p_TableHeaderList);
// Left open for the caller to fill and close.
Text CommShowTableDouble(Text p_TableWidth, Text p_BgColor, Text p_BorderColor, bool p_IsDouble, bool p_IsTableFix);
Text CommShowMenuMoveContent(int16_t p_Width, int16_t p_TitleHeight, Text p_Title, uint8_t p_Scroll1, uint8_t p_Scroll2,
                             Text p_Content, Text p_Visible, bool p_CanMove, bool p_CanExpand);

}  // namespace brevane
