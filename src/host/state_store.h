// Where Session and Application values go when they must outlive the
// process (SQLite in the data folder) or be shared by several hosts behind
// one load balancer (Redis). The in-memory stores of stores.h need none.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/variant.h"

namespace brevane::host {

class StateBackend {
 public:
  struct Entry {
    std::string key;    // as the page gave it (UTF-8)
    std::string value;  // encode_variant
  };
  virtual ~StateBackend() = default;

  // Values by scope ("app", or "s:" and a session id) and lower-case key.
  virtual std::optional<Entry> get(const std::string& scope, const std::string& lkey) = 0;
  virtual void put(const std::string& scope, const std::string& lkey, const Entry& entry) = 0;
  virtual void erase(const std::string& scope, const std::string& lkey) = 0;
  virtual void clear(const std::string& scope) = 0;
  // Ordered by lower-case key, as the in-memory store enumerates.
  virtual std::vector<Entry> entries(const std::string& scope) = 0;

  // A session lives while it is used within its time-out. touch restarts
  // its idle time and tells its time-out in minutes; nothing once it ended.
  virtual std::optional<int> touch_session(const std::string& id) = 0;
  // Starts a session, or changes the time-out of a live one.
  virtual void start_session(const std::string& id, int timeout_minutes) = 0;
  virtual void end_session(const std::string& id) = 0;  // and its values
};

// Values as stored: every kind of Variant but objects, which stay in the
// process that made them (type mismatch).
std::string encode_variant(const Variant& v);
Variant decode_variant(std::string_view data);

// `now_seconds` stands in for the wall clock in tests.
std::shared_ptr<StateBackend> open_sqlite_state(const std::string& file, std::function<int64_t()> now_seconds = {});
// "host:port"; keys begin with `prefix`. Throws std::runtime_error when the
// server cannot be reached.
std::shared_ptr<StateBackend> open_redis_state(const std::string& address, const std::string& prefix);

}  // namespace brevane::host
