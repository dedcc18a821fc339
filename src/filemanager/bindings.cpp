// The façade members this subsystem implements.
#include "filemanager/bindings.h"

#include "core/declared.h"
#include "filemanager/access.h"
#include "filemanager/listing.h"
#include "filemanager/operations.h"

namespace brevane {

std::vector<Binding> filemanager_bindings() {
  return {
      // Access
      BREVANE_BIND(CommCheckUserNormal),
      BREVANE_BIND(CommCheckUserManager),
      // Listing and menus
      BREVANE_BIND(CommShowMenu),
      BREVANE_BIND(CommShowMenuRight),
      BREVANE_BIND(CommShowMenuShort),
      BREVANE_BIND(CommShowUrl),
      BREVANE_BIND(CommShowFileList),
      BREVANE_BIND(CommShowBottom),
      BREVANE_BIND(CommHelp),
      // Operations
      BREVANE_BIND(CommSave),
      BREVANE_BIND(CommReName),
      BREVANE_BIND(CommCreateOrDel),
      BREVANE_BIND(CommDelBatch),
      BREVANE_BIND(CommCopyCut),
      BREVANE_BIND(CommFileEdit),
  };
}

}  // namespace brevane
