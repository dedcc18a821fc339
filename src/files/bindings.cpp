// The façade members this subsystem implements.
#include "files/bindings.h"

#include "core/declared.h"
#include "files/archive.h"
#include "files/backup.h"
#include "files/fileops.h"
#include "files/paths.h"

namespace brevane {

std::vector<Binding> files_bindings() {
  return {
      // Path and name helpers.
      BREVANE_BIND(CommFileGetPath),
      BREVANE_BIND(CommFileGetFullName),
      BREVANE_BIND(CommFileGetName),
      BREVANE_BIND(CommFileGetExt),
      BREVANE_BIND(CommFileGetIcon),
      BREVANE_BIND(CommFileGetSize),
      BREVANE_BIND(CommFileGetTimeName),
      BREVANE_BIND(CommFileGetRndName),
      // File and folder operations.
      BREVANE_BIND(CommFolderExist),
      BREVANE_BIND(CommFolderCreate),
      BREVANE_BIND(CommFolderDelete),
      BREVANE_BIND(CommFolderRename),
      BREVANE_BIND(CommFolderCopyMove),
      BREVANE_BIND(CommFileExist),
      BREVANE_BIND(CommFileRename),
      BREVANE_BIND(CommFileDelete),
      BREVANE_BIND(CommFileDeleteImage),
      BREVANE_BIND(CommFileCopyMove),
      BREVANE_BIND(CommFileCreateEmptyTxt),
      BREVANE_BIND(CommSearchPathFile),
      BREVANE_BIND(CommSaveToTextFile),
      BREVANE_BIND(CommReadFromTextFile),
      BREVANE_BIND(CommOpenUrl),
      // Backup and archives.
      BREVANE_BIND(CommFileBackup),
      BREVANE_BIND(CommUnZipWithRar),
      BREVANE_BIND(CommUnZipWithXceedZip),
  };
}

}  // namespace brevane
