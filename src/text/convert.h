// Conversions between Unicode text, UTF-8 carried in ANSI byte strings, URL
// escapes and binary values. An ANSI byte string holds bytes as text decoded
// in the ANSI code page (CodePage::ansi()); encoding it again gives the same
// bytes, so it passes through Response.Write unchanged.
#pragma once

#include "core/variant.h"

namespace brevane {

// p_IsNt true: the system's UTF-8 conversion; false: the component's own
// byte walk (three-byte decoding, no checks, never fails).
Text CommCodeUtf8ToUnicode(Text p_String, Variant p_IsNt);
Text CommCodeUnicodeToUtf8(Text strUnicode, Variant p_IsNt, bool p_IsHtml);

Text CommUrlEncode_GBToUtf8(Text p_String);
// Error 13 for a "%" not followed by two hexadecimal digits.
Text CommUrlDecode_GBToUtf8(Text p_String);

// Each byte becomes the character of that single byte in the ANSI code page.
Text CommBinaryToString(Variant p_Binary);
// The bytes decoded as a whole in the ANSI code page.
Text CommRsBinaryToString(Variant p_Binary);
// A byte array of the value's bytes, or "" when it has none.
Variant CommMultiByteToBinary(Variant p_MultiByte);

// The bytes of a binary value: a byte array as it is; a string by its
// UTF-16 code units, low byte first (a byte-oriented string packs two bytes
// in each unit). Null raises 94.
Bytes binary_value_bytes(const Variant& v);

}  // namespace brevane
