// The file-system layer on Linux: drive letters mapped to directories, and
// the shell's copy, move, rename and delete carried out with plain system
// calls. Every system call goes through a sys_ wrapper that consults the
// fault hook, so tests can fail any single step.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <random>

#include "core/vbdate.h"
#include "platform/fs.h"
#include "platform/fs_fault.h"
#include "platform/posix/unique_fd.h"

namespace brevane::fs {

namespace {

// ---- drives ----

using DriveMap = std::map<char16_t, std::string>;

char16_t drive_key(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }
bool is_letter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool is_sep(char16_t c) { return c == u'\\' || c == u'/'; }

std::string clean_root(std::string root) {
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

DriveMap configured_drives() {
  DriveMap m{{u'C', "/"}};
  // One drive per variable also works: BREVANE_DRIVE_D=/srv/d.
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string var = std::string("BREVANE_DRIVE_") + letter;
    if (const char* root = std::getenv(var.c_str()); root && *root) m[static_cast<char16_t>(letter)] = clean_root(root);
  }
  const char* env = std::getenv("BREVANE_DRIVES");
  if (!env) return m;
  std::string_view spec(env);
  while (!spec.empty()) {
    size_t end = spec.find(';');
    std::string_view item = spec.substr(0, end);
    spec = end == std::string_view::npos ? std::string_view{} : spec.substr(end + 1);
    // "D=/srv/d" or "D:=/srv/d"
    size_t eq = item.find('=');
    if (eq == std::string_view::npos || eq == 0 || !is_letter(static_cast<char16_t>(item[0]))) continue;
    std::string root(item.substr(eq + 1));
    if (root.empty())
      m.erase(drive_key(static_cast<char16_t>(item[0])));
    else
      m[drive_key(static_cast<char16_t>(item[0]))] = clean_root(root);
  }
  return m;
}

DriveMap& drives() {
  static DriveMap m = configured_drives();
  return m;
}

// ---- system calls, each with its fault point ----

#define BV_FAULT(call, path)                       \
  if (int injected = injected_fault(call, path)) { \
    errno = injected;                              \
    return -1;                                     \
  }

UniqueFd sys_open(const std::string& p, int flags, mode_t mode = 0) {
  if (int injected = injected_fault("open", p)) {
    errno = injected;
    return UniqueFd();
  }
  return UniqueFd(::open(p.c_str(), flags | O_CLOEXEC, mode));
}
ssize_t sys_read(int fd, void* buf, size_t n, const std::string& p) {
  BV_FAULT("read", p);
  return ::read(fd, buf, n);
}
ssize_t sys_write(int fd, const void* buf, size_t n, const std::string& p) {
  BV_FAULT("write", p);
  return ::write(fd, buf, n);
}
// The close whose result counts: a file just written may fail here.
int sys_close(UniqueFd& fd, const std::string& p) {
  int raw = fd.release();
  if (int injected = injected_fault("close", p)) {
    ::close(raw);
    errno = injected;
    return -1;
  }
  return ::close(raw);
}
int sys_stat(const std::string& p, struct stat& st) {
  BV_FAULT("stat", p);
  return ::stat(p.c_str(), &st);
}
int sys_fstat(const UniqueFd& fd, struct stat& st, const std::string& p) {
  BV_FAULT("stat", p);
  return ::fstat(fd.get(), &st);
}
ssize_t sys_readlink(const std::string& p, std::string& target) {
  BV_FAULT("readlink", p);
  return ::readlink(p.c_str(), target.data(), target.size());
}
int sys_fchmod(const UniqueFd& fd, mode_t mode, const std::string& p) {
  BV_FAULT("chmod", p);
  return ::fchmod(fd.get(), mode);
}
int sys_chmod(const std::string& p, mode_t mode) {
  BV_FAULT("chmod", p);
  return ::chmod(p.c_str(), mode);
}
int sys_futimens(const UniqueFd& fd, const struct timespec times[2], const std::string& p) {
  BV_FAULT("utimens", p);
  return ::futimens(fd.get(), times);
}
bool sys_realpath(const std::string& p, char (&buf)[PATH_MAX]) {
  if (int injected = injected_fault("realpath", p)) {
    errno = injected;
    return false;
  }
  return ::realpath(p.c_str(), buf) != nullptr;
}
int sys_lstat(const std::string& p, struct stat& st) {
  BV_FAULT("stat", p);
  return ::lstat(p.c_str(), &st);
}
int sys_mkdir(const std::string& p) {
  BV_FAULT("mkdir", p);
  return ::mkdir(p.c_str(), 0777);
}
int sys_rmdir(const std::string& p) {
  BV_FAULT("rmdir", p);
  return ::rmdir(p.c_str());
}
int sys_unlink(const std::string& p) {
  BV_FAULT("unlink", p);
  return ::unlink(p.c_str());
}
int sys_rename(const std::string& from, const std::string& to) {
  BV_FAULT("rename", from);
  return ::rename(from.c_str(), to.c_str());
}
int sys_symlink(const std::string& target, const std::string& p) {
  BV_FAULT("symlink", p);
  return ::symlink(target.c_str(), p.c_str());
}
#undef BV_FAULT

// Names in a folder without "." and ".."; false when it cannot be read.
bool read_names(const std::string& dir, std::vector<std::string>& names) {
  if (int injected = injected_fault("opendir", dir)) {
    errno = injected;
    return false;
  }
  struct CloseDir {
    void operator()(DIR* d) const { ::closedir(d); }
  };
  std::unique_ptr<DIR, CloseDir> d(::opendir(dir.c_str()));
  if (!d) return false;
  while (dirent* e = ::readdir(d.get())) {
    std::string_view n(e->d_name);
    if (n != "." && n != "..") names.emplace_back(n);
  }
  return true;
}

std::string join(const std::string& dir, std::string_view name) {
  std::string r = dir;
  if (r.empty() || r.back() != '/') r += '/';
  r += name;
  return r;
}

std::string parent_of(const std::string& p) {
  size_t cut = p.find_last_of('/');
  if (cut == std::string::npos) return ".";
  if (cut == 0) return "/";
  return p.substr(0, cut);
}

std::string base_of(const std::string& p) {
  size_t cut = p.find_last_of('/');
  return cut == std::string::npos ? p : p.substr(cut + 1);
}

uint32_t attributes_of(const struct stat& st, std::string_view name) {
  uint32_t a = S_ISDIR(st.st_mode) ? kDirectory : kArchive;
  if (name.size() > 1 && name[0] == '.' && name != "..") a |= kHidden;
  if (!S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR)) a |= kReadOnly;
  return a;
}

Entry entry_of(const struct stat& st, std::string_view name) {
  Entry e;
  e.name = from_utf8(name);
  e.attributes = attributes_of(st, name);
  e.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  struct tm lt {};
  time_t t = st.st_mtim.tv_sec;
  if (::localtime_r(&t, &lt))
    e.modified = ole_date_from_parts({lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec});
  return e;
}

// A name beside `target` for building it out of sight: hidden by its dot, so
// listings and existence tests never take it for the real thing.
std::string temp_beside(const std::string& target) {
  thread_local std::mt19937_64 rng{std::random_device{}()};
  static const char hex[] = "0123456789abcdef";
  std::string suffix;
  uint64_t r = rng();
  for (int i = 0; i < 12; ++i, r >>= 4) suffix += hex[r & 15];
  // Shortened so a long name still leaves room within the file system's limit.
  return join(parent_of(target), ".brv~" + base_of(target).substr(0, 120) + "." + suffix);
}

// ---- folder creation with undo ----

// Creates the missing levels of `dir`, recording each new one so a failed
// operation can take them away again.
bool make_folders(const std::string& dir, std::vector<std::string>* created) {
  struct stat st;
  if (sys_stat(dir, st) == 0) return S_ISDIR(st.st_mode);
  std::vector<std::string> missing;
  std::string p = dir;
  while (p != "/" && p != "." && sys_stat(p, st) != 0) {
    missing.push_back(p);
    p = parent_of(p);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (sys_mkdir(*it) != 0 && errno != EEXIST) return false;
    if (created) created->push_back(*it);
  }
  return sys_stat(dir, st) == 0 && S_ISDIR(st.st_mode);
}

void undo_folders(std::vector<std::string>& created) {
  for (auto it = created.rbegin(); it != created.rend(); ++it) sys_rmdir(*it);
  created.clear();
}

// ---- copying ----

bool remove_tree(const std::string& p) {
  struct stat st;
  if (sys_lstat(p, st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) return sys_unlink(p) == 0;  // a link is removed, never followed
  std::vector<std::string> names;
  if (!read_names(p, names)) return false;
  bool ok = true;
  for (const auto& n : names) ok = remove_tree(join(p, n)) && ok;
  return ok && sys_rmdir(p) == 0;
}

// Copies one file's bytes, mode and times to `dst`, which must not exist.
bool copy_file_data(const std::string& src, const std::string& dst) {
  UniqueFd in = sys_open(src, O_RDONLY);
  if (!in) return false;
  struct stat st;
  if (sys_fstat(in, st, src) != 0) return false;
  UniqueFd out = sys_open(dst, O_WRONLY | O_CREAT | O_EXCL, 0600);
  if (!out) return false;
  bool ok = true;
  std::vector<char> buf(1 << 18);
  for (;;) {
    ssize_t n = sys_read(in.get(), buf.data(), buf.size(), src);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t done = 0; ok && done < n;) {
      ssize_t w = sys_write(out.get(), buf.data() + done, static_cast<size_t>(n - done), dst);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0)
        ok = false;
      else
        done += w;
    }
    if (!ok) break;
  }
  in.reset();
  // A copy that lost its mode or times is not the file asked for.
  if (ok) {
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ok = sys_fchmod(out, st.st_mode & 07777, dst) == 0 && sys_futimens(out, times, dst) == 0;
  }
  if (sys_close(out, dst) != 0) ok = false;
  if (!ok) sys_unlink(dst);
  return ok;
}

