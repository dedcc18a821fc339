// The run-time errors that reach a calling page. Pages test Err.Number, so the
// numbers are part of the contract; descriptions follow the script engine's.
#pragma once

#include <stdexcept>
#include <string>

#include "core/text.h"

namespace brevane {

enum ErrorNumber : int {
  kInvalidCall = 5,
  kOverflow = 6,
  kOutOfMemory = 7,
  kSubscriptOutOfRange = 9,
  kDivisionByZero = 11,
  kTypeMismatch = 13,
  kBadFileName = 52,
  kFileNotFound = 53,
  kPermissionDenied = 70,
  kPathNotFound = 76,
  kInvalidUseOfNull = 94,
  kObjectRequired = 424,
  kCannotCreateObject = 429,
  kNoSuchMember = 438,
  kArgumentNotOptional = 449,
  kWrongArgumentCount = 450,
};

class ScriptError : public std::runtime_error {
 public:
  ScriptError(int number, Text description);
  // The engine's standard description for a number.
  explicit ScriptError(int number);

  int number() const { return number_; }
  const Text& description() const { return description_; }

 private:
  int number_;
  Text description_;
};

Text standard_description(int number);

}  // namespace brevane
