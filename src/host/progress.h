// Upload progress: the host counts the bytes of each request body that
// carries a progress token (query key `brevane_progress` or header
// `X-Brevane-Progress`), and GET /brevane-progress?token=... answers with
// what has arrived so far as JSON, for the progress bar a page shows while
// its form is being sent.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace httplib {
class Server;
struct Request;
}  // namespace httplib

namespace brevane::host {

class ProgressBoard {
 public:
  struct Entry;
  using Clock = std::chrono::steady_clock;

  // Letters, digits, "-" and "_", 1 to 64 of them; anything else is no token.
  static bool valid_token(std::string_view token);
  // The token a request names, "" when none (or an invalid one).
  static std::string token_of(const httplib::Request& req);

  // A new count for `token` (a token sent again starts over). `total` is the
  // body's announced length, 0 when unknown.
  std::shared_ptr<Entry> begin(const std::string& token, uint64_t total);
  // The JSON answer for a token; a token not (yet) seen is "waiting".
  std::string json(std::string_view token) const;
  // GET /brevane-progress; registered before the catch-all routes.
  void install(httplib::Server& server);

  // How long a finished count stays readable, and the most counts kept.
  static constexpr std::chrono::seconds kKeep{120};
  static constexpr size_t kMaxEntries = 4096;

 private:
  void prune(Clock::time_point now);

  mutable std::mutex mutex_;
  std::unordered_map<std::string, std::shared_ptr<Entry>> entries_;
};

// The count of one request body: add() as each piece arrives. It ends when
// the watch goes away (after the page has answered): "done" when the whole
// announced body came, "failed" otherwise. A request without a token costs
// nothing.
class ProgressWatch {
 public:
  ProgressWatch(ProgressBoard& board, const httplib::Request& req);
  ~ProgressWatch();
  ProgressWatch(const ProgressWatch&) = delete;
  ProgressWatch& operator=(const ProgressWatch&) = delete;

  void add(size_t n) {
    if (entry_) add_to(n);
  }

 private:
  void add_to(size_t n);
  std::shared_ptr<ProgressBoard::Entry> entry_;
};

}  // namespace brevane::host
