#include "host/state_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "core/script_error.h"
#include "frame/host.h"
#include "host/stores.h"
#include "kit/scratch.h"

namespace brevane::host {
namespace {

TEST(StoredValues, EveryKindButObjectsComesBackAsItWas) {
  const std::vector<Variant> values = {
      Variant(),
      Variant::null(),
      Variant(int16_t{-7}),
      Variant(int32_t{-2000000000}),
      Variant(uint8_t{200}),
      Variant(1.5f),
      Variant(-0.1),
      Variant(Currency{-123456789}),
      Variant::date(45000.25),
      Variant(Text(u"张三\U0001F600")),
      Variant(Text(u"a\0b", 3)),
      Variant::error(0x80020004),
      Variant(true),
      Variant(Bytes{0, 255, 10}),
      Variant(VariantArray{Variant(int32_t{1}), Variant(Text(u"x")), Variant(VariantArray{Variant(false)})}),
  };
  for (const Variant& v : values) {
    SCOPED_TRACE(static_cast<int>(v.type()));
    std::string data = encode_variant(v);
    Variant back = decode_variant(data);
    EXPECT_EQ(encode_variant(back), data);
    EXPECT_EQ(back.type(), v.type());
    // Cut short, it is refused rather than read past its end.
    if (data.size() > 2) {
      EXPECT_THROW(decode_variant(std::string_view(data).substr(0, data.size() - 1)), std::exception);
    }
  }
  EXPECT_EQ(decode_variant(encode_variant(Variant(Text(u"张三")))).text(), u"张三");
  // A corrupted length is refused, not allocated.
  EXPECT_THROW(decode_variant(std::string("\x08\x00\xff\xff\xff\xff\xff\xff\xff\x7f", 10)), std::exception);
  EXPECT_THROW(decode_variant(std::string("\x0c\x20\xff\xff\xff\xff\xff\xff\xff\x7f", 10)), std::exception);
  EXPECT_EQ(decode_variant(encode_variant(Variant(-0.1))).to_double(), -0.1);
  ApplicationState owner;
  EXPECT_THROW(encode_variant(Variant(ObjectPtr(std::make_shared<HostApplication>(owner)))), ScriptError);
}

// A redis-server of the test's own on a loopback port, without persistence.
class RedisServer {
 public:
  RedisServer() {
    if (access("/usr/bin/redis-server", X_OK) != 0) return;
    std::mt19937 gen(std::random_device{}());
    for (int attempt = 0; attempt < 5 && !store_; ++attempt) {
      port_ = std::uniform_int_distribution<int>(20000, 60000)(gen);
      pid_ = fork();
      if (pid_ == 0) {
        std::string port = std::to_string(port_);
        execl("/usr/bin/redis-server", "redis-server", "--port", port.c_str(), "--bind", "127.0.0.1", "--save", "",
              "--appendonly", "no", "--logfile", "/dev/null", static_cast<char*>(nullptr));
        _exit(127);
      }
      // Ready once it answers; gone when the port was taken.
      for (int i = 0; i < 200 && !store_; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
          pid_ = 0;
          break;
        }
        try {
          store_ = open_redis_state("127.0.0.1:" + std::to_string(port_), "t:");
        } catch (const std::runtime_error&) {
          std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
      }
    }
  }
  ~RedisServer() {
    store_.reset();
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  std::shared_ptr<StateBackend> connect() const { return open_redis_state("127.0.0.1:" + std::to_string(port_), "t:"); }
  bool running() const { return store_ != nullptr; }

 private:
  pid_t pid_ = 0;
  int port_ = 0;
  std::shared_ptr<StateBackend> store_;
};

// Two hosts, or one host before and after a restart: each with its own
// connection to the same store.
struct Pair {
  std::shared_ptr<StateBackend> first, second;
};

class SharedStore : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (GetParam() == "sqlite") {
      file_ = (dir_.native() / "sessions.sqlite3").string();
      stores_ = {open_sqlite_state(file_), nullptr};
    } else {
      static RedisServer redis;
      if (!redis.running()) GTEST_SKIP() << "no redis-server";
      stores_ = {redis.connect(), redis.connect()};
    }
  }
  // The second host; for SQLite the first one is closed first, as in a restart.
  std::shared_ptr<StateBackend> second() {
    if (GetParam() == "sqlite") {
      stores_.first.reset();
      return open_sqlite_state(file_);
    }
    return stores_.second;
  }

