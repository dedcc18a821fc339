// Session and Application. Sessions are found by a cookie, kept in memory
// (or in a StateBackend when one is configured) and dropped after their idle
// timeout (20 minutes unless configured or the page changes Session.Timeout);
// Application is one store shared by every request. Both are safe under
// concurrent requests.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "core/object.h"
#include "host/state_store.h"

namespace brevane::host {

// Keys without regard to case; Empty for an absent key.
class ValueStore {
 public:
  Variant get(TextView key) const;
  void set(TextView key, Variant value);
  void remove(TextView key);
  void clear();
  VariantArray keys() const;
  // From now on the values live in `backend` under `scope`.
  void bind(std::shared_ptr<StateBackend> backend, std::string scope);

 private:
  std::shared_ptr<StateBackend> backend_;
  std::string scope_;
  mutable std::mutex mu_;
  std::map<Text, std::pair<Text, Variant>> values_;  // lower-case key -> (key as given, value)
};

struct SessionState {
  std::string id;
  ValueStore values;
  std::atomic<int32_t> timeout_minutes{20};
  std::chrono::steady_clock::time_point last_access;
};

class SessionManager {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  explicit SessionManager(Clock clock = {});

  // The live session with this id (its idle time restarts), or nullptr.
  std::shared_ptr<SessionState> find(const std::string& id);
  std::shared_ptr<SessionState> create();
  void abandon(const std::string& id);
  size_t live_count();
  // Sessions from now on start with this time-out and, with a backend, live there.
  void configure(std::shared_ptr<StateBackend> backend, int default_timeout_minutes);
  void set_timeout(SessionState& s, int32_t minutes);
  static constexpr const char* kCookieName = "BREVANESESSIONID";

 private:
  void sweep_locked(std::chrono::steady_clock::time_point now);
  std::chrono::steady_clock::time_point now() const;

  std::shared_ptr<SessionState> bound(std::string id, int timeout);

  Clock clock_;
  std::shared_ptr<StateBackend> backend_;
  int default_timeout_ = 20;
  std::mutex mu_;
  std::map<std::string, std::shared_ptr<SessionState>> sessions_;
};

// The Session object of one request: finds or starts the session the first
// time the page touches it, and tells the host which cookie to send.
class HostSession : public DynamicObject {
 public:
  HostSession(SessionManager& manager, std::string cookie_id);
  // The id to set as the session cookie, empty when nothing new was started.
  std::string cookie_to_set() const { return started_ ? state_->id : std::string(); }

 private:
  SessionState& state();

  SessionManager& manager_;
  std::string cookie_id_;
  std::shared_ptr<SessionState> state_;
  bool started_ = false;
};

struct ApplicationState {
  ValueStore values;
  std::mutex lock;  // Application.Lock / Unlock
};

class HostApplication : public DynamicObject {
 public:
  explicit HostApplication(ApplicationState& state);
  ~HostApplication() override;
  // A page that forgets Unlock must not block every later request.
  void release();

 private:
  ApplicationState& state_;
  bool locked_ = false;
};

}  // namespace brevane::host
