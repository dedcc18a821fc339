// The façade members this subsystem implements.
#include "frame/facade.h"
#include "upload/file_upload.h"

namespace brevane {

std::vector<Binding> upload_bindings() { return {bind<&CommFileUpload>(u"CommFileUpload")}; }

}  // namespace brevane
