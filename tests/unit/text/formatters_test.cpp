// Numbers, stamps and sizes, grouped by family.
#include "text/formatters.h"

#include <gtest/gtest.h>

#include "core/registry.h"
#include "core/vbdate.h"
#include "kit/expect.h"
#include "kit/hostkit.h"

namespace brevane {
namespace {

using kit::error_of;
using kit::raised;

Currency cur(double v) { return Variant(v).to_currency(); }

TEST(Bases, Hexadecimal) {
  struct {
    double value;
    const char16_t* expected;
  } cases[] = {{255, u"FF"},
               {16, u"10"},
               {0, u""},
               {-5, u""},
               {10, u"A"},
               {4095, u"FFF"},
               {10.5, u"10.5"},
               {26.5, u"110.5"},
               {2147483648.0, u"80000000"},
               {1e14, u"5AF3107A4000"}};
  for (auto& c : cases) EXPECT_EQ(CommDecToHex(cur(c.value)), c.expected) << c.value;
}

TEST(Bases, Binary) {
  struct {
    double value;
    const char16_t* expected;
  } cases[] = {{5, u"101"},  {0, u""},     {-3, u""},     {1, u"1"},
               {8, u"1000"}, {2.5, u"10"}, {3.5, u"100"}, {2147483647.0, u"1111111111111111111111111111111"}};
  for (auto& c : cases) EXPECT_EQ(CommDecToBin(cur(c.value)), c.expected) << c.value;
  EXPECT_EQ(error_of([] { CommDecToBin(cur(2147483648.0)); }), raised(kOverflow));
}

TEST(Numeric, TextBecomesCurrency) {
  struct {
    const char16_t* text;
    double expected;
  } cases[] = {{u"12", 12},
               {u"12.5", 12.5},
               {u"abc", 0},
               {u"   ", 0},
               {u"", 0},
               {u" -7 ", -7},
               {u"0.1", 0.1},
               {u"1e3", 1000},
               {u"3.14159265", 3.1416},
               {u"2147483647", 2147483647.0},
               {u"16777217", 16777217},
               {u"16777217.5", 16777218}};
  for (auto& c : cases) EXPECT_EQ(CommStringToNumeric(c.text), cur(c.expected)) << to_utf8(c.text);
  EXPECT_EQ(error_of([] { CommStringToNumeric(u"3000000000"); }), raised(kOverflow));
}

// ---- stamps ----

DateParts morning() { return {2026, 3, 7, 9, 5, 4}; }
DateParts far_year() { return {12026, 12, 31, 23, 59, 59}; }

class Stamps : public ::testing::Test {
 protected:
  void TearDown() override { set_clock_for_testing(nullptr); }
};

TEST_F(Stamps, PaddedToTwoDigits) {
  set_clock_for_testing(&morning);
  EXPECT_EQ(CommGetDate(), u"20260307");
  EXPECT_EQ(CommGetDateTime(), u"20260307090504");
  set_clock_for_testing(&far_year);
  EXPECT_EQ(CommGetDate(), u"120261231");  // the year keeps all its digits
  EXPECT_EQ(CommGetDateTime(), u"120261231235959");
}

TEST_F(Stamps, ReachableByName) {
  set_clock_for_testing(&morning);
  Variant c(create_object(u"Brevane.BrevaneCls"));
  EXPECT_EQ(call(c, u"CommGetDateTime").to_text(), u"20260307090504");
}

TEST(ReadableStamps, NumericStampsGetSeparators) {
  struct {
    const char16_t* text;
    const char16_t* date;
    const char16_t* date_time;
  } cases[] = {
      {u"20261206", u"2026-12-06", u"2026-12-06 ::"},
      {u" 20261206090507 ", u"2026-12-06", u"2026-12-06 09:05:07"},
      {u"2026", u"2026--", u"2026-- ::"},
      {u"2026-12-06", u"2026-12-06", u"2026-12-06"},  // not numeric: unchanged
      {u"  abc ", u"abc", u"abc"},
      {u"", u"", u""},
  };
  for (auto& c : cases) {
    EXPECT_EQ(CommPutDate(c.text), c.date) << to_utf8(c.text);
    EXPECT_EQ(CommPutDateTime(c.text), c.date_time) << to_utf8(c.text);
  }
}

// ---- client address ----

TEST(ClientAddress, PrefersTheForwardedAddress) {
  auto request = kit::FakeRequest::make();
  request->server_variables[u"REMOTE_ADDR"] = u"10.0.0.2";
  Variant r = kit::var(request);
  EXPECT_EQ(CommGetIp(r), u"10.0.0.2");
  request->server_variables[u"HTTP_X_FORWARDED_FOR"] = u"1.2.3.4, 10.0.0.1";
  EXPECT_EQ(CommGetIp(r), u"1.2.3.4, 10.0.0.1");
}

// ---- file sizes ----

TEST(FileSize, UnitsAndRounding) {
  struct {
    const char16_t* bytes;
    const char16_t* expected;
  } cases[] = {
      {u"", u"0B"},        {u"0", u"0B"},          {u"1023", u"1023B"},          {u"1024", u"1K"},
      {u"1536", u"1.5K"},  {u"1152", u"1.12K"},    {u"1167.36", u"1.14K"},       {u"1048575", u"1024K"},
      {u"1048576", u"1M"}, {u"1073741824", u"1G"}, {u"1099511627776", u"1024G"}, {u"1126", u"1.1K"},
      {u" 2048 ", u"2K"},  {u"-5", u"-5B"},
  };
  for (auto& c : cases) EXPECT_EQ(CommGetFileSize(c.bytes), c.expected) << to_utf8(c.bytes);
}

TEST(FileSize, TextThatIsNotANumberIsATypeMismatch) {
  EXPECT_EQ(error_of([] { CommGetFileSize(u"abc"); }), raised(kTypeMismatch));
  EXPECT_EQ(error_of([] { CommGetFileSize(u"12KB"); }), raised(kTypeMismatch));
}

}  // namespace
}  // namespace brevane