  kit::ScratchFolder dir_;
  std::string file_;
  Pair stores_;
};

TEST_P(SharedStore, SessionsAndApplicationReachTheOtherHost) {
  SessionManager one;
  one.configure(stores_.first, 30);
  ApplicationState app_one;
  app_one.values.bind(stores_.first, "app");

  auto page = std::make_shared<HostSession>(one, "");
  Variant session(ObjectPtr{page});
  StoreRef(session).set(u"User", Variant(Text(u"张三")));
  StoreRef(session).set(u"Cart", Variant(VariantArray{Variant(int32_t{3}), Variant(Text(u"书"))}));
  StoreRef(session).set(u"USER", Variant(Text(u"李四")));  // same key, first spelling kept
  put(session, u"Timeout", Variant(int32_t{45}));
  std::string id = page->cookie_to_set();
  ASSERT_FALSE(id.empty());
  auto gone = std::make_shared<HostSession>(one, "");
  StoreRef(Variant(ObjectPtr{gone})).set(u"x", Variant(int32_t{1}));
  call(Variant(ObjectPtr{gone}), u"Abandon");
  app_one.values.set(u"Visits", Variant(int32_t{41}));
  EXPECT_THROW(app_one.values.set(u"Conn", Variant(ObjectPtr{page})), ScriptError);

  auto store = second();
  SessionManager two;
  two.configure(store, 30);
  ApplicationState app_two;
  app_two.values.bind(store, "app");
  auto later = std::make_shared<HostSession>(two, id);
  Variant again(ObjectPtr{later});
  EXPECT_EQ(StoreRef(again).get(u"user").to_text(), u"李四");
  EXPECT_EQ(StoreRef(again).get(u"cart").array().at(1).to_text(), u"书");
  EXPECT_EQ(get(again, u"Timeout").to_i32(), 45);
  EXPECT_EQ(later->cookie_to_set(), "");  // the same session, not a new one
  VariantArray keys = get(again, u"Contents").object()->enumerate();
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].to_text(), u"Cart");
  EXPECT_EQ(keys[1].to_text(), u"User");
  EXPECT_EQ(two.find(gone->cookie_to_set()), nullptr);
  EXPECT_EQ(app_two.values.get(u"VISITS").to_i32(), 41);

  call(get(again, u"Contents"), u"Remove", {Variant(Text(u"cart"))});
  EXPECT_TRUE(StoreRef(again).get(u"Cart").is_empty());
  app_two.values.clear();
  EXPECT_TRUE(app_two.values.keys().empty());
}

INSTANTIATE_TEST_SUITE_P(Stores, SharedStore, testing::Values("sqlite", "redis"));

TEST(SqliteStore, SessionsEndAfterTheirIdleTime) {
  kit::ScratchFolder dir;
  int64_t now = 1'000'000;
  auto store = open_sqlite_state((dir.native() / "s.sqlite3").string(), [&] { return now; });
  SessionManager m;
  m.configure(store, 20);
  std::string id = m.create()->id;
  auto other = m.create();
  other->values.set(u"k", Variant(int32_t{1}));
  now += 19 * 60;
  ASSERT_NE(m.find(id), nullptr);  // and the idle time starts again
  now += 19 * 60;
  ASSERT_NE(m.find(id), nullptr);
  now += 20 * 60;
  EXPECT_EQ(m.find(id), nullptr);
  // The other one, never touched, went with its values when a new one started.
  m.create();
  EXPECT_TRUE(store->entries("s:" + other->id).empty());
}

}  // namespace
}  // namespace brevane::host
