// The check subsystem: value validators, identity cards, request guards and
// classifiers. Uses nothing beside frame.
#pragma once

#include <vector>

#include "core/object.h"

namespace brevane {

// The façade members this layer implements (bindings.cpp); the component
// layer gathers them into BrevaneCls's table.
std::vector<Binding> check_bindings();

}  // namespace brevane
