// The Windows half of the archive module: the file an archive is written
// to. Packing a folder as it is sent belongs to the native web host, which
// the Windows build does not have.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <filesystem>
#include <vector>

#include "platform/archive.h"
#include "platform/archive_libarchive.h"
#include "platform/utf8_path.h"

namespace brevane::archive {

namespace detail {

namespace {
std::wstring wide(const std::string& utf8) { return utf8_path(utf8).wstring(); }
}  // namespace

int create_beside(const std::string& path, std::string& tmp) {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    tmp = path + "." + std::to_string(GetTickCount64() % 1000000) + "-" + std::to_string(attempt);
    int fd = _wopen(wide(tmp).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool finish_beside(int fd, const std::string& tmp, const std::string& path, bool keep) {
  bool ok = keep && _commit(fd) == 0;
  ok = _close(fd) == 0 && ok;
  ok = ok && MoveFileExW(wide(tmp).c_str(), wide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) _wunlink(wide(tmp).c_str());
  return ok;
}

}  // namespace detail

Status stream_folder_zip(const std::string&, std::string_view, const ByteSink&, FolderZipCounts*) {
  return Status::Unavailable;
}

}  // namespace brevane::archive
