// The façade members this subsystem implements.
#include "frame/facade.h"
#include "html/swapimage.h"

namespace brevane {

std::vector<Binding> html_bindings() {
  return {
      // Image-swap script
      bind<&CommScriptSwapImage>(u"CommScriptSwapImage"),
  };
}

}  // namespace brevane
