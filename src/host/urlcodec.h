// Query strings, form bodies and cookies as the page objects see them: bytes
// decoded in the page's code page, keys kept in the order they came.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/codepage.h"

namespace brevane::host {

using Pairs = std::vector<std::pair<Text, Text>>;

// %XX becomes its byte; a malformed escape stays as it is.
std::string percent_decode(std::string_view s, bool plus_as_space);
// "a=1&b=2&a=3" -> (a,1) (b,2) (a,3); a segment without "=" is a key with
// an empty value; empty segments are skipped.
Pairs parse_url_pairs(std::string_view raw, const CodePage& cp);
// "a=1; b=2": values URL-decoded as the web server decodes cookies.
Pairs parse_cookie_header(std::string_view header, const CodePage& cp);
// Letters and digits stay, a space becomes "+", every other byte of the
// text in the code page becomes %XX.
Text url_encode(TextView text, const CodePage& cp);
std::string html_escape(std::string_view s);

}  // namespace brevane::host
