// UTF-8 <-> UTF-16 through the operating system's own code-page conversion
// (code page 65001, no flags), with the system's treatment of malformed
// input: a byte sequence that is not UTF-8, or an unpaired surrogate, becomes
// U+FFFD. Empty when the system reports failure.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/text.h"

namespace brevane {

std::optional<Text> platform_utf8_to_utf16(std::string_view bytes);
std::optional<std::string> platform_utf16_to_utf8(TextView text);

}  // namespace brevane
