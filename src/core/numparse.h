// How the script engine reads a number out of text (CDbl, IsNumeric).
#pragma once

#include <optional>

#include "core/text.h"

namespace brevane {

// Surrounding spaces, a sign, digits with "," group separators, one ".",
// an exponent, or an "&H"/"&O" prefix. Nothing else.
std::optional<double> parse_number(TextView s);

}  // namespace brevane
