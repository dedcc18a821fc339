// The upload subsystem: the multipart parser (boundary index, byte search),
// the upload classes (Zelto_Class_UploadFile*, Zelto_UploadImage,
// Zelto_UpLoadImageData) and CommFileUpload. May use files, text, check.
#pragma once

#include <vector>

#include "core/object.h"

namespace brevane {

// The façade members this layer implements (bindings.cpp); the component
// layer gathers them into BrevaneCls's table.
std::vector<Binding> upload_bindings();

}  // namespace brevane
