#include "host/operate.h"

#include <arpa/inet.h>
#include <httplib.h>

#include <array>
#include <chrono>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "host/socket_stream.h"
#include "host/stores.h"

namespace brevane::host {

namespace {

struct Address {
  int family = 0;  // AF_INET, AF_INET6; 0 when not an address
  std::array<uint8_t, 16> bytes{};
};

Address parse_address(std::string text) {
  Address a;
  if (text.size() > 2 && text.front() == '[' && text.back() == ']') text = text.substr(1, text.size() - 2);
  if (inet_pton(AF_INET, text.c_str(), a.bytes.data()) == 1) {
    a.family = AF_INET;
  } else if (inet_pton(AF_INET6, text.c_str(), a.bytes.data()) == 1) {
    a.family = AF_INET6;
    // An IPv4 client seen through an IPv6 socket (::ffff:a.b.c.d).
    static const uint8_t mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    if (std::memcmp(a.bytes.data(), mapped, 12) == 0) {
      std::memmove(a.bytes.data(), a.bytes.data() + 12, 4);
      a.family = AF_INET;
    }
  }
  return a;
}

std::string trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return std::string(s.substr(b, e - b + 1));
}

void json_string(std::string& out, std::string_view s) {
  out += '"';
  for (size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      // Clients send any bytes; the line stays valid UTF-8 whatever they are.
      size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
      bool ok = n > 0 && i + n <= s.size() && c < 0xF5;
      for (size_t k = 1; ok && k < n; ++k) ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
      if (ok) {
        out.append(s.substr(i, n));
        i += n - 1;
      } else {
        out += "\\ufffd";
      }
    }
  }
  out += '"';
}

class CountingQueue : public httplib::TaskQueue {
 public:
  CountingQueue(httplib::TaskQueue* pool, Metrics& metrics) : pool_(pool), metrics_(metrics) {}
  void enqueue(std::function<void()> fn) override {
    pool_->enqueue([fn = std::move(fn), &m = metrics_] {
      struct Open {
        Metrics& m;
        explicit Open(Metrics& metrics) : m(metrics) { m.connection_opened(); }
        ~Open() { m.connection_closed(); }
      } open(m);
      fn();
    });
  }
  void shutdown() override { pool_->shutdown(); }
  void on_idle() override { pool_->on_idle(); }

 private:
  std::unique_ptr<httplib::TaskQueue> pool_;
  Metrics& metrics_;
};

// Set before routing, read while the same thread answers.
thread_local bool t_ranged = false;

uint64_t request_bytes(const httplib::Request& req) {
  std::string length = req.get_header_value("Content-Length");
  if (length.empty()) return req.body.size();
  uint64_t n = 0;
  for (char c : length) {
    if (c < '0' || c > '9') return req.body.size();
    n = n * 10 + static_cast<uint64_t>(c - '0');
  }
  return n;
}

std::string utc_now() {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  gmtime_r(&t, &tm);
  char day[32];
  std::strftime(day, sizeof day, "%Y-%m-%dT%H:%M:%S", &tm);
  char millis[8];
  std::snprintf(millis, sizeof millis, ".%03dZ", static_cast<int>(ms));
  return std::string(day) + millis;
}

}  // namespace

bool address_in_range(const std::string& address, const std::string& range) {
  size_t slash = range.find('/');
  Address net = parse_address(range.substr(0, slash));
  Address a = parse_address(address);
  if (!net.family || net.family != a.family) return false;
  int width = net.family == AF_INET ? 32 : 128;
  int bits = width;
  if (slash != std::string::npos) {
    std::string n = range.substr(slash + 1);
    if (n.empty() || n.size() > 3 || n.find_first_not_of("0123456789") != std::string::npos) return false;
    bits = std::stoi(n);
    if (bits > width) return false;
  }
  for (int i = 0; i < bits; ++i) {
    int mask = 0x80 >> (i % 8);
    if ((a.bytes[static_cast<size_t>(i / 8)] & mask) != (net.bytes[static_cast<size_t>(i / 8)] & mask)) return false;
  }
  return true;
}

std::string client_address(const std::string& peer, const std::string& forwarded_for,
                           const std::vector<std::string>& trusted) {
  auto is_trusted = [&](const std::string& a) {
    for (const auto& range : trusted)
      if (address_in_range(a, range)) return true;
    return false;
  };
  std::vector<std::string> hops;
  size_t pos = 0;
  while (pos <= forwarded_for.size()) {
    size_t comma = forwarded_for.find(',', pos);
    hops.push_back(trim(std::string_view(forwarded_for).substr(pos, comma == std::string::npos ? comma : comma - pos)));
    if (comma == std::string::npos) break;
    pos = comma + 1;
  }
  // Each trusted hop vouches for the address to its left, and no further.
  std::string current = peer;
  for (auto it = hops.rbegin(); it != hops.rend() && is_trusted(current); ++it) {
    if (!parse_address(*it).family) break;
    current = *it;
  }
  return current;
}

