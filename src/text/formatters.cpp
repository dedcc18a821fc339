#include "text/formatters.h"

#include <cmath>

#include "check/validators.h"
#include "core/vbdate.h"
#include "core/vbrt.h"
#include "frame/host.h"

namespace brevane {

namespace {

Text two_digits(int n) {
  Text t = u"0" + Variant(static_cast<int32_t>(n)).to_text();
  return t.substr(t.size() - 2);
}

Text date_stamp(const DateParts& p) {
  return Variant(static_cast<int32_t>(p.year)).to_text() + two_digits(p.month) + two_digits(p.day);
}

// Round half to even at two decimals, as the runtime's Round does.
double round2(double v) { return std::nearbyint(v * 100) / 100; }

}  // namespace

Text CommDecToHex(Currency p_Dec) {
  static constexpr const char16_t* kLetters[] = {u"A", u"B", u"C", u"D", u"E", u"F"};
  Text out;
  double x = Variant(p_Dec).to_double();
  while (x > 0) {
    double q = vb::Int(x / 16);
    double digit = x - q * 16;
    Text d = Variant(digit).to_text();
    // Only whole digits 10..15 become letters; "10.5" stays as it is.
    if (digit >= 10 && digit <= 15 && digit == std::floor(digit)) d = kLetters[static_cast<int>(digit) - 10];
    out = d + out;
    x = q;
  }
  return out;
}

Text CommDecToBin(Currency p_Dec) {
  Text out;
  Variant x(p_Dec);
  while (x.to_double() > 0) {
    int32_t n = x.to_i32();
    out = (n % 2 ? u"1" : u"0") + out;
    x = Variant(n / 2);
  }
  return out;
}

Currency CommStringToNumeric(Text p_String) {
  if (vb::Trim(p_String).empty() || !CommCheckIsNumeric(p_String)) return Currency{};
  Variant text(p_String);
  int32_t whole = text.to_i32();
  // A whole number is compared with the full value, not its single-precision
  // reading: 16777217 must stay 16777217, not become 16777216. Fractions keep
  // single precision.
  if (static_cast<double>(whole) == text.to_double()) return Currency::from_units(whole);
  return Variant(text.to_single()).to_currency();
}

Text CommGetDate() { return date_stamp(local_now()); }

Text CommGetDateTime() {
  DateParts p = local_now();
  return date_stamp(p) + two_digits(p.hour) + two_digits(p.minute) + two_digits(p.second);
}

Text CommPutDate(Text p_String) {
  Text s = vb::Trim(p_String);
  if (!vb::IsNumericText(s)) return s;
  return vb::Mid(s, 1, 4) + u"-" + vb::Mid(s, 5, 2) + u"-" + vb::Mid(s, 7, 2);
}

Text CommPutDateTime(Text p_String) {
  Text s = vb::Trim(p_String);
  if (!vb::IsNumericText(s)) return s;
  return CommPutDate(s) + u" " + vb::Mid(s, 9, 2) + u":" + vb::Mid(s, 11, 2) + u":" + vb::Mid(s, 13, 2);
}

Text CommGetIp(Variant& Request) {
  RequestRef request(Request);
  Text forwarded = request.server_variables(u"Http_X_Forwarded_For");
  return forwarded.empty() ? request.server_variables(u"Remote_Addr") : forwarded;
}

Text CommGetFileSize(Text p_FileSize) {
  if (p_FileSize.empty()) return u"0B";
  double n = Variant(p_FileSize).to_double();
  if (n < 1024) return Variant(n).to_text() + u"B";
  static constexpr const char16_t* kUnits[] = {u"K", u"M", u"G"};
  for (int unit = 0;; ++unit) {
    n /= 1024;
    if (n < 1024 || unit == 2) return Variant(round2(n)).to_text() + kUnits[unit];
  }
}

}  // namespace brevane
