// Value validators: pure tests of a text, and the two record-number checks
// that reject the request with the error page.
#pragma once

#include <cstdint>

#include "core/variant.h"

namespace brevane {

bool CommCheckIsChinese(Text p_String);
bool CommCheckIsInteger(Text p_String);
// Trimmed, not empty, and the runtime would read it as a number.
bool CommCheckIsNumeric(Text p_String);
bool CommCheckIsTelephone(Text p_String);
Text CommCheckIsValidString(Text p_String);
bool CommCheckIsEmail(Text p_String);
int16_t CommCheckIsID(Variant& Response, Text p_String, bool p_CloseParent);
int16_t CommCheckIsRange(Variant& Response, Text p_String, int16_t p_Min, int16_t p_Max);
bool CommCheckIsObjInstalled(Variant& Server, Text strClassString);
Variant CommCheckReg(Variant& p_Pattern, Text p_String);
Variant CommCheckIsEmpty(Text p_String);

// The leading number of a text, rounded down, as a 16-bit record number;
// error 6 outside -32768..32767.
int16_t record_number(TextView s);
// Case-insensitive unanchored test in the pages' pattern dialect; raises the
// pattern's error.
bool regex_test(TextView pattern, TextView text);

}  // namespace brevane
