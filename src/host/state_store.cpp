#include "host/state_store.h"

#include <hiredis/hiredis.h>
#include <sqlite3.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <mutex>
#include <stdexcept>

#include "core/script_error.h"

namespace brevane::host {

// ---- values as bytes: a type tag, then the value ----

namespace {

void put_u64(std::string& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

struct Reader {
  std::string_view in;
  uint64_t u64() {
    if (in.size() < 8) throw std::runtime_error("stored value cut short");
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(static_cast<uint8_t>(in[static_cast<size_t>(i)])) << (8 * i);
    in.remove_prefix(8);
    return v;
  }
  std::string_view take(uint64_t n) {
    if (in.size() < n) throw std::runtime_error("stored value cut short");
    std::string_view s = in.substr(0, static_cast<size_t>(n));
    in.remove_prefix(static_cast<size_t>(n));
    return s;
  }
};

void encode_into(std::string& out, const Variant& v) {
  uint16_t tag = static_cast<uint16_t>(v.type());
  out.push_back(static_cast<char>(tag & 0xFF));
  out.push_back(static_cast<char>(tag >> 8));
  switch (v.type()) {
    case VarType::Empty:
    case VarType::Null:
      return;
    case VarType::String: {
      const Text& t = v.text();
      put_u64(out, t.size());
      for (char16_t c : t) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
      }
      return;
    }
    case VarType::ByteArray: {
      const Bytes& b = v.bytes();
      put_u64(out, b.size());
      out.append(reinterpret_cast<const char*>(b.data()), b.size());
      return;
    }
    case VarType::Array: {
      const VariantArray& a = v.array();
      put_u64(out, a.size());
      for (const Variant& e : a) encode_into(out, e);
      return;
    }
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
      put_u64(out, std::bit_cast<uint64_t>(v.raw_double()));
      return;
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte:
    case VarType::Boolean:
    case VarType::Currency:
    case VarType::Error:
      put_u64(out, static_cast<uint64_t>(v.raw_int()));
      return;
    default:
      // An object lives in the process that made it: it cannot be shared.
      throw ScriptError(kTypeMismatch);
  }
}

Variant decode_from(Reader& r) {
  std::string_view t = r.take(2);
  auto type = static_cast<VarType>(static_cast<uint8_t>(t[0]) | static_cast<uint8_t>(t[1]) << 8);
  switch (type) {
    case VarType::Empty:
      return {};
    case VarType::Null:
      return Variant::null();
    case VarType::String: {
      uint64_t n = r.u64();
      if (n > r.in.size() / 2) throw std::runtime_error("stored value cut short");
      std::string_view raw = r.take(n * 2);
      Text text(static_cast<size_t>(n), u'\0');
      for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<uint8_t>(raw[2 * i]) | static_cast<uint8_t>(raw[2 * i + 1]) << 8);
      return Variant(std::move(text));
    }
    case VarType::ByteArray: {
      std::string_view raw = r.take(r.u64());
      return Variant(Bytes(raw.begin(), raw.end()));
    }
    case VarType::Array: {
      uint64_t n = r.u64();
      if (n > r.in.size()) throw std::runtime_error("stored value cut short");
      VariantArray a;
      for (uint64_t i = 0; i < n; ++i) a.push_back(decode_from(r));
      return Variant(std::move(a));
    }
    case VarType::Single:
      return Variant(static_cast<float>(std::bit_cast<double>(r.u64())));
    case VarType::Double:
      return Variant(std::bit_cast<double>(r.u64()));
    case VarType::Date:
      return Variant::date(std::bit_cast<double>(r.u64()));
    case VarType::Integer:
      return Variant(static_cast<int16_t>(r.u64()));
    case VarType::Long:
      return Variant(static_cast<int32_t>(r.u64()));
    case VarType::Byte:
      return Variant(static_cast<uint8_t>(r.u64()));
    case VarType::Boolean:
      return Variant(r.u64() != 0);
    case VarType::Currency:
      return Variant(Currency{static_cast<int64_t>(r.u64())});
    case VarType::Error:
      return Variant::error(static_cast<int32_t>(r.u64()));
    default:
      throw std::runtime_error("stored value of unknown type");
  }
}

// Entry as one stored blob: the key as given, then the value.
std::string pack(const StateBackend::Entry& e) {
  std::string out;
  put_u64(out, e.key.size());
  return out + e.key + e.value;
}

StateBackend::Entry unpack(std::string_view blob) {
  Reader r{blob};
  std::string key(r.take(r.u64()));
  return {std::move(key), std::string(r.in)};
}

}  // namespace

