// The scriptable dictionary as pages use it.
#include <gtest/gtest.h>

#include "core/registry.h"
#include "kit/expect.h"

namespace brevane {
namespace {

using kit::error_of;
using kit::raised;

TEST(Dictionary, KeysKeepInsertionOrderAndTextDiffersFromNumbers) {
  Variant d(create_object(u"Scripting.Dictionary"));
  call(d, u"Add", {Variant(u"b"), Variant(2)});
  call(d, u"Add", {Variant(u"a"), Variant(1)});
  call(d, u"Add", {Variant(1), Variant(u"number")});
  EXPECT_EQ(get(d, u"Count").to_i32(), 3);
  VariantArray keys = call(d, u"Keys").array();
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].to_text(), u"b");
  EXPECT_EQ(keys[2].to_i32(), 1);
  EXPECT_EQ(call(d, u"Items").array()[1].to_i32(), 1);
  EXPECT_EQ(call_default(d, {Variant(1.0)}).to_text(), u"number");
  EXPECT_FALSE(call(d, u"Exists", {Variant(u"1")}).to_bool());
  EXPECT_FALSE(call(d, u"Exists", {Variant(u"B")}).to_bool());  // binary comparison
  EXPECT_EQ(d.object()->enumerate().size(), 3u);                // For Each walks the keys
}

TEST(Dictionary, ErrorsAndTheReadThatAdds) {
  Variant d(create_object(u"Scripting.Dictionary"));
  call(d, u"Add", {Variant(u"k"), Variant(1)});
  EXPECT_EQ(error_of([&] {
              call(d, u"Add", {Variant(u"k"), Variant(2)});
            }),
            raised(457, u"This key is already associated with an element of this collection"));
  EXPECT_EQ(error_of([&] { call(d, u"Remove", {Variant(u"none")}); }), raised(32811, u"Element not found"));
  EXPECT_TRUE(call_default(d, {Variant(u"new")}).is_empty());
  EXPECT_EQ(get(d, u"Count").to_i32(), 2);
  std::vector<Variant> put_args{Variant(u"k"), Variant(5)};
  d.object()->invoke(kDispIdValue, kPut, put_args);
  EXPECT_EQ(call(d, u"Item", {Variant(u"k")}).to_i32(), 5);
  std::vector<Variant> rename{Variant(u"k"), Variant(u"renamed")};
  invoke_by_name(d, u"Key", kPut, rename);
  EXPECT_EQ(call(d, u"Item", {Variant(u"renamed")}).to_i32(), 5);
  EXPECT_FALSE(call(d, u"Exists", {Variant(u"k")}).to_bool());
  call(d, u"Remove", {Variant(u"renamed")});
  EXPECT_EQ(call(d, u"Keys").array().at(0).to_text(), u"new");
  call(d, u"RemoveAll");
  EXPECT_EQ(get(d, u"Count").to_i32(), 0);
}

}  // namespace
}  // namespace brevane
