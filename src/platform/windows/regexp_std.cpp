// The regular-expression engine on Windows: the standard library's
// ECMAScript grammar is the script dialect already, and wchar_t is a UTF-16
// code unit there, so offsets need no conversion.
#include <climits>
#include <cstdint>
#include <regex>

#include "core/script_error.h"
#include "platform/regexp.h"

namespace brevane {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

namespace {

const wchar_t* wide(TextView s) { return reinterpret_cast<const wchar_t*>(s.data()); }

[[noreturn]] void throw_regex_error(const std::regex_error& e) {
  switch (e.code()) {
    case std::regex_constants::error_brack:
      throw ScriptError(kRegexExpectedBracket);
    case std::regex_constants::error_paren:
      throw ScriptError(kRegexExpectedParen);
    case std::regex_constants::error_badrepeat:
      throw ScriptError(kRegexUnexpectedQuantifier);
    case std::regex_constants::error_range:
      throw ScriptError(kRegexInvalidRange);
    case std::regex_constants::error_complexity:
    case std::regex_constants::error_stack:
      throw ScriptError(kRegexTooComplex);
    default:
      throw ScriptError(kRegexSyntax);
  }
}

}  // namespace

Text translate_script_pattern(TextView pattern) { return Text(pattern); }

struct Regex::Impl {
  std::wregex re;
};

Regex::Regex(TextView pattern, RegexFlags flags) : impl_(std::make_unique<Impl>()) {
  auto options = std::regex_constants::ECMAScript;
  if (flags.ignore_case) options |= std::regex_constants::icase;
  if (flags.multiline) options |= std::regex_constants::multiline;
  try {
    impl_->re.assign(wide(pattern), pattern.size(), options);
  } catch (const std::regex_error& e) {
    throw_regex_error(e);
  }
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

size_t Regex::group_count() const { return impl_->re.mark_count(); }

Regex::Spans Regex::find(TextView subject, size_t start) const {
  Spans spans;
  if (start > subject.size()) return spans;
  const wchar_t* begin = wide(subject);
  std::wcmatch m;
  auto flags = start > 0 ? std::regex_constants::match_prev_avail : std::regex_constants::match_default;
  try {
    if (!std::regex_search(begin + start, begin + subject.size(), m, impl_->re, flags)) return spans;
  } catch (const std::regex_error& e) {
    throw_regex_error(e);
  }
  for (size_t g = 0; g < m.size(); ++g) {
    if (m[g].matched)
      spans.groups.emplace_back(static_cast<size_t>(m[g].first - begin), static_cast<size_t>(m[g].second - begin));
    else
      spans.groups.emplace_back(SIZE_MAX, SIZE_MAX);
  }
  return spans;
}

}  // namespace brevane