std::string encode_variant(const Variant& v) {
  std::string out;
  encode_into(out, v);
  return out;
}

Variant decode_variant(std::string_view data) {
  Reader r{data};
  return decode_from(r);
}

// ---- SQLite: a file in the data folder, so sessions survive a restart ----

namespace {

class SqliteState : public StateBackend {
 public:
  SqliteState(const std::string& file, std::function<int64_t()> now) : now_(std::move(now)) {
    if (!now_)
      now_ = [] {
        return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
      };
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
      std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw std::runtime_error(file + ": " + why);
    }
    sqlite3_busy_timeout(db_, 5000);
    exec("PRAGMA journal_mode=WAL");
    exec(
        "CREATE TABLE IF NOT EXISTS state_values (scope TEXT NOT NULL, lkey TEXT NOT NULL, entry BLOB NOT NULL,"
        " PRIMARY KEY (scope, lkey));"
        "CREATE TABLE IF NOT EXISTS state_sessions (id TEXT PRIMARY KEY, timeout INTEGER NOT NULL,"
        " expires INTEGER NOT NULL)");
  }
  ~SqliteState() override { sqlite3_close(db_); }

  std::optional<Entry> get(const std::string& scope, const std::string& lkey) override {
    std::lock_guard lock(mu_);
    Stmt s(*this, "SELECT entry FROM state_values WHERE scope = ? AND lkey = ?", {scope, lkey});
    if (!s.step()) return std::nullopt;
    return unpack(s.blob(0));
  }
  void put(const std::string& scope, const std::string& lkey, const Entry& entry) override {
    std::lock_guard lock(mu_);
    // The key keeps the spelling it was first given, as in memory.
    std::string blob = pack(entry);
    Stmt old(*this, "SELECT entry FROM state_values WHERE scope = ? AND lkey = ?", {scope, lkey});
    if (old.step()) blob = pack({unpack(old.blob(0)).key, entry.value});
    Stmt insert(*this, "INSERT OR REPLACE INTO state_values (scope, lkey, entry) VALUES (?, ?, ?)", {scope, lkey});
    insert.bind_blob(3, blob);
    insert.run();
  }
  void erase(const std::string& scope, const std::string& lkey) override {
    std::lock_guard lock(mu_);
    Stmt(*this, "DELETE FROM state_values WHERE scope = ? AND lkey = ?", {scope, lkey}).run();
  }
  void clear(const std::string& scope) override {
    std::lock_guard lock(mu_);
    Stmt(*this, "DELETE FROM state_values WHERE scope = ?", {scope}).run();
  }
  std::vector<Entry> entries(const std::string& scope) override {
    std::lock_guard lock(mu_);
    std::vector<Entry> out;
    Stmt s(*this, "SELECT entry FROM state_values WHERE scope = ? ORDER BY lkey", {scope});
    while (s.step()) out.push_back(unpack(s.blob(0)));
    return out;
  }
  std::optional<int> touch_session(const std::string& id) override {
    std::lock_guard lock(mu_);
    int64_t now = now_();
    Stmt s(*this, "SELECT timeout, expires FROM state_sessions WHERE id = ?", {id});
    if (!s.step()) return std::nullopt;
    int timeout = static_cast<int>(s.integer(0));
    if (s.integer(1) <= now) {
      drop(id);
      return std::nullopt;
    }
    Stmt(*this, "UPDATE state_sessions SET expires = ? WHERE id = ?", {std::to_string(now + timeout * 60LL), id}).run();
    return timeout;
  }
  void start_session(const std::string& id, int timeout_minutes) override {
    std::lock_guard lock(mu_);
    int64_t now = now_();
    // Ended sessions are swept as new ones start, so the file does not grow.
    Stmt(*this, "DELETE FROM state_values WHERE scope IN (SELECT 's:' || id FROM state_sessions WHERE expires <= ?)",
         {std::to_string(now)})
        .run();
    Stmt(*this, "DELETE FROM state_sessions WHERE expires <= ?", {std::to_string(now)}).run();
    Stmt(*this, "INSERT OR REPLACE INTO state_sessions (id, timeout, expires) VALUES (?, ?, ?)",
         {id, std::to_string(timeout_minutes), std::to_string(now + timeout_minutes * 60LL)})
        .run();
  }
  void end_session(const std::string& id) override {
    std::lock_guard lock(mu_);
    drop(id);
  }

