// Markup encoders: text shown literally in a page and back, tags stripped,
// links made ready for one more query pair. Each routine applies its own
// replacement table in its own order; pages depend on the exact differences.
#pragma once

#include <initializer_list>
#include <utility>

#include "core/text.h"

namespace brevane {

// Plain, case-sensitive replacement of every occurrence, left to right without
// overlap, each row working on the output of the row before.
using ReplaceRow = std::pair<TextView, TextView>;
Text replace_rows(Text s, std::initializer_list<ReplaceRow> rows);

Text CommHtmlEncode(Text p_String);
Text CommHtmlEncode2(Text p_String);
Text CommHtmlUnEncode2(Text p_String);
Text CommNoHtml(Text p_String);
Text CommEncodeString(Text p_String);
Text CommEncodeString2(Text p_String);
Text CommUnEncodeString(Text p_String);
Text CommJoinChar(Text p_StrUrl);

}  // namespace brevane
