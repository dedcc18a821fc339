// The component layer, the top of the library: the seven public classes
// (the class list below, the façade BrevaneCls in facade.h), their member
// declarations (members.decl) and the gathering of every subsystem's bindings.
// Front ends (native host, DLL, CLI) and the test kit stand on it; nothing
// below may include it.
#pragma once

#include "core/registry.h"

namespace brevane {

// Everything creatable by programmatic identifier.
void register_component_classes(ClassRegistry& r);

// Hands that list to the class registry; each front end calls it once at
// start-up, before the first object is created.
void use_component_classes();

}  // namespace brevane
