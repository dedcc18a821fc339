// A month calendar for pages that list dated records: days holding records
// link to "?date=yyyymmdd", arrows move by month and year through
// "?month=yyyymm". All state lives in the page's query string.
#pragma once

#include "core/variant.h"

namespace brevane {

// The table's DateAndTime column starts with yyyymmdd; `Rs` must be a closed
// record set, which is opened on `Conn` and closed again. `p_SqlAdd` is an
// extra condition without a leading "And"; `p_HrefAdd` an extra query string
// without a leading "&". Colours go into attributes as given.
Text CommShowCalendar(Variant& Request, Variant& Conn, Variant& Rs, Text p_TableName, Text p_SqlAdd, Text p_HrefAdd,
                      Text p_CalendarBackColor, Text p_CalendarHeaderBackColor, Text p_CalendarWeekColor,
                      Text p_CalendarDayColor, Text p_CalendarCurrentDayColor, Text p_CalendarTodayColor,
                      Text p_CalendarHeaderForeColor);

// Month geometry, from the numbers alone: weekday of the first (0 Sunday ..
// 6 Saturday) and the month's length, February having 29 days in leap years.
int first_weekday(int year, int month);
int month_length(int year, int month);

}  // namespace brevane
