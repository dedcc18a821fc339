#include "host/spool.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace brevane::host {

namespace {

[[noreturn]] void throw_errno(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

void write_all(int fd, const char* data, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, data, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      throw_errno("writing the request body spool");
    }
    data += w;
    n -= static_cast<size_t>(w);
  }
}

}  // namespace

BodySpool::BodySpool(size_t memory_limit, std::string temp_dir)
    : memory_limit_(memory_limit), temp_dir_(std::move(temp_dir)) {
  if (temp_dir_.empty()) {
    const char* t = std::getenv("TMPDIR");
    temp_dir_ = t && *t ? t : "/tmp";
  }
}

BodySpool::~BodySpool() {
  if (fd_ >= 0) ::close(fd_);
}

void BodySpool::spill() {
  std::string pattern = temp_dir_ + "/brevane-body-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) throw_errno("creating the request body spool");
  ::unlink(name.data());
  fd_ = fd;
  write_all(fd_, memory_.data(), memory_.size());
  std::string().swap(memory_);
}

void BodySpool::append(const char* data, size_t n) {
  if (n == 0) return;
  if (fd_ < 0 && memory_.size() + n > memory_limit_) spill();
  if (fd_ >= 0)
    write_all(fd_, data, n);
  else
    memory_.append(data, n);
  size_ += n;
}

size_t BodySpool::read(uint64_t offset, char* out, size_t n) const {
  if (offset >= size_) return 0;
  n = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
  if (fd_ < 0) {
    std::copy_n(memory_.data() + offset, n, out);
    return n;
  }
  size_t done = 0;
  while (done < n) {
    ssize_t r = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      throw_errno("reading the request body spool");
    }
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  return done;
}

std::string BodySpool::read_all() const {
  std::string s(static_cast<size_t>(size_), '\0');
  s.resize(read(0, s.data(), s.size()));
  return s;
}

std::string BodyCursor::next(size_t n) {
  std::string s(static_cast<size_t>(std::min<uint64_t>(n, spool_->size() - std::min(pos_, spool_->size()))), '\0');
  s.resize(spool_->read(pos_, s.data(), s.size()));
  pos_ += s.size();
  return s;
}

}  // namespace brevane::host
