// The footer of an admin page (which also closes the page's data objects)
// and the update page. The lost-file panel and the file picker, which read
// the disk, are in files/fileforms.h.
#pragma once

#include <cstdint>

#include "core/object.h"

namespace brevane {

Text CommShowCopyRight(Variant& Conn, Variant& Rs, int16_t p_ShowType, Variant& p_ShowLine);
// The installed version and how new versions arrive; contacts no server.
Text CommShowFormUpDate();

}  // namespace brevane