// Copies a tree into `dst`, which must not exist; links inside the tree are
// copied as links. Leaves nothing behind on failure.
bool copy_fresh(const std::string& src, const std::string& dst) {
  struct stat st;
  if (sys_lstat(src, st) != 0) return false;
  if (S_ISLNK(st.st_mode)) {
    std::string target(static_cast<size_t>(st.st_size) + 1, '\0');
    ssize_t n = sys_readlink(src, target);
    if (n < 0) return false;
    target.resize(static_cast<size_t>(n));
    return sys_symlink(target, dst) == 0;
  }
  if (S_ISREG(st.st_mode)) return copy_file_data(src, dst);
  if (!S_ISDIR(st.st_mode)) return false;  // devices, pipes and sockets are not copied
  std::vector<std::string> names;
  if (!read_names(src, names) || sys_mkdir(dst) != 0) return false;
  for (const auto& n : names) {
    if (!copy_fresh(join(src, n), join(dst, n))) {
      remove_tree(dst);
      return false;
    }
  }
  if (sys_chmod(dst, st.st_mode & 07777) != 0) {
    remove_tree(dst);
    return false;
  }
  return true;
}

bool is_same_or_inside(const std::string& p, const std::string& folder) {
  if (p == folder) return true;
  return p.size() > folder.size() && p.compare(0, folder.size(), folder) == 0 &&
         (folder == "/" || p[folder.size()] == '/');
}

