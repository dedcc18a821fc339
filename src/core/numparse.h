// How the script engine reads a number out of text (CDbl, IsNumeric).
#pragma once

#include <optional>

#include "core/text.h"

namespace brevane {

// Surrounding blanks, a leading or trailing sign or enclosing parentheses, a
// currency sign, digits with "," group separators in the integer part, one
// ".", an exponent; or an "&H"/"&O" literal of up to 32 bits.
std::optional<double> parse_number(TextView s);

}  // namespace brevane
