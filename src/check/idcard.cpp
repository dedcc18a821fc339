#include "check/idcard.h"

#include <algorithm>
#include <tuple>

#include "core/script_error.h"
#include "core/vbdate.h"
#include "core/vbrt.h"

namespace brevane {

namespace {

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool all_digits(TextView s) { return std::all_of(s.begin(), s.end(), is_digit); }

// A field read as a number; anything but digits is a type mismatch.
int read_number(TextView s) {
  if (s.empty() || !all_digits(s)) throw ScriptError(kTypeMismatch);
  int v = 0;
  for (char16_t c : s) v = v * 10 + (c - u'0');
  return v;
}

bool leap_year(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leap_year(y) ? 29 : kDays[m - 1];
}

// A real calendar date, not after today, at most 140 calendar years back.
bool plausible_birth_date(int y, int m, int d) {
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > days_in_month(y, m)) return false;
  const DateParts today = local_now();
  if (std::tie(y, m, d) > std::tie(today.year, today.month, today.day)) return false;
  return today.year - y <= 140;
}

}  // namespace

Text idcard_body(TextView number) {
  if (number.size() == 18) return Text(number.substr(0, 17));
  if (number.size() == 15) return Text(number.substr(0, 6)) + u"19" + Text(number.substr(6));
  return {};
}

char16_t idcard_check_character(TextView body17) {
  static constexpr int kWeights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
  static constexpr char16_t kCheck[] = u"10X98765432";
  int sum = 0;
  for (size_t i = 0; i < 17; ++i) sum += (body17[i] - u'0') * kWeights[i];
  return kCheck[sum % 11];
}

Text CommCheckPostCard(Text p_Postcard, int16_t p_Level) {
  if (p_Level < 2) return {};
  if (p_Postcard.size() != 15 && p_Postcard.size() != 18) return u"身份证号共有 15 码或18位";
  const Text body = idcard_body(p_Postcard);
  // Digits only: a body that merely reads as a number ("+", ".", "e") would
  // pass here and then break the date and check-character steps.
  if (!all_digits(body)) return u"身份证除最后一位外，必须为数字！";
  if (p_Level < 3) return {};

  const int year = read_number(TextView(body).substr(6, 4));
  const int month = read_number(TextView(body).substr(10, 2));
  const int day = read_number(TextView(body).substr(12, 2));
  if (!plausible_birth_date(year, month, day)) return u"出生年月错误！";
  if (p_Level < 4) return {};

  const char16_t check = idcard_check_character(body);
  if (p_Postcard.size() == 18 && p_Postcard[17] != check) return Text(u"身份证校验位错误！正确应为") + check;
  return {};
}

Text CommGetBirthdayFromPostcard(Text p_Postcard) {
  const Text t = vb::Trim(p_Postcard);
  if (t.size() != 18) return {};
  const TextView v = t;
  const int month = read_number(v.substr(10, 2));
  const int day = read_number(v.substr(12, 2));
  const int year = read_number(v.substr(6, 4));
  const int this_year = local_now().year;
  if (month < 1 || month > 12 || day < 1 || day > 31 || year >= this_year || this_year - year > 150) return {};
  return Text(v.substr(10, 2)) + u"/" + Text(v.substr(12, 2)) + u"/" + Text(v.substr(6, 4));
}

Text CommGetSexFromPostcard(Text p_Postcard) {
  const Text t = vb::Trim(p_Postcard);
  if (t.size() != 18) return {};
  return read_number(TextView(t).substr(16, 1)) % 2 ? u"男" : u"女";
}

}  // namespace brevane
