#include "core/codepage.h"

#include <cstdlib>
#include <vector>

#include "core/script_error.h"

namespace brevane {

struct CodePage::Tables {
  char16_t single[256] = {};  // 0 with !single_valid: lead byte or invalid
  bool single_valid[256] = {};
  bool lead[256] = {};
  std::vector<char16_t> dbl = std::vector<char16_t>(65536, 0);  // 0: invalid pair
  std::vector<uint16_t> enc = std::vector<uint16_t>(65536, 0);  // 0: unrepresentable
};

CodePage::CodePage(int number) : number_(number), t_(std::make_unique<Tables>()) {
  Tables& t = *t_;
  for (int b = 0; b < 256; ++b) {
    uint8_t byte = static_cast<uint8_t>(b);
    char16_t c;
    if (b < 0x80) {
      t.single[b] = static_cast<char16_t>(b);
      t.single_valid[b] = true;
    } else if (platform_decode_sequence(number, &byte, 1, c)) {
      t.single[b] = c;
      t.single_valid[b] = true;
    }
  }
  for (int lead = 0x81; lead < 0xFF; ++lead) {
    if (t.single_valid[lead]) continue;
    for (int trail = 0x40; trail < 0xFF; ++trail) {
      uint8_t seq[2] = {static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)};
      char16_t c;
      if (platform_decode_sequence(number, seq, 2, c)) {
        t.dbl[lead << 8 | trail] = c;
        t.lead[lead] = true;
      }
    }
  }
  // Encoding: prefer the single byte, then the first pair that decodes to it.
  for (int code = 0xFFFF; code >= 0x8140; --code)
    if (char16_t c = t.dbl[code]) t.enc[c] = static_cast<uint16_t>(code);
  for (int b = 255; b >= 1; --b)
    if (t.single_valid[b]) t.enc[t.single[b]] = static_cast<uint16_t>(b);
}

CodePage::~CodePage() = default;

const CodePage& CodePage::ansi() {
  static const CodePage cp([] {
    if (const char* env = std::getenv("BREVANE_CODEPAGE"); env && *env) return std::atoi(env);
    return platform_default_codepage();
  }());
  return cp;
}

bool CodePage::is_lead_byte(uint8_t b) const { return t_->lead[b]; }

std::string CodePage::encode(TextView text) const {
  std::string out;
  out.reserve(text.size() * 2);
  const Tables& t = *t_;
  for (char16_t c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (c >= kRawByteBase + 0x80 && c <= kRawByteBase + 0xFF) {
      out.push_back(static_cast<char>(c - kRawByteBase));
      continue;
    }
    uint16_t e = t.enc[c];
    if (e == 0) {
      out.push_back('?');
    } else if (e > 0xFF) {
      out.push_back(static_cast<char>(e >> 8));
      out.push_back(static_cast<char>(e & 0xFF));
    } else {
      out.push_back(static_cast<char>(e));
    }
  }
  return out;
}

Text CodePage::decode(std::string_view bytes) const {
  Text out;
  out.reserve(bytes.size());
  const Tables& t = *t_;
  for (size_t i = 0; i < bytes.size(); ++i) {
    uint8_t b = static_cast<uint8_t>(bytes[i]);
    if (b < 0x80) {
      out.push_back(b);
    } else if (t.single_valid[b]) {
      out.push_back(t.single[b]);
    } else if (t.lead[b] && i + 1 < bytes.size() && t.dbl[b << 8 | static_cast<uint8_t>(bytes[i + 1])]) {
      out.push_back(t.dbl[b << 8 | static_cast<uint8_t>(bytes[i + 1])]);
      ++i;
    } else {
      out.push_back(static_cast<char16_t>(kRawByteBase + b));
    }
  }
  return out;
}

int16_t CodePage::ansi_code(char16_t c) const {
  if (c < 0x80) return static_cast<int16_t>(c);
  if (c >= kRawByteBase + 0x80 && c <= kRawByteBase + 0xFF) return static_cast<int16_t>(c - kRawByteBase);
  uint16_t e = t_->enc[c];
  if (e == 0) return '?';
  return static_cast<int16_t>(e);
}

Text CodePage::from_ansi_code(int code) const {
  if (code < -32768 || code > 65535) throw ScriptError(kInvalidCall);
  uint16_t u = static_cast<uint16_t>(code);
  std::string bytes;
  if (u > 0xFF) bytes.push_back(static_cast<char>(u >> 8));
  bytes.push_back(static_cast<char>(u & 0xFF));
  return decode(bytes);
}

}  // namespace brevane
