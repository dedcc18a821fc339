#include "host/metrics.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace brevane::host {

namespace {

std::string number(double v) {
  // The shortest text that reads back as the same number ("0.1", not 0.1000...01).
  char buf[32];
  if (v < 1e15 && v > -1e15 && v == static_cast<double>(static_cast<int64_t>(v))) {
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
    return buf;
  }
  for (int precision = 6; precision <= 17; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*g", precision, v);
    if (std::strtod(buf, nullptr) == v) break;
  }
  return buf;
}

}  // namespace

Histogram::Histogram(std::vector<double> bounds) : bounds_(std::move(bounds)), counts_(bounds_.size() + 1) {}

void Histogram::observe(double v) {
  size_t i = 0;
  while (i < bounds_.size() && v > bounds_[i]) ++i;
  std::lock_guard lock(mu_);
  ++counts_[i];
  sum_ += v;
}

std::string Histogram::render(const std::string& name) const {
  std::lock_guard lock(mu_);
  std::string out;
  uint64_t cumulative = 0;
  for (size_t i = 0; i < counts_.size(); ++i) {
    cumulative += counts_[i];
    out += name + "_bucket{le=\"" + (i < bounds_.size() ? number(bounds_[i]) : "+Inf") + "\"} " +
           std::to_string(cumulative) + "\n";
  }
  out += name + "_sum " + number(sum_) + "\n";
  out += name + "_count " + std::to_string(cumulative) + "\n";
  return out;
}

Metrics::Metrics()
    : upload_bytes_({1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9}), upload_seconds_({0.01, 0.05, 0.1, 0.5, 1, 5, 10, 60, 300}) {}

void Metrics::request(int status, uint64_t bytes_in, uint64_t bytes_out, bool upload, double seconds) {
  {
    std::lock_guard lock(mu_);
    ++by_status_[status];
  }
  bytes_in_ += bytes_in;
  bytes_out_ += bytes_out;
  if (upload) {
    upload_bytes_.observe(static_cast<double>(bytes_in));
    upload_seconds_.observe(seconds);
  }
}

std::string Metrics::render() const {
  std::string out =
      "# HELP brevane_requests_total Requests answered, by status.\n"
      "# TYPE brevane_requests_total counter\n";
  {
    std::lock_guard lock(mu_);
    for (const auto& [status, n] : by_status_)
      out += "brevane_requests_total{status=\"" + std::to_string(status) + "\"} " + std::to_string(n) + "\n";
  }
  out +=
      "# HELP brevane_received_bytes_total Request body bytes received.\n"
      "# TYPE brevane_received_bytes_total counter\n"
      "brevane_received_bytes_total " +
      std::to_string(bytes_in_.load()) +
      "\n"
      "# HELP brevane_sent_bytes_total Response body bytes sent.\n"
      "# TYPE brevane_sent_bytes_total counter\n"
      "brevane_sent_bytes_total " +
      std::to_string(bytes_out_.load()) +
      "\n"
      "# HELP brevane_active_connections Connections being served.\n"
      "# TYPE brevane_active_connections gauge\n"
      "brevane_active_connections " +
      std::to_string(connections_.load()) +
      "\n"
      "# HELP brevane_upload_bytes Sizes of request bodies.\n"
      "# TYPE brevane_upload_bytes histogram\n" +
      upload_bytes_.render("brevane_upload_bytes") +
      "# HELP brevane_upload_seconds Time from request start to answer for requests with a body.\n"
      "# TYPE brevane_upload_seconds histogram\n" +
      upload_seconds_.render("brevane_upload_seconds");
  return out;
}

}  // namespace brevane::host
