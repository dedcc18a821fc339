// A response whose body is a file on disk: the page hands the path over
// (Response.TransmitFile) and the host streams the file in pieces, answering
// byte ranges (206, 416, If-Range against the file's ETag and Last-Modified)
// so players seek and broken downloads resume.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

namespace brevane::host {

class FileBody {
 public:
  // Opens the file at a native path; nullptr when it is missing, a folder
  // or unreadable. The file stays open, so what was checked is what is sent.
  static std::shared_ptr<const FileBody> open(const std::string& native_path);
  ~FileBody();
  FileBody(const FileBody&) = delete;
  FileBody& operator=(const FileBody&) = delete;

  uint64_t size() const { return size_; }
  const std::string& etag() const { return etag_; }
  const std::string& last_modified() const { return last_modified_; }
  // Up to `n` bytes from `offset`; the count read, 0 at the end, -1 on failure.
  int64_t read_at(uint64_t offset, char* buf, size_t n) const;

 private:
  FileBody() = default;
  int fd_ = -1;
  uint64_t size_ = 0;
  std::string etag_, last_modified_;
};

// What to send for a file of `size` bytes given the request's Range and
// If-Range headers: the whole file (200), one range (206, with its
// Content-Range), or nothing (416, Content-Range "bytes */size"). Several
// ranges, another unit or a malformed header get the whole file, as a server
// may answer any Range it does not take.
struct RangeAnswer {
  int status = 200;
  uint64_t offset = 0;
  uint64_t length = 0;
  std::string content_range;  // empty for 200
};
RangeAnswer answer_range(std::string_view range, std::string_view if_range, uint64_t size, std::string_view etag,
                         std::string_view last_modified);

}  // namespace brevane::host
