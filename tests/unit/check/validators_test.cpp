// Value validators, grouped by family: character rules, e-mail, record
// numbers with the error page, patterns, the class registry.
#include "check/validators.h"

#include <gtest/gtest.h>

#include "core/registry.h"
#include "frame/errorpage.h"
#include "kit/expect.h"
#include "kit/hostkit.h"

namespace brevane {
namespace {

using kit::var;

using kit::error_of;
using kit::raised;

struct BoolCase {
  const char16_t* text;
  bool expected;
};

void expect_all(bool (*check)(Text), std::initializer_list<BoolCase> cases, const char* name) {
  for (const auto& c : cases) EXPECT_EQ(check(c.text), c.expected) << name << " of [" << to_utf8(c.text) << "]";
}

TEST(CharacterRules, Chinese) {
  expect_all(CommCheckIsChinese,
             {{u"中文", true},
              {u" 中文 ", true},
              {u"，。", true},  // full-width signs are double-byte too
              {u"", false},
              {u"   ", false},
              {u"中a文", false},
              {u"中 文", false},
              {u"\u20AC", false}},
             "Chinese");
}

TEST(CharacterRules, Integer) {
  expect_all(CommCheckIsInteger,
             {{u" 123 ", true},
              {u"0", true},
              {u"-1", false},
              {u"1.0", false},
              {u"1 2", false},
              {u"", false},
              {u"\t1", false},
              {u"１", false}},
             "Integer");
}

TEST(CharacterRules, Numeric) {
  expect_all(CommCheckIsNumeric,
             {{u" 12.5 ", true},
              {u"-3", true},
              {u"1,000", true},
              {u"1e3", true},
              {u"&H1F", true},
              {u"", false},
              {u"  ", false},
              {u"abc", false},
              {u"1.2.3", false}},
             "Numeric");
}

TEST(CharacterRules, Telephone) {
  expect_all(CommCheckIsTelephone,
             {{u"010-1234", true},
              {u"1234567", true},
              {u" 1234567 ", true},
              {u"-------", true},
              {u"123456", false},
              {u"+861234567", false},
              {u"(010)1234", false},
              {u"010 1234", false}},
             "Telephone");
}

TEST(CharacterRules, ValidStringNamesTheFirstForbiddenCharacter) {
  struct {
    const char16_t* text;
    const char16_t* expected;
  } cases[] = {{u"ab c", u" "},  {u" abc ", u""},  {u"a-b=c", u"-"}, {u"", u""},       {u"abc", u""},
               {u"a\tb", u"\t"}, {u"a\"b", u"\""}, {u"x\\y", u"\\"}, {u"中文|", u"|"}, {u"a_b.c", u""}};
  for (auto& c : cases) EXPECT_EQ(CommCheckIsValidString(c.text), c.expected) << to_utf8(c.text);
  for (char16_t c : TextView(u"=%?#&;,'+<>()-:\\*!/| \"\t"))
    EXPECT_EQ(CommCheckIsValidString(Text(u"a") + c + u"b"), Text(1, c));
}

TEST(Email, LabelsAndParts) {
  expect_all(CommCheckIsEmail,
             {{u"a@x.cn", true},
              {u"name_1.x-y@mail.x.com", true},
              {u"A@X.CN", true},  // upper case accepted
              {u"a@x.info", false},
              {u"a@x.c", false},
              {u"a@b@x.cn", false},
              {u"a@xcn", false},
              {u".a@x.cn", false},
              {u"a.@x.cn", false},
              {u"a@x.cn.", false},
              {u"a@.x.cn", false},
              {u"a..b@x.cn", false},
              {u"a@x..cn", false},
              {u"@x.cn", false},
              {u"a@", false},
              {u" a@x.cn", false},  // no trimming
              {u"a+b@x.cn", false},
              {u"中@x.cn", false},
              {u"", false}},
             "Email");
}

// ---- record numbers: answers or the error page ----

TEST(RecordNumber, NumericTextGivesItsLeadingNumberRoundedDown) {
  auto response = kit::FakeResponse::make();
  Variant r = var(response);
  struct {
    const char16_t* text;
    int16_t expected;
  } cases[] = {{u"12", 12},   {u" 12 ", 12}, {u"12.7", 12},     {u"-1.5", -2},
               {u"1,000", 1}, {u"&H10", 16}, {u"32767", 32767}, {u"-32768", -32768}};
  for (auto& c : cases) EXPECT_EQ(CommCheckIsID(r, c.text, false), c.expected) << to_utf8(c.text);
  EXPECT_EQ(response->write_calls, 0);
}

TEST(RecordNumber, OutsideSixteenBitsOverflows) {
  Variant r = var(kit::FakeResponse::make());
  EXPECT_EQ(error_of([&] { CommCheckIsID(r, u"32768", false); }), raised(kOverflow));
  EXPECT_EQ(error_of([&] { CommCheckIsRange(r, u"-40000", 1, 10); }), raised(kOverflow));
}

TEST(RecordNumber, NonNumericShowsTheErrorPageAndAnswersZero) {
  for (bool close_parent : {false, true}) {
    auto response = kit::FakeResponse::make();
    Variant r = var(response);
    EXPECT_EQ(CommCheckIsID(r, u"1 or 1=1", close_parent), 0);
    EXPECT_EQ(response->output, error_page_html(u"无效ID。", close_parent));
    EXPECT_TRUE(response->ended);
  }
}

TEST(RecordNumber, RangeWithinBoundsWritesNothing) {
  auto response = kit::FakeResponse::make();
  Variant r = var(response);
  EXPECT_EQ(CommCheckIsRange(r, u"5", 1, 10), 5);
  EXPECT_EQ(CommCheckIsRange(r, u"1", 1, 10), 1);
  EXPECT_EQ(CommCheckIsRange(r, u"10", 1, 10), 10);
  EXPECT_EQ(response->write_calls, 0);
}

TEST(RecordNumber, RangeOutsideShowsTheBoundsAndAnswersTheValue) {
  auto response = kit::FakeResponse::make();
  Variant r = var(response);
  EXPECT_EQ(CommCheckIsRange(r, u"11", 1, 10), 11);
  EXPECT_EQ(response->output, error_page_html(u"范围无效。允许范围为1--10", false));
  EXPECT_TRUE(response->ended);
  auto negative = kit::FakeResponse::make();
  Variant n = var(negative);
  CommCheckIsRange(n, u"0", -5, -1);
  EXPECT_NE(negative->output.find(u"允许范围为-5---1"), Text::npos);
}

TEST(RecordNumber, RangeOfNonNumericTextShowsOnlyTheIdPage) {
  auto response = kit::FakeResponse::make();
  Variant r = var(response);
  EXPECT_EQ(CommCheckIsRange(r, u"x", 1, 10), 0);
  EXPECT_EQ(response->write_calls, 1);
  EXPECT_NE(response->output.find(u"无效ID。"), Text::npos);
}

TEST(RecordNumber, ReachableByNameWithOptionalCloseParent) {
  auto response = kit::FakeResponse::make();
  Variant c(create_object(u"Brevane.BrevaneCls"));
  Variant id = call(c, u"CommCheckIsID", {var(response), Variant(u"7")});
  EXPECT_EQ(id.type(), VarType::Integer);
  EXPECT_EQ(id.to_i16(), 7);
}

// ---- patterns ----

TEST(Patterns, CheckRegIsCaseInsensitiveAndUnanchored) {
  Variant c(create_object(u"Brevane.BrevaneCls"));
  auto reg = [&](const char16_t* pattern, const char16_t* text) {
    Variant r = call(c, u"CommCheckReg", {Variant(pattern), Variant(text)});
    EXPECT_EQ(r.type(), VarType::Boolean);
    return r.to_bool();
  };
  EXPECT_TRUE(reg(u"ABC", u"xxabcxx"));
  EXPECT_FALSE(reg(u"^ABC$", u"xxabcxx"));
  EXPECT_TRUE(reg(u"^[\\u4e00-\\u9fa5]+$", u"中文"));
  EXPECT_TRUE(reg(u"^\\d{3}-\\d{8}$", u"010-12345678"));
  EXPECT_EQ(error_of([&] { reg(u"[a", u"a"); }), raised(5019));
}

TEST(Patterns, EmptyMeansBlankAfterTrimmingSpacesOnly) {
  expect_all([](Text s) { return CommCheckIsEmpty(s).to_bool(); },
             {{u"", true}, {u"   ", true}, {u"\t", false}, {u" a ", false}, {u"\n", false}}, "Empty");
  EXPECT_EQ(CommCheckIsEmpty(u"").type(), VarType::Boolean);
  EXPECT_EQ(CommCheckIsEmpty(u"").raw_int(), -1);
}

// ---- installed classes ----

TEST(Installed, AsksTheClassRegistry) {
  Variant server = var(kit::FakeServer::make());
  EXPECT_TRUE(CommCheckIsObjInstalled(server, u"VBScript.RegExp"));
  EXPECT_TRUE(CommCheckIsObjInstalled(server, u"brevane.brevanecls"));
  EXPECT_FALSE(CommCheckIsObjInstalled(server, u"No.Such.Class"));
  EXPECT_FALSE(CommCheckIsObjInstalled(server, u""));
}

}  // namespace
}  // namespace brevane
