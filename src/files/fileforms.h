// Fragments over the site's files: the panel listing missing data files
// (which ends the page) and the one-level file and folder picker.
#pragma once

#include <cstdint>

#include "core/object.h"

namespace brevane {

void CommShowWindowLostFile(Variant& Server, Variant& Conn, Variant& Rs, Variant& Response, Text p_FileList,
                            Text p_Dwmc);
Text CommShowFormFileSelect(Variant& Response, Variant& Request, Variant& Server, Text p_SearchPath,
                            int16_t p_SearchType);

}  // namespace brevane
