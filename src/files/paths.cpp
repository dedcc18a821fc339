#include "files/paths.h"

#include <climits>
#include <cstdio>

#include "core/script_error.h"
#include "core/vbdate.h"
#include "core/vbrt.h"
#include "files/fileops.h"
#include "platform/fs.h"

namespace brevane {

namespace {

// A backslash anywhere makes it the separator; otherwise "/" is. A mixed
// path is therefore cut at its last backslash.
char16_t separator_of(TextView s) { return s.find(u'\\') != TextView::npos ? u'\\' : u'/'; }

constexpr char16_t kIconList[] =
    u"|asa|asp|aspx|avi|bat|bmp|cab|chm|cmd|com|cs|css|dll|doc|dwf|dwg|dxf|exe|gif|hlp|htc|htm|html|img|inc|iso|"
    u"jpg|js|lnk|log|mail|mdb|mdf|mht|mid|midi|mp3|pct|pdf|ppt|rar|reg|rm|rmvb|sql|swf|sys|text|txt|url|vda|vs|"
    u"wav|wmp|wmv|wri|xls|xml|xslt|zip|";

Text digits(int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  return T(buf);
}

}  // namespace

Text CommFileGetPath(Text p_String) {
  if (p_String.empty()) return Text();
  Text s = vb::Trim(p_String);
  size_t cut = s.rfind(separator_of(s));
  return cut == Text::npos ? Text() : s.substr(0, cut + 1);
}

Text CommFileGetFullName(Text p_String) {
  if (p_String.empty()) return Text();
  Text s = vb::Trim(p_String);
  size_t cut = s.rfind(separator_of(s));
  return cut == Text::npos ? s : s.substr(cut + 1);
}

Text CommFileGetName(Text p_String) {
  size_t dot = p_String.rfind(u'.');
  return vb::LCase(dot == Text::npos ? TextView(p_String) : TextView(p_String).substr(0, dot));
}

Text CommFileGetExt(Text p_String, uint8_t p_HasPoint) {
  if (p_String.empty()) return Text();
  Text s = vb::Trim(p_String);
  size_t dot = s.rfind(u'.');
  if (dot == Text::npos) return Text();
  // The characters after the last full stop, reaching p_HasPoint further left.
  int64_t take = static_cast<int64_t>(s.size()) - static_cast<int64_t>(dot + 1) + p_HasPoint;
  return vb::LCase(vb::Right(s, take));
}

Text CommFileGetIcon(Text p_FileExt, Text p_IconExt, Text p_IconType) {
  Text key = u"|" + vb::LCase(p_FileExt) + u"|";
  Text icon = TextView(kIconList).find(key) != TextView::npos ? p_FileExt : Text(u"unknown");
  bool big = vb::LCase(p_IconType) == u"big";
  return (big ? Text(u"<img src=../comm/image/fileswt1/") : Text(u"<img src=../comm/image/fileswt/")) + icon + u"." +
         p_IconExt + (big ? u" border=0 width=35 height=32 alt='" : u" border=0 width=16 height=16 alt='") + p_FileExt +
         u"' align='absmiddle'>";
}

int32_t CommFileGetSize(Text p_FileName) {
  if (!CommFileExist(p_FileName)) return 0;
  auto e = fs::stat(p_FileName);
  if (!e) return 0;
  // Beyond what a Long holds the largest Long is the honest answer.
  return e->size > static_cast<uint64_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(e->size);
}

Text CommFileGetTimeName() {
  DateParts now = local_now();
  return digits(now.year, 4) + digits(now.month, 2) + digits(now.day, 2) + digits(now.hour, 2) + digits(now.minute, 2) +
         digits(now.second, 2);
}

Text CommFileGetRndName(int16_t p_Length) {
  if (p_Length < 0) throw ScriptError(kInvalidCall);
  vb::Randomize();
  auto r = static_cast<int>(vb::Int(vb::Rnd() * 90000));
  Text name = CommFileGetTimeName() + vb::Left(T(std::to_string(r)) + u"000000", 6);
  if (p_Length > 20) return name + vb::String(p_Length - 20, u'9');
  if (p_Length < 20) return vb::Right(name, p_Length);
  return name;
}

}  // namespace brevane
