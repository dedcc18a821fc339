// The last fragments of an admin page: the footer (which also closes the
// page's data objects), the panel listing missing data files, the one-level
// file picker, and the update page.
#pragma once

#include <cstdint>

#include "core/object.h"

namespace brevane {

Text CommShowCopyRight(Variant& Conn, Variant& Rs, int16_t p_ShowType, Variant& p_ShowLine);
void CommShowWindowLostFile(Variant& Server, Variant& Conn, Variant& Rs, Variant& Response, Text p_FileList,
                            Text p_Dwmc);
Text CommShowFormFileSelect(Variant& Response, Variant& Request, Variant& Server, Text p_SearchPath,
                            int16_t p_SearchType);
// The installed version and how new versions arrive; contacts no server.
Text CommShowFormUpDate();

}  // namespace brevane
