#include "files/backup.h"

#include "core/vbrt.h"
#include "files/fileops.h"
#include "files/paths.h"
#include "frame/host.h"

namespace brevane {

namespace {

// Physical as given when it holds a drive, else through the page's MapPath.
Text physical(const ServerRef& server, const Text& path) {
  return path.find(u':') != Text::npos ? path : server.map_path(path);
}

Text single_backslashes(TextView path) { return vb::Replace(path, u"\\\\", u"\\"); }

}  // namespace

Text CommFileBackup(Variant&, Variant&, Variant& Server, Text p_TableList, uint8_t p_IsAutoBackup, Text p_BackupName,
                    Text p_BackUpPath) {
  if (p_IsAutoBackup == 0) return u"";
  ServerRef server(Server);
  if (p_BackUpPath.empty()) p_BackUpPath = u"/AutoBackup";
  Text folder =
      physical(server, single_backslashes(vb::Trim(p_BackUpPath) + u"\\" + p_BackupName + CommFileGetTimeName()));
  if (!CommFolderCreate(folder)) return u"";
  if (p_TableList.empty()) p_TableList = u"vote.asp";
  for (const Text& name : vb::Split(p_TableList, u"|")) {
    // A name stays a name: nothing read from or written to outside the two folders.
    if (name.find(u':') != Text::npos || name.find(u"..") != Text::npos) return u"";
    Text source = physical(server, single_backslashes(u"/data\\" + name));
    if (CommFileCopyMove(source, folder + u"\\" + name, u"copy", u"overwrite") != kFileOpDone) return u"";
  }
  return folder;
}

}  // namespace brevane
