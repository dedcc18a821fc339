// Dates as the automation layer keeps them: days since 30 December 1899 with
// the time of day as the fraction.
#pragma once

#include <optional>

#include "core/text.h"

namespace brevane {

struct DateParts {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};

double ole_date_from_parts(const DateParts& p);
DateParts parts_from_ole_date(double d);
// The short form of a zh-CN system: 2026/12/6 9:05:07; a date alone or a time alone when the other part is zero.
Text format_ole_date(double d);
// yyyy-mm-dd or yyyy/m/d, optionally followed by h:mm[:ss].
std::optional<double> parse_date(TextView s);

// The local clock, read once per call by callers; tests replace it.
using Clock = DateParts (*)();
DateParts local_now();
void set_clock_for_testing(Clock c);  // nullptr restores the real clock

}  // namespace brevane
