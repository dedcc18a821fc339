// Platform services that component code creates by name, as a page would.
#pragma once

#include "core/registry.h"

namespace brevane {

void register_platform_classes(ClassRegistry& r);

}  // namespace brevane
