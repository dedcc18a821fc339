// The system's ANSI code page (936, GBK, unless BREVANE_CODEPAGE says
// otherwise), as tables built once. A byte that is not part of a valid
// character decodes to a reserved code unit (U+DC80 + byte - 0x80) and encodes
// back to the same byte, so byte strings survive a round trip through Text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/text.h"

namespace brevane {

class CodePage {
 public:
  // Single- and double-byte code pages only.
  explicit CodePage(int number);
  ~CodePage();
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  // The process-wide ANSI code page.
  static const CodePage& ansi();

  int number() const { return number_; }
  // Unrepresentable characters become "?".
  std::string encode(TextView text) const;
  Text decode(std::string_view bytes) const;
  // The character's encoding read as a signed 16-bit number: lead*256+trail
  // for a double-byte character (negative for lead >= 0x80), the byte itself
  // otherwise; "?" (63) when the code page has no such character.
  int16_t ansi_code(char16_t c) const;
  // The character for an ANSI code (Chr): the reverse of ansi_code.
  Text from_ansi_code(int code) const;
  bool is_lead_byte(uint8_t b) const;

 private:
  struct Tables;
  int number_;
  std::unique_ptr<Tables> t_;
};

constexpr char16_t kRawByteBase = 0xDC00;  // raw byte b (>= 0x80) is U+DC00 + b

// Platform primitive behind the tables: decode one complete sequence of 1 or
// 2 bytes, false when the code page has no character for it.
bool platform_decode_sequence(int codepage, const uint8_t* bytes, int len, char16_t& out);
// The code page number the system uses for ANSI text.
int platform_default_codepage();

}  // namespace brevane
