// The automation Variant as script pages see it. All conversions live in
// variant.cpp and follow the script engine: banker's rounding into integers,
// error 6 on overflow, error 13 when a value cannot be converted.
#pragma once

#include <bit>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
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

// A compact tagged union (24 bytes): scalars in one 64-bit slot, text, bytes,
// arrays and objects behind one shared, immutable pointer so copies are cheap.
class Variant {
 public:
  Variant() noexcept { bits_ = 0; }
  Variant(bool b) noexcept : Variant(VarType::Boolean, b ? -1 : 0) {}
  Variant(int16_t v) noexcept : Variant(VarType::Integer, v) {}
  Variant(int32_t v) noexcept : Variant(VarType::Long, v) {}
  Variant(uint8_t v) noexcept : Variant(VarType::Byte, v) {}
  Variant(float v) noexcept : Variant(VarType::Single, std::bit_cast<int64_t>(static_cast<double>(v))) {}
  Variant(double v) noexcept : Variant(VarType::Double, std::bit_cast<int64_t>(v)) {}
  Variant(Currency c) noexcept : Variant(VarType::Currency, c.scaled) {}
  Variant(Text s) : type_(VarType::String) { new (&s_) TextPtr(std::make_shared<const Text>(std::move(s))); }
  Variant(TextView s) : Variant(Text(s)) {}
  Variant(const char16_t* s) : Variant(Text(s)) {}
  Variant(ObjectPtr o) noexcept : type_(VarType::Object) { new (&o_) ObjectPtr(std::move(o)); }
  Variant(Bytes b) : type_(VarType::ByteArray) { new (&b_) BytesPtr(std::make_shared<const Bytes>(std::move(b))); }
  Variant(VariantArray a) : type_(VarType::Array) {
    new (&a_) ArrayPtr(std::make_shared<const VariantArray>(std::move(a)));
  }

  // These would silently pick a wrong alternative: a narrow string or any
  // other pointer would become Boolean True, a character a Long, and wide or
  // unsigned integers have no single matching automation type. Convert first.
  Variant(const char*) = delete;
  template <class T>
  Variant(T*) = delete;
  Variant(char) = delete;
  Variant(signed char) = delete;
  Variant(char8_t) = delete;
  Variant(char16_t) = delete;
  Variant(char32_t) = delete;
  Variant(wchar_t) = delete;
  Variant(unsigned) = delete;
  Variant(long) = delete;
  Variant(unsigned long) = delete;
  Variant(long long) = delete;
  Variant(unsigned long long) = delete;
  Variant(long double) = delete;

  Variant(const Variant& o) noexcept { copy_from(o); }
  Variant(Variant&& o) noexcept { move_from(o); }
  Variant& operator=(const Variant& o) noexcept {
    if (this != &o) {
      reset();
      copy_from(o);
    }
    return *this;
  }
  Variant& operator=(Variant&& o) noexcept {
    if (this != &o) {
      reset();
      move_from(o);
    }
    return *this;
  }
  ~Variant() { reset(); }

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
  // The stored integer (Integer, Long, Byte, Boolean, Currency scaled, Error)
  // or floating value (Single, Double, Date); 0 for any other type.
  int64_t raw_int() const;
  double raw_double() const;

  // Non-throwing access: nullptr / nullopt where the throwing form raises.
  const Text* text_or_null() const { return type_ == VarType::String ? s_.get() : nullptr; }
  const ObjectPtr& object_or_null() const {
    static const ObjectPtr nothing;
    return type_ == VarType::Object ? o_ : nothing;
  }
  const Bytes* bytes_or_null() const { return type_ == VarType::ByteArray ? b_.get() : nullptr; }
  const VariantArray* array_or_null() const { return type_ == VarType::Array ? a_.get() : nullptr; }

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
  // The same conversions without raising: nullopt where they would raise
  // (a default member that raises any error also gives nullopt).
  std::optional<Text> try_to_text() const;
  std::optional<int32_t> try_to_i32() const;
  std::optional<double> try_to_double() const;
  std::optional<bool> try_to_bool() const;
  std::optional<double> try_to_date() const;
  // CStr etc. picked by tag; the target of a typed parameter or result.
  Variant convert_to(VarType target) const;
  // An object's default member, or the value itself when not an object.
  Variant value() const;

 private:
  using TextPtr = std::shared_ptr<const Text>;
  using BytesPtr = std::shared_ptr<const Bytes>;
  using ArrayPtr = std::shared_ptr<const VariantArray>;

  Variant(VarType t, int64_t bits) noexcept : type_(t) { bits_ = bits; }
  double dbl() const { return std::bit_cast<double>(bits_); }

  // The one place that knows which alternative owns a reference.
  void copy_from(const Variant& o) noexcept {
    type_ = o.type_;
    switch (type_) {
      case VarType::String:
        new (&s_) TextPtr(o.s_);
        break;
      case VarType::Object:
        new (&o_) ObjectPtr(o.o_);
        break;
      case VarType::ByteArray:
        new (&b_) BytesPtr(o.b_);
        break;
      case VarType::Array:
        new (&a_) ArrayPtr(o.a_);
        break;
      default:
        bits_ = o.bits_;
    }
  }
  void move_from(Variant& o) noexcept {
    type_ = o.type_;
    switch (type_) {
      case VarType::String:
        new (&s_) TextPtr(std::move(o.s_));
        break;
      case VarType::Object:
        new (&o_) ObjectPtr(std::move(o.o_));
        break;
      case VarType::ByteArray:
        new (&b_) BytesPtr(std::move(o.b_));
        break;
      case VarType::Array:
        new (&a_) ArrayPtr(std::move(o.a_));
        break;
      default:
        bits_ = o.bits_;
    }
    o.reset();
  }
  void reset() noexcept {
    switch (type_) {
      case VarType::String:
        s_.~TextPtr();
        break;
      case VarType::Object:
        o_.~ObjectPtr();
        break;
      case VarType::ByteArray:
        b_.~BytesPtr();
        break;
      case VarType::Array:
        a_.~ArrayPtr();
        break;
      default:
        break;
    }
    type_ = VarType::Empty;
    bits_ = 0;
  }

  VarType type_ = VarType::Empty;
  union {
    int64_t bits_;  // integers as is, Single/Double/Date as the double's bits
    TextPtr s_;
    ObjectPtr o_;
    BytesPtr b_;
    ArrayPtr a_;
  };
};

using Args = std::span<Variant>;

}  // namespace brevane
