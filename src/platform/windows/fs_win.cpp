// The file-system layer on Windows: paths are the system's own, the shell
// carries out copy, move, rename and delete, and files are read and written
// with the wide-character file calls.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <algorithm>

#include "core/vbdate.h"
#include "platform/fs.h"
#include "platform/fs_fault.h"

namespace brevane::fs {

namespace {

bool is_sep(char16_t c) { return c == u'\\' || c == u'/'; }

std::wstring wide(TextView p) {
  std::wstring w(p.begin(), p.end());
  std::replace(w.begin(), w.end(), L'/', L'\\');
  return w;
}

Text text_of(const wchar_t* w) {
  Text t;
  for (; *w; ++w) t.push_back(static_cast<char16_t>(*w));
  return t;
}

// The fault hook sees the path as the other platforms show it: UTF-8.
bool faulted(const char* call, TextView path) {
  if (int e = injected_fault(call, to_utf8(path))) {
    SetLastError(static_cast<DWORD>(e));
    return true;
  }
  return false;
}

double ole_date_of(const FILETIME& ft) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st)) return 0;
  return ole_date_from_parts({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond});
}

Entry entry_of(Text name, DWORD attributes, DWORD size_high, DWORD size_low, const FILETIME& modified) {
  Entry e;
  e.name = std::move(name);
  e.attributes = attributes ? attributes : static_cast<DWORD>(kNormal);
  e.size = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : (uint64_t{size_high} << 32 | size_low);
  e.modified = ole_date_of(modified);
  return e;
}

Text last_part(TextView p) {
  while (!p.empty() && is_sep(p.back())) p.remove_suffix(1);
  size_t cut = p.size();
  while (cut > 0 && !is_sep(p[cut - 1]) && p[cut - 1] != u':') --cut;
  return Text(p.substr(cut));
}

bool is_drive_root(TextView p) {
  while (!p.empty() && is_sep(p.back())) p.remove_suffix(1);
  return p.size() <= 2;  // "", "C:"
}

// The shell's list form: every path followed by a NUL, the whole by another.
std::wstring shell_list(const std::vector<Text>& paths) {
  std::wstring out;
  for (const Text& p : paths) {
    out += wide(p);
    out.push_back(L'\0');
  }
  out.push_back(L'\0');
  return out;
}

}  // namespace

void set_drive(char16_t, std::string) {}  // drive letters are the system's own here
void reset_drives() {}

std::optional<std::string> native_path(TextView path) {
  if (path.find(u'\0') != TextView::npos) return std::nullopt;
  Text p(path);
  std::replace(p.begin(), p.end(), u'/', u'\\');
  return to_utf8(p);
}

std::optional<Text> windows_path(std::string_view native) { return from_utf8(native); }

std::optional<Entry> stat(TextView path) {
  if (path.find(u'\0') != TextView::npos || faulted("stat", path)) return std::nullopt;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return entry_of(last_part(path), data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
}

bool list(TextView folder, std::vector<Entry>& out) {
  if (folder.find(u'\0') != TextView::npos || faulted("opendir", folder)) return false;
  std::wstring pattern = wide(folder);
  if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
  pattern += L"*.*";
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty root
  do {
    Text name = text_of(fd.cFileName);
    if (name == u"." || name == u"..") continue;
    out.push_back(
        entry_of(std::move(name), fd.dwFileAttributes, fd.nFileSizeHigh, fd.nFileSizeLow, fd.ftLastWriteTime));
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return true;
}

namespace {

uint64_t tree_size_of(const std::wstring& folder, int depth) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  uint64_t total = 0;
  do {
    const wchar_t* n = fd.cFileName;
    if (n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0))) continue;
    // Junctions and links are not followed: they could lead out, or back up.
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (depth < 256) total += tree_size_of(folder + L"\\" + n, depth + 1);
    } else {
      total += (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return total;
}

}  // namespace

uint64_t tree_size(TextView folder) {
  if (folder.find(u'\0') != TextView::npos) return 0;
  std::wstring w = wide(folder);
  while (!w.empty() && w.back() == L'\\') w.pop_back();
  DWORD a = GetFileAttributesW(w.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_REPARSE_POINT)) return 0;
  return tree_size_of(w, 0);
}

