// A plain reading of multipart/form-data (RFC 7578 on RFC 2046) to check the
// parsers against: no indexes, no windows, every position tried in turn.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"

namespace brevane::kit {

struct ReferencePart {
  std::string_view headers;  // the header block, without its blank line
  size_t data_at = 0, length = 0;
};

struct ReferenceBody {
  enum Status { Parts, Empty, Malformed } status = Malformed;
  std::vector<ReferencePart> parts;  // for Parts
};

ReferenceBody reference_parse(std::string_view body, std::string_view boundary);

struct ReferenceHeaders {
  bool has_name = false, has_file_name = false;
  Text name, file_name, content_type;
};
// The header block as text (already decoded).
ReferenceHeaders reference_headers(const Text& block);

// The boundary parameter of a Content-Type value ("" when none).
std::string reference_boundary(std::string_view content_type);

}  // namespace brevane::kit
