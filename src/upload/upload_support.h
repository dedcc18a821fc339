// Small services the upload classes share: text in a named character set,
// the size text of the error descriptions, and the file-system calls of
// saving (physical paths in Windows form, DESIGN decision 5).
#pragma once

#include <span>
#include <string>

#include "core/text.h"

namespace brevane::upload {

// Bytes as text in a character set named as the platform's codec knows it
// (GB2312, GBK, UTF-8, BIG5, ...); the name is looked up once.
class TextDecoder {
 public:
  // Raises 5 for a name it does not know.
  explicit TextDecoder(TextView charset);
  Text operator()(std::span<const uint8_t> bytes) const;
  // The same into `out`, reusing its storage.
  void decode_into(std::span<const uint8_t> bytes, Text& out) const;
  // Whether a byte below 0x80 always reads as that character (all but
  // UTF-16), and whether no other byte ever reads as one of those (UTF-8).
  bool ascii_as_is() const { return kind_ != Kind::Utf16; }
  bool is_utf8() const { return kind_ == Kind::Utf8; }

 private:
  enum class Kind { Utf8, Utf16, CodePage } kind_ = Kind::CodePage;
  const void* codepage_ = nullptr;
};

inline Text decode_charset(std::span<const uint8_t> bytes, TextView charset) {
  return bytes.empty() ? Text() : TextDecoder(charset)(bytes);
}

// The readable size text of a byte count given as text ("1M", "1.5K").
Text size_text(TextView bytes);

// A physical path (C:\up\a.jpg) as this system's own path.
std::string native_path(TextView physical);
bool path_exists(TextView physical);  // a file or a folder
bool folder_exists(TextView physical);
// Every missing level; true when the folder exists afterwards.
bool create_folders(TextView physical);

}  // namespace brevane::upload
