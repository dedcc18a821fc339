// Platform services that component code creates by name, as a page would.
#include "core/registry.h"

namespace brevane {

void register_platform_classes(ClassRegistry&) {}

}  // namespace brevane
