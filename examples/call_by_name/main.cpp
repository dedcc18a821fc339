// Creates the component by name and calls one of its methods by name, as a
// page would: call_by_name METHOD [ARG...], e.g. call_by_name CommMd5 abc.
#include <component/component.h>
#include <core/registry.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  using namespace brevane;
  if (argc < 2) {
    std::fputs("usage: call_by_name METHOD [ARG...]\n", stderr);
    return 2;
  }
  use_component_classes();
  try {
    Variant component(create_object(u"Brevane.BrevaneCls"));
    std::vector<Variant> args;
    for (int i = 2; i < argc; ++i) args.emplace_back(from_utf8(argv[i]));
    Variant result = invoke_by_name(component, from_utf8(argv[1]), kMethod | kGet, args);
    std::puts(to_utf8(result.to_text()).c_str());
  } catch (const ScriptError& e) {
    std::fprintf(stderr, "Error %d: %s\n", e.number(), to_utf8(e.description()).c_str());
    return 1;
  }
  return 0;
}
