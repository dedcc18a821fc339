// The automation Variant as script pages see it. All conversions live in
// variant.cpp and follow the script engine: banker's rounding into integers,
// error 6 on overflow, error 13 when a value cannot be converted.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/text.h"

namespace brevane {

class Object;
using ObjectPtr = std::shared_ptr<Object>;
class Variant;

// Tags carry the automation type numbers so the Windows adapter maps them 1:1.
enum class VarType : uint16_t {
  Empty = 0,
  Null = 1,
  Integer = 2,
  Long = 3,
  Single = 4,
  Double = 5,
  Currency = 6,
  Date = 7,
  String = 8,
  Object = 9,
  Error = 10,
  Boolean = 11,
  Variant = 12,
  Byte = 17,
  Array = 0x200C,      // one-dimensional array of Variants, lower bound 0
  ByteArray = 0x2011,  // array of bytes, lower bound 0
};

// 64-bit fixed point with four decimals, stored scaled by 10000.
struct Currency {
  int64_t scaled = 0;
  static Currency from_units(int64_t units) { return Currency{units * 10000}; }
  friend bool operator==(Currency, Currency) = default;
};

using Bytes = std::vector<uint8_t>;
using VariantArray = std::vector<Variant>;

class Variant {
 public:
  Variant() = default;
  Variant(bool b) : type_(VarType::Boolean), i_(b ? -1 : 0) {}
  Variant(int16_t v) : type_(VarType::Integer), i_(v) {}
  Variant(int32_t v) : type_(VarType::Long), i_(v) {}
  Variant(uint8_t v) : type_(VarType::Byte), i_(v) {}
  Variant(float v) : type_(VarType::Single), d_(v) {}
  Variant(double v) : type_(VarType::Double), d_(v) {}
  Variant(Currency c) : type_(VarType::Currency), i_(c.scaled) {}
  Variant(Text s) : type_(VarType::String), s_(std::make_shared<const Text>(std::move(s))) {}
  Variant(TextView s) : Variant(Text(s)) {}
  Variant(const char16_t* s) : Variant(Text(s)) {}
  Variant(ObjectPtr o) : type_(VarType::Object), o_(std::move(o)) {}
  Variant(Bytes b) : type_(VarType::ByteArray), bytes_(std::make_shared<const Bytes>(std::move(b))) {}
  Variant(VariantArray a) : type_(VarType::Array), arr_(std::make_shared<const VariantArray>(std::move(a))) {}
  // Share an existing buffer without copying (request bodies are large).
  static Variant shared_bytes(std::shared_ptr<const Bytes> b);

  static Variant null();
  static Variant date(double ole_date);
  static Variant error(int32_t scode);
  // What a late-bound caller leaves in the slot of an omitted optional argument.
  static Variant missing();

  VarType type() const { return type_; }
  bool is_empty() const { return type_ == VarType::Empty; }
  bool is_null() const { return type_ == VarType::Null; }
  bool is_missing() const;
  bool is_object() const { return type_ == VarType::Object; }
  bool is_numeric_type() const;

  // Raw access; throws 13 when the Variant holds another type.
  const Text& text() const;
  const ObjectPtr& object() const;  // 424 when not an object (or Nothing)
  const Bytes& bytes() const;
  const VariantArray& array() const;
  std::shared_ptr<const Bytes> shared_bytes_ptr() const;
  int64_t raw_int() const { return i_; }
  double raw_double() const { return d_; }

  // The script engine's conversion functions.
  Text to_text() const;          // CStr
  int16_t to_i16() const;        // CInt
  int32_t to_i32() const;        // CLng
  uint8_t to_u8() const;         // CByte
  float to_single() const;       // CSng
  double to_double() const;      // CDbl
  Currency to_currency() const;  // CCur
  bool to_bool() const;          // CBool
  double to_date() const;        // CDate, as an OLE date
  // CStr etc. picked by tag; the target of a typed parameter or result.
  Variant convert_to(VarType target) const;
  // An object's default member, or the value itself when not an object.
  Variant value() const;

 private:
  VarType type_ = VarType::Empty;
  int64_t i_ = 0;
  double d_ = 0;
  std::shared_ptr<const Text> s_;
  ObjectPtr o_;
  std::shared_ptr<const Bytes> bytes_;
  std::shared_ptr<const VariantArray> arr_;
};

using Args = std::span<Variant>;

}  // namespace brevane
