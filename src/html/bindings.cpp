// The façade members this subsystem implements.
#include "html/bindings.h"

#include "core/declared.h"
#include "frame/swapimage.h"

namespace brevane {

std::vector<Binding> html_bindings() {
  return {
      // Image-swap script
      BREVANE_BIND(CommScriptSwapImage),
  };
}

}  // namespace brevane
