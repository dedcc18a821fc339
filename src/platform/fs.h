// The platform layer (on core): services taken from the operating system, with
// their posix/ and windows/ halves: files, regular expressions, record sets, HTTP.
// The file system as component code sees it. Every path here is a physical
// path in Windows form ("C:\site\up\a.txt"; "\" and "/" both accepted), and
// every call the component makes on files or folders goes through this
// module, so the drive mapping lives in one place and tests can point a drive
// at a temporary folder or make any single system call fail.
//
// On Linux a drive letter maps to a directory: C: is "/" unless configured;
// BREVANE_DRIVE_D=/srv/d (one variable per drive), BREVANE_DRIVES
// ("D=/srv/d;E=/mnt/e", taking precedence), both read once at first use, or
// set_drive add or move drives. ".." never climbs above a drive's root. A name that
// begins with "." is hidden. On Windows paths are used as they are.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"

namespace brevane::fs {

// File attributes with the values the Windows file system reports.
enum Attribute : uint32_t {
  kReadOnly = 0x1,
  kHidden = 0x2,
  kSystem = 0x4,
  kDirectory = 0x10,
  kArchive = 0x20,
  kNormal = 0x80,
};

struct Entry {
  Text name;                // the entry's own name, no folder
  uint32_t attributes = 0;  // never 0: a plain file has at least kArchive or kNormal
  uint64_t size = 0;        // bytes; 0 for folders
  double modified = 0;      // local time as an automation date
  bool is_folder() const { return (attributes & kDirectory) != 0; }
};

// ---- drive mapping ----

// Maps `letter` (either case) to a native directory; an empty root removes
// the drive. Meant for start-up and tests; not synchronised with readers.
void set_drive(char16_t letter, std::string native_root);
// Back to the defaults and the environment's configuration.
void reset_drives();
// The native path for a Windows-form path; nullopt for a drive that is not
// mapped, a NUL character, or a network path. A path without a drive is
// taken relative to the process's working directory, as Windows takes it.
std::optional<std::string> native_path(TextView path);
// The Windows-form path for an absolute native path, by the drive whose root
// holds it (the longest); nullopt when no drive does.
std::optional<Text> windows_path(std::string_view native);

// ---- queries ----

// The entry at `path` (no wildcards), following links; nullopt when missing
// or unreachable.
std::optional<Entry> stat(TextView path);
// The folder's entries without "." and "..", in the order the platform lists
// them (on Linux sorted by name ignoring case, as NTFS returns them). False
// when the folder cannot be read.
bool list(TextView folder, std::vector<Entry>& out);
// Bytes of the plain files at every level below `folder`. Links and junctions
// are not followed (a link could lead out of the tree, or back up into it);
// unreadable parts count 0.
uint64_t tree_size(TextView folder);
// The script runtime's directory match: true when `pattern` (its last part
// may hold "*" and "?") names at least one entry whose attributes the mask
// admits. Folders need kDirectory in the mask, hidden and system entries
// need kHidden / kSystem. A pattern ending in a separator stands for the
// folder itself when the mask admits folders, else for any file in it.
bool match_exists(TextView pattern, uint32_t mask);
// "*" any run, "?" one character, ASCII case ignored; "*.*" matches names
// without a full stop too.
bool wildcard_match(TextView pattern, TextView name);

// ---- changes ----

// Creates the folder and every missing level above it; true when it exists
// as a folder afterwards.
bool create_folders(TextView path);

enum class WriteMode {
  Truncate,  // create or empty the file in place, then write
  Append,    // create if missing, write at the end
  Replace,   // write a new file beside it and swap it in: readers never see half a file
};
// Writes `bytes` as they are. False when the file cannot be opened or any
// byte cannot be written.
bool write_file(TextView path, std::string_view bytes, WriteMode mode);
// The whole file; false when it cannot be read.
bool read_file(TextView path, std::string& out);

// The shell's file operations, carried out in-process, silently, without
// confirmation; deletion is permanent. `from` and `to` pair up one to one
// (a single destination with several sources, or a source whose name has
// wildcards, is a folder the items go into). An existing destination is
// replaced; copying or moving a folder onto an existing folder merges into
// it. Missing destination folders are created. A failure part-way leaves no
// partly copied file or newly created folder behind; the result is false.
enum class ShellOp { Move = 1, Copy = 2, Delete = 3, Rename = 4 };
bool shell_operation(ShellOp op, const std::vector<Text>& from, const std::vector<Text>& to);

// Convenience forms for other subsystems.
inline bool remove(TextView path) { return shell_operation(ShellOp::Delete, {Text(path)}, {}); }
inline bool copy(TextView from, TextView to) { return shell_operation(ShellOp::Copy, {Text(from)}, {Text(to)}); }
inline bool move(TextView from, TextView to) { return shell_operation(ShellOp::Move, {Text(from)}, {Text(to)}); }

// ---- reading in pieces ----

// A file read from its start in pieces, so a file of any size costs one
// buffer of memory.
class FileReader {
 public:
  FileReader();
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  // False when the path is missing, a folder, or cannot be opened for reading.
  bool open(TextView path);
  // The size when opened.
  uint64_t size() const;
  // Up to `n` bytes into `buf`: the count read, 0 at the end, -1 on failure.
  int64_t read(void* buf, size_t n);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The own name of the entry `path` finally reaches once every symbolic link
// on the way is followed; nullopt when it cannot be resolved.
std::optional<Text> resolved_name(TextView path);

// ---- testing ----

// Called before every system call with the call's name ("open", "read",
// "write", "mkdir", "rename", "unlink", "rmdir", "opendir", "stat",
// "readlink", "chmod", "utimens", "realpath", ...) and
// the native path it works on; a non-zero result makes the call fail with
// that error number. Empty hook: no faults.
using FaultHook = std::function<int(std::string_view call, std::string_view native_path)>;
void set_fault_hook_for_testing(FaultHook hook);

}  // namespace brevane::fs
