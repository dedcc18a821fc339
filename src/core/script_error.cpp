#include "core/script_error.h"

namespace brevane {

Text standard_description(int number) {
  switch (number) {
    case kInvalidCall:
      return u"Invalid procedure call or argument";
    case kOverflow:
      return u"Overflow";
    case kOutOfMemory:
      return u"Out of memory";
    case kSubscriptOutOfRange:
      return u"Subscript out of range";
    case kDivisionByZero:
      return u"Division by zero";
    case kTypeMismatch:
      return u"Type mismatch";
    case kBadFileName:
      return u"Bad file name or number";
    case kFileNotFound:
      return u"File not found";
    case kPermissionDenied:
      return u"Permission denied";
    case kPathNotFound:
      return u"Path not found";
    case kInvalidUseOfNull:
      return u"Invalid use of Null";
    case kObjectRequired:
      return u"Object required";
    case kCannotCreateObject:
      return u"ActiveX component can't create object";
    case kNoSuchMember:
      return u"Object doesn't support this property or method";
    case kArgumentNotOptional:
      return u"Argument not optional";
    case kWrongArgumentCount:
      return u"Wrong number of arguments or invalid property assignment";
    default:
      return u"Application-defined or object-defined error";
  }
}

ScriptError::ScriptError(int number, Text description)
    : std::runtime_error("Error " + std::to_string(number) + ": " + to_utf8(description)),
      number_(number),
      description_(std::move(description)) {}

ScriptError::ScriptError(int number) : ScriptError(number, standard_description(number)) {}

}  // namespace brevane
