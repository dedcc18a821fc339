// Pinyin from a character's place in the GB2312 table: the first level is
// ordered by reading, so ranges of codes give the initial letter and the
// syllable. Characters outside those ranges are not converted.
#pragma once

#include <cstdint>
#include <span>

#include "core/text.h"

namespace brevane {

struct InitialRange {
  char16_t letter;
  int32_t first, last;  // GB codes, unsigned
};
struct Syllable {
  std::u16string_view spelling;
  int32_t boundary;  // signed ANSI code of the first character with this reading
};

std::span<const InitialRange> pinyin_initials();
std::span<const Syllable> pinyin_syllables();

// Upper-case initial for an unsigned GB code, 0 when no range holds it.
char16_t pinyin_initial(int32_t gb_code);
// The syllable for a signed ANSI code, empty outside the first level.
std::u16string_view pinyin_syllable(int32_t ansi_code);

Text CommGetPyChar(Text p_String);
Text CommGetPyString(Text p_String);
Text CommGetQPyString(Text p_String);

}  // namespace brevane
