#include "core/registry.h"

#include <gtest/gtest.h>

#include "kit/hostkit.h"

namespace brevane {
namespace {

// What the system answers to: one name, counted.
int g_system_calls = 0;
ObjectPtr fake_system(TextView progid) {
  ++g_system_calls;
  if (iequals_ascii(progid, u"System.Thing")) return kit::FakeConn::make();
  return nullptr;
}

class SystemFactoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_system_calls = 0;
    set_system_factory(&fake_system);
  }
  void TearDown() override { set_system_factory(nullptr); }
};

TEST_F(SystemFactoryTest, NamesUnknownHereComeFromTheSystem) {
  ObjectPtr o = create_object(u"System.Thing");
  ASSERT_NE(o, nullptr);
  EXPECT_NE(o->find_member(u"Close"), kDispIdUnknown);
}

TEST_F(SystemFactoryTest, OwnClassesWinWithoutAskingTheSystem) {
  ObjectPtr o = create_object(u"Brevane.Zelto_Class_Md5");
  ASSERT_NE(o, nullptr);
  EXPECT_NE(o->class_info(), nullptr);
  EXPECT_EQ(g_system_calls, 0);
}

TEST_F(SystemFactoryTest, NameTheSystemLacksRaises429) {
  try {
    create_object(u"No.Such.Class");
    FAIL() << "no error";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), kCannotCreateObject);
  }
  EXPECT_EQ(g_system_calls, 1);
}

TEST_F(SystemFactoryTest, RegisteredAsksTheSystemLast) {
  EXPECT_TRUE(class_registered(u"Brevane.BrevaneCls"));
  EXPECT_EQ(g_system_calls, 0);
  EXPECT_TRUE(class_registered(u"System.Thing"));
  EXPECT_FALSE(class_registered(u"No.Such.Class"));
  EXPECT_EQ(g_system_calls, 2);
}

TEST(SystemFactory, WithoutOneUnknownNamesRaise429) {
  set_system_factory(nullptr);
  EXPECT_THROW(create_object(u"System.Thing"), ScriptError);
}

}  // namespace
}  // namespace brevane
