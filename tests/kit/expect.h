// Small helpers shared by the unit tests.
#pragma once

#include "core/script_error.h"

namespace brevane::kit {

// The run-time error number a call raises, or 0 when it raises none.
template <class F>
int error_of(F&& f) {
  try {
    f();
  } catch (const ScriptError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace brevane::kit
