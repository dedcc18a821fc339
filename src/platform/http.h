// Outbound HTTP as the component needs it.
#pragma once

#include "core/text.h"

namespace brevane::http {

// True when a server answered a GET for `url` (any status) within
// `timeout_ms`; redirects are followed. Only http, https and ftp URLs are
// tried. The system's proxy settings apply.
bool url_answers(TextView url, int timeout_ms);

}  // namespace brevane::http
