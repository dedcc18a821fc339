// What running the host in production asks beyond serving pages: HTTPS,
// the client's address behind a proxy, a JSON access log, /healthz and
// /metrics, and where Session and Application values live.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/metrics.h"
#include "host/state_store.h"

namespace httplib {
class Server;
class TaskQueue;
struct Request;
struct Response;
}  // namespace httplib

namespace brevane::host {

class SessionManager;
struct ApplicationState;

struct OperateConfig {
  std::string cert_file;  // with key_file: HTTPS
  std::string key_file;
  std::vector<std::string> trusted_proxies;  // addresses or CIDR ranges
  bool json_log = false;
  bool metrics = false;
  bool gzip = true;
  uint64_t max_body = 2147483647;
  int session_timeout_minutes = 20;
  std::shared_ptr<StateBackend> store;  // nullptr: in memory
};

// Whether `address` (IPv4 or IPv6 text) falls in `range` ("10.0.0.0/8",
// "::1", "192.168.1.7").
bool address_in_range(const std::string& address, const std::string& range);

// The client behind `peer`: the peer itself unless it is a trusted proxy;
// then X-Forwarded-For is read from the right, past the trusted proxies, to
// the first address that is not one. A client can write anything into the
// header, so nothing an untrusted peer sends is believed.
std::string client_address(const std::string& peer, const std::string& forwarded_for,
                           const std::vector<std::string>& trusted);

struct AccessRecord {
  std::string time;  // ISO 8601, UTC
  std::string remote;
  std::string method;
  std::string path;
  std::string query;
  std::string version;
  int status = 0;
  uint64_t bytes_in = 0;
  uint64_t bytes_out = 0;
  double ms = 0;
  std::string user_agent;
  std::string note;  // why a request failed, when it did
};

std::string json_log_line(const AccessRecord& r);  // one line, with its "\n"

class Operations {
 public:
  explicit Operations(OperateConfig config);

  // An SSLServer when a certificate is configured; throws
  // std::runtime_error when it cannot be loaded.
  std::unique_ptr<httplib::Server> make_server() const;
  void attach(SessionManager& sessions, ApplicationState& application) const;
  // Before routing: answers /healthz and /metrics; true when it did.
  bool answer(const httplib::Request& req, httplib::Response& res);
  // Wraps the worker pool so connections being served are counted.
  httplib::TaskQueue* count_connections(httplib::TaskQueue* pool);
  std::string remote_address(const httplib::Request& req) const;
  // Whether the static file now asked for is sent from memory, so the
  // server library compresses it: text up to a size where holding it costs
  // nothing, in a request for the whole file (the library would compress a
  // byte range as if it were the file).
  bool compress_file(const std::string& content_type, uint64_t size) const;
  // After each answer: metrics, and the log line when it is JSON (true).
  bool finished(std::FILE* log, const httplib::Request& req, const httplib::Response& res, uint64_t bytes_out,
                double ms, const std::string& note);
  const OperateConfig& config() const { return config_; }

 private:
  OperateConfig config_;
  Metrics metrics_;
};

}  // namespace brevane::host
