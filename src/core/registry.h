// Creation by programmatic identifier: the seven public classes and the
// platform services (dictionary, record sets, ...) that component code
// creates by name just as a page would.
#pragma once

#include <functional>

#include "core/object.h"

namespace brevane {

using Factory = std::function<ObjectPtr()>;

class ClassRegistry {
 public:
  void add(TextView progid, Factory f);
  ObjectPtr create(TextView progid) const;  // nullptr when unknown
  bool has(TextView progid) const;

 private:
  std::vector<std::pair<Text, Factory>> classes_;
};

// Error 429 when nothing answers to the identifier.
ObjectPtr create_object(TextView progid);
// Whether create_object would succeed (asking the system by creating one).
bool class_registered(TextView progid);

// Tests stand in for a platform class (a failing record set, say) on the
// current thread only; an empty factory removes the stand-in.
void override_class_for_testing(TextView progid, Factory f);

// Where a name no class here answers to is created next: on Windows the
// system's own automation classes (dictionary, streams, record sets, ...).
// Returns nullptr when the system has no such class either.
using SystemFactory = ObjectPtr (*)(TextView progid);
void set_system_factory(SystemFactory f);

// The classes themselves live in the layers above; each front end hands their
// list over at start-up (component/component.h), before the first creation.
using ClassList = void (*)(ClassRegistry& r);
void set_class_list(ClassList fill);
// Filled once, at first use after set_class_list; empty before.
const ClassRegistry& class_registry();

}  // namespace brevane
