#include "host/limits.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace brevane::host {

namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The boundary parameter's value as sent, quotes removed.
std::string boundary_of(const std::string& content_type) {
  std::string low = lower(content_type);
  size_t at = low.find("boundary=");
  if (at == std::string::npos) return {};
  std::string value = content_type.substr(at + 9);
  if (!value.empty() && value[0] == '"') {
    size_t end = value.find('"', 1);
    return value.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  }
  return value.substr(0, value.find_first_of("; \t"));
}

}  // namespace

Refusal refuse_request(const httplib::Request& req, const RequestLimits& limits) {
  size_t bytes = 0;
  for (const auto& [k, v] : req.headers) bytes += k.size() + v.size() + 4;
  if (req.headers.size() > limits.max_header_fields || bytes > limits.max_header_bytes)
    return {431, "The request's header section is too large."};
  const bool streamed = req.method == "POST" || (req.method == "PATCH" && !limits.streamed_patch_path.empty() &&
                                                 req.path.starts_with(limits.streamed_patch_path));
  if (!streamed && (req.has_header("Transfer-Encoding") ||
                    std::strtoull(req.get_header_value("Content-Length").c_str(), nullptr, 10) > limits.max_other_body))
    return {413, "This request cannot carry a body of that size."};
  if (lower(req.get_header_value("Content-Type")).starts_with("multipart/") &&
      boundary_of(req.get_header_value("Content-Type")).size() > limits.max_boundary)
    return {400, "The multipart boundary is longer than 70 characters."};
  return {};
}

void answer_and_close(httplib::Response& res, int status, std::string html) {
  res.status = status;
  res.set_header("Connection", "close");
  size_t size = html.size();
  res.set_content_provider(size, "text/html",
                           [html = std::move(html)](size_t offset, size_t length, httplib::DataSink& sink) {
                             sink.write(html.data() + offset, length);
                             return false;
                           });
}

bool BodyPace::keep_up(size_t n, Clock::time_point now) {
  received_ += n;
  auto allowed = std::chrono::duration<double>(grace_) +
                 std::chrono::duration<double>(static_cast<double>(received_) / static_cast<double>(min_rate_));
  return now - start_ <= allowed;
}

}  // namespace brevane::host
