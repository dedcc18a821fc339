// Escaping for text that page authors' users supply and fragments write into
// markup: element content, quoted and unquoted attributes, XML documents and
// query strings. (Script string literals: js_string_escape in html/scripts.h.)
#pragma once

#include "core/text.h"

namespace brevane::markup {

// & < > " ' as character references: safe in content, in single- or
// double-quoted attributes, and in XML text and attribute values.
Text escape_attr(TextView s);
inline Text escape_xml(TextView s) { return escape_attr(s); }
// For an attribute written without quotes: besides escape_attr, white space,
// "=" and "`" as references so the value cannot end early.
Text escape_unquoted_attr(TextView s);
// For a query-string value inside an attribute: percent-encoded in the
// system code page (as the pages read their query strings) for everything but
// unreserved characters, "/" and ":", so "&" and "#" cannot start a new
// parameter.
Text escape_query(TextView s);

}  // namespace brevane::markup