// The real location of a path whose last part may not exist yet.
std::string resolved(const std::string& p) {
  char buf[PATH_MAX];
  if (sys_realpath(p, buf)) return buf;
  std::string parent = parent_of(p);
  if (parent != p && sys_realpath(parent, buf)) return join(buf, base_of(p));
  return p;
}

// Copies `src` to exactly `dst`: a file replaces an existing file in one
// step; a folder is built beside the destination and swapped in, or merged
// into an existing folder file by file.
bool copy_to(const std::string& src, const std::string& dst) {
  struct stat ss, ds;
  if (sys_stat(src, ss) != 0) return false;
  bool dst_exists = sys_stat(dst, ds) == 0;
  if (S_ISDIR(ss.st_mode)) {
    if (is_same_or_inside(resolved(dst), resolved(src))) return false;  // would copy into itself
    if (dst_exists) {
      if (!S_ISDIR(ds.st_mode)) return false;
      std::vector<std::string> names;
      if (!read_names(src, names)) return false;
      for (const auto& n : names)
        if (!copy_to(join(src, n), join(dst, n))) return false;
      return true;
    }
  } else if (dst_exists && S_ISDIR(ds.st_mode)) {
    return false;  // a file never replaces a folder
  } else if (dst_exists && ss.st_dev == ds.st_dev && ss.st_ino == ds.st_ino) {
    return true;  // onto itself
  }
  std::vector<std::string> created;
  if (!make_folders(parent_of(dst), &created)) {
    undo_folders(created);
    return false;
  }
  std::string tmp = temp_beside(dst);
  bool ok = S_ISDIR(ss.st_mode) ? copy_fresh(src, tmp) : copy_file_data(src, tmp);
  if (ok && sys_rename(tmp, dst) != 0) {
    remove_tree(tmp);
    ok = false;
  }
  if (!ok) undo_folders(created);
  return ok;
}

