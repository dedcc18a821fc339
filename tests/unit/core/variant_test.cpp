#include "core/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <type_traits>

#include "core/numparse.h"
#include "core/script_error.h"
#include "core/vbdate.h"
#include "kit/expect.h"

namespace brevane {
namespace {

using kit::error_of;
using kit::raised;

// Arguments that would silently pick a wrong alternative do not compile.
static_assert(!std::is_constructible_v<Variant, const char*>, "a narrow string would become True");
static_assert(!std::is_constructible_v<Variant, decltype("abc")>, "a narrow literal would become True");
static_assert(!std::is_constructible_v<Variant, Object*>, "a raw pointer would become True");
static_assert(!std::is_constructible_v<Variant, const void*>);
static_assert(!std::is_constructible_v<Variant, char>, "a character would become a Long");
static_assert(!std::is_constructible_v<Variant, char16_t>);
static_assert(!std::is_constructible_v<Variant, size_t>, "no automation type holds it");
static_assert(!std::is_constructible_v<Variant, unsigned>);
static_assert(!std::is_constructible_v<Variant, int64_t>);
static_assert(std::is_constructible_v<Variant, const char16_t*>);
static_assert(std::is_constructible_v<Variant, decltype(u"abc")>);

TEST(VariantLayout, CompactAndEachIntegralTypePicksItsOwnAlternative) {
  std::printf("sizeof(Variant) = %zu\n", sizeof(Variant));
  EXPECT_LE(sizeof(Variant), 32u);
  EXPECT_EQ(Variant(int16_t(1)).type(), VarType::Integer);
  EXPECT_EQ(Variant(uint16_t(1)).type(), VarType::Long);  // widened, as the engine does
  EXPECT_EQ(Variant(int32_t(1)).type(), VarType::Long);
  EXPECT_EQ(Variant(uint8_t(1)).type(), VarType::Byte);
  EXPECT_EQ(Variant(true).type(), VarType::Boolean);
  EXPECT_EQ(Variant(u"abc").type(), VarType::String);
  EXPECT_EQ(Variant(ObjectPtr()).type(), VarType::Object);
}

TEST(VariantLayout, CopiesShareTextAndMovesLeaveEmpty) {
  Variant a(u"some text");
  Variant b = a;
  EXPECT_EQ(&a.text(), &b.text());
  Variant c = std::move(a);
  EXPECT_TRUE(a.is_empty());  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(&c.text(), &b.text());
  c = Variant(2.5);
  EXPECT_EQ(c.to_double(), 2.5);
  b = b;
  EXPECT_EQ(b.text(), u"some text");
}

TEST(VariantTry, ReportsWhatWouldRaiseWithoutRaising) {
  EXPECT_EQ(Variant(u"12").try_to_i32(), 12);
  EXPECT_EQ(Variant(u"x").try_to_i32(), std::nullopt);
  EXPECT_EQ(Variant(3.0e10).try_to_i32(), std::nullopt);
  EXPECT_EQ(Variant::null().try_to_text(), std::nullopt);
  EXPECT_EQ(Variant(u"true").try_to_bool(), true);
  EXPECT_EQ(Variant(ObjectPtr()).object_or_null(), nullptr);
  EXPECT_EQ(Variant(int32_t(1)).object_or_null(), nullptr);
  EXPECT_EQ(Variant(int32_t(1)).text_or_null(), nullptr);
}

TEST(VariantText, NumbersPrintAsTheScriptEnginePrintsThem) {
  struct Case {
    Variant v;
    const char16_t* want;
  };
  const Case cases[] = {
      {Variant(true), u"True"},
      {Variant(false), u"False"},
      {Variant(int16_t(-5)), u"-5"},
      {Variant(0.1), u"0.1"},
      {Variant(1e15), u"1E+15"},
      {Variant(999999999999999.0), u"999999999999999"},
      {Variant(0.0001), u"0.0001"},
      {Variant(0.00001), u"1E-05"},
      {Variant(1.0 / 3), u"0.333333333333333"},
      {Variant(-0.0), u"0"},
      {Variant(3.5f), u"3.5"},
      {Variant(Currency{12345}), u"1.2345"},
      {Variant(Currency{-50000}), u"-5"},
      {Variant(), u""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.v.to_text(), c.want) << to_utf8(c.want);
}

TEST(VariantIntegers, BankersRoundingAndOverflow) {
  EXPECT_EQ(Variant(2.5).to_i16(), 2);
  EXPECT_EQ(Variant(3.5).to_i16(), 4);
  EXPECT_EQ(Variant(-2.5).to_i16(), -2);
  EXPECT_EQ(Variant(u"12.5").to_i32(), 12);
  EXPECT_EQ(Variant(u" 1,000 ").to_i32(), 1000);
  EXPECT_EQ(Variant(u"&HFF").to_i16(), 255);
  EXPECT_EQ(Variant(u"&HFFFF").to_i32(), 65535);
  EXPECT_EQ(Variant(u"&HFFFFFFFF").to_i32(), -1);
  EXPECT_EQ(Variant(Currency{25000}).to_i32(), 2);  // 2.5 -> 2
  EXPECT_EQ(Variant(Currency{35000}).to_i32(), 4);
  EXPECT_EQ(Variant(true).to_i16(), -1);
  EXPECT_EQ(error_of([] { Variant(32767.5).to_i16(); }), raised(kOverflow));
  EXPECT_EQ(error_of([] { Variant(u"40000").to_i16(); }), raised(kOverflow));
  EXPECT_EQ(error_of([] { Variant(2147483648.0).to_i32(); }), raised(kOverflow));
  EXPECT_EQ(error_of([] { Variant(256).to_u8(); }), raised(kOverflow));
  EXPECT_EQ(error_of([] { Variant(-1).to_u8(); }), raised(kOverflow));
  EXPECT_EQ(error_of([] { Variant(u"abc").to_i32(); }), raised(kTypeMismatch));
  EXPECT_EQ(error_of([] { Variant(u"").to_double(); }), raised(kTypeMismatch));
  EXPECT_EQ(error_of([] { Variant::null().to_text(); }), raised(kInvalidUseOfNull));
}

TEST(VariantBool, TextAndNumbers) {
  EXPECT_TRUE(Variant(u"True").to_bool());
  EXPECT_FALSE(Variant(u" false ").to_bool());
  EXPECT_TRUE(Variant(u"2").to_bool());
  EXPECT_FALSE(Variant(u"0").to_bool());
  EXPECT_EQ(error_of([] { Variant(u"yes").to_bool(); }), raised(kTypeMismatch));
}

TEST(VariantCurrency, FourDecimalsRounded) {
  EXPECT_EQ(Variant(u"1.23456").to_currency().scaled, 12346);
  EXPECT_EQ(Variant(7).to_currency().scaled, 70000);
  EXPECT_EQ(error_of([] { Variant(1e300).to_currency(); }), raised(kOverflow));
}

TEST(VariantBytes, PackTwoToACodeUnit) { EXPECT_EQ(Variant(Bytes{0x41, 0x00, 0x42}).to_text(), u"A\u0042"); }

TEST(NumberParsing, AcceptsWhatTheEngineAccepts) {
  struct Case {
    const char16_t* text;
    bool ok;
    double value;
  };
  const Case cases[] = {
      {u"12", true, 12},         {u" -3.5 ", true, -3.5}, {u"+.5", true, 0.5},
      {u"1e3", true, 1000},      {u"1E-2", true, 0.01},   {u"1,234.5", true, 1234.5},
      {u"&H10", true, 16},       {u"&o17", true, 15},     {u"5.", true, 5},
      {u"", false, 0},           {u"  ", false, 0},       {u"1e", false, 0},
      {u"12abc", false, 0},      {u"1.2.3", false, 0},    {u"&H", false, 0},
      {u"--1", false, 0},        {u",5", false, 0},       {u".", false, 0},
      {u"(5)", true, -5},        {u"5-", true, -5},       {u"$-5", true, -5},
      {u"\u00A5100", true, 100}, {u"(5", false, 0},       {u"1 000", false, 0},
      {u"\t5", true, 5},         {u"1d2", false, 0},      {u"+", false, 0},
  };
  for (const auto& c : cases) {
    auto n = parse_number(c.text);
    EXPECT_EQ(n.has_value(), c.ok) << to_utf8(c.text);
    if (n && c.ok) {
      EXPECT_DOUBLE_EQ(*n, c.value) << to_utf8(c.text);
    }
  }
}

TEST(Dates, RoundTripAndFormat) {
  DateParts p{2026, 12, 6, 9, 5, 7};
  double d = ole_date_from_parts(p);
  EXPECT_EQ(format_ole_date(d), u"2026/12/6 9:05:07");
  DateParts q = parts_from_ole_date(d);
  EXPECT_EQ(q.year, 2026);
  EXPECT_EQ(q.second, 7);
  EXPECT_EQ(ole_date_from_parts({1899, 12, 30}), 0);
  EXPECT_EQ(ole_date_from_parts({2000, 1, 1}), 36526);
  EXPECT_TRUE(parse_date(u"2024-02-29").has_value());
  EXPECT_FALSE(parse_date(u"2023-02-29").has_value());
  EXPECT_EQ(format_ole_date(*parse_date(u"2024/2/29 13:01")), u"2024/2/29 13:01:00");
}

}  // namespace
}  // namespace brevane