 private:
  // One statement with text parameters (SQLite converts numbers as needed).
  class Stmt {
   public:
    Stmt(SqliteState& owner, const char* sql, std::initializer_list<std::string> params) : owner_(owner) {
      if (sqlite3_prepare_v2(owner.db_, sql, -1, &st_, nullptr) != SQLITE_OK) owner.fail();
      int i = 1;
      for (const std::string& p : params) {
        if (sqlite3_bind_text(st_, i++, p.data(), static_cast<int>(p.size()), SQLITE_TRANSIENT) != SQLITE_OK)
          owner.fail();
      }
    }
    ~Stmt() { sqlite3_finalize(st_); }
    void bind_blob(int i, const std::string& b) {
      if (sqlite3_bind_blob(st_, i, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT) != SQLITE_OK) owner_.fail();
    }
    bool step() {
      int rc = sqlite3_step(st_);
      if (rc == SQLITE_ROW) return true;
      if (rc != SQLITE_DONE) owner_.fail();
      return false;
    }
    void run() { step(); }
    std::string_view blob(int col) {
      const void* p = sqlite3_column_blob(st_, col);
      return {static_cast<const char*>(p), static_cast<size_t>(sqlite3_column_bytes(st_, col))};
    }
    int64_t integer(int col) { return sqlite3_column_int64(st_, col); }

   private:
    SqliteState& owner_;
    sqlite3_stmt* st_ = nullptr;
  };

  [[noreturn]] void fail() { throw std::runtime_error(std::string("session store: ") + sqlite3_errmsg(db_)); }
  void exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail();
  }
  void drop(const std::string& id) {
    Stmt(*this, "DELETE FROM state_values WHERE scope = ?", {"s:" + id}).run();
    Stmt(*this, "DELETE FROM state_sessions WHERE id = ?", {id}).run();
  }

  std::function<int64_t()> now_;
  sqlite3* db_ = nullptr;
  std::mutex mu_;
};

// ---- Redis: shared by every host that names the same server and prefix ----

class RedisState : public StateBackend {
 public:
  RedisState(std::string host, int port, std::string prefix)
      : host_(std::move(host)), port_(port), prefix_(std::move(prefix)) {
    std::lock_guard lock(mu_);
    connect();
  }
  ~RedisState() override {
    if (ctx_) redisFree(ctx_);
  }

  std::optional<Entry> get(const std::string& scope, const std::string& lkey) override {
    Reply r = command({"HGET", values_key(scope), lkey});
    if (r->type != REDIS_REPLY_STRING) return std::nullopt;
    return unpack(std::string_view(r->str, r->len));
  }
  void put(const std::string& scope, const std::string& lkey, const Entry& entry) override {
    // The key keeps the spelling it was first given, as in memory.
    std::optional<Entry> old = get(scope, lkey);
    std::string blob = pack(old ? Entry{old->key, entry.value} : entry);
    command({"HSET", values_key(scope), lkey, blob});
    if (scope != "app")
      if (auto t = timeout_of(scope.substr(2))) command({"EXPIRE", values_key(scope), std::to_string(*t * 60)});
  }
  void erase(const std::string& scope, const std::string& lkey) override { command({"HDEL", values_key(scope), lkey}); }
  void clear(const std::string& scope) override { command({"DEL", values_key(scope)}); }
  std::vector<Entry> entries(const std::string& scope) override {
    Reply r = command({"HGETALL", values_key(scope)});
    std::vector<std::pair<std::string, Entry>> sorted;
    for (size_t i = 0; r->type == REDIS_REPLY_ARRAY && i + 1 < r->elements; i += 2)
      sorted.emplace_back(std::string(r->element[i]->str, r->element[i]->len),
                          unpack(std::string_view(r->element[i + 1]->str, r->element[i + 1]->len)));
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Entry> out;
    for (auto& [k, e] : sorted) out.push_back(std::move(e));
    return out;
  }
  std::optional<int> touch_session(const std::string& id) override {
    std::optional<int> t = timeout_of(id);
    if (!t) return std::nullopt;
    std::string seconds = std::to_string(*t * 60);
    command({"EXPIRE", session_key(id), seconds});
    command({"EXPIRE", values_key("s:" + id), seconds});
    return t;
  }
  void start_session(const std::string& id, int timeout_minutes) override {
    std::string seconds = std::to_string(timeout_minutes * 60);
    command({"SET", session_key(id), std::to_string(timeout_minutes), "EX", seconds});
    command({"EXPIRE", values_key("s:" + id), seconds});
  }
  void end_session(const std::string& id) override { command({"DEL", session_key(id), values_key("s:" + id)}); }

