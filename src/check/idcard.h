// Resident identity-card numbers: 18 characters (region, YYYYMMDD, sequence,
// check character) or the older 15 (region, YYMMDD of the 1900s, sequence).
#pragma once

#include <cstdint>

#include "core/text.h"

namespace brevane {

// The 17 characters the checks run on; a 15-character number gets "19"
// before its year. Empty for any other length.
Text idcard_body(TextView number);
// ISO 7064 MOD 11-2 over 17 digits: "0"-"9" or "X".
char16_t idcard_check_character(TextView body17);

// Empty when the number passes every check up to p_Level (1 none, 2 length
// and digits, 3 birth date, 4 check character), else the reason.
Text CommCheckPostCard(Text p_Postcard, int16_t p_Level);
Text CommGetBirthdayFromPostcard(Text p_Postcard);
Text CommGetSexFromPostcard(Text p_Postcard);

}  // namespace brevane
