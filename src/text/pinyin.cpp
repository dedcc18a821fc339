#include "text/pinyin.h"

#include <algorithm>
#include <vector>

#include "core/codepage.h"
#include "core/script_error.h"

namespace brevane {

namespace {

#include "text/pinyin_tables.inc"

// The last character read "zuo" sits a little above the table's last boundary.
constexpr int32_t kLastFirstLevel = -10247;

// What CommGetQPyString appends for each UTF-16 code unit, worked out once for
// the process's code page: nothing, a syllable, or one pass-through character.
class SpellingTable {
 public:
  SpellingTable() : entry_(65536, kNothing) {
    const CodePage& cp = CodePage::ansi();
    for (int code = 1; code < 160; ++code) {
      Text c = cp.from_ansi_code(code);
      chr_[code] = c.size() == 1 ? c[0] : u'?';
    }
    for (uint32_t u = 0; u < 65536; ++u) {
      const int32_t code = cp.ansi_code(static_cast<char16_t>(u));
      if (code > 0 && code < 160) {
        // The character is written back from its code, so one the code page
        // cannot hold comes out as "?".
        entry_[u] = static_cast<uint16_t>(kPass | code);
      } else if (code >= kSyllables[0].boundary && code <= kLastFirstLevel) {
        entry_[u] = static_cast<uint16_t>(syllable_index(code) + 1);
      }
    }
  }

  // Appends the spelling of one code unit.
  void append(Text& out, char16_t c) const {
    const uint16_t e = entry_[c];
    if (e & kPass) {
      out.push_back(chr_[e & 0xFF]);
    } else if (e != kNothing) {
      out.append(kSyllables[e - 1].spelling);
    }
  }

  static size_t syllable_index(int32_t code) {
    auto it = std::upper_bound(std::begin(kSyllables), std::end(kSyllables), code,
                               [](int32_t v, const Syllable& s) { return v < s.boundary; });
    return static_cast<size_t>(it - std::begin(kSyllables)) - 1;
  }

 private:
  static constexpr uint16_t kNothing = 0;
  static constexpr uint16_t kPass = 0x8000;  // low byte: the ANSI code, below 160
  std::vector<uint16_t> entry_;
  char16_t chr_[160] = {};
};

const SpellingTable& spelling_table() {
  static const SpellingTable table;
  return table;
}

}  // namespace

std::span<const InitialRange> pinyin_initials() { return kInitials; }
std::span<const Syllable> pinyin_syllables() { return kSyllables; }

char16_t pinyin_initial(int32_t gb_code) {
  for (const InitialRange& r : kInitials)
    if (gb_code >= r.first && gb_code <= r.last) return r.letter;
  return 0;
}

std::u16string_view pinyin_syllable(int32_t ansi_code) {
  if (ansi_code < kSyllables[0].boundary || ansi_code > kLastFirstLevel) return {};
  return kSyllables[SpellingTable::syllable_index(ansi_code)].spelling;
}

Text CommGetPyChar(Text p_String) {
  if (p_String.empty()) throw ScriptError(kInvalidCall);
  const int32_t gb = CodePage::ansi().ansi_code(p_String[0]) + 65536;
  if (char16_t letter = pinyin_initial(gb)) return Text(1, letter);
  return p_String;
}

Text CommGetPyString(Text p_String) {
  const CodePage& cp = CodePage::ansi();
  Text out;
  out.reserve(p_String.size());
  for (char16_t c : p_String) {
    const char16_t letter = pinyin_initial(cp.ansi_code(c) + 65536);
    out.push_back(letter ? letter : c);
  }
  return out;
}

Text CommGetQPyString(Text p_String) {
  const SpellingTable& table = spelling_table();
  Text out;
  out.reserve(p_String.size() * 4);
  for (char16_t c : p_String) table.append(out, c);
  return out;
}

}  // namespace brevane
