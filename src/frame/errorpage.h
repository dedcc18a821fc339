// The shared error page: guards, downloads and the file manager reject a
// request with it. It writes the whole page in one Write, closes the record
// set and connection it is given, and ends the response.
#pragma once

#include "core/variant.h"

namespace brevane {

// `rs` and `conn` are set to Nothing when they held something to close, as
// the page's own variables are; pass empty strings when there is nothing.
void show_error_page(const Variant& response, Variant& rs, Variant& conn, TextView message, bool close_parent);
// For callers with nothing of their own to close, or holding copies.
void show_error_page(const Variant& response, const Variant& rs, const Variant& conn, TextView message,
                     bool close_parent);

// The page itself, for tests and for callers that write it another way.
Text error_page_html(TextView message, bool close_parent);

// Closes and clears each of the two unless it is Empty, Null or blank text;
// never fails.
void CommCloseData(Variant& Rs, Variant& Conn);
void CommShowErrorPage(Variant& Response, Variant& Rs, Variant& Conn, Text p_ErrorMessage, bool p_CloseParent);

}  // namespace brevane
