// How `brevane serve` is set up: defaults, then an optional TOML file
// (--config), then the command line, each later one winning option by option.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/http_host.h"

namespace brevane::host {

struct ServeOptions {
  std::string site;  // empty: the demo site
  std::string data;  // empty: the user's data folder
  std::string address = "127.0.0.1";
  int port = 8080;
  int codepage = 0;                           // 0: the system's (936 unless set)
  std::map<char, std::string> drives;         // 'D' -> folder
  uint64_t spool_memory = uint64_t{1} << 20;  // request body bytes kept in memory
  std::string spool_dir;                      // empty: the system's temporary folder
  uint64_t max_body = 2147483647;             // larger request bodies are refused (413)
  int session_timeout = 20;                   // minutes
  std::string store = "memory";               // memory, sqlite or redis
  std::string redis = "127.0.0.1:6379";       // host:port
  std::string redis_prefix = "brevane:";
  std::vector<std::string> trusted_proxies;  // addresses or CIDR ranges
  std::string cert;                          // with key: serve HTTPS
  std::string key;
  std::string log = "text";  // text, json or off
  std::string log_file;      // empty: standard error
  bool metrics = false;
  bool gzip = true;
  int workers = 512;
  int timeout = 20;         // seconds a connection may stay silent
  int shutdown_grace = 30;  // seconds running requests get after SIGTERM
};

// Each returns an error message, or nothing when all went in.
std::optional<std::string> apply_toml(std::string_view toml_text, ServeOptions& out);
std::optional<std::string> apply_config_file(const std::string& path, ServeOptions& out);
// The arguments after "serve". --config is read first wherever it stands;
// the other options then override it. `help` is set for --help.
std::optional<std::string> parse_serve_args(const std::vector<std::string>& args, ServeOptions& out, bool& help);

// Fills the host's configuration from `opts` (the site and its mounts
// aside): sets the code page and drive mapping for the process, opens the
// log file and the session store (SQLite under `data_dir`).
std::optional<std::string> configure_host(const ServeOptions& opts, const std::filesystem::path& data_dir,
                                          HostConfig& config);

const char* serve_help();

}  // namespace brevane::host
