// The changing side of the file manager: the page script behind every
// button, paste from the session clipboard, rename, create and delete,
// batch delete, copy and cut into the clipboard, and the text editor.
#pragma once

#include <cstdint>

#include "core/text.h"
#include "core/variant.h"

namespace brevane {

Text CommSave(Variant& Server, Variant& Application, Variant& Session, Variant& Response, Variant& Request,
              int16_t p_FileListStyle, Text p_CurrentFolder, Text p_Act);
void CommReName(Variant& Server, Variant& Response, Variant& Request, int16_t p_FileListStyle, Text p_CurrentFolder,
                Text p_Act);
void CommCreateOrDel(Variant& Server, Variant& Response, Variant& Request, int16_t p_FileListStyle,
                     Text p_CurrentFolder, Text p_CurrentFile, Text p_Act);
void CommDelBatch(Variant& Server, Variant& Response, Variant& Request, int16_t p_FileListStyle, Text p_CurrentFolder,
                  Text p_Act);
void CommCopyCut(Variant& Server, Variant& Session, Variant& Response, Variant& Request, int16_t p_FileListStyle,
                 Text p_CurrentFolder, Text p_Act);
Text CommFileEdit(Variant& Server, Variant& Response, Variant& Request, Text p_CurrentFile, Text p_Act);

// The session key of the token the page script adds to every changing
// request ("fm_token"); the site's pages compare it. Empty: no token.
inline constexpr char16_t kFmTokenKey[] = u"zelto_brevane_token";

}  // namespace brevane
