#include "host/file_body.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>

#include "host/page_objects.h"

namespace brevane::host {

std::shared_ptr<const FileBody> FileBody::open(const std::string& native_path) {
  int fd = ::open(native_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  std::shared_ptr<FileBody> body(new FileBody);
  body->fd_ = fd;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  body->size_ = static_cast<uint64_t>(st.st_size);
  char tag[64];
  std::snprintf(tag, sizeof tag, "\"%llx-%llx%09lx\"", static_cast<unsigned long long>(st.st_size),
                static_cast<unsigned long long>(st.st_mtim.tv_sec), static_cast<long>(st.st_mtim.tv_nsec));
  body->etag_ = tag;
  body->last_modified_ = http_date(st.st_mtim.tv_sec);
  return body;
}

FileBody::~FileBody() {
  if (fd_ >= 0) ::close(fd_);
}

int64_t FileBody::read_at(uint64_t offset, char* buf, size_t n) const {
  for (;;) {
    ssize_t got = ::pread(fd_, buf, n, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    return got;
  }
}

namespace {

// Digits only, no sign, no overflow; false otherwise.
bool parse_number(std::string_view s, uint64_t& out) {
  if (s.empty() || s.size() > 19) return false;
  out = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    out = out * 10 + static_cast<uint64_t>(c - '0');
  }
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

RangeAnswer answer_range(std::string_view range, std::string_view if_range, uint64_t size, std::string_view etag,
                         std::string_view last_modified) {
  RangeAnswer whole{200, 0, size, {}};
  range = trim(range);
  if (range.size() < 6) return whole;
  for (size_t i = 0; i < 6; ++i)
    if (std::tolower(static_cast<unsigned char>(range[i])) != "bytes="[i]) return whole;
  // If-Range: the range holds only for the very file the client has part of
  // (a strong ETag, or the exact Last-Modified date).
  if_range = trim(if_range);
  if (!if_range.empty() && if_range != etag && if_range != last_modified) return whole;
  std::string_view spec = trim(range.substr(6));
  if (spec.find(',') != std::string_view::npos) return whole;
  size_t dash = spec.find('-');
  if (dash == std::string_view::npos) return whole;
  std::string_view first = trim(spec.substr(0, dash)), last = trim(spec.substr(dash + 1));
  uint64_t a = 0, b = 0;
  RangeAnswer none{416, 0, 0, "bytes */" + std::to_string(size)};
  if (first.empty()) {  // the last n bytes
    if (!parse_number(last, b)) return whole;
    if (b == 0 || size == 0) return none;
    a = b >= size ? 0 : size - b;
    b = size - 1;
  } else {
    if (!parse_number(first, a)) return whole;
    if (last.empty()) {
      b = size == 0 ? 0 : size - 1;
    } else {
      if (!parse_number(last, b)) return whole;
      if (b < a) return whole;
      if (b >= size) b = size - 1;
    }
    if (a >= size) return none;
  }
  return {206, a, b - a + 1, "bytes " + std::to_string(a) + "-" + std::to_string(b) + "/" + std::to_string(size)};
}

}  // namespace brevane::host
