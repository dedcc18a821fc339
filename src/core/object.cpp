#include "core/object.h"

#include <cstdio>
#include <cstdlib>

namespace brevane {

VariantArray Object::enumerate() { throw ScriptError(kNoSuchMember); }

void throw_no_member(TextView name) {
  throw ScriptError(kNoSuchMember, standard_description(kNoSuchMember) + u": '" + Text(name) + u"'");
}

Variant invoke_by_name(const Variant& target, TextView name, int kind, Args args) {
  const ObjectPtr& obj = target.object();
  DispId id = obj->find_member(name);
  if (id == kDispIdUnknown) throw_no_member(name);
  return obj->invoke(id, kind, args);
}

Variant call(const Variant& target, TextView name, std::initializer_list<Variant> args) {
  std::vector<Variant> a(args);
  return invoke_by_name(target, name, kMethod | kGet, a);
}

Variant get(const Variant& target, TextView name, std::initializer_list<Variant> args) {
  std::vector<Variant> a(args);
  return invoke_by_name(target, name, kGet | kMethod, a);
}

void put(const Variant& target, TextView name, Variant value) {
  Variant a[1] = {std::move(value)};
  invoke_by_name(target, name, kPut, a);
}

Variant call_default(const Variant& target, std::initializer_list<Variant> args) {
  std::vector<Variant> a(args);
  return target.object()->invoke(kDispIdValue, kMethod | kGet, a);
}

// ---- declarations ----

Variant ParamInfo::default_value() const {
  switch (default_kind) {
    case DefaultKind::String:
      return Variant(Text(default_text));
    case DefaultKind::Number:
      return Variant(default_number);
    case DefaultKind::Bool:
      return Variant(default_number != 0);
    case DefaultKind::None:
      break;
  }
  return type == VarType::Variant ? Variant::missing() : Variant();
}

DispId ClassInfo::dispid_of(TextView member) const {
  for (const MemberInfo& m : members)
    if (iequals_ascii(m.name, member)) return m.dispid;
  return kDispIdUnknown;
}

const MemberInfo* ClassInfo::select(DispId id, int kind) const {
  const MemberInfo* fallback = nullptr;
  for (const MemberInfo& m : members) {
    if (m.dispid != id) continue;
    bool is_put = m.kind == MemberKind::Let || m.kind == MemberKind::Set;
    if (kind & (kPut | kPutRef)) {
      if (!is_put) continue;
      if ((kind & kPutRef) ? m.kind == MemberKind::Set : m.kind == MemberKind::Let) return &m;
      fallback = &m;
    } else if (!is_put) {
      return &m;
    }
  }
  return fallback;
}

const MemberInfo* ClassInfo::find(TextView member, MemberKind kind) const {
  for (const MemberInfo& m : members)
    if (m.kind == kind && iequals_ascii(m.name, member)) return &m;
  return nullptr;
}

const ClassInfo& declared_class(std::u16string_view name) {
  for (const ClassInfo* c : declared_classes())
    if (c->name == name) return *c;
  std::fprintf(stderr, "no declared class %s\n", to_utf8(name).c_str());
  std::abort();
}

// ---- binding ----

HandlerTable::HandlerTable(const ClassInfo& info, std::initializer_list<std::vector<Binding>> groups)
    : info_(&info), handlers_(info.members.size(), nullptr) {
  for (const auto& group : groups) {
    for (const Binding& b : group) {
      bool found = false;
      for (size_t i = 0; i < info.members.size(); ++i) {
        const MemberInfo& m = info.members[i];
        bool same_kind = m.kind == b.kind || (b.kind == MemberKind::Function && m.kind == MemberKind::Sub);
        if (!same_kind || m.name != b.name) continue;
        // A routine whose arity disagrees with its declaration is a build
        // mistake; stop at start-up rather than misroute arguments later.
        if (m.params.size() != b.arity) {
          std::fprintf(stderr, "%s.%s: declared with %zu parameters, bound with %zu\n", to_utf8(info.name).c_str(),
                       to_utf8(m.name).c_str(), m.params.size(), b.arity);
          std::abort();
        }
        handlers_[i] = b.handler;
        found = true;
      }
      if (!found) {
        std::fprintf(stderr, "%s has no member %s to bind\n", to_utf8(info.name).c_str(), to_utf8(b.name).c_str());
        std::abort();
      }
    }
  }
}

size_t HandlerTable::bound_count() const {
  size_t n = 0;
  for (Handler h : handlers_) n += h != nullptr;
  return n;
}

DispId DeclaredObject::find_member(TextView name) const { return table_->info().dispid_of(name); }

Variant DeclaredObject::invoke(DispId id, int kind, Args args) {
  const ClassInfo& info = table_->info();
  const MemberInfo* m = info.select(id, kind);
  if (!m) throw ScriptError(kNoSuchMember);
  Handler h = table_->at(static_cast<size_t>(m - info.members.data()));
  if (!h) throw_no_member(m->name);
  const auto& params = m->params;
  if (args.size() > params.size()) throw ScriptError(kWrongArgumentCount);

  std::vector<Variant> temps(params.size());
  std::vector<Variant*> slots(params.size());
  for (size_t i = 0; i < params.size(); ++i) {
    const ParamInfo& p = params[i];
    bool given = i < args.size() && !args[i].is_missing();
    if (!given) {
      if (!p.optional) throw ScriptError(kArgumentNotOptional);
      temps[i] = p.default_value();
      if (p.type != VarType::Variant) temps[i] = temps[i].convert_to(p.type);
      slots[i] = &temps[i];
    } else if (p.by_ref) {
      if (p.type != VarType::Variant && args[i].type() != p.type) args[i] = args[i].convert_to(p.type);
      slots[i] = &args[i];
    } else {
      temps[i] = p.type == VarType::Variant ? args[i] : args[i].convert_to(p.type);
      slots[i] = &temps[i];
    }
  }
  Variant r = h(*this, slots.data());
  if (m->result != VarType::Empty && m->result != VarType::Variant) r = r.convert_to(m->result);
  return r;
}

// ---- dynamic objects ----

void DynamicObject::define(TextView name, Fn fn, bool is_default) {
  if (is_default) default_index_ = static_cast<int>(members_.size());
  members_.emplace_back(Text(name), std::move(fn));
}

DispId DynamicObject::find_member(TextView name) const {
  for (size_t i = 0; i < members_.size(); ++i)
    if (iequals_ascii(members_[i].first, name))
      return static_cast<int>(i) == default_index_ ? kDispIdValue : static_cast<DispId>(i + 1);
  return kDispIdUnknown;
}

Variant DynamicObject::invoke(DispId id, int kind, Args args) {
  if (id == kDispIdNewEnum) return Variant(enumerate());
  size_t index;
  if (id == kDispIdValue) {
    if (default_index_ < 0) throw ScriptError(kNoSuchMember);
    index = static_cast<size_t>(default_index_);
  } else {
    if (id < 1 || static_cast<size_t>(id) > members_.size()) throw ScriptError(kNoSuchMember);
    index = static_cast<size_t>(id - 1);
  }
  return members_[index].second(kind, args);
}

}  // namespace brevane
