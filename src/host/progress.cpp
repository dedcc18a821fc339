#include "host/progress.h"

#include <httplib.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <deque>

namespace brevane::host {

struct ProgressBoard::Entry {
  enum class State { Receiving, Done, Failed };
  std::mutex mutex;
  uint64_t total = 0, received = 0;
  Clock::time_point started, updated;
  State state = State::Receiving;
  // (time, received) a few times a second over the last seconds: the speed
  // shown is the recent one, so a stall shows at once.
  std::deque<std::pair<Clock::time_point, uint64_t>> samples;
};

namespace {

constexpr auto kSampleEvery = std::chrono::milliseconds(200);
constexpr auto kSpeedWindow = std::chrono::seconds(3);

double secs(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

bool ProgressBoard::valid_token(std::string_view token) {
  if (token.empty() || token.size() > 64) return false;
  for (char c : token)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_')) return false;
  return true;
}

std::string ProgressBoard::token_of(const httplib::Request& req) {
  std::string token = req.get_param_value("brevane_progress");
  if (token.empty()) token = req.get_header_value("X-Brevane-Progress");
  return valid_token(token) ? token : std::string();
}

std::shared_ptr<ProgressBoard::Entry> ProgressBoard::begin(const std::string& token, uint64_t total) {
  auto entry = std::make_shared<Entry>();
  entry->total = total;
  entry->started = entry->updated = Clock::now();
  entry->samples.emplace_back(entry->started, 0);
  std::lock_guard lock(mutex_);
  prune(entry->started);
  if (entries_.size() >= kMaxEntries && !entries_.contains(token)) return nullptr;  // counted no more
  entries_[token] = entry;
  return entry;
}

void ProgressBoard::prune(Clock::time_point now) {
  for (auto it = entries_.begin(); it != entries_.end();) {
    Entry& e = *it->second;
    std::lock_guard lock(e.mutex);
    // A body still arriving is dropped only when nothing came for as long as
    // a finished one is kept (its connection is long gone by then).
    if (now - e.updated > kKeep)
      it = entries_.erase(it);
    else
      ++it;
  }
}

std::string ProgressBoard::json(std::string_view token) const {
  std::shared_ptr<Entry> entry;
  {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(std::string(token));
    if (it != entries_.end()) entry = it->second;
  }
  if (!entry) return R"({"state":"waiting","received":0,"total":0,"percent":0,"rate":0,"elapsed":0,"remaining":null})";
  std::lock_guard lock(entry->mutex);
  Clock::time_point now = entry->state == Entry::State::Receiving ? Clock::now() : entry->updated;
  const char* state = "receiving";
  if (entry->state == Entry::State::Done)
    state = "done";
  else if (entry->state == Entry::State::Failed)
    state = "failed";
  else if (entry->total && entry->received >= entry->total)
    state = "processing";  // all bytes in, the page is still at work
  double rate = 0;
  if (!entry->samples.empty()) {
    auto [t0, r0] = entry->samples.front();
    double span = secs(now - t0);
    if (span > 0.05) rate = static_cast<double>(entry->received - r0) / span;
  }
  double percent = entry->total ? 100.0 * static_cast<double>(entry->received) / static_cast<double>(entry->total) : 0;
  char remaining[32] = "null";
  if (entry->total && rate > 0 && entry->received < entry->total)
    std::snprintf(remaining, sizeof remaining, "%.1f", static_cast<double>(entry->total - entry->received) / rate);
  else if (entry->total && entry->received >= entry->total)
    std::snprintf(remaining, sizeof remaining, "0");
  char out[320];
  std::snprintf(
      out, sizeof out,
      R"({"state":"%s","received":%llu,"total":%llu,"percent":%.1f,"rate":%.0f,"elapsed":%.1f,"remaining":%s})", state,
      static_cast<unsigned long long>(entry->received), static_cast<unsigned long long>(entry->total), percent, rate,
      secs(now - entry->started), remaining);
  return out;
}

void ProgressBoard::install(httplib::Server& server) {
  server.Get("/brevane-progress", [this](const httplib::Request& req, httplib::Response& res) {
    std::string token = req.get_param_value("token");
    if (!valid_token(token)) {
      res.status = 400;
      res.set_content(R"({"error":"token: 1 to 64 letters, digits, - or _"})", "application/json");
      return;
    }
    res.set_header("Cache-Control", "no-store");
    res.set_content(json(token), "application/json");
  });
}

ProgressWatch::ProgressWatch(ProgressBoard& board, const httplib::Request& req) {
  std::string token = ProgressBoard::token_of(req);
  if (token.empty()) return;
  uint64_t total = 0;
  std::string length = req.get_header_value("Content-Length");
  if (!length.empty()) total = std::strtoull(length.c_str(), nullptr, 10);
  entry_ = board.begin(token, total);
}

ProgressWatch::~ProgressWatch() {
  if (!entry_) return;
  std::lock_guard lock(entry_->mutex);
  entry_->updated = ProgressBoard::Clock::now();
  bool whole = entry_->total ? entry_->received >= entry_->total : true;
  entry_->state = whole ? ProgressBoard::Entry::State::Done : ProgressBoard::Entry::State::Failed;
}

void ProgressWatch::add_to(size_t n) {
  auto now = ProgressBoard::Clock::now();
  std::lock_guard lock(entry_->mutex);
  entry_->received += n;
  entry_->updated = now;
  auto& samples = entry_->samples;
  if (now - samples.back().first >= kSampleEvery) {
    samples.emplace_back(now, entry_->received);
    while (samples.size() > 2 && now - samples[1].first >= kSpeedWindow) samples.pop_front();
  }
}

}  // namespace brevane::host
