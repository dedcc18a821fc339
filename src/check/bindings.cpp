// The façade members this subsystem implements.
#include "frame/facade.h"

namespace brevane {

std::vector<Binding> check_bindings() { return {}; }

}  // namespace brevane
