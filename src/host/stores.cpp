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

void ValueStore::bind(std::shared_ptr<StateBackend> backend, std::string scope) {
  std::lock_guard lock(mu_);
  backend_ = std::move(backend);
  scope_ = std::move(scope);
}

Variant ValueStore::get(TextView key) const {
  std::lock_guard lock(mu_);
  if (backend_) {
    auto e = backend_->get(scope_, to_utf8(vb::LCase(key)));
    return e ? decode_variant(e->value) : Variant();
  }
  auto it = values_.find(vb::LCase(key));
  return it == values_.end() ? Variant() : it->second.second;
}

void ValueStore::set(TextView key, Variant value) {
  std::lock_guard lock(mu_);
  if (backend_) {
    backend_->put(scope_, to_utf8(vb::LCase(key)), {to_utf8(key), encode_variant(value)});
    return;
  }
  auto& slot = values_[vb::LCase(key)];
  if (slot.first.empty()) slot.first = Text(key);
  slot.second = std::move(value);
}

void ValueStore::remove(TextView key) {
  std::lock_guard lock(mu_);
  if (backend_) return backend_->erase(scope_, to_utf8(vb::LCase(key)));
  values_.erase(vb::LCase(key));
}

void ValueStore::clear() {
  std::lock_guard lock(mu_);
  if (backend_) return backend_->clear(scope_);
  values_.clear();
}

VariantArray ValueStore::keys() const {
  std::lock_guard lock(mu_);
  VariantArray out;
  if (backend_) {
    for (auto& e : backend_->entries(scope_)) out.emplace_back(from_utf8(e.key));
    return out;
  }
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

void SessionManager::configure(std::shared_ptr<StateBackend> backend, int default_timeout_minutes) {
  std::lock_guard lock(mu_);
  backend_ = std::move(backend);
  default_timeout_ = default_timeout_minutes;
}

// A session kept in the backend: a fresh view of it for each request, as
// another host may have changed it since.
std::shared_ptr<SessionState> SessionManager::bound(std::string id, int timeout) {
  auto s = std::make_shared<SessionState>();
  s->values.bind(backend_, "s:" + id);
  s->id = std::move(id);
  s->timeout_minutes = timeout;
  return s;
}

void SessionManager::set_timeout(SessionState& s, int32_t minutes) {
  s.timeout_minutes = minutes;
  if (backend_) backend_->start_session(s.id, minutes);
}

std::shared_ptr<SessionState> SessionManager::find(const std::string& id) {
  if (backend_) {
    std::optional<int> timeout = backend_->touch_session(id);
    return timeout ? bound(id, *timeout) : nullptr;
  }
  std::lock_guard lock(mu_);
  auto t = now();
  sweep_locked(t);
  auto it = sessions_.find(id);
  if (it == sessions_.end()) return nullptr;
  it->second->last_access = t;
  return it->second;
}

std::shared_ptr<SessionState> SessionManager::create() {
  if (backend_) {
    std::string id;
    do id = new_session_id();
    while (backend_->touch_session(id));
    backend_->start_session(id, default_timeout_);
    return bound(std::move(id), default_timeout_);
  }
  auto s = std::make_shared<SessionState>();
  s->timeout_minutes = default_timeout_;
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
  if (backend_) return backend_->end_session(id);
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
      manager_.set_timeout(state(), m);
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
