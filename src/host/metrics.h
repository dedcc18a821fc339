// Counters of the host in Prometheus' text format: requests by status,
// bytes in and out, upload sizes and durations, connections being served.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace brevane::host {

class Histogram {
 public:
  explicit Histogram(std::vector<double> bounds);
  void observe(double v);
  // The series of one histogram named `name`, with cumulative buckets.
  std::string render(const std::string& name) const;

 private:
  std::vector<double> bounds_;
  mutable std::mutex mu_;
  std::vector<uint64_t> counts_;  // one per bound, then +Inf
  double sum_ = 0;
};

class Metrics {
 public:
  Metrics();
  // One answered request; `upload` when it carried a request body.
  void request(int status, uint64_t bytes_in, uint64_t bytes_out, bool upload, double seconds);
  void connection_opened() { ++connections_; }
  void connection_closed() { --connections_; }
  std::string render() const;

 private:
  mutable std::mutex mu_;
  std::map<int, uint64_t> by_status_;
  std::atomic<uint64_t> bytes_in_{0}, bytes_out_{0};
  std::atomic<int64_t> connections_{0};
  Histogram upload_bytes_;
  Histogram upload_seconds_;
};

}  // namespace brevane::host