bool create_folders(TextView path) {
  std::wstring w = wide(path);
  while (w.size() > 3 && w.back() == L'\\') w.pop_back();
  // Every level after the drive (or the share of a network path).
  size_t start = 0;
  if (w.rfind(L"\\\\", 0) == 0) {
    size_t server = w.find(L'\\', 2);
    start = server == std::wstring::npos ? w.size() : w.find(L'\\', server + 1);
    if (start == std::wstring::npos) start = w.size();
  } else if (w.size() >= 2 && w[1] == L':') {
    start = 2;
  }
  for (size_t i = start; i <= w.size(); ++i) {
    if (i != w.size() && w[i] != L'\\') continue;
    if (i == 0 || w[i - 1] == L':' || w[i - 1] == L'\\') continue;
    std::wstring level = w.substr(0, i);
    if (faulted("mkdir", Text(level.begin(), level.end()))) return false;
    if (!CreateDirectoryW(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  DWORD a = GetFileAttributesW(w.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool write_file(TextView path, std::string_view bytes, WriteMode mode) {
  if (path.find(u'\0') != TextView::npos || faulted("open", path)) return false;
  std::wstring target = wide(path);
  std::wstring written = target;
  if (mode == WriteMode::Replace)
    written += L".brv~" + std::to_wstring(GetCurrentThreadId()) + L"~" + std::to_wstring(GetTickCount64());
  DWORD disposition = mode == WriteMode::Truncate ? CREATE_ALWAYS
                      : mode == WriteMode::Append ? OPEN_ALWAYS
                                                  : CREATE_NEW;
  HANDLE h = CreateFileW(written.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  if (mode == WriteMode::Append) SetFilePointer(h, 0, nullptr, FILE_END);
  bool ok = true;
  for (size_t done = 0; ok && done < bytes.size();) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD n = 0;
    if (faulted("write", path) || !WriteFile(h, bytes.data() + done, chunk, &n, nullptr) || n == 0) ok = false;
    done += n;
  }
  if (!CloseHandle(h)) ok = false;
  if (mode == WriteMode::Replace) {
    if (ok && (faulted("rename", path) ||
               !MoveFileExW(written.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)))
      ok = false;
    if (!ok) DeleteFileW(written.c_str());
  }
  return ok;
}

bool read_file(TextView path, std::string& out) {
  if (path.find(u'\0') != TextView::npos || faulted("open", path)) return false;
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(h, &size) != 0;
  std::string data;
  if (ok) data.resize(static_cast<size_t>(size.QuadPart));
  for (size_t done = 0; ok && done < data.size();) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
    DWORD n = 0;
    if (faulted("read", path) || !ReadFile(h, data.data() + done, chunk, &n, nullptr) || n == 0) ok = false;
    done += n;
  }
  CloseHandle(h);
  if (ok) out = std::move(data);
  return ok;
}

bool shell_operation(ShellOp op, const std::vector<Text>& from, const std::vector<Text>& to) {
  if (from.empty()) return false;
  for (const Text& p : from) {
    if (p.empty() || p.find(u'\0') != Text::npos) return false;
    if (op != ShellOp::Copy && is_drive_root(p)) return false;
    if (faulted("shell", p)) return false;
  }
  std::wstring sources = shell_list(from);
  std::wstring targets = op == ShellOp::Delete ? std::wstring(2, L'\0') : shell_list(to);
  SHFILEOPSTRUCTW request{};
  request.hwnd = nullptr;
  request.wFunc = static_cast<UINT>(op);  // FO_MOVE 1, FO_COPY 2, FO_DELETE 3, FO_RENAME 4
  request.pFrom = sources.c_str();
  request.pTo = op == ShellOp::Delete ? nullptr : targets.c_str();
  // Silent, no questions, no error boxes, one destination per source; no
  // undo flag, so deletion is permanent.
  request.fFlags = FOF_MULTIDESTFILES | FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
  return SHFileOperationW(&request) == 0 && !request.fAnyOperationsAborted;
}

struct FileReader::Impl {
  HANDLE h = INVALID_HANDLE_VALUE;
  Text path;
  uint64_t size = 0;
  void close() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    h = INVALID_HANDLE_VALUE;
  }
  ~Impl() { close(); }
};

FileReader::FileReader() : impl_(std::make_unique<Impl>()) {}
FileReader::~FileReader() = default;

bool FileReader::open(TextView path) {
  impl_->close();
  if (path.find(u'\0') != TextView::npos || faulted("open", path)) return false;
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h, &size)) {
    CloseHandle(h);
    return false;
  }
  impl_->h = h;
  impl_->path = Text(path);
  impl_->size = static_cast<uint64_t>(size.QuadPart);
  return true;
}

uint64_t FileReader::size() const { return impl_->size; }

int64_t FileReader::read(void* buf, size_t n) {
  if (impl_->h == INVALID_HANDLE_VALUE || faulted("read", impl_->path)) return -1;
  DWORD got = 0;
  DWORD want = static_cast<DWORD>(std::min<size_t>(n, 1u << 30));
  if (!ReadFile(impl_->h, buf, want, &got, nullptr)) return -1;
  return got;
}

std::optional<Text> resolved_name(TextView path) {
  if (path.find(u'\0') != TextView::npos || faulted("realpath", path)) return std::nullopt;
  // A folder opens only with backup semantics; reading the final name needs no access to the data.
  HANDLE h = CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  wchar_t buf[MAX_PATH * 4];
  DWORD n = GetFinalPathNameByHandleW(h, buf, static_cast<DWORD>(std::size(buf)), FILE_NAME_NORMALIZED);
  CloseHandle(h);
  if (n == 0 || n >= std::size(buf)) return std::nullopt;
  return last_part(text_of(buf));
}

}  // namespace brevane::fs
