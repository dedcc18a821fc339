// The month calendar: geometry from the numbers, navigation through the
// query string, days linked from the record table, today and the selected day.
#include "html/calendar.h"

#include <gtest/gtest.h>

#include "core/object.h"
#include "core/vbdate.h"
#include "kit/expect.h"
#include "kit/hostkit.h"
#include "kit/memdb.h"

namespace brevane {
namespace {

using kit::error_of;
using kit::var;

size_t count(TextView s, TextView what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != Text::npos; at = s.find(what, at + what.size())) ++n;
  return n;
}

DateParts fixed_today() { return {2026, 2, 10, 9, 30, 0}; }

class CalendarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_clock_for_testing(fixed_today);
    db_.exec(
        u"create table news (id integer primary key, title text, DateAndTime text, kind text);"
        u"insert into news values (1, 'a', '20260205093000', 'x');"
        u"insert into news values (2, 'b', '20260205120000', 'x');"
        u"insert into news values (3, 'c', '20260218080000', 'y');"
        u"insert into news values (4, 'd', '20260305080000', 'x');"
        u"insert into news values (5, 'e', '20261231080000', 'x')");
  }
  void TearDown() override { set_clock_for_testing(nullptr); }

  Text show(std::initializer_list<std::pair<TextView, TextView>> query, TextView sql_add = u"",
            TextView href_add = u"") {
    auto request = kit::FakeRequest::make();
    for (auto& [k, v] : query) request->query->add(k, v);
    Variant req = var(request);
    rs_ = kit::MemoryDb::record_set();
    return CommShowCalendar(req, db_.conn(), rs_, u"news", Text(sql_add), Text(href_add), u"#EEEEEE", u"#AAAAAA",
                            u"Pink", u"#DDDDDD", u"Yellow", u"#DD9999", u"blue");
  }

  kit::MemoryDb db_;
  Variant rs_;
};

TEST(CalendarGeometry, FirstWeekdayAndMonthLength) {
  struct Case {
    int year, month, weekday, length;
  } cases[] = {
      {2026, 2, 0, 28},   // starts on a Sunday
      {2026, 8, 6, 31},   // starts on a Saturday
      {2024, 2, 4, 29},   // leap February
      {2000, 2, 2, 29},   // every 400 years
      {1900, 2, 4, 28},   // not every 100
      {2026, 12, 2, 31},  // December
      {2027, 1, 5, 31},   // January after it
      {2026, 4, 3, 30},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(first_weekday(c.year, c.month), c.weekday) << c.year << "-" << c.month;
    EXPECT_EQ(month_length(c.year, c.month), c.length) << c.year << "-" << c.month;
  }
}

TEST_F(CalendarTest, MonthStartingOnSundayHasNoLeadingBlanks) {
  Text s = show({{u"month", u"202602"}});
  EXPECT_EQ(count(s, u"<td bgcolor='#DDDDDD'></td>"), 0u);
  // Four full weeks exactly, then the footer row.
  EXPECT_NE(s.find(u">28</td></tr><tr><td colspan='7' bgcolor='Pink' align='center'></td></tr></table>"), Text::npos);
  EXPECT_EQ(s.find(u">29<"), Text::npos);
  EXPECT_NE(s.find(u"<b>二月&nbsp;2026</b>"), Text::npos);
}

TEST_F(CalendarTest, MonthStartingOnSaturdayHasSixLeadingBlanks) {
  Text s = show({{u"month", u"202608"}});
  EXPECT_EQ(count(s, u"<td bgcolor='#DDDDDD'></td>"), 6u);
  EXPECT_NE(s.find(u"<td bgcolor='#DDDDDD'></td><td align='center' bgcolor='#DDDDDD' style='font-size:10px;' >1</td>"
                   u"</tr><tr>"),
            Text::npos);
  // Six week rows between the heading rows and the footer, the last one
  // padded to seven cells without numbers.
  EXPECT_EQ(count(s, u"<tr>"), 2u + 6u + 1u);
  EXPECT_EQ(count(s, u"style='font-size:10px;' ></td>"), 5u);
}

