// Every conversion between Variant types, in one place.
#include "core/variant.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/numparse.h"
#include "core/object.h"
#include "core/script_error.h"
#include "core/vbdate.h"

namespace brevane {

namespace {

[[noreturn]] void mismatch() { throw ScriptError(kTypeMismatch); }
[[noreturn]] void overflow() { throw ScriptError(kOverflow); }

Text format_float(double v, int digits) {
  if (v == 0) return u"0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*G", digits, v);
  return T(buf);
}

Text format_currency(int64_t scaled) {
  bool neg = scaled < 0;
  uint64_t mag = neg ? uint64_t(0) - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  std::string s = std::to_string(mag / 10000);
  uint64_t frac = mag % 10000;
  if (frac) {
    char buf[8];
    std::snprintf(buf, sizeof buf, ".%04u", static_cast<unsigned>(frac));
    std::string f = buf;
    while (f.back() == '0') f.pop_back();
    s += f;
  }
  return T((neg ? "-" : "") + s);
}

// Round half to even, then range-check: the script engine's CInt/CLng/CByte.
int64_t round_to_integer(double v, double lo, double hi) {
  if (std::isnan(v)) overflow();
  double r = std::nearbyint(v);
  if (r < lo || r > hi) overflow();
  return static_cast<int64_t>(r);
}

}  // namespace

Variant Variant::shared_bytes(std::shared_ptr<const Bytes> b) {
  Variant v;
  v.type_ = VarType::ByteArray;
  new (&v.b_) BytesPtr(std::move(b));
  return v;
}

Variant Variant::null() { return Variant(VarType::Null, 0); }

Variant Variant::date(double ole_date) { return Variant(VarType::Date, std::bit_cast<int64_t>(ole_date)); }

Variant Variant::error(int32_t scode) { return Variant(VarType::Error, scode); }

constexpr int32_t kParamNotFound = static_cast<int32_t>(0x80020004u);

Variant Variant::missing() { return error(kParamNotFound); }

bool Variant::is_missing() const { return type_ == VarType::Error && bits_ == kParamNotFound; }

bool Variant::is_numeric_type() const {
  switch (type_) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
    case VarType::Byte:
    case VarType::Boolean:
      return true;
    default:
      return false;
  }
}

const Text& Variant::text() const {
  if (type_ != VarType::String) mismatch();
  return *s_;
}

const ObjectPtr& Variant::object() const {
  if (type_ != VarType::Object || !o_) throw ScriptError(kObjectRequired);
  return o_;
}

const Bytes& Variant::bytes() const {
  if (type_ != VarType::ByteArray) mismatch();
  return *b_;
}

std::shared_ptr<const Bytes> Variant::shared_bytes_ptr() const {
  if (type_ != VarType::ByteArray) mismatch();
  return b_;
}

const VariantArray& Variant::array() const {
  if (type_ != VarType::Array) mismatch();
  return *a_;
}

int64_t Variant::raw_int() const {
  switch (type_) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte:
    case VarType::Boolean:
    case VarType::Currency:
    case VarType::Error:
      return bits_;
    default:
      return 0;
  }
}

double Variant::raw_double() const {
  switch (type_) {
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
      return dbl();
    default:
      return 0;
  }
}

namespace {

// The conversions raise as the engine does; the try_ forms are for callers
// that only ask whether a value converts. One catch for all of them.
template <class F>
auto attempt(F f) -> std::optional<decltype(f())> {
  try {
    return f();
  } catch (const ScriptError&) {
    return std::nullopt;
  }
}

}  // namespace

std::optional<Text> Variant::try_to_text() const {
  if (type_ == VarType::String) return *s_;
  return attempt([&] { return to_text(); });
}
std::optional<int32_t> Variant::try_to_i32() const {
  return attempt([&] { return to_i32(); });
}
std::optional<double> Variant::try_to_double() const {
  return attempt([&] { return to_double(); });
}
std::optional<bool> Variant::try_to_bool() const {
  return attempt([&] { return to_bool(); });
}
std::optional<double> Variant::try_to_date() const {
  return attempt([&] { return to_date(); });
}

Variant Variant::value() const {
  if (type_ != VarType::Object) return *this;
  if (!o_) throw ScriptError(kObjectRequired);
  return o_->invoke(kDispIdValue, kGet, {});
}

Text Variant::to_text() const {
  switch (type_) {
    case VarType::Empty:
      return {};
    case VarType::Null:
      throw ScriptError(kInvalidUseOfNull);
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte:
      return T(std::to_string(bits_));
    case VarType::Boolean:
      return bits_ ? u"True" : u"False";
    case VarType::Single:
      return format_float(dbl(), 7);
    case VarType::Double:
      return format_float(dbl(), 15);
    case VarType::Currency:
      return format_currency(bits_);
    case VarType::Date:
      return format_ole_date(dbl());
    case VarType::String:
      return *s_;
    case VarType::Object:
      return value().to_text();
    case VarType::ByteArray: {
      // Bytes packed two to a code unit, low byte first, as the engine does.
      Text t;
      const Bytes& b = *b_;
      t.reserve((b.size() + 1) / 2);
      for (size_t k = 0; k < b.size(); k += 2)
        t.push_back(static_cast<char16_t>(b[k] | (k + 1 < b.size() ? b[k + 1] << 8 : 0)));
      return t;
    }
    default:
      mismatch();
  }
}

