// The regular-expression engine on PCRE2's 16-bit library: code units in,
// code-unit offsets out, so positions agree with the script engine's without
// any conversion.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <climits>
#include <cstdint>

#include "core/script_error.h"
#include "platform/regexp.h"

namespace brevane {

namespace {

bool is_ascii_letter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

[[noreturn]] void throw_regex_error(int number) {
  if (!error_text(static_cast<ErrorCode>(number))) number = kRegexSyntax;
  throw ScriptError(number);
}

int script_number_for(int pcre_error) {
  switch (pcre_error) {
    case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
      return kRegexExpectedBracket;
    case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
      return kRegexExpectedParen;
    case PCRE2_ERROR_QUANTIFIER_INVALID:
      return kRegexUnexpectedQuantifier;
    case PCRE2_ERROR_CLASS_RANGE_ORDER:
      return kRegexInvalidRange;
    default:
      return kRegexSyntax;
  }
}

PCRE2_SPTR16 units(TextView s) { return reinterpret_cast<PCRE2_SPTR16>(s.data()); }

}  // namespace

// Where the two dialects part, the script engine's reading wins:
// - "\v" is the vertical-tab character, not PCRE2's class of vertical space;
// - a backslash before a letter the script dialect gives no meaning (\a, \e,
//   \h, \p, \Q, \K, \g, \k, \N, \R, \X, \A, \Z, \z, \G ...) is that letter;
//   "\B" inside a class is the letter B;
// - "[" inside a class is a plain character (PCRE2 would start a POSIX class
//   such as [:alpha:]);
// - "(*" is a quantifier with nothing to repeat, never a PCRE2 verb or
//   start-of-pattern option.
// The compile options cover the rest: \uXXXX and two-digit \xXX escapes
// (ALT_BSUX), "[]" matching nothing and "[^]" anything (ALLOW_EMPTY_CLASS),
// "$" only at the very end outside multiline mode (DOLLAR_ENDONLY).
Text translate_script_pattern(TextView p) {
  Text out;
  out.reserve(p.size() + 8);
  bool in_class = false;
  for (size_t i = 0; i < p.size(); ++i) {
    char16_t c = p[i];
    if (c == u'\\' && i + 1 < p.size()) {
      char16_t e = p[++i];
      if (e == u'v') {
        out += u"\\x0b";
      } else if (is_ascii_letter(e)) {
        static constexpr TextView kScriptEscapes = u"dDwWsSbBfnrtcxu";
        bool known = kScriptEscapes.find(e) != TextView::npos && !(in_class && e == u'B');
        if (known) out += u'\\';
        out += e;
      } else if (e >= 0x80) {
        out += e;
      } else {
        out += u'\\';
        out += e;
      }
      continue;
    }
    if (in_class) {
      if (c == u'[') {
        out += u"\\[";
        continue;
      }
      if (c == u']') in_class = false;
    } else if (c == u'[') {
      in_class = true;
      out += c;
      // "[]" and "[^]" close at once, as in the script dialect.
      if (i + 1 < p.size() && p[i + 1] == u'^') out += p[++i];
      if (i + 1 < p.size() && p[i + 1] == u']') {
        out += p[++i];
        in_class = false;
      }
      continue;
    } else if (c == u'(' && i + 1 < p.size() && p[i + 1] == u'*') {
      throw_regex_error(kRegexUnexpectedQuantifier);
    }
    out += c;
  }
  return out;
}

struct Regex::Impl {
  pcre2_code* code = nullptr;
  pcre2_match_context* context = nullptr;
  bool jit = false;
  ~Impl() {
    pcre2_match_context_free(context);
    pcre2_code_free(code);
  }
};

Regex::Regex(TextView pattern, RegexFlags flags) : impl_(std::make_unique<Impl>()) {
  Text translated = translate_script_pattern(pattern);
  uint32_t options = PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_DOLLAR_ENDONLY | PCRE2_NEVER_UTF |
                     PCRE2_NEVER_UCP | PCRE2_NEVER_BACKSLASH_C;
  if (flags.ignore_case) options |= PCRE2_CASELESS;
  if (flags.multiline) options |= PCRE2_MULTILINE;
  pcre2_compile_context* cc = pcre2_compile_context_create(nullptr);
  // Line breaks as the script dialect has them: "." stops at CR and LF alike.
  pcre2_set_newline(cc, PCRE2_NEWLINE_ANYCRLF);
  int error = 0;
  PCRE2_SIZE offset = 0;
  impl_->code = pcre2_compile(units(translated), translated.size(), options, &error, &offset, cc);
  pcre2_compile_context_free(cc);
  if (!impl_->code) throw_regex_error(script_number_for(error));
  impl_->jit = pcre2_jit_compile(impl_->code, PCRE2_JIT_COMPLETE) == 0;
  impl_->context = pcre2_match_context_create(nullptr);
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

size_t Regex::group_count() const {
  uint32_t n = 0;
  pcre2_pattern_info(impl_->code, PCRE2_INFO_CAPTURECOUNT, &n);
  return n;
}

Regex::Spans Regex::find(TextView subject, size_t start) const {
  Spans spans;
  if (start > subject.size()) return spans;
  pcre2_match_data* md = pcre2_match_data_create_from_pattern(impl_->code, nullptr);
  if (!md) throw ScriptError(kOutOfMemory);
  int rc = pcre2_match(impl_->code, units(subject), subject.size(), start, 0, md, impl_->context);
  // The JIT's own stack is small; a deep but legitimate match gets another
  // try in the interpreter, which has the heap.
  if (rc == PCRE2_ERROR_JIT_STACKLIMIT)
    rc = pcre2_match(impl_->code, units(subject), subject.size(), start, PCRE2_NO_JIT, md, impl_->context);
  if (rc == PCRE2_ERROR_NOMATCH) {
    pcre2_match_data_free(md);
    return spans;
  }
  if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT ||
      rc == PCRE2_ERROR_NOMEMORY || rc < 0) {
    pcre2_match_data_free(md);
    throw_regex_error(kRegexTooComplex);
  }
  uint32_t pairs = pcre2_get_ovector_count(md);
  PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
  size_t groups = group_count() + 1;
  spans.groups.reserve(groups);
  for (size_t g = 0; g < groups; ++g) {
    if (g < pairs && ov[2 * g] != PCRE2_UNSET)
      spans.groups.emplace_back(ov[2 * g], ov[2 * g + 1]);
    else
      spans.groups.emplace_back(SIZE_MAX, SIZE_MAX);
  }
  pcre2_match_data_free(md);
  return spans;
}

}  // namespace brevane
