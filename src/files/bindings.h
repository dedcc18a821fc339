// The files subsystem: path and name helpers, file and folder operations, text
// files, archives (which report through html's message scripts). May use html,
// text, check.
#pragma once

#include <vector>

#include "core/object.h"

namespace brevane {

// The façade members this layer implements (bindings.cpp); the component
// layer gathers them into BrevaneCls's table.
std::vector<Binding> files_bindings();

}  // namespace brevane
