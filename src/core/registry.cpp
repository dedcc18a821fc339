#include "core/registry.h"

#include <atomic>

namespace brevane {

namespace {
std::atomic<ClassList> g_class_list{nullptr};
}  // namespace

void set_class_list(ClassList fill) { g_class_list = fill; }

void ClassRegistry::add(TextView progid, Factory f) { classes_.emplace_back(Text(progid), std::move(f)); }

ObjectPtr ClassRegistry::create(TextView progid) const {
  for (const auto& [name, f] : classes_)
    if (iequals_ascii(name, progid)) return f();
  return nullptr;
}

bool ClassRegistry::has(TextView progid) const {
  for (const auto& entry : classes_)
    if (iequals_ascii(entry.first, progid)) return true;
  return false;
}

const ClassRegistry& class_registry() {
  static const ClassRegistry none;
  ClassList fill = g_class_list.load();
  if (!fill) return none;
  static const ClassRegistry registry = [fill] {
    ClassRegistry r;
    fill(r);
    return r;
  }();
  return registry;
}

namespace {
thread_local ClassRegistry* t_overrides = nullptr;
std::atomic<SystemFactory> g_system_factory{nullptr};
}  // namespace

void set_system_factory(SystemFactory f) { g_system_factory = f; }

void override_class_for_testing(TextView progid, Factory f) {
  static thread_local ClassRegistry overrides;
  t_overrides = &overrides;
  overrides.add(progid, std::move(f));
}

ObjectPtr create_object(TextView progid) {
  Text id(progid);
  while (!id.empty() && id.back() == u' ') id.pop_back();
  while (!id.empty() && id.front() == u' ') id.erase(id.begin());
  if (t_overrides && t_overrides->has(id)) {
    ObjectPtr o = t_overrides->create(id);
    if (!o) throw ScriptError(kCannotCreateObject);
    return o;
  }
  if (ObjectPtr o = class_registry().create(id)) return o;
  if (SystemFactory system = g_system_factory.load())
    if (ObjectPtr o = system(id)) return o;
  throw ScriptError(kCannotCreateObject);
}

bool class_registered(TextView progid) {
  if (t_overrides && t_overrides->has(progid)) return true;
  if (class_registry().has(progid)) return true;
  // The system's answer comes from creating one and letting it go at once.
  SystemFactory system = g_system_factory.load();
  return system && system(progid) != nullptr;
}

}  // namespace brevane
