// Binding a C++ routine to a member declared in component/members.decl,
// checked at compile time. The generated tags (decl/members.h) carry each
// member's name, kind and parameter types; bind<Tag, &Routine>() takes the
// name and kind from the tag, so a binding names the member once, and
// rejects a routine whose arity, parameter types or by-reference passing
// differ from the declaration. The failing check's instantiation names the
// member's tag (brevane::decl::<Class>::<Member>).
#pragma once

#include <tuple>
#include <type_traits>

#include "core/object.h"
#include "decl/members.h"

namespace brevane {

namespace detail {

template <class Sig>
struct Params;
template <class R, class... A>
struct Params<R (*)(A...)> {
  using result = R;
  using types = std::tuple<A...>;
};
template <class C, class R, class... A>
struct Params<R (C::*)(A...)> : Params<R (*)(A...)> {};
template <class C, class R, class... A>
struct Params<R (C::*)(A...) const> : Params<R (*)(A...)> {};

// Declared type E (Variant& for ByRef) against the routine's parameter A.
template <class Member, size_t Index, class E, class A>
struct ParamMatches {
  static constexpr bool by_ref = std::is_same_v<E, Variant&>;
  static_assert(!by_ref || std::is_same_v<A, Variant&>,
                "a ByRef parameter must be a Variant& in C++: a by-value argument loses the write-back");
  static_assert(by_ref || !(std::is_lvalue_reference_v<A> && !std::is_const_v<std::remove_reference_t<A>>),
                "a ByVal parameter is taken by value (or const&), not by non-const reference");
  static_assert(by_ref || std::is_same_v<std::remove_cvref_t<A>, E>,
                "parameter type differs from the declaration (String->Text, Integer->int16_t, Long->int32_t, "
                "Byte->uint8_t, Boolean->bool, Double->double, Variant->Variant, ByRef->Variant&)");
  static constexpr bool value = true;
};

template <class Member, class Declared, class Actual, size_t... I>
constexpr bool params_match(std::index_sequence<I...>) {
  return (ParamMatches<Member, I, std::tuple_element_t<I, Declared>, std::tuple_element_t<I, Actual>>::value && ...);
}

template <class Member, auto F>
constexpr bool matches_declaration() {
  using P = Params<decltype(F)>;
  using Declared = typename Member::params;
  using Actual = typename P::types;
  constexpr size_t declared = std::tuple_size_v<Declared>;
  static_assert(std::tuple_size_v<Actual> == declared, "the routine's parameter count differs from the declaration");
  static_assert(
      !(Member::kind == MemberKind::Function || Member::kind == MemberKind::Get) || !std::is_void_v<typename P::result>,
      "a Function or property Get must return a value");
  if constexpr (std::tuple_size_v<Actual> == declared)
    return params_match<Member, Declared, Actual>(std::make_index_sequence<declared>{});
  else
    return false;
}

}  // namespace detail

// bind<decl::BrevaneCls::CommMd5, &CommMd5>(): a free routine or a member
// function of the object's class.
template <class Member, auto F>
Binding bind() {
  static_assert(detail::matches_declaration<Member, F>());
  if constexpr (std::is_member_function_pointer_v<decltype(F)>)
    return bind_member<F>(Member::name, Member::kind);
  else
    return bind<F>(Member::name, Member::kind);
}

}  // namespace brevane

// A façade member whose routine has the member's name: BREVANE_BIND(CommMd5).
#define BREVANE_BIND(member) ::brevane::bind<::brevane::decl::BrevaneCls::member, &member>()
