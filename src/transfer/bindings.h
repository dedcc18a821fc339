// The transfer subsystem: downloads and remote fetches. May use files, html,
// upload, text, check.
#pragma once

#include <vector>

#include "core/object.h"

namespace brevane {

// The façade members this layer implements (bindings.cpp); the component
// layer gathers them into BrevaneCls's table.
std::vector<Binding> transfer_bindings();

}  // namespace brevane
