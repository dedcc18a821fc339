// The core layer (the bottom; includes nothing of ours): Text, Variant,
// script errors, objects and their bindings, the class registry, the code page.
// Objects called by name. Component classes declare their members once (the
// generated ClassInfo tables) and bind C++ routines to them; host objects and
// platform services answer by name directly.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/script_error.h"
#include "core/variant.h"

namespace brevane {

using DispId = int32_t;
constexpr DispId kDispIdValue = 0;
constexpr DispId kDispIdNewEnum = -4;
constexpr DispId kDispIdUnknown = -1;

// Flags as the automation layer passes them; a script's call "a.b(x)" is
// kMethod | kGet because the caller cannot tell the two apart.
enum CallKind : int { kMethod = 1, kGet = 2, kPut = 4, kPutRef = 8 };

class Object : public std::enable_shared_from_this<Object> {
 public:
  // Member tables capture `this`: a copy would call into the original.
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object() = default;
  // kDispIdUnknown when the object has no member of that name.
  virtual DispId find_member(TextView name) const = 0;
  // Arguments in the caller's order; by-reference arguments are written back
  // into args. For a put, the value is the last argument.
  virtual Variant invoke(DispId id, int kind, Args args) = 0;
  // The members of a For Each; 438 unless the object is a collection.
  virtual VariantArray enumerate();
  virtual const struct ClassInfo* class_info() const { return nullptr; }
};

// By-name calls. 424 when target holds no object, 438 for an unknown member.
Variant invoke_by_name(const Variant& target, TextView name, int kind, Args args);
Variant call(const Variant& target, TextView name, std::initializer_list<Variant> args = {});
Variant get(const Variant& target, TextView name, std::initializer_list<Variant> args = {});
void put(const Variant& target, TextView name, Variant value);
// target(args...) — the default member.
Variant call_default(const Variant& target, std::initializer_list<Variant> args);
[[noreturn]] void throw_no_member(TextView name);

// ---- member declarations (generated from members.decl) ----

enum class MemberKind : uint8_t { Function, Sub, Get, Let, Set };
enum class DefaultKind : uint8_t { None, String, Number, Bool };

struct ParamInfo {
  std::u16string_view name;
  VarType type;
  bool by_ref;
  bool optional;
  DefaultKind default_kind;
  std::u16string_view default_text;
  double default_number;
  Variant default_value() const;
};

struct MemberInfo {
  std::u16string_view name;
  MemberKind kind;
  int slot;
  DispId dispid;
  std::span<const ParamInfo> params;
  VarType result;  // Empty for a sub or a property write
};

struct ClassInfo {
  std::u16string_view name;
  std::string_view clsid;
  std::string_view iid;
  std::span<const MemberInfo> members;

