// Entry points of brevane.dll: the seven public classes, created through the
// class registry exactly as the native host creates them.
#include <vector>

#include "com/com_support.h"
#include "component/component.h"
#include "decl/members.h"

namespace brevane::com {

const ServerModule& module() {
  static const bool classes_in_use = (use_component_classes(), true);
  (void)classes_in_use;
  static const std::vector<Text> progids = [] {
    std::vector<Text> ids;
    for (const ClassInfo* c : declared_classes()) ids.push_back(u"Brevane." + Text(c->name));
    return ids;
  }();
  static const std::vector<ServerClass> classes = [] {
    std::vector<ServerClass> list;
    size_t i = 0;
    for (const ClassInfo* c : declared_classes()) {
      TextView progid = progids[i++];
      list.push_back({progid, c->clsid, [progid] { return create_object(progid); }});
    }
    return list;
  }();
  static const ServerModule m{classes, u"Brevane", kTypeLibraryGuid};
  return m;
}

}  // namespace brevane::com

using namespace brevane;

extern "C" {

HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return com::get_class_object(clsid, iid, out);
}
HRESULT __stdcall DllCanUnloadNow() { return com::can_unload_now(); }
HRESULT __stdcall DllRegisterServer() { return com::register_server(); }
HRESULT __stdcall DllUnregisterServer() { return com::unregister_server(); }
}
