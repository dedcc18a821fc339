// Numbers in other bases, numeric text, date stamps, the visitor's address
// and readable file sizes: small formatters used across the component.
#pragma once

#include "core/variant.h"

namespace brevane {

// Upper-case digits, no prefix; empty for 0 and below. A fractional part
// shows in the last digit as decimal text (10.5 gives "10.5").
Text CommDecToHex(Currency p_Dec);
// Empty for 0 and below; error 6 beyond 2147483647.
Text CommDecToBin(Currency p_Dec);
// 0 for blank or non-numeric text; whole numbers exactly, fractions to
// single precision; error 6 for whole numbers beyond 32 bits.
Currency CommStringToNumeric(Text p_String);

// YYYYMMDD and YYYYMMDDHHNNSS from the local clock (read once per call).
Text CommGetDate();
Text CommGetDateTime();
// A numeric stamp made readable: "2026-12-06" and "2026-12-06 09:05:07";
// any other text comes back trimmed and otherwise unchanged.
Text CommPutDate(Text p_String);
Text CommPutDateTime(Text p_String);

// The forwarded-for address when a proxy set one, else the peer address.
Text CommGetIp(Variant& Request);

// "0B" for empty text, then B, K, M, G in powers of 1024 with at most two
// decimals ("1.5K"); error 13 when the text is not a number.
Text CommGetFileSize(Text p_FileSize);

}  // namespace brevane