// Moves `src` to exactly `dst`: a rename where the file system allows it,
// otherwise a complete copy followed by removal of the source.
bool move_to(const std::string& src, const std::string& dst, bool merge) {
  struct stat ss, ds;
  if (sys_stat(src, ss) != 0) return false;
  bool dst_exists = sys_stat(dst, ds) == 0;
  if (dst_exists && ss.st_dev == ds.st_dev && ss.st_ino == ds.st_ino) return true;
  if (S_ISDIR(ss.st_mode) && is_same_or_inside(resolved(dst), resolved(src))) return false;
  if (dst_exists) {
    if (!merge || S_ISDIR(ss.st_mode) != S_ISDIR(ds.st_mode)) return false;
    if (S_ISDIR(ss.st_mode)) {
      std::vector<std::string> names;
      if (!read_names(src, names)) return false;
      for (const auto& n : names)
        if (!move_to(join(src, n), join(dst, n), true)) return false;
      return sys_rmdir(src) == 0;
    }
  }
  std::vector<std::string> created;
  if (!make_folders(parent_of(dst), &created)) {
    undo_folders(created);
    return false;
  }
  if (sys_rename(src, dst) == 0) return true;
  if (errno != EXDEV) {
    undo_folders(created);
    return false;
  }
  // Another file system: the destination is complete before the source goes.
  if (!copy_to(src, dst)) {
    undo_folders(created);
    return false;
  }
  return remove_tree(src);
}

bool is_drive_root(const std::string& p) {
  if (p == "/") return true;
  for (const auto& d : drives())
    if (d.second == p) return true;
  return false;
}

// A source item and where it goes.
struct Item {
  std::string from, to;
};

// Expands the pairs of the request into single items. A wildcard in a
// source's last part selects every matching entry, hidden ones included.
bool expand(ShellOp op, const std::vector<Text>& from, const std::vector<Text>& to, std::vector<Item>& items) {
  bool with_dest = op != ShellOp::Delete;
  if (from.empty()) return false;
  if (with_dest && to.size() != from.size() && to.size() != 1) return false;
  bool into_folder = with_dest && to.size() == 1 && from.size() > 1;
  for (size_t i = 0; i < from.size(); ++i) {
    if (from[i].empty()) return false;
    auto src = native_path(from[i]);
    if (!src) return false;
    // A whole drive is never deleted, moved or renamed away.
    if (op != ShellOp::Copy && is_drive_root(*src)) return false;
    std::optional<std::string> dst;
    if (with_dest) {
      dst = native_path(to[into_folder ? 0 : i]);
      if (!dst) return false;
    }
    Text src_text = from[i];
    size_t cut = src_text.size();
    while (cut > 0 && !is_sep(src_text[cut - 1])) --cut;
    TextView pattern = TextView(src_text).substr(cut);
    if (pattern.find_first_of(u"*?") != TextView::npos) {
      std::string folder = parent_of(*src);
      std::vector<std::string> names;
      if (!read_names(folder, names)) return false;
      std::sort(names.begin(), names.end());
      for (const auto& n : names)
        if (wildcard_match(pattern, from_utf8(n)))
          items.push_back({join(folder, n), with_dest ? join(*dst, n) : std::string()});
      continue;
    }
    std::string target;
    if (with_dest) {
      target = *dst;
      struct stat ss, ds;
      bool src_is_file = sys_stat(*src, ss) == 0 && !S_ISDIR(ss.st_mode);
      // Like the shell: a file sent to an existing folder goes into it.
      if (into_folder || (op != ShellOp::Rename && src_is_file && sys_stat(*dst, ds) == 0 && S_ISDIR(ds.st_mode)))
        target = join(*dst, base_of(*src));
    }
    items.push_back({*src, target});
  }
  return true;
}

}  // namespace

void set_drive(char16_t letter, std::string native_root) {
  if (!is_letter(letter)) return;
  if (native_root.empty())
    drives().erase(drive_key(letter));
  else
    drives()[drive_key(letter)] = clean_root(std::move(native_root));
}

void reset_drives() { drives() = configured_drives(); }

