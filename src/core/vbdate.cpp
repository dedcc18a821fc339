#include "core/vbdate.h"

#include <cmath>
#include <ctime>
#include <string>

namespace brevane {

namespace {

// Days from the civil calendar (proleptic Gregorian), 1970-01-01 = 0.
int64_t days_from_civil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civil_from_days(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

constexpr int64_t kOleEpoch = -25569;  // 1899-12-30 in days since 1970-01-01

DateParts real_now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

Clock g_clock = nullptr;

}  // namespace

DateParts local_now() { return g_clock ? g_clock() : real_now(); }
void set_clock_for_testing(Clock c) { g_clock = c; }

double ole_date_from_parts(const DateParts& p) {
  double days = static_cast<double>(days_from_civil(p.year, p.month, p.day) - kOleEpoch);
  double frac = (p.hour * 3600 + p.minute * 60 + p.second) / 86400.0;
  // Negative OLE dates carry the time as a positive fraction away from zero.
  return days < 0 ? days - frac : days + frac;
}

DateParts parts_from_ole_date(double d) {
  double whole = std::trunc(d);
  double frac = std::fabs(d - whole);
  int64_t secs = std::llround(frac * 86400.0);
  if (secs >= 86400) {
    secs -= 86400;
    whole += d < 0 ? -1 : 1;
  }
  DateParts p;
  civil_from_days(static_cast<int64_t>(whole) + kOleEpoch, p.year, p.month, p.day);
  p.hour = static_cast<int>(secs / 3600);
  p.minute = static_cast<int>(secs / 60 % 60);
  p.second = static_cast<int>(secs % 60);
  return p;
}

Text format_ole_date(double d) {
  DateParts p = parts_from_ole_date(d);
  std::string date = std::to_string(p.year) + "/" + std::to_string(p.month) + "/" + std::to_string(p.day);
  char time[16];
  std::snprintf(time, sizeof time, "%d:%02d:%02d", p.hour, p.minute, p.second);
  bool has_date = std::trunc(d) != 0;
  bool has_time = p.hour || p.minute || p.second;
  if (has_date && has_time) return T(date + " " + time);
  if (has_time) return T(time);
  return T(date);
}

std::optional<double> parse_date(TextView s) {
  int f[6] = {0, 0, 0, 0, 0, 0};
  int n = 0;
  size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  while (i < s.size() && n < 6) {
    if (s[i] < u'0' || s[i] > u'9') return std::nullopt;
    int v = 0, digits = 0;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9' && digits < 5) v = v * 10 + (s[i++] - u'0'), ++digits;
    f[n++] = v;
    if (i >= s.size()) break;
    char16_t sep = s[i];
    bool ok = (n < 3 && (sep == u'-' || sep == u'/')) || (n == 3 && sep == u' ') || (n > 3 && sep == u':');
    if (!ok) break;
    ++i;
    while (n == 3 && i < s.size() && s[i] == u' ') ++i;
  }
  while (i < s.size() && s[i] == u' ') ++i;
  if (i != s.size() || n < 3 || n == 4) return std::nullopt;
  DateParts p{f[0], f[1], f[2], f[3], f[4], f[5]};
  if (p.month < 1 || p.month > 12 || p.day < 1 || p.day > 31 || p.hour > 23 || p.minute > 59 || p.second > 59)
    return std::nullopt;
  int y, m, d;
  civil_from_days(days_from_civil(p.year, p.month, p.day), y, m, d);
  if (m != p.month) return std::nullopt;  // 31 February and the like
  return ole_date_from_parts(p);
}

}  // namespace brevane
