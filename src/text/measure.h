// Measuring text by display width (a Chinese or full-width character takes
// the room of two Latin letters) and cutting it: titles to a width, fields out
// of delimited records, text between markers. Widths come from the ANSI code
// page, so they match what the pages were laid out for.
#pragma once

#include <cstdint>

#include "core/text.h"
#include "core/variant.h"

namespace brevane {

// The three tests of a wide character the routines were written with. On a
// double-byte code page they agree except for character 0, which only the
// ANSI-code test calls wide.
bool wide_by_ansi_code(char16_t c);  // ANSI code 0 or less
bool wide_by_magnitude(char16_t c);  // |ANSI code| above 255
bool wide_by_unsigned(char16_t c);   // ANSI code read unsigned above 255

int16_t CommGetStringLength(Text p_String);
int16_t CommGetStringLength2(Text p_String);
Text CommGetStringLeft(Text p_String, int16_t p_StringLength);
Text CommGetStringRight(Text p_String, int16_t p_StringLength);
Text CommGetTopicStr(Text p_String, int16_t p_StringLength);
Text CommGetString(Variant& p_String, Variant& p_StringStart, Variant& p_StringLength);
Text CommStrExtract(Text cSearchExpression, Text cBeginDelim, Text cEndDelim, int16_t nOccurrence, int16_t nFlag);
Text CommReplaceAt(Text p_Expression, int16_t p_At, Text p_ReplaceWith, Text p_Delimiter);
Text CommReplaceExp(Text p_String, Text p_Pattern, Text p_ReplaceString);
Text CommJoin(Variant& p_Array, Text p_Delimiter);

}  // namespace brevane
