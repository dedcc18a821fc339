// The run-time errors that reach a calling page. Pages test Err.Number, so the
// numbers are part of the contract; descriptions follow the script engine's.
#pragma once

#include <stdexcept>
#include <string>

#include "core/text.h"

namespace brevane {

// Every run-time error number the component raises itself, each with its one
// text in script_error.cpp (error_text).
enum class ErrorCode : int {
  InvalidCall = 5,
  Overflow = 6,
  OutOfMemory = 7,
  SubscriptOutOfRange = 9,
  DivisionByZero = 11,
  TypeMismatch = 13,
  OutOfStackSpace = 28,
  BadFileName = 52,
  FileNotFound = 53,
  PermissionDenied = 70,
  PathNotFound = 76,
  InvalidUseOfNull = 94,
  ObjectRequired = 424,
  CannotCreateObject = 429,
  NoSuchMember = 438,
  ArgumentNotOptional = 449,
  WrongArgumentCount = 450,
  // The upload's shared byte stream, in the words of the system's stream.
  StreamBadArguments = 3001,
  StreamWriteFailed = 3004,
  StreamClosed = 3704,
  StreamOpen = 3705,
  // Patterns the regular-expression engine cannot compile.
  RegexSyntax = 5017,
  RegexUnexpectedQuantifier = 5018,
  RegexExpectedBracket = 5019,
  RegexExpectedParen = 5020,
  RegexInvalidRange = 5021,
};

// The numbers as plain ints, for code that compares Err.Number values.
inline constexpr int kInvalidCall = static_cast<int>(ErrorCode::InvalidCall);
inline constexpr int kOverflow = static_cast<int>(ErrorCode::Overflow);
inline constexpr int kOutOfMemory = static_cast<int>(ErrorCode::OutOfMemory);
inline constexpr int kSubscriptOutOfRange = static_cast<int>(ErrorCode::SubscriptOutOfRange);
inline constexpr int kDivisionByZero = static_cast<int>(ErrorCode::DivisionByZero);
inline constexpr int kTypeMismatch = static_cast<int>(ErrorCode::TypeMismatch);
inline constexpr int kBadFileName = static_cast<int>(ErrorCode::BadFileName);
inline constexpr int kFileNotFound = static_cast<int>(ErrorCode::FileNotFound);
inline constexpr int kPermissionDenied = static_cast<int>(ErrorCode::PermissionDenied);
inline constexpr int kPathNotFound = static_cast<int>(ErrorCode::PathNotFound);
inline constexpr int kInvalidUseOfNull = static_cast<int>(ErrorCode::InvalidUseOfNull);
inline constexpr int kObjectRequired = static_cast<int>(ErrorCode::ObjectRequired);
inline constexpr int kCannotCreateObject = static_cast<int>(ErrorCode::CannotCreateObject);
inline constexpr int kNoSuchMember = static_cast<int>(ErrorCode::NoSuchMember);
inline constexpr int kArgumentNotOptional = static_cast<int>(ErrorCode::ArgumentNotOptional);
inline constexpr int kWrongArgumentCount = static_cast<int>(ErrorCode::WrongArgumentCount);

// The text that belongs to a number; nullptr for a number not in the table.
const char16_t* error_text(ErrorCode code);

class ScriptError : public std::runtime_error {
 public:
  ScriptError(int number, Text description);
  // The engine's standard description for a number.
  explicit ScriptError(int number);
  ScriptError(ErrorCode code) : ScriptError(static_cast<int>(code)) {}

  int number() const { return number_; }
  const Text& description() const { return description_; }

 private:
  int number_;
  Text description_;
};

Text standard_description(int number);

}  // namespace brevane
