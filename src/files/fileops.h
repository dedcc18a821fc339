// File and folder operations of BrevaneCls: existence tests, create, delete,
// rename, copy and move with result codes, whole text files in the ANSI code
// page, image clean-up after HTML, folder listing and the URL probe. The
// upload saver, the download pages and the file manager call these directly.
// Paths are physical Windows-form paths (see platform/fs.h).
#pragma once

#include <cstdint>

#include "core/text.h"
#include "core/variant.h"

namespace brevane {

// Result codes of the rename and copy/move methods.
enum FileOpResult : int16_t {
  kFileOpDone = 0,
  kFileOpFailed = 1,
  kFileOpSourceMissing = 2,
  kFileOpDestinationExists = 3,
};

// The directory-match existence test with an attribute mask (0 from every
// public method: plain files only).
bool file_exist(TextView path, uint32_t attribute_mask = 0);
// The shell operation behind delete, rename, copy and move: lists of paths
// separated by "|", operation 1 move, 2 copy, 3 delete, 4 rename.
bool ShellFileOperation(TextView source_list, TextView destination_list, int operation);

bool CommFolderExist(Text p_FolderName);
bool CommFolderCreate(Text p_FolderName);
bool CommFolderDelete(Text p_FolderName);
int16_t CommFolderRename(Text p_FolderNameOld, Text p_FolderNameNew);
int16_t CommFolderCopyMove(Text p_FolderNameSource, Text p_FolderNameDestination, Text p_CopyMoveModen,
                           Text p_OverWriteModen);
bool CommFileExist(Text p_FileName);
int16_t CommFileRename(Text p_FileNameOld, Text p_FileNameNew);
bool CommFileDelete(Text p_FileName);
bool CommFileDeleteImage(Variant& Server, Text p_String);
int16_t CommFileCopyMove(Text p_FileNameSource, Text p_FileNameDestination, Text p_CopyMoveModen,
                         Text p_OverWriteModen);
bool CommFileCreateEmptyTxt(Text p_FileFullName, Text p_OverWriteModen);
Text CommSearchPathFile(Text p_SearchPath, int16_t p_SearchType);
// p_SaveModen 2 replaces the file, anything else appends.
bool CommSaveToTextFile(Text p_FileFullName, Text p_String, uint8_t p_SaveModen);
Text CommReadFromTextFile(Text p_FileFullName);
bool CommOpenUrl(Text p_Url);

// How long CommOpenUrl waits for a server to answer.
constexpr int kOpenUrlTimeoutMs = 10000;

}  // namespace brevane
