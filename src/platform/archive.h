// Archives as the component packs and unpacks them. ZIP is written and read
// in-process on libarchive; RAR, 7-Zip, TAR and others are read.
//
// Unpacking never writes into the target directly: everything goes into a
// staging folder beside the target, each entry is checked before a byte of
// it is written (names that climb out, absolute and drive paths, device
// names, links that lead outside, the size, count and ratio limits below),
// and only a complete, accepted result is moved in. A refused or broken
// archive leaves the target exactly as it was.
//
// Paths here are native (UTF-8 on Linux); names inside archives are UTF-8
// with "/" between parts.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevane::archive {

// What one archive may unpack to. An archive that passes any of them is
// refused as a whole.
inline constexpr uint64_t kMaxUnpackedBytes = uint64_t{4} << 30;  // 4 GiB
inline constexpr uint64_t kMaxEntries = 100000;
// Unpacked bytes per archive byte; small archives may pass it up to
// kRatioFloorBytes (a few kilobytes of text compress well beyond it).
inline constexpr uint64_t kMaxRatio = 1000;
inline constexpr uint64_t kRatioFloorBytes = uint64_t{1} << 20;

enum class Status {
  Ok,
  Unavailable,    // this build cannot do it (AES on Windows, folder streaming in the DLL)
  CannotOpen,     // the archive or a source file cannot be read
  CannotWrite,    // the archive or the staging folder cannot be written
  Refused,        // an entry or a limit broke the rules above
  WrongPassword,  // encrypted and the password is missing or wrong
  Broken,         // not an archive, or damaged
};
const char* to_string(Status s);

// ---- names ----

// The entry's name as a relative path of plain parts joined by "/", or
// nullopt when it must not be unpacked: empty, absolute ("/x", "\x",
// "\\server\x"), a drive ("C:x"), a ".." part, a NUL or control character,
// a part that Windows reserves (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or
// without extension) or a part ending in a space or full stop (Windows
// drops them, so two names could meet). "\" counts as a separator.
std::optional<std::string> safe_entry_name(std::string_view utf8_name);
// Where a symbolic link stored at `entry_name` (already safe) leads, as a
// safe name relative to the unpack folder; nullopt when it leads outside
// or is absolute.
std::optional<std::string> safe_link_target(std::string_view entry_name, std::string_view target);

// ---- packing ----

struct ZipEntry {
  std::string name;    // inside the archive; a folder ends in "/"
  std::string source;  // native path of the file; empty for a folder
};
enum class Encryption { None, Traditional, Aes256 };
// Writes a new ZIP archive at `zip_path` (replacing the file only when
// complete) with the entries in order, deflated at `level` (0-9). Non-ASCII
// names are stored in UTF-8 with the language-encoding flag.
Status write_zip(const std::string& zip_path, const std::vector<ZipEntry>& entries, std::string_view password,
                 Encryption encryption = Encryption::Traditional, int level = 9);

// ---- packing a folder as it is sent ----

// Takes the archive's bytes in order as they are made; false stops packing
// (the client went away).
using ByteSink = std::function<bool(const char* data, size_t size)>;
struct FolderZipCounts {
  uint64_t files = 0, folders = 0, bytes = 0;  // packed; bytes before compression
  uint64_t left_out = 0;                       // links, devices, unreadable or non-UTF-8 names
};
// Packs the folder at the native path `root` and everything below it into a
// ZIP handed to `sink` piece by piece while it is made: no file is written
// and only a block of the archive is held at a time. Entries are named
// `top` + "/" + the path below `root` (UTF-8, language-encoding flag set).
// Only real folders and regular files go in; links are never followed (not
// even one put in while packing runs), so nothing outside `root` gets in.
// Files whose type is compressed already are stored, the rest deflated.
// A file that changes size while it is read keeps the size it had when its
// entry began (cut or padded with zeros), so the archive stays whole.
Status stream_folder_zip(const std::string& root, std::string_view top, const ByteSink& sink,
                         FolderZipCounts* counts = nullptr);

// ---- unpacking ----

// Selects entries by name (after the safety check); empty: all of them.
using EntryFilter = std::function<bool(std::string_view name)>;
// The limits one extraction applies; the defaults are the constants above.
struct Limits {
  uint64_t max_unpacked_bytes = kMaxUnpackedBytes;
  uint64_t max_entries = kMaxEntries;
  uint64_t max_ratio = kMaxRatio;
  uint64_t ratio_floor_bytes = kRatioFloorBytes;
};
// Unpacks `archive_path` into `staging` (an existing, empty folder). Names
// without the UTF-8 flag are read in the ANSI code page (CP936).
Status extract(const std::string& archive_path, const std::string& staging, std::string_view password,
               const EntryFilter& wanted = {}, const Limits& limits = {});

// A fresh, empty staging folder beside `target` (its parent), or inside
// it as a hidden folder when the parent cannot be written; nullopt when
// neither works.
std::optional<std::string> make_staging(const std::string& target);
// Removes a staging folder and everything below it; links are removed,
// never followed.
void remove_staging(const std::string& staging);
// True when no link under `root` leads outside it (for trees another
// program unpacked).
bool links_stay_inside(const std::string& root);
// Moves every entry of `staging` into `target` (created when missing):
// folders merge, files replace files. Checks the whole tree first, so a
// conflict (a file where a folder is, or the reverse, or a link in the
// target's way) moves nothing and returns false.
bool merge_into(const std::string& staging, const std::string& target);

}  // namespace brevane::archive
