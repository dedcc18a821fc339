// Packing and unpacking archives for pages and the file manager. ZIP is
// handled in-process (platform/archive.h); RAR goes to an installed RAR
// archiver started as a program with an argument vector, never through a
// command interpreter and never from inside the site. Both page methods
// answer with the opener-refresh script: "操作成功" or "操作失败".
#pragma once

#include <optional>
#include <string>

#include "core/text.h"
#include "core/variant.h"

namespace brevane {

// The component's private ZIP class: one instance per archive call.
class ZeltoClassZip {
 public:
  // Packs the files of `p_FilesToProcessList` ("|"-separated names or masks
  // such as "*.*", relative to p_BasePath, sub-folders included, paths kept)
  // into a new ZIP `p_ZipFilename`, deflated at the highest level; an
  // existing archive of that name is deleted first. Encrypted (traditional
  // ZIP encryption) when the trimmed password is not empty.
  bool CompressFile(Text p_BasePath, Text p_FilesToProcessList, Text p_ZipFilename, Text p_EncryptionPassword = u"");
  // Unpacks `p_ZipFilename` into `p_UnzipToFolder` keeping stored paths;
  // p_DelOldFile empties the folder first. A non-empty list ("|"-separated
  // names or masks) selects entries.
  bool UnCompressFile(Text p_ZipFilename, Text p_UnzipToFolder, bool p_DelOldFile, Text p_UnzipFileList = u"",
                      Text p_EncryptionPassword = u"");
};

Text CommUnZipWithRar(Variant& Server, Text p_Path, Text p_File, Text p_Act);
Text CommUnZipWithXceedZip(Variant& Server, Text p_Path, Text p_File, Text p_Act);

// The RAR archiver to run: the native path in BREVANE_RAR when set, else
// "rar" on the PATH; nullopt when there is none or it lies inside
// `site_root` (a native folder), where an uploaded file could stand.
std::optional<std::string> rar_program(const std::string& site_root);

}  // namespace brevane
