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
#include "host/config.h"
#include "host/http_host.h"
#include "site/pages/demo_site.h"

using namespace brevane;

namespace {

int usage(std::FILE* out = stderr) {
  std::fputs(
      "usage: brevane call METHOD [ARG...]   call a method of Brevane.BrevaneCls, arguments as text\n"
      "       brevane serve [--config FILE] [--site DIR] [--data DIR] [--port 8080] [OPTION...]\n"
      "                     (brevane serve --help lists them)\n"
      "       brevane --version\n"
      "       brevane COMMAND --help\n",
      out);
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
  host::ServeOptions opts;
  bool help = false;
  if (auto e = host::parse_serve_args(std::vector<std::string>(argv, argv + argc), opts, help)) {
    std::fprintf(stderr, "brevane serve: %s\n", e->c_str());
    return 2;
  }
  if (help) return std::fputs(host::serve_help(), stdout), 0;
  fs::path site_dir = opts.site.empty() ? site::default_site_dir() : fs::path(opts.site);
  fs::path data_dir = opts.data.empty() ? default_data_dir() : fs::path(opts.data);
  host::HostConfig config;
  std::error_code ec;
  site_dir = fs::weakly_canonical(site_dir, ec);
  data_dir = fs::weakly_canonical(data_dir, ec);
  if (!fs::is_directory(site_dir)) {
    std::fprintf(stderr, "brevane: no site folder %s\n", site_dir.c_str());
    return 1;
  }
  if (auto e = host::configure_host(opts, data_dir, config)) {
    std::fprintf(stderr, "brevane serve: %s\n", e->c_str());
    return 1;
  }
  if (!site::prepare_demo_data(site_dir, data_dir)) return 1;
  config.site.root = site_dir;
  config.tus.dir = data_dir / "temp" / "tus";
  config.tus.exe = site::demo_upload_types();
  config.tus.single_size = 2.0 * 1024 * 1024 * 1024;
  config.site.mounts = {
      {"/data", data_dir / "data"}, {"/UploadFile", data_dir / "UploadFile"}, {"/DownFile", data_dir / "DownFile"}};
  std::string host = config.host;
  host::PageRegistry pages;
  site::register_demo_pages(pages);
  std::unique_ptr<host::HttpHost> owned;
  try {
    owned = std::make_unique<host::HttpHost>(std::move(config), std::move(pages));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "brevane serve: %s\n", e.what());
    return 1;
  }
  host::HttpHost& server = *owned;

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
  std::thread waiter([&, grace = opts.shutdown_grace] {
    int sig = 0;
    sigwait(&stop_signals, &sig);
    // Running requests (an upload under way) finish; new connections are refused.
    server.stop();
    std::this_thread::sleep_for(std::chrono::seconds(grace));
    std::fprintf(stderr, "brevane: requests still running %d s after the stop signal; leaving them\n", grace);
    std::_Exit(1);
  });
  waiter.detach();
  std::printf("Brevane serving %s (data in %s) at %s://%s:%d/\n", site_dir.c_str(), data_dir.c_str(),
              opts.cert.empty() ? "http" : "https", host.c_str(), port);
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
  if (cmd == "--help" || cmd == "-h" || cmd == "help") {
    usage(stdout);
    return 0;
  }
  if (cmd == "call" && argc > 2 && (std::strcmp(argv[2], "--help") == 0 || std::strcmp(argv[2], "-h") == 0)) {
    std::fputs(
        "usage: brevane call METHOD [ARG...]\n"
        "Calls one method of Brevane.BrevaneCls by name, as a script would, with the arguments as text,\n"
        "and prints the result (a byte array as numbers, an array one element a line).\n",
        stdout);
    return 0;
  }
  if (cmd == "call") return call_command(argc - 2, argv + 2);
  if (cmd == "serve") return serve_command(argc - 2, argv + 2);
  return usage();
}
