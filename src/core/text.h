// Text is UTF-16 throughout: lengths and positions count code units, exactly as
// the scripts calling us count characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brevane {

using Text = std::u16string;
using TextView = std::u16string_view;

// UTF-8 <-> UTF-16. Unpaired surrogates survive a round trip (encoded as
// three-byte sequences) so nothing a caller hands us is lost.
Text from_utf8(std::string_view utf8);
std::string to_utf8(TextView text);

// ASCII-only case folding; other characters are left as they are, which is
// what name lookup and protocol keywords need.
char16_t ascii_lower(char16_t c);
bool iequals_ascii(TextView a, TextView b);

// The pieces between each `sep`; always at least one (an empty text gives one
// empty piece), unlike the script engine's Split.
std::vector<Text> split_at(TextView s, char16_t sep);

// Shorthand for literals in code that builds markup from ASCII pieces.
inline Text T(std::string_view ascii) { return Text(ascii.begin(), ascii.end()); }

}  // namespace brevane
