#include "host/stores.h"

#include <random>

#include "core/vbrt.h"

namespace brevane::host {

namespace {

void need_args(Args a, size_t n) {
  if (a.size() < n) throw ScriptError(kArgumentNotOptional);
}

// Item(key) read and written, the default member of both stores.
Variant store_item(ValueStore& store, int kind, Args a) {
  need_args(a, 1);
  if (kind & (kPut | kPutRef)) {
    need_args(a, 2);
    store.set(a[0].to_text(), a[1]);
    return {};
  }
  if (a[0].is_numeric_type()) {
    VariantArray keys = store.keys();
    int32_t i = a[0].to_i32();
    if (i < 1 || static_cast<size_t>(i) > keys.size()) throw ScriptError(kSubscriptOutOfRange);
    return store.get(keys[static_cast<size_t>(i - 1)].text());
  }
  return store.get(a[0].to_text());
}

// Store.Contents: the same values, with Remove and RemoveAll.
class Contents : public DynamicObject {
 public:
  Contents(std::shared_ptr<Object> owner, ValueStore& store) : owner_(std::move(owner)), store_(store) {
    define(
        u"Item", [this](int kind, Args a) { return store_item(store_, kind, a); }, true);
    define(u"Count", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(store_.keys().size())); });
    define(u"Remove", [this](int, Args a) -> Variant {
      need_args(a, 1);
      store_.remove(a[0].to_text());
      return {};
    });
    define(u"RemoveAll", [this](int, Args) -> Variant {
      store_.clear();
      return {};
    });
  }
  VariantArray enumerate() override { return store_.keys(); }

 private:
  std::shared_ptr<Object> owner_;  // keeps the store's owner alive
  ValueStore& store_;
};

std::string new_session_id() {
  static std::mutex mu;
  static std::random_device rd;
  static std::mt19937_64 gen(rd());
  std::lock_guard lock(mu);
  std::string id;
  for (int i = 0; i < 24; ++i) id.push_back(static_cast<char>('A' + gen() % 26));
  return id;
}

}  // namespace

Variant ValueStore::get(TextView key) const {
  std::lock_guard lock(mu_);
  auto it = values_.find(vb::LCase(key));
  return it == values_.end() ? Variant() : it->second.second;
}

void ValueStore::set(TextView key, Variant value) {
  std::lock_guard lock(mu_);
  auto& slot = values_[vb::LCase(key)];
  if (slot.first.empty()) slot.first = Text(key);
  slot.second = std::move(value);
}

void ValueStore::remove(TextView key) {
  std::lock_guard lock(mu_);
  values_.erase(vb::LCase(key));
}

void ValueStore::clear() {
  std::lock_guard lock(mu_);
  values_.clear();
}

VariantArray ValueStore::keys() const {
  std::lock_guard lock(mu_);
  VariantArray out;
  for (const auto& [k, v] : values_) out.emplace_back(v.first);
  return out;
}

// ---- sessions ----

SessionManager::SessionManager(Clock clock) : clock_(std::move(clock)) {}

std::chrono::steady_clock::time_point SessionManager::now() const {
  return clock_ ? clock_() : std::chrono::steady_clock::now();
}

void SessionManager::sweep_locked(std::chrono::steady_clock::time_point t) {
  std::erase_if(sessions_, [t](const auto& kv) {
    const SessionState& s = *kv.second;
    return t - s.last_access >= std::chrono::minutes(s.timeout_minutes.load());
  });
}

std::shared_ptr<SessionState> SessionManager::find(const std::string& id) {
  std::lock_guard lock(mu_);
  auto t = now();
  sweep_locked(t);
  auto it = sessions_.find(id);
  if (it == sessions_.end()) return nullptr;
  it->second->last_access = t;
  return it->second;
}

std::shared_ptr<SessionState> SessionManager::create() {
  auto s = std::make_shared<SessionState>();
  std::lock_guard lock(mu_);
  auto t = now();
  sweep_locked(t);
  do s->id = new_session_id();
  while (sessions_.count(s->id));
  s->last_access = t;
  sessions_[s->id] = s;
  return s;
}

void SessionManager::abandon(const std::string& id) {
  std::lock_guard lock(mu_);
  sessions_.erase(id);
}

size_t SessionManager::live_count() {
  std::lock_guard lock(mu_);
  sweep_locked(now());
  return sessions_.size();
}

HostSession::HostSession(SessionManager& manager, std::string cookie_id)
    : manager_(manager), cookie_id_(std::move(cookie_id)) {
  define(
      u"Item", [this](int kind, Args a) { return store_item(state().values, kind, a); }, true);
  define(u"Contents", [this](int, Args) -> Variant {
    state();
    return Variant(ObjectPtr(std::make_shared<Contents>(shared_from_this(), state_->values)));
  });
  define(u"SessionID", [this](int, Args) -> Variant { return from_utf8(state().id); });
  define(u"Timeout", [this](int kind, Args a) -> Variant {
    if (kind & kPut) {
      need_args(a, 1);
      int32_t m = a.back().to_i32();
      if (m < 1) throw ScriptError(kInvalidCall);
      state().timeout_minutes = m;
      return {};
    }
    return Variant(state().timeout_minutes.load());
  });
  define(u"Abandon", [this](int, Args) -> Variant {
    // The page keeps its values until it ends; the next request starts afresh.
    manager_.abandon(state().id);
    return {};
  });
}

SessionState& HostSession::state() {
  if (!state_) {
    if (!cookie_id_.empty()) state_ = manager_.find(cookie_id_);
    if (!state_) {
      state_ = manager_.create();
      started_ = true;
    }
  }
  return *state_;
}

// ---- application ----

HostApplication::HostApplication(ApplicationState& state) : state_(state) {
  define(
      u"Item", [this](int kind, Args a) { return store_item(state_.values, kind, a); }, true);
  define(u"Contents", [this](int, Args) -> Variant {
    return Variant(ObjectPtr(std::make_shared<Contents>(shared_from_this(), state_.values)));
  });
  define(u"Lock", [this](int, Args) -> Variant {
    if (!locked_) {
      state_.lock.lock();
      locked_ = true;
    }
    return {};
  });
  define(u"Unlock", [this](int, Args) -> Variant {
    release();
    return {};
  });
}

HostApplication::~HostApplication() { release(); }

void HostApplication::release() {
  if (locked_) {
    locked_ = false;
    state_.lock.unlock();
  }
}

}  // namespace brevane::host
