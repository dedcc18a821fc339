// The façade members this subsystem implements.
#include "upload/bindings.h"

#include "core/declared.h"
#include "upload/file_upload.h"

namespace brevane {

std::vector<Binding> upload_bindings() { return {BREVANE_BIND(CommFileUpload)}; }

}  // namespace brevane
