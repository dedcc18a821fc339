// The façade members this subsystem implements.
#include "files/archive.h"
#include "files/backup.h"
#include "files/fileops.h"
#include "files/paths.h"
#include "frame/facade.h"

namespace brevane {

std::vector<Binding> files_bindings() {
  return {
      // Path and name helpers.
      bind<&CommFileGetPath>(u"CommFileGetPath"),
      bind<&CommFileGetFullName>(u"CommFileGetFullName"),
      bind<&CommFileGetName>(u"CommFileGetName"),
      bind<&CommFileGetExt>(u"CommFileGetExt"),
      bind<&CommFileGetIcon>(u"CommFileGetIcon"),
      bind<&CommFileGetSize>(u"CommFileGetSize"),
      bind<&CommFileGetTimeName>(u"CommFileGetTimeName"),
      bind<&CommFileGetRndName>(u"CommFileGetRndName"),
      // File and folder operations.
      bind<&CommFolderExist>(u"CommFolderExist"),
      bind<&CommFolderCreate>(u"CommFolderCreate"),
      bind<&CommFolderDelete>(u"CommFolderDelete"),
      bind<&CommFolderRename>(u"CommFolderRename"),
      bind<&CommFolderCopyMove>(u"CommFolderCopyMove"),
      bind<&CommFileExist>(u"CommFileExist"),
      bind<&CommFileRename>(u"CommFileRename"),
      bind<&CommFileDelete>(u"CommFileDelete"),
      bind<&CommFileDeleteImage>(u"CommFileDeleteImage"),
      bind<&CommFileCopyMove>(u"CommFileCopyMove"),
      bind<&CommFileCreateEmptyTxt>(u"CommFileCreateEmptyTxt"),
      bind<&CommSearchPathFile>(u"CommSearchPathFile"),
      bind<&CommSaveToTextFile>(u"CommSaveToTextFile"),
      bind<&CommReadFromTextFile>(u"CommReadFromTextFile"),
      bind<&CommOpenUrl>(u"CommOpenUrl"),
      // Backup and archives.
      bind<&CommFileBackup>(u"CommFileBackup"),
      bind<&CommUnZipWithRar>(u"CommUnZipWithRar"),
      bind<&CommUnZipWithXceedZip>(u"CommUnZipWithXceedZip"),
  };
}

}  // namespace brevane
