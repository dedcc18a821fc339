// Regular expressions in the dialect server pages write them in (the script
// engine's RegExp: JavaScript-style patterns, positions in UTF-16 code units).
// Component routines use Regex directly; pages and by-name callers get the
// same engine behind the "VBScript.RegExp" object (make_regexp_object).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/object.h"
#include "core/script_error.h"
#include "core/text.h"

namespace brevane {

// The script engine's numbers for a pattern it cannot compile (texts in the
// core error table).
inline constexpr int kRegexSyntax = static_cast<int>(ErrorCode::RegexSyntax);
inline constexpr int kRegexUnexpectedQuantifier = static_cast<int>(ErrorCode::RegexUnexpectedQuantifier);
inline constexpr int kRegexExpectedBracket = static_cast<int>(ErrorCode::RegexExpectedBracket);
inline constexpr int kRegexExpectedParen = static_cast<int>(ErrorCode::RegexExpectedParen);
inline constexpr int kRegexInvalidRange = static_cast<int>(ErrorCode::RegexInvalidRange);
inline constexpr int kRegexTooComplex = static_cast<int>(ErrorCode::OutOfStackSpace);  // runaway backtracking

struct RegexFlags {
  bool ignore_case = false;
  bool multiline = false;  // ^ and $ also match at line breaks
  friend bool operator==(RegexFlags, RegexFlags) = default;
};

struct RegexMatch {
  size_t index = 0;  // first code unit, 0-based
  Text value;
  // One entry per capturing group; nullopt when the group took no part.
  std::vector<std::optional<Text>> groups;
};

class Regex {
 public:
  // Throws ScriptError with one of the numbers above when the pattern does
  // not compile.
  explicit Regex(TextView pattern, RegexFlags flags = {});
  ~Regex();
  Regex(Regex&&) noexcept;
  Regex& operator=(Regex&&) noexcept;

  // Unanchored unless the pattern anchors itself.
  bool test(TextView subject) const;
  // The first match, or every match left to right when `global`. After an
  // empty match the next search starts one code unit later.
  std::vector<RegexMatch> execute(TextView subject, bool global) const;
  // `replacement` understands $1..$99, $&, $`, $' and $$; any other "$" is
  // literal.
  Text replace(TextView subject, TextView replacement, bool global) const;
  // Replacement computed per match (a page's function reference).
  Text replace(TextView subject, const std::function<Text(const RegexMatch&)>& fn, bool global) const;

  size_t group_count() const;

  // Engine boundary: the spans of one match found at or after `start`, as
  // pairs of code-unit offsets; SIZE_MAX marks a group that did not take
  // part. Empty when there is no match.
  struct Spans {
    std::vector<std::pair<size_t, size_t>> groups;  // [0] is the whole match
    explicit operator bool() const { return !groups.empty(); }
  };
  Spans find(TextView subject, size_t start) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A compiled pattern from a small per-thread cache, for routines that test
// the same few patterns call after call. Throws like the constructor.
std::shared_ptr<const Regex> cached_regex(TextView pattern, RegexFlags flags = {});

// How a pattern written for the script engine reads in the engine underneath
// (exposed for tests).
Text translate_script_pattern(TextView pattern);

// A new "VBScript.RegExp" object: Pattern, IgnoreCase, Global, Multiline,
// Test, Replace, Execute (Matches with Count/Item/For Each; each Match with
// Value, FirstIndex, Length, SubMatches).
ObjectPtr make_regexp_object();

}  // namespace brevane
