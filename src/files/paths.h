// Path and name helpers of BrevaneCls: folder, name and extension of a path
// ("\" or "/" separated), the icon tag beside a listed file, a file's length,
// and file names made from the clock.
#pragma once

#include <cstdint>

#include "core/text.h"

namespace brevane {

Text CommFileGetPath(Text p_String);
Text CommFileGetFullName(Text p_String);
Text CommFileGetName(Text p_String);
Text CommFileGetExt(Text p_String, uint8_t p_HasPoint);
Text CommFileGetIcon(Text p_FileExt, Text p_IconExt, Text p_IconType);
int32_t CommFileGetSize(Text p_FileName);
Text CommFileGetTimeName();
Text CommFileGetRndName(int16_t p_Length);

}  // namespace brevane
