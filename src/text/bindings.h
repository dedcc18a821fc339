// The text subsystem: character-set and byte conversions, URL coding, number
// and date formatters, pinyin, text measures. May use check.
#pragma once

#include <vector>

#include "core/object.h"

namespace brevane {

// The façade members this layer implements (bindings.cpp); the component
// layer gathers them into BrevaneCls's table.
std::vector<Binding> text_bindings();

}  // namespace brevane
