#include "upload/upload_support.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/codepage.h"
#include "core/script_error.h"
#include "core/variant.h"
#include "core/vbrt.h"

namespace brevane::upload {

namespace {

int codepage_of(TextView name) {
  Text n = vb::LCase(vb::Trim(name));
  struct Alias { const char16_t* name; int cp; };
  static const Alias aliases[] = {
      {u"gb2312", 936}, {u"gbk", 936}, {u"x-gbk", 936}, {u"gb18030", 936}, {u"cp936", 936}, {u"windows-936", 936},
      {u"big5", 950}, {u"cp950", 950}, {u"shift_jis", 932}, {u"shift-jis", 932}, {u"sjis", 932},
      {u"euc-kr", 949}, {u"ks_c_5601-1987", 949}, {u"windows-1250", 1250}, {u"windows-1251", 1251},
      {u"windows-1252", 1252}, {u"iso-8859-1", 28591}, {u"us-ascii", 20127}, {u"ascii", 20127},
  };
  for (const Alias& a : aliases)
    if (n == a.name) return a.cp;
  return 0;
}

}  // namespace

TextDecoder::TextDecoder(TextView charset) {
  Text n = vb::LCase(vb::Trim(charset));
  if (n == u"utf-8" || n == u"utf8") {
    kind_ = Kind::Utf8;
    return;
  }
  if (n == u"unicode" || n == u"utf-16" || n == u"utf-16le") {
    kind_ = Kind::Utf16;
    return;
  }
  int cp = codepage_of(n);
  if (!cp) throw ScriptError(kInvalidCall, u"不支持的字符集: " + Text(charset));
  const CodePage& ansi = CodePage::ansi();
  if (cp == ansi.number()) {
    codepage_ = &ansi;
    return;
  }
  // Code pages other than the system's are rare; each is built once per thread.
  thread_local std::vector<std::unique_ptr<CodePage>> pages;
  for (auto& p : pages)
    if (p->number() == cp) {
      codepage_ = p.get();
      return;
    }
  pages.push_back(std::make_unique<CodePage>(cp));
  codepage_ = pages.back().get();
}

Text TextDecoder::operator()(std::span<const uint8_t> bytes) const {
  std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  switch (kind_) {
    case Kind::Utf8: return from_utf8(raw);
    case Kind::Utf16: {
      Text out(bytes.size() / 2, u'\0');
      for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
      return out;
    }
    case Kind::CodePage: break;
  }
  return static_cast<const CodePage*>(codepage_)->decode(raw);
}

Text size_text(TextView bytes) {
  if (bytes.empty()) return u"0B";
  double n = Variant(Text(bytes)).to_double();
  auto two_places = [](double v) {
    double r = std::nearbyint(v * 100) / 100;  // half to even
    Text t = Variant(r).to_text();
    return t;
  };
  if (n < 1024) return Variant(n).to_text() + u"B";
  n /= 1024;
  if (n < 1024) return two_places(n) + u"K";
  n /= 1024;
  if (n < 1024) return two_places(n) + u"M";
  return two_places(n / 1024) + u"G";
}

std::string native_path(TextView physical) {
#ifdef _WIN32
  return to_utf8(vb::Replace(physical, u"/", u"\\"));
#else
  Text p = vb::Replace(physical, u"\\", u"/");
  std::string prefix;
  if (p.size() >= 2 && p[1] == u':') {
    char16_t d = static_cast<char16_t>(p[0] & ~0x20);
    if (d >= u'A' && d <= u'Z' && d != u'C') {
      std::string var = "BREVANE_DRIVE_";
      var.push_back(static_cast<char>(d));
      if (const char* root = std::getenv(var.c_str())) prefix = root;
    }
    p.erase(0, 2);
  }
  if (!p.empty() && p[0] != u'/') p.insert(p.begin(), u'/');
  while (!prefix.empty() && prefix.back() == '/') prefix.pop_back();
  return prefix + to_utf8(p);
#endif
}

namespace {

std::filesystem::path fs_path(TextView physical) {
#ifdef _WIN32
  return std::filesystem::path(Text(physical));
#else
  return std::filesystem::path(native_path(physical));
#endif
}

}  // namespace

bool path_exists(TextView physical) {
  std::error_code ec;
  return std::filesystem::exists(fs_path(physical), ec);
}

bool folder_exists(TextView physical) {
  std::error_code ec;
  return std::filesystem::is_directory(fs_path(physical), ec);
}

bool create_folders(TextView physical) {
  std::error_code ec;
  std::filesystem::path p = fs_path(physical);
  std::filesystem::create_directories(p, ec);
  return std::filesystem::is_directory(p, ec);
}

}  // namespace brevane::upload
