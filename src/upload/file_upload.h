// One-call upload: parse the post, save every file into one site folder and
// report the outcome as one text.
#pragma once

#include "core/variant.h"

namespace brevane {

Text CommFileUpload(Variant& Server, Variant& Request, Text p_UploadFileExt, int32_t p_UploadFileMaxSize,
                    int32_t p_UploadFileSingleSize, Text p_UploadFilePath, int16_t p_UploadFileRenameOption,
                    bool p_UploadFileOverWrite, Text p_UploadFileInfoList);

}  // namespace brevane
