// The Windows build has no archive library (none is packaged for MinGW):
// ZIP packing and unpacking report that they are unavailable, and the
// archive methods answer with their failure script. RAR still works through
// an installed rar.exe; staging and moving in are shared (archive.cpp).
#include "platform/archive.h"

namespace brevane::archive {

bool available() { return false; }

Status write_zip(const std::string&, const std::vector<ZipEntry>&, std::string_view, Encryption, int) {
  return Status::Unavailable;
}

Status extract(const std::string&, const std::string&, std::string_view, const EntryFilter&, const Limits&) {
  return Status::Unavailable;
}

Status stream_folder_zip(const std::string&, std::string_view, const ByteSink&, FolderZipCounts*) {
  return Status::Unavailable;
}

}  // namespace brevane::archive
