// Small services the upload classes share: text in a named character set,
// the size text of the error descriptions, and the file-system calls of
// saving (physical paths in Windows form, DESIGN decision 5).
#pragma once

#include <span>
#include <string>

#include "core/text.h"

namespace brevane::upload {

// Bytes as text in `charset` (a name the platform's codec knows: GB2312,
// GBK, UTF-8, BIG5, ...). Raises 5 for a name it does not know.
Text decode_charset(std::span<const uint8_t> bytes, TextView charset);

// The readable size text of a byte count given as text ("1M", "1.5K").
Text size_text(TextView bytes);

// A physical path (C:\up\a.jpg) as this system's own path.
std::string native_path(TextView physical);
bool path_exists(TextView physical);         // a file or a folder
bool folder_exists(TextView physical);
// Every missing level; true when the folder exists afterwards.
bool create_folders(TextView physical);

}  // namespace brevane::upload
