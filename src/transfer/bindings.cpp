// The façade members this subsystem implements.
#include "transfer/bindings.h"

#include "core/declared.h"
#include "transfer/download.h"

namespace brevane {

std::vector<Binding> transfer_bindings() {
  return {
      // Download and view
      BREVANE_BIND(CommFileDownload),
      BREVANE_BIND(CommFileView),
  };
}

}  // namespace brevane
