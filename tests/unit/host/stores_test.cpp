#include "host/stores.h"

#include <gtest/gtest.h>

#include <thread>

#include "frame/host.h"

namespace brevane::host {
namespace {

using namespace std::chrono_literals;

struct FakeClock {
  std::chrono::steady_clock::time_point now{};
  SessionManager::Clock fn() {
    return [this] { return now; };
  }
};

TEST(Sessions, ExpireAfterTwentyIdleMinutes) {
  FakeClock clock;
  SessionManager m(clock.fn());
  std::string id = m.create()->id;
  clock.now += 19min;
  ASSERT_NE(m.find(id), nullptr);  // and the idle time starts again
  clock.now += 19min;
  ASSERT_NE(m.find(id), nullptr);
  clock.now += 20min;
  EXPECT_EQ(m.find(id), nullptr);
  EXPECT_EQ(m.live_count(), 0u);
}

TEST(Sessions, TimeoutIsThePagesToChange) {
  FakeClock clock;
  SessionManager m(clock.fn());
  auto s = m.create();
  s->timeout_minutes = 1;
  clock.now += 61s;
  EXPECT_EQ(m.find(s->id), nullptr);
}

TEST(HostSession, StartsASessionOnFirstUseAndAsksForTheCookie) {
  SessionManager m;
  auto first = std::make_shared<HostSession>(m, "");
  EXPECT_EQ(first->cookie_to_set(), "");
  StoreRef(Variant(ObjectPtr(first))).set(u"User", Variant(Text(u"张三")));
  std::string id = first->cookie_to_set();
  ASSERT_FALSE(id.empty());

  auto second = std::make_shared<HostSession>(m, id);
  StoreRef store{Variant(ObjectPtr(second))};
  EXPECT_EQ(store.get(u"user").to_text(), u"张三");
  EXPECT_TRUE(store.get(u"absent").is_empty());
  EXPECT_EQ(second->cookie_to_set(), "");

  auto unknown = std::make_shared<HostSession>(m, "NOSUCHSESSION");
  EXPECT_TRUE(StoreRef(Variant(ObjectPtr(unknown))).get(u"user").is_empty());
  EXPECT_NE(unknown->cookie_to_set(), "NOSUCHSESSION");
}

TEST(HostSession, AbandonForgetsTheSessionForLaterRequests) {
  SessionManager m;
  auto s = std::make_shared<HostSession>(m, "");
  Variant v(ObjectPtr{s});
  StoreRef(v).set(u"k", Variant(int32_t{1}));
  call(v, u"Abandon");
  EXPECT_EQ(m.find(s->cookie_to_set()), nullptr);
}

TEST(Application, LockMakesReadModifyWriteSafe) {
  ApplicationState state;
  constexpr int kThreads = 8, kRounds = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        auto app = std::make_shared<HostApplication>(state);
        Variant v(ObjectPtr{app});
        StoreRef store(v);
        call(v, u"Lock");
        Variant n = store.get(u"n");
        store.set(u"n", Variant(int32_t((n.is_empty() ? 0 : n.to_i32()) + 1)));
        call(v, u"Unlock");
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(state.values.get(u"N").to_i32(), kThreads * kRounds);
}

TEST(Application, AForgottenUnlockIsReleasedWithThePage) {
  ApplicationState state;
  {
    auto app = std::make_shared<HostApplication>(state);
    call(Variant(ObjectPtr{app}), u"Lock");
  }
  EXPECT_TRUE(state.lock.try_lock());
  state.lock.unlock();
}

TEST(Contents, WalksAndRemovesKeys) {
  ApplicationState state;
  Variant app(ObjectPtr{std::make_shared<HostApplication>(state)});
  StoreRef(app).set(u"A", Variant(int32_t{1}));
  StoreRef(app).set(u"b", Variant(int32_t{2}));
  Variant contents = get(app, u"Contents");
  EXPECT_EQ(contents.object()->enumerate().size(), 2u);
  call(contents, u"Remove", {Variant(Text(u"a"))});
  EXPECT_TRUE(StoreRef(app).get(u"A").is_empty());
}

}  // namespace
}  // namespace brevane::host