std::optional<std::string> native_path(TextView path) {
  if (path.find(u'\0') != TextView::npos) return std::nullopt;
  std::string root;
  TextView rest = path;
  bool absolute = true;
  if (path.size() >= 2 && path[1] == u':' && is_letter(path[0])) {
    auto it = drives().find(drive_key(path[0]));
    if (it == drives().end()) return std::nullopt;
    root = it->second;
    rest = path.substr(2);
  } else if (path.size() >= 2 && is_sep(path[0]) && is_sep(path[1])) {
    return std::nullopt;  // network shares have no mapping here
  } else if (!path.empty() && is_sep(path[0])) {
    auto it = drives().find(u'C');
    if (it == drives().end()) return std::nullopt;
    root = it->second;
  } else {
    absolute = false;
  }
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= rest.size()) {
    size_t j = i;
    while (j < rest.size() && !is_sep(rest[j])) ++j;
    TextView part = rest.substr(i, j - i);
    if (part == u"..") {
      // Never above the drive's root.
      if (!parts.empty() && parts.back() != "..")
        parts.pop_back();
      else if (!absolute)
        parts.emplace_back("..");
    } else if (!part.empty() && part != u".") {
      parts.push_back(to_utf8(part));
    }
    i = j + 1;
  }
  std::string out = absolute ? root : std::string();
  for (const auto& p : parts) {
    if (!out.empty() && out.back() != '/') out += '/';
    out += p;
  }
  if (out.empty()) out = ".";
  return out;
}

std::optional<Text> windows_path(std::string_view native) {
  if (native.empty() || native[0] != '/') return std::nullopt;
  const std::pair<const char16_t, std::string>* best = nullptr;
  for (const auto& d : drives()) {
    const std::string& r = d.second;
    bool holds = r == "/" || native == r ||
                 (native.size() > r.size() && native.substr(0, r.size()) == r && native[r.size()] == '/');
    if (holds && (!best || r.size() > best->second.size())) best = &d;
  }
  if (!best) return std::nullopt;
  std::string_view rest = best->second == "/" ? native : native.substr(best->second.size());
  Text out{best->first, u':'};
  Text tail = from_utf8(rest);
  for (char16_t& c : tail)
    if (c == u'/') c = u'\\';
  if (tail.empty() || tail[0] != u'\\') out += u'\\';
  out += tail;
  return out;
}

std::optional<Entry> stat(TextView path) {
  auto np = native_path(path);
  if (!np) return std::nullopt;
  struct stat st;
  if (sys_stat(*np, st) != 0) return std::nullopt;
  return entry_of(st, *np == "/" ? std::string() : base_of(*np));
}