 private:
  struct FreeReply {
    void operator()(redisReply* r) const { freeReplyObject(r); }
  };
  using Reply = std::unique_ptr<redisReply, FreeReply>;

  std::string values_key(const std::string& scope) const { return prefix_ + "v:" + scope; }
  std::string session_key(const std::string& id) const { return prefix_ + "session:" + id; }

  std::optional<int> timeout_of(const std::string& id) {
    Reply r = command({"GET", session_key(id)});
    if (r->type != REDIS_REPLY_STRING) return std::nullopt;
    return std::atoi(std::string(r->str, r->len).c_str());
  }

  void connect() {
    if (ctx_) redisFree(ctx_);
    timeval tv{5, 0};
    ctx_ = redisConnectWithTimeout(host_.c_str(), port_, tv);
    if (!ctx_ || ctx_->err) {
      std::string why = ctx_ ? ctx_->errstr : "out of memory";
      if (ctx_) redisFree(ctx_);
      ctx_ = nullptr;
      throw std::runtime_error("session store: Redis at " + host_ + ":" + std::to_string(port_) + ": " + why);
    }
    redisSetTimeout(ctx_, tv);
  }

  // One connection shared under a lock; a broken one is made again once.
  Reply command(std::initializer_list<std::string> args) {
    std::vector<const char*> argv;
    std::vector<size_t> lens;
    for (const std::string& a : args) {
      argv.push_back(a.data());
      lens.push_back(a.size());
    }
    std::lock_guard lock(mu_);
    for (int attempt = 0;; ++attempt) {
      if (!ctx_) connect();
      auto* r =
          static_cast<redisReply*>(redisCommandArgv(ctx_, static_cast<int>(argv.size()), argv.data(), lens.data()));
      if (r) {
        if (r->type == REDIS_REPLY_ERROR) {
          std::string why(r->str, r->len);
          freeReplyObject(r);
          throw std::runtime_error("session store: Redis: " + why);
        }
        return Reply(r);
      }
      std::string why = ctx_->errstr;
      redisFree(ctx_);
      ctx_ = nullptr;
      if (attempt > 0) throw std::runtime_error("session store: Redis: " + why);
    }
  }

  std::string host_;
  int port_;
  std::string prefix_;
  redisContext* ctx_ = nullptr;
  std::mutex mu_;
};

}  // namespace

std::shared_ptr<StateBackend> open_sqlite_state(const std::string& file, std::function<int64_t()> now_seconds) {
  return std::make_shared<SqliteState>(file, std::move(now_seconds));
}

std::shared_ptr<StateBackend> open_redis_state(const std::string& address, const std::string& prefix) {
  std::string host = address;
  int port = 6379;
  size_t colon = address.rfind(':');
  size_t bracket = address.find(']');
  // "host:port", "[::1]:port"; a bare IPv6 address has no port.
  if (colon != std::string::npos && (bracket == std::string::npos ? address.find(':') == colon : bracket < colon)) {
    host = address.substr(0, colon);
    port = std::atoi(address.c_str() + colon + 1);
  }
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  return std::make_shared<RedisState>(host, port, prefix);
}

}  // namespace brevane::host