  DispId dispid_of(TextView member) const;
  // The member a call with these flags reaches, or nullptr.
  const MemberInfo* select(DispId id, int kind) const;
  const MemberInfo* find(TextView member, MemberKind kind) const;
};

// All generated classes, in declaration order.
std::span<const ClassInfo* const> declared_classes();
const ClassInfo& declared_class(std::u16string_view name);

// ---- binding C++ routines to declared members ----

// Slots hold the arguments already converted to the declared types, in
// declared order; a by-reference slot is the caller's own Variant.
using Handler = Variant (*)(Object& self, Variant* const* slots);

struct Binding {
  std::u16string_view name;
  MemberKind kind;
  Handler handler;
  size_t arity;
};

namespace detail {

template <class T>
decltype(auto) from_slot(Variant& v) {
  using D = std::remove_cvref_t<T>;
  if constexpr (std::is_same_v<T, Variant&>)
    return (v);
  else if constexpr (std::is_same_v<D, Variant>)
    return Variant(v);
  else if constexpr (std::is_same_v<D, Text>)
    return v.to_text();
  else if constexpr (std::is_same_v<D, bool>)
    return v.to_bool();
  else if constexpr (std::is_same_v<D, int16_t>)
    return v.to_i16();
  else if constexpr (std::is_same_v<D, int32_t>)
    return v.to_i32();
  else if constexpr (std::is_same_v<D, uint8_t>)
    return v.to_u8();
  else if constexpr (std::is_same_v<D, float>)
    return v.to_single();
  else if constexpr (std::is_same_v<D, double>)
    return v.to_double();
  else if constexpr (std::is_same_v<D, Currency>)
    return v.to_currency();
  else
    static_assert(sizeof(T) == 0, "unsupported parameter type for a bound routine");
}

template <class R, class Call>
Variant to_result(Call&& c) {
  if constexpr (std::is_void_v<R>) {
    c();
    return {};
  } else {
    return Variant(c());
  }
}

template <class Sig>
struct Traits;
template <class R, class... A>
struct Traits<R (*)(A...)> {
  static constexpr size_t arity = sizeof...(A);
  template <auto F, size_t... I>
  static Variant call(Variant* const* s, std::index_sequence<I...>) {
    return to_result<R>([&]() -> R { return F(from_slot<A>(*s[I])...); });
  }
};
template <class C, class R, class... A>
struct Traits<R (C::*)(A...)> {
  static constexpr size_t arity = sizeof...(A);
  template <auto F, size_t... I>
  static Variant call(C& self, Variant* const* s, std::index_sequence<I...>) {
    return to_result<R>([&]() -> R { return (self.*F)(from_slot<A>(*s[I])...); });
  }
};
template <class C, class R, class... A>
struct Traits<R (C::*)(A...) const> : Traits<R (C::*)(A...)> {};

template <class M>
struct MemberClass;
template <class C, class R, class... A>
struct MemberClass<R (C::*)(A...)> {
  using type = C;
};
template <class C, class R, class... A>
struct MemberClass<R (C::*)(A...) const> {
  using type = C;
};

}  // namespace detail

// A free routine: CommFileGetExt(Text, uint8_t) -> Text.
template <auto F>
Binding bind(std::u16string_view name, MemberKind kind = MemberKind::Function) {
  using Tr = detail::Traits<decltype(F)>;
  Handler h = [](Object&, Variant* const* s) { return Tr::template call<F>(s, std::make_index_sequence<Tr::arity>{}); };
  return {name, kind, h, Tr::arity};
}

// A member function of the class the object is.
template <auto M>
Binding bind_member(std::u16string_view name, MemberKind kind = MemberKind::Function) {
  using Tr = detail::Traits<decltype(M)>;
  using C = typename detail::MemberClass<decltype(M)>::type;
  Handler h = [](Object& self, Variant* const* s) {
    return Tr::template call<M>(static_cast<C&>(self), s, std::make_index_sequence<Tr::arity>{});
  };
  return {name, kind, h, Tr::arity};
}

// Handlers indexed like ClassInfo::members; a member left unbound answers 438.
class HandlerTable {
 public:
  HandlerTable(const ClassInfo& info, std::initializer_list<std::vector<Binding>> groups);
  const ClassInfo& info() const { return *info_; }
  Handler at(size_t member_index) const { return handlers_[member_index]; }
  size_t bound_count() const;

 private:
  const ClassInfo* info_;
  std::vector<Handler> handlers_;
};

// Base of every declared class: dispatch by the declarations, argument
// conversion, defaults for omitted optionals, by-reference write-back.
class DeclaredObject : public Object {
 public:
  explicit DeclaredObject(const HandlerTable& table) : table_(&table) {}
  DispId find_member(TextView name) const override;
  Variant invoke(DispId id, int kind, Args args) override;
  const ClassInfo* class_info() const override { return &table_->info(); }

 private:
  const HandlerTable* table_;
};

// Objects whose members are plain callbacks: host doubles, platform services.
class DynamicObject : public Object {
 public:
  using Fn = std::function<Variant(int kind, Args args)>;
  DispId find_member(TextView name) const override;
  Variant invoke(DispId id, int kind, Args args) override;

 protected:
  // The default member answers both to its name and to DISPID_VALUE.
  void define(TextView name, Fn fn, bool is_default = false);

 private:
  std::vector<std::pair<Text, Fn>> members_;
  int default_index_ = -1;
};

}  // namespace brevane