bool list(TextView folder, std::vector<Entry>& out) {
  auto np = native_path(folder);
  if (!np) return false;
  std::vector<std::string> names;
  if (!read_names(*np, names)) return false;
  std::vector<Entry> entries;
  entries.reserve(names.size());
  for (const auto& n : names) {
    struct stat st;
    std::string p = join(*np, n);
    if (sys_stat(p, st) != 0 && sys_lstat(p, st) != 0) continue;  // vanished meanwhile
    entries.push_back(entry_of(st, n));
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    size_t n = std::min(a.name.size(), b.name.size());
    for (size_t i = 0; i < n; ++i) {
      char16_t x = ascii_lower(a.name[i]), y = ascii_lower(b.name[i]);
      if (x != y) return x < y;
    }
    return a.name.size() != b.name.size() ? a.name.size() < b.name.size() : a.name < b.name;
  });
  out.insert(out.end(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
  return true;
}

namespace {

// One descriptor per level, names resolved against it: no path is rebuilt and
// no entry is converted, which keeps a walk of a large tree near the cost of
// its stat calls.
uint64_t tree_size_at(int dir_fd, int depth) {
  DIR* d = ::fdopendir(dir_fd);
  if (!d) {
    ::close(dir_fd);
    return 0;
  }
  uint64_t total = 0;
  while (dirent* e = ::readdir(d)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    if (e->d_type == DT_DIR) {
      if (depth < 256) {
        int fd = ::openat(::dirfd(d), n, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) total += tree_size_at(fd, depth + 1);
      }
      continue;
    }
    if (e->d_type != DT_REG && e->d_type != DT_UNKNOWN) continue;
    struct stat st;
    if (::fstatat(::dirfd(d), n, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(st.st_mode)) {
      total += static_cast<uint64_t>(st.st_size);
    } else if (S_ISDIR(st.st_mode) && depth < 256) {  // a file system without d_type
      int fd = ::openat(::dirfd(d), n, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (fd >= 0) total += tree_size_at(fd, depth + 1);
    }
  }
  ::closedir(d);
  return total;
}

}  // namespace

uint64_t tree_size(TextView folder) {
  auto np = native_path(folder);
  if (!np) return 0;
  int fd = ::open(np->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  return fd < 0 ? 0 : tree_size_at(fd, 0);
}

bool create_folders(TextView path) {
  auto np = native_path(path);
  return np && make_folders(*np, nullptr);
}

bool write_file(TextView path, std::string_view bytes, WriteMode mode) {
  auto np = native_path(path);
  if (!np) return false;
  std::string target = *np;
  std::string written = mode == WriteMode::Replace ? temp_beside(target) : target;
  int flags = O_WRONLY | O_CREAT;
  if (mode == WriteMode::Truncate) flags |= O_TRUNC;
  if (mode == WriteMode::Append) flags |= O_APPEND;
  if (mode == WriteMode::Replace) flags |= O_EXCL;
  UniqueFd fd = sys_open(written, flags, 0666);
  if (!fd) return false;
  bool ok = true;
  for (size_t done = 0; done < bytes.size();) {
    ssize_t w = sys_write(fd.get(), bytes.data() + done, bytes.size() - done, written);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      ok = false;
      break;
    }
    done += static_cast<size_t>(w);
  }
  // The new file keeps the mode of the one it replaces.
  if (mode == WriteMode::Replace && ok) {
    struct stat st;
    if (sys_stat(target, st) == 0 && sys_fchmod(fd, st.st_mode & 07777, written) != 0) ok = false;
  }
  if (sys_close(fd, written) != 0) ok = false;
  if (mode == WriteMode::Replace) {
    if (ok && sys_rename(written, target) != 0) ok = false;
    if (!ok) sys_unlink(written);
  }
  return ok;
}

namespace {

// A file (not a folder) opened for reading, with its status and native
// path; an empty descriptor when there is none.
UniqueFd open_for_reading(TextView path, struct stat& st, std::string& native) {
  auto np = native_path(path);
  if (!np) return {};
  UniqueFd fd = sys_open(*np, O_RDONLY);
  if (!fd || sys_fstat(fd, st, *np) != 0 || S_ISDIR(st.st_mode)) return {};
  native = std::move(*np);
  return fd;
}

}  // namespace

bool read_file(TextView path, std::string& out) {
  struct stat st;
  std::string native;
  UniqueFd fd = open_for_reading(path, st, native);
  if (!fd) return false;
  std::string data;
  data.reserve(static_cast<size_t>(st.st_size));
  char buf[1 << 16];
  bool ok = true;
  for (;;) {
    ssize_t n = sys_read(fd.get(), buf, sizeof buf, native);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    data.append(buf, static_cast<size_t>(n));
  }
  if (ok) out = std::move(data);
  return ok;
}

bool shell_operation(ShellOp op, const std::vector<Text>& from, const std::vector<Text>& to) {
  std::vector<Item> items;
  if (!expand(op, from, to, items) || items.empty()) return false;
  for (const Item& it : items) {
    bool ok = false;
    switch (op) {
      case ShellOp::Delete:
        ok = remove_tree(it.from);
        break;
      case ShellOp::Copy:
        ok = copy_to(it.from, it.to);
        break;
      case ShellOp::Move:
        ok = move_to(it.from, it.to, true);
        break;
      case ShellOp::Rename:
        ok = move_to(it.from, it.to, false);
        break;
    }
    if (!ok) return false;
  }
  return true;
}

struct FileReader::Impl {
  UniqueFd fd;
  std::string native;
  uint64_t size = 0;
};

FileReader::FileReader() : impl_(std::make_unique<Impl>()) {}
FileReader::~FileReader() = default;

bool FileReader::open(TextView path) {
  impl_->fd.reset();
  struct stat st;
  std::string native;
  UniqueFd fd = open_for_reading(path, st, native);
  if (!fd) return false;
  impl_->fd = std::move(fd);
  impl_->native = std::move(native);
  impl_->size = static_cast<uint64_t>(st.st_size);
  return true;
}

uint64_t FileReader::size() const { return impl_->size; }

int64_t FileReader::read(void* buf, size_t n) {
  if (!impl_->fd) return -1;
  for (;;) {
    ssize_t got = sys_read(impl_->fd.get(), buf, n, impl_->native);
    if (got < 0 && errno == EINTR) continue;
    return got;
  }
}

std::optional<Text> resolved_name(TextView path) {
  auto np = native_path(path);
  if (!np) return std::nullopt;
  char buf[PATH_MAX];
  if (!sys_realpath(*np, buf)) return std::nullopt;
  return from_utf8(base_of(buf));
}

}  // namespace brevane::fs
