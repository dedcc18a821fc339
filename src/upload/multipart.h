// What the two upload parsers share of reading a multipart/form-data body
// (RFC 7578 on RFC 2046): the boundary a request declares, where a delimiter
// line really is, and what a part's header block says.
//
// A delimiter is CRLF "--" boundary, followed by "--" (the last one; all
// after it is epilogue) or by optional spaces and tabs and a CRLF. Only the
// first one may stand at the very start of the body; anything before it is
// preamble.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/text.h"

namespace brevane::upload {
class TextDecoder;
}

namespace brevane::multipart {

// The `boundary` parameter of a Content-Type value, quoted or not; nullopt
// when there is none or it is empty.
std::optional<std::string> boundary_of(TextView content_type);

// CRLF "--" boundary: what a scan for the next delimiter looks for.
std::string delimiter_needle(std::string_view boundary);

enum class After { NotADelimiter, Next, Close };
// What the bytes from `at` (just past the boundary of a needle or of the
// body's first "--" boundary) make of it; for Next, `part_start` is the
// offset after the delimiter line's CRLF.
After after_boundary(std::span<const uint8_t> body, size_t at, size_t& part_start);

// Where the first delimiter's boundary ends (the offset to hand to
// after_boundary), given the first needle found from 0 (kNotFound-like
// SIZE_MAX when none): "--" boundary at the start of the body wins.
bool starts_with_dash_boundary(std::span<const uint8_t> body, std::string_view boundary);

// What a part's header block says (lines split by CRLF, without the blank
// line that ends it). One PartHeaders serves every part of a body, so its
// texts keep their storage.
struct PartHeaders {
  bool has_name = false, has_file_name = false;
  Text name, file_name;  // file_name: `filename`, else a decoded `filename*`
  // The Content-Type value, unfolded and trimmed: a view into the block, or
  // into own_type or decoded. Valid while the block and this live unchanged.
  TextView content_type;
  Text own_type, decoded;
};
// A block already decoded to text.
void parse_part_headers(TextView block, PartHeaders& into);
// The block's bytes in the body's character set: read as they are where that
// gives the same reading (an ASCII block; UTF-8), so that only the values
// used are decoded.
void parse_part_headers(std::span<const uint8_t> block, const upload::TextDecoder& decoder, PartHeaders& into);

}  // namespace brevane::multipart
