// brevane: command-line front end. `call` runs one façade method by name the
// way a late-bound script would; `serve` runs the native web host.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/registry.h"
#include "frame/facade.h"

using namespace brevane;

namespace {

int usage() {
  std::fputs(
      "usage: brevane call METHOD [ARG...]   call a method of Brevane.BrevaneCls, arguments as text\n"
      "       brevane --version\n",
      stderr);
  return 2;
}

std::string render(const Variant& v) {
  if (v.type() == VarType::ByteArray) {
    std::string out;
    for (uint8_t b : v.bytes()) out += (out.empty() ? "" : " ") + std::to_string(b);
    return out;
  }
  if (v.type() == VarType::Array) {
    std::string out;
    for (const Variant& e : v.array()) out += (out.empty() ? "" : "\n") + render(e);
    return out;
  }
  if (v.is_null()) return "Null";
  return to_utf8(v.to_text());
}

int call_command(int argc, char** argv) {
  if (argc < 1) return usage();
  try {
    Variant component(create_object(u"Brevane.BrevaneCls"));
    std::vector<Variant> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(from_utf8(argv[i]));
    Variant result = invoke_by_name(component, from_utf8(argv[0]), kMethod | kGet, args);
    std::string text = render(result);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    return 0;
  } catch (const ScriptError& e) {
    std::fprintf(stderr, "Error %d: %s\n", e.number(), to_utf8(e.description()).c_str());
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  std::string cmd = argv[1];
  if (cmd == "--version" || cmd == "version") {
    std::printf("brevane %s\n", to_utf8(kVersion).c_str());
    return 0;
  }
  if (cmd == "call") return call_command(argc - 2, argv + 2);
  return usage();
}
