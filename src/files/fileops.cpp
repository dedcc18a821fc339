#include "files/fileops.h"

#include "core/codepage.h"
#include "core/script_error.h"
#include "core/vbrt.h"
#include "frame/host.h"
#include "platform/fs.h"
#include "platform/http.h"

namespace brevane {

namespace {

bool is_sep(char16_t c) { return c == u'\\' || c == u'/'; }

bool mode_is(TextView word, TextView expected) { return vb::LCase(word) == expected; }

std::vector<Text> split_list(TextView list) { return vb::Split(list, u"|"); }

}  // namespace

bool file_exist(TextView path, uint32_t attribute_mask) {
  if (path.empty()) return false;
  return fs::match_exists(path, attribute_mask);
}

bool ShellFileOperation(TextView source_list, TextView destination_list, int operation) {
  if (operation < 1 || operation > 4) return false;
  auto op = static_cast<fs::ShellOp>(operation);
  std::vector<Text> to;
  if (op != fs::ShellOp::Delete) to = split_list(destination_list);
  return fs::shell_operation(op, split_list(source_list), to);
}

// ---- existence, creation, deletion ----

bool CommFolderExist(Text p_FolderName) { return file_exist(p_FolderName, fs::kDirectory); }

bool CommFileExist(Text p_FileName) { return file_exist(p_FileName, 0); }

bool CommFolderCreate(Text p_FolderName) {
  Text path = vb::Trim(p_FolderName);
  if (path.empty() || !is_sep(path.back())) path += u'\\';
  return fs::create_folders(path);
}

bool CommFolderDelete(Text p_FolderName) {
  if (!CommFolderExist(p_FolderName)) return true;
  return ShellFileOperation(p_FolderName, u"", 3);
}

bool CommFileDelete(Text p_FileName) {
  if (!CommFileExist(p_FileName)) return true;
  return ShellFileOperation(p_FileName, u"", 3);
}

// ---- rename, copy, move ----

namespace {

using ExistTest = bool (*)(Text);

int16_t rename_with(ExistTest exists, const Text& from, const Text& to) {
  if (!exists(from)) return kFileOpSourceMissing;
  if (exists(to)) return kFileOpDestinationExists;
  return ShellFileOperation(from, to, 4) ? kFileOpDone : kFileOpFailed;
}

int16_t copy_move_with(ExistTest exists, const Text& from, const Text& to, TextView copy_move, TextView overwrite) {
  if (!exists(from)) return kFileOpSourceMissing;
  if (!mode_is(overwrite, u"overwrite") && exists(to)) return kFileOpDestinationExists;
  int op = mode_is(copy_move, u"copy") ? 2 : 1;
  return ShellFileOperation(from, to, op) ? kFileOpDone : kFileOpFailed;
}

}  // namespace

int16_t CommFolderRename(Text p_FolderNameOld, Text p_FolderNameNew) {
  return rename_with(CommFolderExist, p_FolderNameOld, p_FolderNameNew);
}

int16_t CommFileRename(Text p_FileNameOld, Text p_FileNameNew) {
  return rename_with(CommFileExist, p_FileNameOld, p_FileNameNew);
}

int16_t CommFolderCopyMove(Text p_FolderNameSource, Text p_FolderNameDestination, Text p_CopyMoveModen,
                           Text p_OverWriteModen) {
  return copy_move_with(CommFolderExist, p_FolderNameSource, p_FolderNameDestination, p_CopyMoveModen,
                        p_OverWriteModen);
}

int16_t CommFileCopyMove(Text p_FileNameSource, Text p_FileNameDestination, Text p_CopyMoveModen,
                         Text p_OverWriteModen) {
  return copy_move_with(CommFileExist, p_FileNameSource, p_FileNameDestination, p_CopyMoveModen, p_OverWriteModen);
}

// ---- text files ----

bool CommFileCreateEmptyTxt(Text p_FileFullName, Text p_OverWriteModen) {
  if (!mode_is(vb::Trim(p_OverWriteModen), u"overwrite") && CommFileExist(p_FileFullName)) return false;
  return CommSaveToTextFile(p_FileFullName, Text(), 2);
}

bool CommSaveToTextFile(Text p_FileFullName, Text p_String, uint8_t p_SaveModen) {
  Text path = vb::Trim(p_FileFullName);
  size_t cut = path.size();
  while (cut > 0 && !is_sep(path[cut - 1])) --cut;
  Text folder = path.substr(0, cut);
  if (!folder.empty() && !CommFolderExist(folder)) CommFolderCreate(folder);
  if (path.empty()) return false;
  // Bytes in the ANSI code page exactly: no byte-order mark, no line-end
  // conversion. A short write is reported, not hidden behind success.
  std::string bytes = CodePage::ansi().encode(p_String);
  return fs::write_file(path, bytes, p_SaveModen == 2 ? fs::WriteMode::Truncate : fs::WriteMode::Append);
}

Text CommReadFromTextFile(Text p_FileFullName) {
  if (!CommFileExist(p_FileFullName)) return Text();
  std::string bytes;
  if (!fs::read_file(p_FileFullName, bytes)) return Text();
  return CodePage::ansi().decode(bytes);
}

// ---- images named in HTML ----

bool CommFileDeleteImage(Variant& Server, Text p_String) {
  bool ok = true;
  std::vector<Text> pieces = vb::Split(p_String, u"<img src='");
  for (size_t i = 1; i < pieces.size(); ++i) {
    try {
      size_t end = pieces[i].find(u"'>");
      if (end == Text::npos) {
        ok = false;  // an unterminated tag: the runtime would fail on it too
        continue;
      }
      Text path = pieces[i].substr(0, end);
      if (path.find(u':') == Text::npos) path = ServerRef(Server).map_path(path);
      // A file that stays behind is a failure the caller should hear about.
      if (!CommFileDelete(path)) ok = false;
    } catch (const ScriptError&) {
      ok = false;
    }
  }
  return ok;
}

// ---- listing ----

Text CommSearchPathFile(Text p_SearchPath, int16_t p_SearchType) {
  std::vector<fs::Entry> entries;
  // An empty path lists the drive's root, as "\*.*" does.
  if (!fs::list(p_SearchPath + u"\\", entries)) return Text();
  Text out;
  for (const fs::Entry& e : entries) {
    // Folders for type 1, everything that is not a folder otherwise.
    if (e.is_folder() != (p_SearchType == 1)) continue;
    out += u'|';
    out += e.name;
  }
  out = vb::Trim(out);
  if (!out.empty() && out[0] == u'|') out.erase(0, 1);
  return out;
}

// ---- URL probe ----

bool CommOpenUrl(Text p_Url) { return http::url_answers(p_Url, kOpenUrlTimeoutMs); }

}  // namespace brevane
