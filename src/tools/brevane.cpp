// brevane: command-line front end. `call` runs one façade method by name the
// way a late-bound script would; `serve` runs the native web host.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "component/component.h"
#include "component/facade.h"
#include "core/registry.h"
#include "host/http_host.h"
#include "site/pages/demo_site.h"

using namespace brevane;

namespace {

int usage() {
  std::fputs(
      "usage: brevane call METHOD [ARG...]   call a method of Brevane.BrevaneCls, arguments as text\n"
      "       brevane serve [--site DIR] [--data DIR] [--host 127.0.0.1] [--port 8080] [--codepage 936]\n"
      "                     [--timeout SECONDS] [--workers N]\n"
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

// Where the demo site keeps what it writes: never inside the checkout.
std::filesystem::path default_data_dir() {
  if (const char* d = std::getenv("BREVANE_DATA"); d && *d) return d;
  if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return std::filesystem::path(x) / "brevane";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : "/tmp") / ".local/share/brevane";
}

int serve_command(int argc, char** argv) {
  namespace fs = std::filesystem;
  fs::path site_dir = site::default_site_dir();
  fs::path data_dir = default_data_dir();
  host::HostConfig config;
  for (int i = 0; i < argc; ++i) {
    std::string opt = argv[i];
    if (i + 1 >= argc) return usage();
    std::string value = argv[++i];
    if (opt == "--site")
      site_dir = value;
    else if (opt == "--data")
      data_dir = value;
    else if (opt == "--host")
      config.host = value;
    else if (opt == "--port")
      config.port = std::atoi(value.c_str());
    else if (opt == "--timeout" && std::atoi(value.c_str()) > 0)
      config.timeout_seconds = std::atoi(value.c_str());
    else if (opt == "--workers" && std::atoi(value.c_str()) > 0)
      config.workers = static_cast<size_t>(std::atoi(value.c_str()));
    else if (opt == "--codepage")
      setenv("BREVANE_CODEPAGE", value.c_str(), 1);
    else
      return usage();
  }
  std::error_code ec;
  site_dir = fs::weakly_canonical(site_dir, ec);
  data_dir = fs::weakly_canonical(data_dir, ec);
  if (!fs::is_directory(site_dir)) {
    std::fprintf(stderr, "brevane: no site folder %s\n", site_dir.c_str());
    return 1;
  }
  if (!site::prepare_demo_data(site_dir, data_dir)) return 1;
  config.site.root = site_dir;
  config.site.mounts = {
      {"/data", data_dir / "data"}, {"/UploadFile", data_dir / "UploadFile"}, {"/DownFile", data_dir / "DownFile"}};
  std::string host = config.host;
  host::PageRegistry pages;
  site::register_demo_pages(pages);
  host::HttpHost server(std::move(config), std::move(pages));

  // Stop cleanly on Ctrl-C or a termination request.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  int port = server.bind();
  if (port < 0) {
    std::fprintf(stderr, "brevane: cannot listen on %s\n", host.c_str());
    return 1;
  }
  std::thread waiter([&] {
    int sig = 0;
    sigwait(&stop_signals, &sig);
    server.stop();
  });
  waiter.detach();
  std::printf("Brevane serving %s (data in %s) at http://%s:%d/\n", site_dir.c_str(), data_dir.c_str(), host.c_str(),
              port);
  std::fflush(stdout);
  return server.serve() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  use_component_classes();
  if (argc < 2) return usage();
  std::string cmd = argv[1];
  if (cmd == "--version" || cmd == "version") {
    std::printf("brevane %s\n", to_utf8(kVersion).c_str());
    return 0;
  }
  if (cmd == "call") return call_command(argc - 2, argv + 2);
  if (cmd == "serve") return serve_command(argc - 2, argv + 2);
  return usage();
}
