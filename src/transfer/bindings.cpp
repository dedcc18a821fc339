// The façade members this subsystem implements.
#include "transfer/bindings.h"

#include "core/declared.h"
#include "transfer/download.h"
#include "transfer/media.h"
#include "transfer/remote.h"

namespace brevane {

std::vector<Binding> transfer_bindings() {
  return {
      // Remote picture copies
      BREVANE_BIND(CommGetRemotefileUrl),
      BREVANE_BIND(CommSaveRemoteFile),
      // Media players
      BREVANE_BIND(CommShowPlayList),
      BREVANE_BIND(CommShowPlayMovie),
      BREVANE_BIND(CommShowPlayMusic),
      BREVANE_BIND(CommShowPlayFlash),
      BREVANE_BIND(CommShowPlayImage),
      // Download and view
      BREVANE_BIND(CommFileDownload),
      BREVANE_BIND(CommFileView),
  };
}

}  // namespace brevane
