// Backups of the site's data files: each run copies the listed files from
// "/data" into a new folder named with the time of the run.
#pragma once

#include <cstdint>

#include "core/text.h"
#include "core/variant.h"

namespace brevane {

// The physical backup folder, or "" when p_IsAutoBackup is 0, the folder
// cannot be made, or a file fails to copy (files copied before it stay).
Text CommFileBackup(Variant& Response, Variant& Request, Variant& Server, Text p_TableList, uint8_t p_IsAutoBackup,
                    Text p_BackupName, Text p_BackUpPath);

}  // namespace brevane
