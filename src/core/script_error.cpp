#include "core/script_error.h"

namespace brevane {

namespace {

struct ErrorEntry {
  ErrorCode code;
  const char16_t* text;
};

// One text per number. The stream texts are the ones the system's stream
// object reports on the Chinese-language servers the upload runs on.
constexpr ErrorEntry kErrorTexts[] = {
    {ErrorCode::InvalidCall, u"Invalid procedure call or argument"},
    {ErrorCode::Overflow, u"Overflow"},
    {ErrorCode::OutOfMemory, u"Out of memory"},
    {ErrorCode::SubscriptOutOfRange, u"Subscript out of range"},
    {ErrorCode::DivisionByZero, u"Division by zero"},
    {ErrorCode::TypeMismatch, u"Type mismatch"},
    {ErrorCode::OutOfStackSpace, u"Out of stack space"},
    {ErrorCode::BadFileName, u"Bad file name or number"},
    {ErrorCode::FileNotFound, u"File not found"},
    {ErrorCode::PermissionDenied, u"Permission denied"},
    {ErrorCode::PathNotFound, u"Path not found"},
    {ErrorCode::InvalidUseOfNull, u"Invalid use of Null"},
    {ErrorCode::ObjectRequired, u"Object required"},
    {ErrorCode::CannotCreateObject, u"ActiveX component can't create object"},
    {ErrorCode::NoSuchMember, u"Object doesn't support this property or method"},
    {ErrorCode::ArgumentNotOptional, u"Argument not optional"},
    {ErrorCode::WrongArgumentCount, u"Wrong number of arguments or invalid property assignment"},
    {ErrorCode::StreamBadArguments, u"参数类型不正确，或不在可以接受的范围之内，或与其他参数冲突。"},
    {ErrorCode::StreamWriteFailed, u"写入文件失败。"},
    {ErrorCode::StreamClosed, u"对象关闭时，不允许操作。"},
    {ErrorCode::StreamOpen, u"对象打开时，不允许操作。"},
    {ErrorCode::RegexSyntax, u"Syntax error in regular expression"},
    {ErrorCode::RegexUnexpectedQuantifier, u"Unexpected quantifier"},
    {ErrorCode::RegexExpectedBracket, u"Expected ']' in regular expression"},
    {ErrorCode::RegexExpectedParen, u"Expected ')' in regular expression"},
    {ErrorCode::RegexInvalidRange, u"Invalid range in character set"},
};

}  // namespace

const char16_t* error_text(ErrorCode code) {
  for (const ErrorEntry& e : kErrorTexts)
    if (e.code == code) return e.text;
  return nullptr;
}

Text standard_description(int number) {
  if (const char16_t* t = error_text(static_cast<ErrorCode>(number))) return t;
  return u"Application-defined or object-defined error";
}

ScriptError::ScriptError(int number, Text description)
    : std::runtime_error("Error " + std::to_string(number) + ": " + to_utf8(description)),
      number_(number),
      description_(std::move(description)) {}

ScriptError::ScriptError(int number) : ScriptError(number, standard_description(number)) {}

}  // namespace brevane