TEST_F(CalendarTest, LeapFebruaryShowsTheTwentyNinth) {
  EXPECT_NE(show({{u"month", u"202402"}}).find(u"' >29</td>"), Text::npos);
  EXPECT_EQ(show({{u"month", u"202302"}}).find(u">29<"), Text::npos);
}

TEST_F(CalendarTest, NavigationCrossesTheYearBothWays) {
  Text dec = show({{u"month", u"202612"}}, u"", u"cat=2");
  EXPECT_NE(dec.find(u"<a href='?month=202512&cat=2' title='上一年'>&laquo;</a> "
                     u"<a href='?month=202611&cat=2' title='上一月'>&#8249;</a></td>"),
            Text::npos);
  EXPECT_NE(dec.find(u"<a href='?month=202701&cat=2' title='下一月'>&#8250;</a> "
                     u"<a href='?month=202712&cat=2' title='下一年'>&raquo;</a></td>"),
            Text::npos);
  Text jan = show({{u"month", u"202601"}});
  EXPECT_NE(jan.find(u"<a href='?month=202512' title='上一月'>"), Text::npos);
  EXPECT_NE(jan.find(u"<a href='?month=202602' title='下一月'>"), Text::npos);
}

TEST_F(CalendarTest, DaysWithRecordsLinkOnceEach) {
  Text s = show({{u"month", u"202602"}}, u"", u"cat=2");
  EXPECT_EQ(count(s, u"<a href='?date=20260205&cat=2'>5</a>"), 1u);
  EXPECT_NE(s.find(u"<td align='center' bgcolor='#DDDDDD' style='font-size:10px;cursor:hand;' >"
                   u"<a href='?date=20260218&cat=2'>18</a></td>"),
            Text::npos);
  EXPECT_EQ(count(s, u"cursor:hand"), 2u);
  EXPECT_EQ(get(rs_, u"State").to_i32(), 0);  // opened and closed again
}

TEST_F(CalendarTest, ExtraConditionNarrowsTheLinks) {
  Text s = show({{u"month", u"202602"}}, u"kind='y'");
  EXPECT_EQ(count(s, u"cursor:hand"), 1u);
  EXPECT_NE(s.find(u"<a href='?date=20260218'>18</a>"), Text::npos);
}

TEST_F(CalendarTest, MonthWithoutRecordsHasNoLinks) {
  EXPECT_EQ(count(show({{u"month", u"202604"}}), u"<a href='?date="), 0u);
}

TEST_F(CalendarTest, TodayAndTheSelectedDay) {
  // No query: the clock's month, today marked.
  Text now = show({});
  EXPECT_NE(now.find(u"<b>二月&nbsp;2026</b>"), Text::npos);
  EXPECT_NE(now.find(u"bgcolor='#DD9999' style='font-size:10px;' >10</td>"), Text::npos);
  // The selected day wins over today.
  Text both = show({{u"date", u"20260210"}});
  EXPECT_NE(both.find(u"bgcolor='Yellow' style='font-size:10px;' >10</td>"), Text::npos);
  EXPECT_EQ(both.find(u"#DD9999' style"), Text::npos);
  // Today is only today in its own month.
  EXPECT_EQ(show({{u"month", u"202603"}}).find(u"#DD9999' style"), Text::npos);
}

TEST_F(CalendarTest, MonthFromTheQueryKeepsTheSelectedDay) {
  Text s = show({{u"date", u"20260305"}, {u"month", u"202612"}});
  EXPECT_NE(s.find(u"<b>十二月&nbsp;2026</b>"), Text::npos);
  EXPECT_NE(s.find(u"bgcolor='Yellow' style='font-size:10px;' >5</td>"), Text::npos);
  EXPECT_NE(s.find(u"<a href='?date=20261231'>31</a>"), Text::npos);
}

TEST_F(CalendarTest, MalformedQueryValuesAreConversionErrors) {
  EXPECT_EQ(error_of([&] { show({{u"date", u"2026"}}); }).number, kTypeMismatch);
  EXPECT_EQ(error_of([&] { show({{u"month", u"abcdef"}}); }).number, kTypeMismatch);
  EXPECT_EQ(error_of([&] { show({{u"month", u"202613"}}); }).number, kSubscriptOutOfRange);
}

}  // namespace
}  // namespace brevane
