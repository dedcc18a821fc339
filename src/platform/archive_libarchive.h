// What the shared libarchive code and the platform halves of the archive
// module hand each other. Not for use outside src/platform.
#pragma once

#include <archive.h>
#include <archive_entry.h>
#include <locale.h>

#include <memory>
#include <string>

namespace brevane::archive::detail {

struct ReadCloser {
  void operator()(struct archive* a) const { archive_read_free(a); }
};
struct WriteCloser {
  void operator()(struct archive* a) const { archive_write_free(a); }
};
struct EntryCloser {
  void operator()(archive_entry* e) const { archive_entry_free(e); }
};
using Reader = std::unique_ptr<struct archive, ReadCloser>;
using Writer = std::unique_ptr<struct archive, WriteCloser>;
using EntryPtr = std::unique_ptr<archive_entry, EntryCloser>;

// libarchive converts names through the thread's C locale. On Linux a
// UTF-8 locale for the length of a call makes its UTF-8 names exact
// whatever the process's locale is (the host runs in "C"). On Windows the
// "C" locale converts nothing beyond ASCII (libarchive then loses the name
// of a Chinese entry), so the call runs in the ANSI code page, in this
// thread only: the page server's other threads keep their locale.
class NameLocale {
 public:
#ifdef _WIN32
  NameLocale() : per_thread_(_configthreadlocale(_ENABLE_PER_THREAD_LOCALE)) {
    if (const char* current = setlocale(LC_CTYPE, nullptr)) old_ = current;
    setlocale(LC_CTYPE, "");
  }
  ~NameLocale() {
    setlocale(LC_CTYPE, old_.c_str());
    _configthreadlocale(per_thread_);
  }

 private:
  int per_thread_;
  std::string old_ = "C";
#else
  NameLocale() {
    static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (utf8) old_ = uselocale(utf8);
  }
  ~NameLocale() {
    if (old_) uselocale(old_);
  }

 private:
  locale_t old_ = nullptr;
#endif
 public:
  NameLocale(const NameLocale&) = delete;
  NameLocale& operator=(const NameLocale&) = delete;
};

// A new, empty file beside `path` that will take its place once complete:
// its descriptor (for archive_write_open_fd) and native name in `tmp`; -1
// when none can be made.
int create_beside(const std::string& path, std::string& tmp);
// Closes the file made by create_beside. With `keep`, first makes it
// durable and puts it in place of `path` (replacing any file there); false
// when that fails. Without `keep`, or on failure, the file is removed.
bool finish_beside(int fd, const std::string& tmp, const std::string& path, bool keep);

}  // namespace brevane::archive::detail
