// The façade members this subsystem implements.
#include "transfer/bindings.h"

#include "core/declared.h"

namespace brevane {

std::vector<Binding> transfer_bindings() { return {}; }

}  // namespace brevane
