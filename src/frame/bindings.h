// The frame layer: what every façade member stands on. The page context (the
// host objects a page hands over), data access (connection strings,
// CommDataInit), the shared error page and the image-swap script it writes.
#pragma once

#include <vector>

#include "core/object.h"

namespace brevane {

// The façade members this layer implements (bindings.cpp); the component
// layer gathers them into BrevaneCls's table.
std::vector<Binding> frame_bindings();

}  // namespace brevane
