// The façade members this subsystem implements.
#include "frame/facade.h"
#include "transfer/remote.h"

namespace brevane {

std::vector<Binding> transfer_bindings() {
  return {
      bind<&CommGetRemotefileUrl>(u"CommGetRemotefileUrl"),
      bind<&CommSaveRemoteFile>(u"CommSaveRemoteFile"),
  };
}

}  // namespace brevane
