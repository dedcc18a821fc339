// The host's server: cpp-httplib's, with each connection read through a
// large buffer. The library reads a body 4 KiB at a time and waits for the
// socket before every read; a 1 GiB upload cost half a million system calls
// that way. Here a read takes whatever the socket holds, up to 256 KiB, and
// the library's small reads are served from that buffer. Timeouts, keep-alive
// and everything else are the library's own settings.
#pragma once

#include <httplib.h>

#include <atomic>

namespace brevane::host {

// Plain HTTP only: over TLS the library's own SSL server reads the socket.
class BufferedServer : public httplib::Server {
 public:
  // Stops taking connections and lets those under way finish, answers
  // included (the library's stop() also cuts off every answer still being
  // sent). A request that has already arrived is answered; a connection
  // waiting for its next request is closed. listen() then returns false.
  void drain();
  bool draining() const { return draining_; }

 private:
  bool process_and_close_socket(socket_t sock) override;
  std::atomic<bool> draining_ = false;
};

}  // namespace brevane::host