std::string json_log_line(const AccessRecord& r) {
  std::string out = "{\"time\":";
  json_string(out, r.time);
  out += ",\"remote\":";
  json_string(out, r.remote);
  out += ",\"method\":";
  json_string(out, r.method);
  out += ",\"path\":";
  json_string(out, r.path);
  out += ",\"query\":";
  json_string(out, r.query);
  out += ",\"version\":";
  json_string(out, r.version);
  char nums[160];
  std::snprintf(nums, sizeof nums, ",\"status\":%d,\"bytes_in\":%llu,\"bytes_out\":%llu,\"ms\":%.3f", r.status,
                static_cast<unsigned long long>(r.bytes_in), static_cast<unsigned long long>(r.bytes_out), r.ms);
  out += nums;
  out += ",\"user_agent\":";
  json_string(out, r.user_agent);
  if (!r.note.empty()) {
    out += ",\"note\":";
    json_string(out, r.note);
  }
  out += "}\n";
  return out;
}

bool Operations::compress_file(const std::string& content_type, uint64_t size) const {
  if (!config_.gzip || t_ranged || size < 256 || size > (uint64_t{1} << 20)) return false;
  std::string_view t = content_type;
  return t.starts_with("text/") || t.starts_with("application/javascript") || t.starts_with("application/json") ||
         t.starts_with("application/xml") || t.starts_with("image/svg+xml");
}

Operations::Operations(OperateConfig config) : config_(std::move(config)) {}

std::unique_ptr<httplib::Server> Operations::make_server() const {
  if (config_.cert_file.empty()) return std::make_unique<BufferedServer>();  // large socket reads
  auto server = std::make_unique<httplib::SSLServer>(config_.cert_file.c_str(), config_.key_file.c_str());
  if (!server->is_valid())
    throw std::runtime_error("cannot load the certificate " + config_.cert_file + " with the key " + config_.key_file);
  return server;
}

void Operations::attach(SessionManager& sessions, ApplicationState& application) const {
  sessions.configure(config_.store, config_.session_timeout_minutes);
  if (config_.store) application.values.bind(config_.store, "app");
}

bool Operations::answer(const httplib::Request& req, httplib::Response& res) {
  // The library compresses what the client accepts; without gzip the client
  // is taken to accept none.
  if (!config_.gzip) const_cast<httplib::Request&>(req).headers.erase("Accept-Encoding");
  t_ranged = req.has_header("Range");
  if (req.method != "GET" && req.method != "HEAD") return false;
  if (req.path == "/healthz") {
    res.set_header("Cache-Control", "no-store");
    res.set_content("ok\n", "text/plain");
    return true;
  }
  if (req.path == "/metrics" && config_.metrics) {
    res.set_header("Cache-Control", "no-store");
    res.set_content(metrics_.render(), "text/plain; version=0.0.4; charset=utf-8");
    return true;
  }
  return false;
}

httplib::TaskQueue* Operations::count_connections(httplib::TaskQueue* pool) {
  return new CountingQueue(pool, metrics_);
}

std::string Operations::remote_address(const httplib::Request& req) const {
  if (config_.trusted_proxies.empty()) return req.remote_addr;
  std::string forwarded;
  auto [from, to] = req.headers.equal_range("X-Forwarded-For");
  for (auto it = from; it != to; ++it) forwarded += (forwarded.empty() ? "" : ",") + it->second;
  return client_address(req.remote_addr, forwarded, config_.trusted_proxies);
}

bool Operations::finished(std::FILE* log, const httplib::Request& req, const httplib::Response& res, uint64_t bytes_out,
                          double ms, const std::string& note) {
  uint64_t bytes_in = request_bytes(req);
  metrics_.request(res.status, bytes_in, bytes_out, bytes_in > 0 && req.method != "GET", ms / 1000);
  if (!config_.json_log) return false;
  if (!log) return true;
  AccessRecord r;
  r.time = utc_now();
  r.remote = remote_address(req);
  r.method = req.method;
  r.path = req.target.substr(0, req.target.find('?'));
  if (size_t q = req.target.find('?'); q != std::string::npos) r.query = req.target.substr(q + 1);
  r.version = req.version;
  r.status = res.status;
  r.bytes_in = bytes_in;
  r.bytes_out = bytes_out;
  r.ms = ms;
  r.user_agent = req.get_header_value("User-Agent");
  r.note = note;
  std::string line = json_log_line(r);
  std::fwrite(line.data(), 1, line.size(), log);
  std::fflush(log);
  return true;
}

}  // namespace brevane::host