double Variant::to_double() const {
  switch (type_) {
    case VarType::Empty:
      return 0;
    case VarType::Null:
      throw ScriptError(kInvalidUseOfNull);
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte:
    case VarType::Boolean:
      return static_cast<double>(bits_);
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
      return dbl();
    case VarType::Currency:
      return static_cast<double>(bits_) / 10000.0;
    case VarType::String: {
      auto n = parse_number(*s_);
      if (!n) mismatch();
      return *n;
    }
    case VarType::Object:
      return value().to_double();
    default:
      mismatch();
  }
}

int16_t Variant::to_i16() const {
  if (type_ == VarType::Integer || type_ == VarType::Byte || type_ == VarType::Boolean)
    return static_cast<int16_t>(bits_);
  return static_cast<int16_t>(round_to_integer(to_double(), -32768, 32767));
}

int32_t Variant::to_i32() const {
  if (type_ == VarType::Integer || type_ == VarType::Long || type_ == VarType::Byte || type_ == VarType::Boolean)
    return static_cast<int32_t>(bits_);
  if (type_ == VarType::Currency) {
    // Banker's rounding on the exact fixed-point value.
    int64_t q = bits_ / 10000, r = bits_ % 10000;
    if (r > 5000 || (r == 5000 && (q & 1))) ++q;
    if (r < -5000 || (r == -5000 && (q & 1))) --q;
    if (q < std::numeric_limits<int32_t>::min() || q > std::numeric_limits<int32_t>::max()) overflow();
    return static_cast<int32_t>(q);
  }
  return static_cast<int32_t>(round_to_integer(to_double(), -2147483648.0, 2147483647.0));
}

uint8_t Variant::to_u8() const {
  if (type_ == VarType::Byte) return static_cast<uint8_t>(bits_);
  return static_cast<uint8_t>(round_to_integer(to_double(), 0, 255));
}

float Variant::to_single() const {
  double d = to_double();
  if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) overflow();
  return static_cast<float>(d);
}

Currency Variant::to_currency() const {
  switch (type_) {
    case VarType::Currency:
      return Currency{bits_};
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte:
    case VarType::Boolean:
      return Currency::from_units(bits_);
    default:
      break;
  }
  double d = to_double() * 10000.0;
  if (std::isnan(d) || std::fabs(d) >= 9.2233720368547758e18) overflow();
  return Currency{static_cast<int64_t>(std::nearbyint(d))};
}

bool Variant::to_bool() const {
  switch (type_) {
    case VarType::Empty:
      return false;
    case VarType::Null:
      throw ScriptError(kInvalidUseOfNull);
    case VarType::String: {
      const Text& s = *s_;
      Text t = s;
      while (!t.empty() && t.front() == u' ') t.erase(t.begin());
      while (!t.empty() && t.back() == u' ') t.pop_back();
      if (iequals_ascii(t, u"true") || iequals_ascii(t, u"#true#")) return true;
      if (iequals_ascii(t, u"false") || iequals_ascii(t, u"#false#")) return false;
      auto n = parse_number(s);
      if (!n) mismatch();
      return *n != 0;
    }
    case VarType::Object:
      return value().to_bool();
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
      return dbl() != 0;
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte:
    case VarType::Boolean:
    case VarType::Currency:
      return bits_ != 0;
    default:
      mismatch();
  }
}

double Variant::to_date() const {
  switch (type_) {
    case VarType::Date:
      return dbl();
    case VarType::String: {
      if (auto d = parse_date(*s_)) return *d;
      if (auto n = parse_number(*s_)) return *n;
      mismatch();
    }
    case VarType::Object:
      return value().to_date();
    default:
      return to_double();
  }
}

Variant Variant::convert_to(VarType target) const {
  switch (target) {
    case VarType::Variant:
      return *this;
    case VarType::Empty:
      return {};
    case VarType::Null:
      return null();
    case VarType::Integer:
      return to_i16();
    case VarType::Long:
      return to_i32();
    case VarType::Byte:
      return to_u8();
    case VarType::Single:
      return to_single();
    case VarType::Double:
      return to_double();
    case VarType::Currency:
      return to_currency();
    case VarType::Boolean:
      return to_bool();
    case VarType::Date:
      return date(to_date());
    case VarType::String:
      return to_text();
    case VarType::Object:
      if (type_ == VarType::Object) return *this;
      mismatch();
    case VarType::ByteArray:
      if (type_ == VarType::ByteArray) return *this;
      if (type_ == VarType::Empty) return Bytes{};
      mismatch();
    case VarType::Array:
      if (type_ == VarType::Array) return *this;
      mismatch();
    default:
      mismatch();
  }
}

}  // namespace brevane
