#include "text/convert.h"

#include "core/codepage.h"
#include "core/script_error.h"
#include "core/vbrt.h"
#include "platform/utf8conv.h"

namespace brevane {

namespace {

const CodePage& ansi() { return CodePage::ansi(); }

// The character of one byte alone in the ANSI code page.
Text byte_char(uint8_t b) {
  char c = static_cast<char>(b);
  return ansi().decode(std::string_view(&c, 1));
}

void append_escape(Text& out, unsigned byte) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  out += u'%';
  out += kHex[(byte >> 4) & 15];
  out += kHex[byte & 15];
}

int hex_digit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// The two characters at 0-based index `at` read as a hexadecimal byte; 13
// when there are not two hexadecimal digits there.
unsigned hex_byte(TextView s, size_t at) {
  if (at + 2 > s.size()) throw ScriptError(kTypeMismatch);
  int hi = hex_digit(s[at]), lo = hex_digit(s[at + 1]);
  if (hi < 0 || lo < 0) throw ScriptError(kTypeMismatch);
  return static_cast<unsigned>(hi * 16 + lo);
}

}  // namespace

Bytes binary_value_bytes(const Variant& v) {
  if (v.type() == VarType::ByteArray) return v.bytes();
  if (v.is_null()) throw ScriptError(kInvalidUseOfNull);
  Text t = v.to_text();
  Bytes b;
  b.reserve(t.size() * 2);
  for (char16_t u : t) {
    b.push_back(static_cast<uint8_t>(u & 0xFF));
    b.push_back(static_cast<uint8_t>(u >> 8));
  }
  return b;
}

Text CommCodeUtf8ToUnicode(Text p_String, Variant p_IsNt) {
  if (p_String.empty()) return {};
  std::string bytes = ansi().encode(p_String);
  if (p_IsNt.to_bool()) return platform_utf8_to_utf16(bytes).value_or(Text());

  // The component's own walk: lead bytes decide the length, continuation
  // bytes are taken as they come, and bytes missing at the end count as 0.
  auto at = [&](size_t k) -> unsigned { return k < bytes.size() ? static_cast<uint8_t>(bytes[k]) : 0u; };
  Text out;
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned c = at(i);
    if (c < 0x80) {
      out += static_cast<char16_t>(c);
      i += 1;
    } else if (c < 0xC2 || (c >= 0xDC && c < 0xE0)) {
      out += byte_char(static_cast<uint8_t>(c));
      i += 1;
    } else if (c < 0xDC) {
      out += static_cast<char16_t>((c & 31) * 64 + (at(i + 1) & 63));
      i += 2;
    } else {
      out += static_cast<char16_t>((c & 15) * 4096 + (at(i + 1) & 63) * 64 + (at(i + 2) & 63));
      i += 3;
    }
  }
  return out;
}

Text CommCodeUnicodeToUtf8(Text strUnicode, Variant p_IsNt, bool p_IsHtml) {
  if (strUnicode.empty()) return {};
  Text out;
  if (p_IsNt.to_bool()) {
    std::optional<std::string> utf8 = platform_utf16_to_utf8(strUnicode);
    if (!utf8 || utf8->empty()) return {};
    out = ansi().decode(*utf8);
  } else {
    auto put = [&](unsigned b) { out += byte_char(static_cast<uint8_t>(b)); };
    for (char16_t ch : strUnicode) {
      unsigned u = ch;
      if (u < 0x80) {
        put(u);
      } else if (u < 0x800) {
        put(192 + ((u / 64) & 31));
        put(128 + (u & 63));
      } else {
        put(224 + ((u / 4096) & 15));
        put(128 + ((u / 64) & 63));
        put(128 + (u & 63));
      }
    }
  }
  if (p_IsHtml) out = vb::Replace(out, u"\r\n", u"<br/>");
  return out;
}

Text CommUrlEncode_GBToUtf8(Text p_String) {
  if (p_String.empty()) return p_String;
  Text out;
  out.reserve(p_String.size() * 3);
  for (char16_t ch : p_String) {
    unsigned u = ch;
    if (ch == u'+') {
      out += u"%2B";
    } else if (ch == u'%') {
      out += u"%25";
    } else if (u < 0x80) {
      out += ch;
    } else if (u < 0x800) {
      append_escape(out, (u / 64) | 0xC0);
      append_escape(out, (u & 63) | 0x80);
    } else {
      append_escape(out, (u / 4096) | 0xE0);
      append_escape(out, ((u / 64) & 63) | 0x80);
      append_escape(out, (u & 63) | 0x80);
    }
  }
  return out;
}

Text CommUrlDecode_GBToUtf8(Text p_String) {
  Text out;
  const size_t n = p_String.size();
  size_t i = 0;  // 0-based
  while (i < n) {
    char16_t ch = p_String[i];
    if (ch == u'+') {
      out += u' ';
      i += 1;
    } else if (ch == u'%') {
      unsigned v = hex_byte(p_String, i + 1);
      if (v < 128) {
        out += static_cast<char16_t>(v);
        i += 3;
      } else {
        // A lead byte is taken as the first of three escapes in a row; the
        // "%" signs between them are not looked at.
        unsigned y = hex_byte(p_String, i + 4);
        unsigned z = hex_byte(p_String, i + 7);
        out += static_cast<char16_t>(((v & 15) * 4096) | ((y & 63) * 64) | (z & 63));
        i += 9;
      }
    } else {
      out += ch;
      i += 1;
    }
  }
  return out;
}

Text CommBinaryToString(Variant p_Binary) {
  Text out;
  for (uint8_t b : binary_value_bytes(p_Binary)) out += byte_char(b);
  return out;
}

Variant CommMultiByteToBinary(Variant p_MultiByte) {
  Bytes b = binary_value_bytes(p_MultiByte);
  if (b.empty()) return Variant(Text());
  return Variant(std::move(b));
}

Text CommRsBinaryToString(Variant p_Binary) {
  if (p_Binary.is_null()) throw ScriptError(kInvalidUseOfNull);
  if (p_Binary.is_empty()) return {};
  Bytes b;
  if (p_Binary.type() == VarType::String) {
    b = binary_value_bytes(p_Binary);
  } else if (p_Binary.type() == VarType::ByteArray) {
    b = p_Binary.bytes();
  } else {
    // Only text and binary values go into a long text field.
    throw ScriptError(3421, u"Application uses a value of the wrong type for the current operation.");
  }
  if (b.empty()) return {};
  return ansi().decode(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

}  // namespace brevane
