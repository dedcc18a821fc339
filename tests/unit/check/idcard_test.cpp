#include "check/idcard.h"

#include <gtest/gtest.h>

#include "core/registry.h"
#include "core/script_error.h"
#include "core/vbdate.h"
#include "kit/expect.h"

namespace brevane {
namespace {

const Text kLength = u"身份证号共有 15 码或18位";
const Text kDigits = u"身份证除最后一位外，必须为数字！";
const Text kBirth = u"出生年月错误！";
const Text kCheck = u"身份证校验位错误！正确应为";

// Every test here runs on 6 December 2026.
class IdCard : public ::testing::Test {
 protected:
  void SetUp() override {
    set_clock_for_testing([] { return DateParts{2026, 12, 6, 10, 0, 0}; });
  }
  void TearDown() override { set_clock_for_testing(nullptr); }
};

using kit::error_of;
using kit::raised;

TEST_F(IdCard, CheckCharacterRule) {
  EXPECT_EQ(idcard_check_character(u"11010519491231002"), u'X');
  EXPECT_EQ(idcard_check_character(u"11010519800101001"), u'6');
  EXPECT_EQ(idcard_check_character(u"11010518860101001"), u'0');
  EXPECT_EQ(idcard_body(u"110105491231002"), u"11010519491231002");
  EXPECT_EQ(idcard_body(u"11010519491231002X"), u"11010519491231002");
}

TEST_F(IdCard, CheckPostCardByLevel) {
  struct Case {
    Text number;
    int16_t level;
    Text want;
  };
  const Case cases[] = {
      {u"", 1, u""},  // level 1 checks nothing
      {u"junk", 0, u""},
      {u"1101051949123100", 2, kLength},
      {u"11010519491231002", 2, kLength},
      {u" 11010519491231002X", 2, kLength},  // not trimmed
      {u"110105491231002", 2, u""},
      {u"11010519491231002X", 2, u""},
      {u"1101051949123100XX", 2, kDigits},
      {u"11010519491231.02X", 2, kDigits},  // numeric text is not enough: digits only
      {u"+1010519491231002X", 2, kDigits},
      {u"11010519490230002X", 2, u""},     // dates not looked at below level 3
      {u"11010519490230002X", 3, kBirth},  // 30 February
      {u"11010520000229001X", 3, u""},     // leap day of a century divisible by 400
      {u"11010519000229001X", 3, kBirth},  // 1900 had none
      {u"11010520261206001X", 3, u""},     // born today
      {u"11010520261207001X", 3, kBirth},  // tomorrow
      {u"11010518860101001X", 3, u""},     // 140 calendar years back
      {u"11010518850101001X", 3, kBirth},  // 141
      {u"11010519491331002X", 3, kBirth},  // month 13
      {u"11010519491200002X", 3, kBirth},  // day 0
      {u"110105491231002", 3, u""},        // 15 characters read as 1949
      {u"11010519491231002X", 4, u""},
      {u"11010519491231002x", 4, kCheck + u"X"},  // a lower-case x is wrong
      {u"110105194912310021", 4, kCheck + u"X"},
      {u"110105198001010016", 4, u""},
      {u"110105198001010017", 9, kCheck + u"6"},
      {u"110105491231002", 4, u""},  // no check character to test
      {u"11010520000229001X", 4, kCheck + u"3"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CommCheckPostCard(c.number, c.level), c.want) << to_utf8(c.number) << " level " << c.level;
}

TEST_F(IdCard, BirthdayAsMonthDayYear) {
  struct Case {
    Text number;
    Text want;
  };
  const Case cases[] = {
      {u"11010519491231002X", u"12/31/1949"},
      {u" 11010519800101001X ", u"01/01/1980"},  // trimmed, zeros kept
      {u"110105491231002", u""},                 // 15 characters: not handled
      {u"11010520260101001X", u""},              // the current year
      {u"11010518760101001X", u"01/01/1876"},    // 150 years back
      {u"11010518750101001X", u""},              // 151
      {u"11010519801301001X", u""},              // month 13
      {u"11010519800132001X", u""},              // day 32
      {u"11010519800231001X", u"02/31/1980"},    // only 1-31 is asked of the day
  };
  for (const auto& c : cases) EXPECT_EQ(CommGetBirthdayFromPostcard(c.number), c.want) << to_utf8(c.number);
}

TEST_F(IdCard, SexFromTheSeventeenthCharacter) {
  EXPECT_EQ(CommGetSexFromPostcard(u"11010519491231001X"), u"男");
  EXPECT_EQ(CommGetSexFromPostcard(u"11010519491231002X"), u"女");
  EXPECT_EQ(CommGetSexFromPostcard(u" 11010519491231009X "), u"男");
  EXPECT_EQ(CommGetSexFromPostcard(u"110105491231002"), u"");
}

TEST_F(IdCard, NonDigitWhereANumberIsReadIsATypeMismatch) {
  EXPECT_EQ(error_of([] { CommGetSexFromPostcard(u"1101051949123100AX"); }), raised(kTypeMismatch));
  EXPECT_EQ(error_of([] { CommGetBirthdayFromPostcard(u"110105194912A1002X"); }), raised(kTypeMismatch));
  EXPECT_EQ(error_of([] { CommGetBirthdayFromPostcard(u"110105194A12310020"); }), raised(kTypeMismatch));
  EXPECT_EQ(error_of([] { CommGetBirthdayFromPostcard(u"ABCDEF19491231002X"); }), raised(0));  // region not read
}

TEST_F(IdCard, ByNameThroughTheFacade) {
  Variant c(create_object(u"Brevane.BrevaneCls"));
  EXPECT_EQ(call(c, u"CommCheckPostCard", {Variant(u"11010519491231002x"), Variant(u"4")}).to_text(), kCheck + u"X");
  EXPECT_EQ(call(c, u"CommGetSexFromPostcard", {Variant(u"11010519491231002X")}).to_text(), u"女");
}

}  // namespace
}  // namespace brevane
