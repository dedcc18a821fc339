#include "host/socket_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

namespace brevane::host {

namespace {

constexpr size_t kBuffer = 256u << 10;

int wait_for(int sock, short events, time_t sec, time_t usec) {
  pollfd p{sock, events, 0};
  int ms = static_cast<int>(sec * 1000 + usec / 1000);
  for (;;) {
    int r = ::poll(&p, 1, ms);
    if (r < 0 && errno == EINTR) continue;
    if (r > 0 && (p.revents & (POLLERR | POLLNVAL))) return -1;
    return r;
  }
}

void address_of(const sockaddr_storage& a, std::string& ip, int& port) {
  char text[INET6_ADDRSTRLEN] = "";
  if (a.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(a);
    ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    port = ntohs(v4.sin_port);
  } else if (a.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(a);
    ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    port = ntohs(v6.sin6_port);
  }
  ip = text;
}

class BufferedStream : public httplib::Stream {
 public:
  BufferedStream(int sock, time_t read_sec, time_t read_usec, time_t write_sec, time_t write_usec)
      : sock_(sock),
        read_sec_(read_sec),
        read_usec_(read_usec),
        write_sec_(write_sec),
        write_usec_(write_usec),
        buf_(new char[kBuffer]) {}

  bool is_readable() const override { return begin_ < end_ || wait_for(sock_, POLLIN, read_sec_, read_usec_) > 0; }
  bool is_writable() const override { return wait_for(sock_, POLLOUT, write_sec_, write_usec_) > 0; }

  ssize_t read(char* ptr, size_t size) override {
    if (begin_ == end_) {
      if (!is_readable()) return -1;
      ssize_t n;
      do n = ::recv(sock_, buf_.get(), kBuffer, 0);
      while (n < 0 && errno == EINTR);
      if (n <= 0) return n;
      begin_ = 0;
      end_ = static_cast<size_t>(n);
    }
    size_t n = std::min(size, end_ - begin_);
    std::memcpy(ptr, buf_.get() + begin_, n);
    begin_ += n;
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (!is_writable()) return -1;
    ssize_t n;
    do n = ::send(sock_, ptr, size, MSG_NOSIGNAL);
    while (n < 0 && errno == EINTR);
    return n;
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage a{};
    socklen_t len = sizeof a;
    if (::getpeername(sock_, reinterpret_cast<sockaddr*>(&a), &len) == 0) address_of(a, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage a{};
    socklen_t len = sizeof a;
    if (::getsockname(sock_, reinterpret_cast<sockaddr*>(&a), &len) == 0) address_of(a, ip, port);
  }
  socket_t socket() const override { return sock_; }

  // The next request of a kept-alive connection has begun to arrive (or is
  // buffered already); false after `sec` seconds without one. Once the
  // server stops, a request that has already arrived is still answered (an
  // upload sent just before the stop signal is not cut off unanswered); an
  // idle connection is closed at once.
  bool next_request(time_t sec, const std::atomic<socket_t>& listening, const std::atomic<bool>& draining) const {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(sec);
    for (;;) {
      if (begin_ < end_) return true;
      const bool stopping = draining || listening == INVALID_SOCKET;
      int r = wait_for(sock_, POLLIN, 0, stopping ? 0 : 100000);
      if (r != 0) return r > 0;
      if (stopping || std::chrono::steady_clock::now() > until) return false;
    }
  }

 private:
  int sock_;
  time_t read_sec_, read_usec_, write_sec_, write_usec_;
  std::unique_ptr<char[]> buf_;
  size_t begin_ = 0, end_ = 0;
};

}  // namespace

bool BufferedServer::process_and_close_socket(socket_t sock) {
  bool ret = false;
  {
    BufferedStream strm(sock, read_timeout_sec_, read_timeout_usec_, write_timeout_sec_, write_timeout_usec_);
    for (size_t left = keep_alive_max_count_;
         left > 0 && strm.next_request(keep_alive_timeout_sec_, svr_sock_, draining_); --left) {
      bool closed = false;
      ret = process_request(strm, left == 1, closed, nullptr);
      if (!ret || closed) break;
    }
  }
  ::shutdown(sock, SHUT_RDWR);
  ::close(sock);
  return ret;
}

void BufferedServer::drain() {
  draining_ = true;
  // The library's accept() fails, its loop ends, and its workers finish
  // what they hold; the listening socket keeps its number until then, which
  // is what the library looks at before sending each piece of an answer.
  if (socket_t listening = svr_sock_; listening != INVALID_SOCKET) ::shutdown(listening, SHUT_RDWR);
}

}  // namespace brevane::host
