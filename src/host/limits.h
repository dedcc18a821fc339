// What one request may hold of the host: its header section, a body on a
// method that takes none, a boundary beyond RFC 2046, and the time its body
// may take to arrive. The library reads a header section of any length and
// keeps it in memory, and its time-out applies to each read only: a client
// that sends a byte now and then would keep a worker for ever.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace brevane::host {

struct RequestLimits {
  size_t max_header_fields = 100;
  size_t max_header_bytes = 64 * 1024;
  // Bodies on other methods than POST are read whole into memory.
  size_t max_other_body = 64 * 1024;
  // Except PATCH under this path (the resumable uploads), read piece by piece.
  std::string streamed_patch_path;
  size_t max_boundary = 70;
};

struct Refusal {
  int status = 0;  // 0: the request may go on
  std::string message;
};

// Checked once the header section is in, before any of the body is read.
Refusal refuse_request(const httplib::Request& req, const RequestLimits& limits);

// Sends `html` as the answer and then ends the connection: what is left of
// the request is not read. The library keeps a connection open whatever the
// answer says, and would read a trickling client's next bytes as a new
// request; a body that fails once written is what makes it close.
void answer_and_close(httplib::Response& res, int status, std::string html);

// A body must keep pace: it may take `grace`, and one second more for every
// `min_rate` bytes received, so a large upload on a slow line goes through
// while a client trickling a few bytes a second is cut off.
class BodyPace {
 public:
  using Clock = std::chrono::steady_clock;
  BodyPace(std::chrono::seconds grace, size_t min_rate, Clock::time_point start = Clock::now())
      : start_(start), grace_(grace), min_rate_(min_rate) {}
  // Counts `n` bytes more; false once the body has fallen behind.
  bool keep_up(size_t n, Clock::time_point now = Clock::now());

 private:
  Clock::time_point start_;
  std::chrono::seconds grace_;
  size_t min_rate_;
  size_t received_ = 0;
};

}  // namespace brevane::host
