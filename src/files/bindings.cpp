// The façade members this subsystem implements.
#include "frame/facade.h"

namespace brevane {

std::vector<Binding> files_bindings() { return {}; }

}  // namespace brevane
