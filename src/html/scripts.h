// Ready-made browser script blocks for the admin pages, and the one escape
// every fragment uses when it puts a value into a script string.
#pragma once

#include "core/text.h"

namespace brevane {

// Makes `value` safe as the body of a script string literal in either quote
// style, inside a <script> element or inside an event-handler attribute:
// backslash, quotes, '<', '>', '&', control characters and the two line
// separators become \xNN / \uNNNN escapes, so the value can neither end the
// string, nor the attribute, nor the script element. Other characters
// (Chinese text included) stay as they are.
Text js_string_escape(TextView value);

}  // namespace brevane
