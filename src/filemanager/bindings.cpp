// The façade members this subsystem implements.
#include "filemanager/bindings.h"

#include "core/declared.h"

namespace brevane {

std::vector<Binding> filemanager_bindings() { return {}; }

}  // namespace brevane
