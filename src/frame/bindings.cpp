// The façade members this subsystem implements.
#include "frame/bindings.h"

#include "core/declared.h"
#include "frame/data.h"
#include "frame/errorpage.h"

namespace brevane {

std::vector<Binding> frame_bindings() {
  return {
      // Data access and the shared error page
      BREVANE_BIND(CommGetDataFullName), BREVANE_BIND(CommGetConnString), BREVANE_BIND(CommCloseData),
      BREVANE_BIND(CommDataInit),        BREVANE_BIND(CommSetConn),       BREVANE_BIND(CommShowErrorPage),
  };
}

}  // namespace brevane
