// Small helpers shared by the unit tests.
#pragma once

#include <ostream>

#include "core/script_error.h"

namespace brevane::kit {

// What a call raised: pages read both Err.Number and Err.Description.
struct Raised {
  int number = 0;  // 0 when the call raised nothing
  Text description;
  friend bool operator==(const Raised&, const Raised&) = default;
  friend std::ostream& operator<<(std::ostream& os, const Raised& r) {
    return os << r.number << " \"" << to_utf8(r.description) << '"';
  }
};

// A number with the one text the error table gives it.
inline Raised raised(int number) { return {number, number ? standard_description(number) : Text()}; }
inline Raised raised(ErrorCode code) { return raised(static_cast<int>(code)); }
inline Raised raised(int number, Text description) { return {number, std::move(description)}; }

// The run-time error a call raises, or {0, ""} when it raises none.
template <class F>
Raised error_of(F&& f) {
  try {
    f();
  } catch (const ScriptError& e) {
    return {e.number(), e.description()};
  }
  return {};
}

}  // namespace brevane::kit
