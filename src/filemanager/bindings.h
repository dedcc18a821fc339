// The web file manager. May use every subsystem (everything below component).
#pragma once

#include <vector>

#include "core/object.h"

namespace brevane {

// The façade members this layer implements (bindings.cpp); the component
// layer gathers them into BrevaneCls's table.
std::vector<Binding> filemanager_bindings();

}  // namespace brevane
