// Helpers every demo page shares: the component, escaping, the page frame,
// and graceful notes for pieces of the component that are not built yet.
#pragma once

#include "core/object.h"
#include "host/pages.h"

namespace brevane::site {

Variant component();
// Text for HTML content and double-quoted attributes.
Text html(TextView s);
Text num(int64_t n);
void page_start(host::Page& p, TextView title);
void page_end(host::Page& p);
bool missing_piece(const ScriptError& e);
void not_available(host::Page& p, const ScriptError& e);
void error_page(host::Page& p, TextView message);
Text success_script(TextView message, TextView url);

}  // namespace brevane::site
