#include "upload/upload_support.h"

#include "core/codepage.h"
#include "core/script_error.h"
#include "core/variant.h"
#include "core/vbrt.h"
#include "platform/fs.h"
#include "text/formatters.h"

namespace brevane::upload {

namespace {

int codepage_of(TextView name) {
  Text n = vb::LCase(vb::Trim(name));
  struct Alias {
    const char16_t* name;
    int cp;
  };
  static const Alias aliases[] = {
      {u"gb2312", 936},         {u"gbk", 936},           {u"x-gbk", 936},         {u"gb18030", 936},
      {u"cp936", 936},          {u"windows-936", 936},   {u"big5", 950},          {u"cp950", 950},
      {u"shift_jis", 932},      {u"shift-jis", 932},     {u"sjis", 932},          {u"euc-kr", 949},
      {u"ks_c_5601-1987", 949}, {u"windows-1250", 1250}, {u"windows-1251", 1251}, {u"windows-1252", 1252},
      {u"iso-8859-1", 28591},   {u"us-ascii", 20127},    {u"ascii", 20127},
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

void TextDecoder::decode_into(std::span<const uint8_t> bytes, Text& out) const {
  if (kind_ != Kind::Utf16) {
    out.resize(bytes.size());
    size_t i = 0;
    while (i < bytes.size() && bytes[i] < 0x80) {
      out[i] = bytes[i];
      ++i;
    }
    if (i == bytes.size()) return;
  }
  out = (*this)(bytes);
}

Text TextDecoder::operator()(std::span<const uint8_t> bytes) const {
  std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (kind_ != Kind::Utf16) {
    // Part headers and most field values are plain ASCII, the same in every
    // supported character set but UTF-16.
    Text out(bytes.size(), u'\0');
    size_t i = 0;
    while (i < bytes.size() && bytes[i] < 0x80) {
      out[i] = bytes[i];
      ++i;
    }
    if (i == bytes.size()) return out;
  }
  switch (kind_) {
    case Kind::Utf8:
      return from_utf8(raw);
    case Kind::Utf16: {
      Text out(bytes.size() / 2, u'\0');
      for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
      return out;
    }
    case Kind::CodePage:
      break;
  }
  return static_cast<const CodePage*>(codepage_)->decode(raw);
}

Text size_text(TextView bytes) { return CommGetFileSize(Text(bytes)); }

std::string native_path(TextView physical) {
  // An unmapped drive or a NUL in the name gives a path nothing can be
  // written to.
  return fs::native_path(physical).value_or(std::string());
}

bool path_exists(TextView physical) { return fs::stat(physical).has_value(); }

bool folder_exists(TextView physical) {
  auto e = fs::stat(physical);
  return e && e->is_folder();
}

bool create_folders(TextView physical) { return fs::create_folders(physical); }

}  // namespace brevane::upload
