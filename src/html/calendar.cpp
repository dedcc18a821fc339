#include "html/calendar.h"

#include <array>
#include <vector>

#include "core/script_error.h"
#include "core/vbdate.h"
#include "core/vbrt.h"
#include "frame/host.h"

namespace brevane {

namespace {

constexpr std::array<const char16_t*, 12> kMonthNames = {u"一月", u"二月", u"三月", u"四月", u"五月",   u"六月",
                                                         u"七月", u"八月", u"九月", u"十月", u"十一月", u"十二月"};
constexpr std::array<const char16_t*, 7> kWeekdays = {u"日", u"一", u"二", u"三", u"四", u"五", u"六"};

bool leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// The query values are read as the page's script would convert them: a part
// that is missing or not a number is a type mismatch.
int number_part(TextView text, int64_t start, int64_t length) { return Variant(vb::Mid(text, start, length)).to_i16(); }

// A month outside 1..12 would index past the name and length tables; a year
// outside the date range has no calendar.
void check_month(int year, int month) {
  if (month < 1 || month > 12) throw ScriptError(kSubscriptOutOfRange);
  if (year < 100 || year > 9999) throw ScriptError(kTypeMismatch);
}

Text two_digits(int n) {
  Text t = Variant(int32_t{n}).to_text();
  return t.size() < 2 ? u"0" + t : t;
}

Text month_key(int year, int month) { return Variant(int32_t{year}).to_text() + two_digits(month); }

// One link per day that holds records; the rows come ordered, so a day
// equal to the last one seen adds nothing.
struct DayLink {
  int month = 0, day = 0;
  Text href;
};

std::vector<DayLink> day_links(Variant& rs, Variant& conn, TextView sql, TextView key, TextView href_add) {
  RecordsetRef r(rs);
  r.open(sql, conn, 1, 1);
  std::vector<DayLink> links;
  Text last = u"00";
  while (!r.eof()) {
    Variant v = r.field(u"DateAndTime");
    Text stamp = v.is_null() ? Text() : v.to_text();
    Text day = vb::Mid(stamp, 7, 2);
    if (day != last) {
      Text month = vb::Mid(stamp, 5, 2);
      // A malformed stamp cannot match a day of the grid; it links nowhere.
      if (vb::IsNumericText(month) && vb::IsNumericText(day)) {
        Text href = u"?date=" + Text(key) + day;
        if (!href_add.empty()) href += u"&" + Text(href_add);
        links.push_back({Variant(month).to_i16(), Variant(day).to_i16(), std::move(href)});
      }
      last = day;
    }
    r.move_next();
  }
  r.close();
  return links;
}

}  // namespace

int first_weekday(int year, int month) {
  // Zeller-style count on a year that starts in March.
  static constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  int y = month < 3 ? year - 1 : year;
  return (y + y / 4 - y / 100 + y / 400 + kOffsets[month - 1] + 1) % 7;
}

int month_length(int year, int month) {
  static constexpr int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap_year(year) ? 29 : kLengths[month - 1];
}

Text CommShowCalendar(Variant& Request, Variant& Conn, Variant& Rs, Text p_TableName, Text p_SqlAdd, Text p_HrefAdd,
                      Text p_CalendarBackColor, Text p_CalendarHeaderBackColor, Text p_CalendarWeekColor,
                      Text p_CalendarDayColor, Text p_CalendarCurrentDayColor, Text p_CalendarTodayColor,
                      Text p_CalendarHeaderForeColor) {
  RequestRef request(Request);
  const DateParts today = local_now();
  int year = today.year, month = today.month, selected = 0;
  Text date = vb::Trim(request.query_string(u"date"));
  if (!date.empty()) {
    year = number_part(date, 1, 4);
    month = number_part(date, 5, 2);
    selected = number_part(date, 7, 2);
  }
  Text shown = vb::Trim(request.query_string(u"month"));
  if (!shown.empty()) {
    year = number_part(shown, 1, 4);
    month = number_part(shown, 5, 2);
  }
  check_month(year, month);
  const Text key = month_key(year, month);

  Text sql = u"Select [DateAndTime] From [" + p_TableName + u"] Where Left(DateAndTime,6)='" + key + u"'";
  if (!p_SqlAdd.empty()) sql += u" And " + p_SqlAdd;
  sql += u" Order By [DateAndTime]";
  const std::vector<DayLink> links = day_links(Rs, Conn, sql, key, p_HrefAdd);

  const int blanks = first_weekday(year, month);
  const int length = month_length(year, month);
  const int next_year = month == 12 ? year + 1 : year, next_month = month == 12 ? 1 : month + 1;
  const int prev_year = month == 1 ? year - 1 : year, prev_month = month == 1 ? 12 : month - 1;
  const Text extra = p_HrefAdd.empty() ? Text() : u"&" + p_HrefAdd;
  auto nav = [&](int y, int m) { return u"<a href='?month=" + month_key(y, m) + extra; };
  const Text year_text = Variant(int32_t{year}).to_text();

  Text out = u"<table border='0' width='100%' align='center' cellspacing='1' cellpadding='1' bgcolor='" +
             p_CalendarBackColor + u"'>";
  out += u"<tr><td colspan='1' bgcolor='" + p_CalendarHeaderBackColor + u"' align='center' style='font-size:16px;'>" +
         nav(year - 1, month) + u"' title='上一年'>&laquo;</a> " + nav(prev_year, prev_month) +
         u"' title='上一月'>&#8249;</a></td>";
  out += u"<td colspan='5' align='center' style='font-size:14px;color:" + p_CalendarHeaderForeColor + u";'><b>" +
         kMonthNames[static_cast<size_t>(month - 1)] + u"&nbsp;" + year_text + u"</b></td>";
  out += u"<td colspan='1' bgcolor='" + p_CalendarHeaderBackColor + u"' align='center' style='font-size:16px;'>" +
         nav(next_year, next_month) + u"' title='下一月'>&#8250;</a> " + nav(year + 1, month) +
         u"' title='下一年'>&raquo;</a></td></tr>";
  out += u"<tr>";
  for (const char16_t* name : kWeekdays)
    out += u"<td align='center' bgcolor='" + p_CalendarWeekColor + u"'>" + name + u"</td>";
  out += u"</tr>";

  const bool this_month = today.year == year && today.month == month;
  int day = 1;
  for (bool first_week = true; day <= length; first_week = false) {
    out += u"<tr>";
    for (int column = 0; column < 7; ++column) {
      if (first_week && column < blanks) {
        out += u"<td bgcolor='" + p_CalendarDayColor + u"'></td>";
        continue;
      }
      Text colour = p_CalendarDayColor;
      if (this_month && day == today.day) colour = p_CalendarTodayColor;
      if (day == selected) colour = p_CalendarCurrentDayColor;
      const DayLink* link = nullptr;
      for (const DayLink& l : links)
        if (l.month == month && l.day == day) link = &l;
      out += u"<td align='center' bgcolor='" + colour + u"' style='font-size:10px;";
      out += link ? u"cursor:hand;' ><a href='" + link->href + u"'>" : Text(u"' >");
      if (day <= length) out += Variant(int32_t{day}).to_text();
      if (link) out += u"</a>";
      out += u"</td>";
      ++day;
    }
    out += u"</tr>";
  }
  out += u"<tr><td colspan='7' bgcolor='" + p_CalendarWeekColor + u"' align='center'></td></tr></table>";
  return out;
}

}  // namespace brevane
