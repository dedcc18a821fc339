// The html subsystem: HTML and script fragments for admin pages. May use text
// and check, never files.
#pragma once

#include <vector>

#include "core/object.h"

namespace brevane {

// The façade members this layer implements (bindings.cpp); the component
// layer gathers them into BrevaneCls's table.
std::vector<Binding> html_bindings();

}  // namespace brevane
