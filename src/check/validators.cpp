#include "check/validators.h"

#include <cmath>

#include "core/codepage.h"
#include "core/registry.h"
#include "core/vbrt.h"
#include "frame/errorpage.h"
#include "platform/regexp.h"

namespace brevane {

namespace {

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Space, double quote and tab close the set.
constexpr char16_t kForbidden[] = u"=%?#&;,'+<>()-:\\*!/| \"\t";

// A name or domain part of an address: not empty, no "." at either end, and
// only letters, digits, "_", "-" and ".".
bool email_part_ok(TextView part) {
  if (part.empty()) return false;
  for (char16_t c : part) {
    char16_t l = ascii_lower(c);
    bool listed = (l >= u'a' && l <= u'z') || l == u'_' || l == u'-' || l == u'.';
    if (!listed && !vb::IsNumericText(TextView(&c, 1))) return false;
  }
  return part.front() != u'.' && part.back() != u'.';
}

}  // namespace

bool CommCheckIsChinese(Text p_String) {
  Text s = vb::Trim(p_String);
  if (s.empty()) return false;
  const CodePage& cp = CodePage::ansi();
  for (char16_t c : s)
    if (cp.ansi_code(c) >= 0) return false;
  return true;
}

bool CommCheckIsInteger(Text p_String) {
  Text s = vb::Trim(p_String);
  if (s.empty()) return false;
  for (char16_t c : s)
    if (!is_digit(c)) return false;
  return true;
}

bool CommCheckIsNumeric(Text p_String) {
  Text s = vb::Trim(p_String);
  return !s.empty() && vb::IsNumericText(s);
}

bool CommCheckIsTelephone(Text p_String) {
  Text s = vb::Trim(p_String);
  if (s.size() < 7) return false;
  for (char16_t c : s)
    if (!is_digit(c) && c != u'-') return false;
  return true;
}

Text CommCheckIsValidString(Text p_String) {
  for (char16_t c : vb::Trim(p_String))
    if (TextView(kForbidden).find(c) != TextView::npos) return Text(1, c);
  return {};
}

bool CommCheckIsEmail(Text p_String) {
  std::vector<Text> parts = vb::Split(p_String, u"@");
  if (parts.size() != 2) return false;
  const Text& domain = parts[1];
  if (!email_part_ok(parts[0]) || !email_part_ok(domain)) return false;
  size_t dot = domain.rfind(u'.');
  if (dot == Text::npos) return false;
  size_t last_label = domain.size() - (dot + 1);
  if (last_label != 2 && last_label != 3) return false;
  return p_String.find(u"..") == Text::npos;
}

int16_t record_number(TextView s) { return Variant(std::floor(vb::Val(s))).to_i16(); }

namespace {

// CommCheckIsID, also telling whether it has already rejected the request.
int16_t check_id(Variant& response, TextView s, bool close_parent, bool& rejected) {
  rejected = false;
  if (CommCheckIsNumeric(Text(s))) return record_number(s);
  show_error_page(response, Variant(u""), Variant(u""), u"无效ID。", close_parent);
  rejected = true;
  return 0;
}

}  // namespace

int16_t CommCheckIsID(Variant& Response, Text p_String, bool p_CloseParent) {
  bool rejected;
  return check_id(Response, p_String, p_CloseParent, rejected);
}

int16_t CommCheckIsRange(Variant& Response, Text p_String, int16_t p_Min, int16_t p_Max) {
  bool rejected;
  int16_t v = check_id(Response, p_String, false, rejected);
  // The response has already ended with the ID message: a second page would
  // only be dropped.
  if (rejected) return v;
  if (p_Min <= v && v <= p_Max) return v;
  Text message = u"范围无效。允许范围为" + Variant(p_Min).to_text() + u"--" + Variant(p_Max).to_text();
  show_error_page(Response, Variant(u""), Variant(u""), message, false);
  return v;
}

bool CommCheckIsObjInstalled(Variant&, Text strClassString) { return class_registered(strClassString); }

bool regex_test(TextView pattern, TextView text) { return cached_regex(pattern, {true, false})->test(text); }

Variant CommCheckReg(Variant& p_Pattern, Text p_String) { return Variant(regex_test(p_Pattern.to_text(), p_String)); }

Variant CommCheckIsEmpty(Text p_String) { return Variant(regex_test(u"^$", vb::Trim(p_String))); }

}  // namespace brevane
