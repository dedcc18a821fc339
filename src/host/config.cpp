#include "host/config.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>
#include <variant>

namespace brevane::host {

namespace {

using Target = std::variant<std::string ServeOptions::*, int ServeOptions::*, uint64_t ServeOptions::*,
                            bool ServeOptions::*, std::vector<std::string> ServeOptions::*>;

// One setting, as it is named in the file and on the command line. The file
// and the command line go through the same checks so neither accepts what
// the other refuses.
struct Setting {
  const char* key;   // dotted TOML path
  const char* flag;  // command-line option
  Target target;
  int64_t min = 0, max = 0;  // for numbers
  std::vector<std::string> choices = {};
};

const std::vector<Setting>& settings() {
  static const std::vector<Setting> all = {
      {"site", "--site", &ServeOptions::site},
      {"data", "--data", &ServeOptions::data},
      {"address", "--address", &ServeOptions::address},
      {"port", "--port", &ServeOptions::port, 0, 65535},
      {"codepage", "--codepage", &ServeOptions::codepage, 0, 65535},
      {"workers", "--workers", &ServeOptions::workers, 1, 100000},
      {"timeout", "--timeout", &ServeOptions::timeout, 1, 86400},
      {"shutdown_grace", "--shutdown-grace", &ServeOptions::shutdown_grace, 0, 86400},
      {"gzip", "--gzip", &ServeOptions::gzip},
      {"metrics", "--metrics", &ServeOptions::metrics},
      {"upload.spool_memory", "--spool-memory", &ServeOptions::spool_memory, 0, INT64_MAX},
      {"upload.spool_dir", "--spool-dir", &ServeOptions::spool_dir},
      {"upload.max_body", "--max-body", &ServeOptions::max_body, 1, INT64_MAX},
      {"session.timeout", "--session-timeout", &ServeOptions::session_timeout, 1, 525600},
      {"session.store", "--store", &ServeOptions::store, 0, 0, {"memory", "sqlite", "redis"}},
      {"session.redis", "--redis", &ServeOptions::redis},
      {"session.redis_prefix", "--redis-prefix", &ServeOptions::redis_prefix},
      {"proxy.trusted", "--trusted-proxy", &ServeOptions::trusted_proxies},
      {"tls.cert", "--cert", &ServeOptions::cert},
      {"tls.key", "--key", &ServeOptions::key},
      {"log.format", "--log", &ServeOptions::log, 0, 0, {"text", "json", "off"}},
      {"log.file", "--log-file", &ServeOptions::log_file},
  };
  return all;
}

std::optional<std::string> set_text(const Setting& s, ServeOptions& out, const std::string& value) {
  if (!s.choices.empty() && std::find(s.choices.begin(), s.choices.end(), value) == s.choices.end()) {
    std::string list;
    for (const auto& c : s.choices) list += (list.empty() ? "" : ", ") + c;
    return std::string(s.key) + ": \"" + value + "\" is not one of " + list;
  }
  out.*std::get<std::string ServeOptions::*>(s.target) = value;
  return std::nullopt;
}

std::optional<std::string> set_number(const Setting& s, ServeOptions& out, int64_t value) {
  if (value < s.min || value > s.max)
    return std::string(s.key) + ": " + std::to_string(value) + " is outside " + std::to_string(s.min) + ".." +
           std::to_string(s.max);
  if (auto p = std::get_if<int ServeOptions::*>(&s.target))
    out.** p = static_cast<int>(value);
  else
    out.*std::get<uint64_t ServeOptions::*>(s.target) = static_cast<uint64_t>(value);
  return std::nullopt;
}

bool is_number(const Setting& s) {
  return std::holds_alternative<int ServeOptions::*>(s.target) ||
         std::holds_alternative<uint64_t ServeOptions::*>(s.target);
}

std::optional<std::string> set_drive(ServeOptions& out, std::string_view letter, std::string_view folder,
                                     std::string_view where) {
  // "D", "d" or "D:"
  if (letter.ends_with(':')) letter.remove_suffix(1);
  if (letter.size() != 1 || !std::isalpha(static_cast<unsigned char>(letter[0])))
    return std::string(where) + ": \"" + std::string(letter) + "\" is not a drive letter";
  if (folder.empty() || folder[0] != '/') return std::string(where) + ": the folder must be an absolute path";
  out.drives[static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])))] = std::string(folder);
  return std::nullopt;
}

std::optional<std::string> apply_node(const std::string& key, const toml::node& node, ServeOptions& out) {
  if (key == "drives") {
    const toml::table* t = node.as_table();
    if (!t) return std::string("drives: expected a table of drive letters");
    for (const auto& [letter, folder] : *t) {
      const auto* f = folder.as_string();
      if (!f) return "drives." + std::string(letter.str()) + ": expected a folder name";
      if (auto e = set_drive(out, letter.str(), f->get(), "drives." + std::string(letter.str()))) return e;
    }
    return std::nullopt;
  }
  if (const toml::table* t = node.as_table()) {
    for (const auto& [k, v] : *t)
      if (auto e = apply_node(key.empty() ? std::string(k.str()) : key + "." + std::string(k.str()), v, out)) return e;
    return std::nullopt;
  }
  const Setting* s = nullptr;
  for (const auto& candidate : settings())
    if (key == candidate.key) s = &candidate;
  if (!s) return "unknown setting " + key;
  if (is_number(*s)) {
    const auto* v = node.as_integer();
    if (!v) return key + ": expected a whole number";
    return set_number(*s, out, v->get());
  }
  if (auto p = std::get_if<bool ServeOptions::*>(&s->target)) {
    const auto* v = node.as_boolean();
    if (!v) return key + ": expected true or false";
    out.** p = v->get();
    return std::nullopt;
  }
  if (auto p = std::get_if<std::vector<std::string> ServeOptions::*>(&s->target)) {
    const toml::array* a = node.as_array();
    if (!a) return key + ": expected a list of text";
    std::vector<std::string> items;
    for (const auto& item : *a) {
      const auto* text = item.as_string();
      if (!text) return key + ": expected a list of text";
      items.push_back(text->get());
    }
    out.** p = std::move(items);
    return std::nullopt;
  }
  const auto* v = node.as_string();
  if (!v) return key + ": expected text";
  return set_text(*s, out, v->get());
}

std::optional<std::string> apply_table(const toml::table& t, ServeOptions& out) {
  for (const auto& [k, v] : t)
    if (auto e = apply_node(std::string(k.str()), v, out)) return e;
  return std::nullopt;
}

std::string describe(const toml::parse_error& e) {
  std::ostringstream s;
  s << "line " << e.source().begin.line << ": " << e.description();
  return s.str();
}

std::vector<std::string> split_commas(const std::string& s) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos <= s.size()) {
    size_t comma = s.find(',', pos);
    std::string item = s.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
    if (!item.empty()) out.push_back(item);
    if (comma == std::string::npos) break;
    pos = comma + 1;
  }
  return out;
}

}  // namespace

std::optional<std::string> apply_toml(std::string_view text, ServeOptions& out) {
  try {
    return apply_table(toml::parse(text), out);
  } catch (const toml::parse_error& e) {
    return describe(e);
  }
}

std::optional<std::string> apply_config_file(const std::string& path, ServeOptions& out) {
  try {
    if (auto e = apply_table(toml::parse_file(path), out)) return path + ": " + *e;
    return std::nullopt;
  } catch (const toml::parse_error& e) {
    return path + ": " + describe(e);
  }
}

std::optional<std::string> parse_serve_args(const std::vector<std::string>& args, ServeOptions& out, bool& help) {
  help = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      help = true;
      return std::nullopt;
    }
    if (args[i] == "--config") {
      if (i + 1 >= args.size()) return std::string("--config needs a file name");
      if (auto e = apply_config_file(args[i + 1], out)) return e;
    }
  }
  std::set<std::string> lists_seen;  // a list given on the command line replaces the file's
  for (size_t i = 0; i < args.size(); ++i) {
    std::string flag = args[i];
    if (flag == "--config") {
      ++i;
      continue;
    }
    if (flag == "--host") flag = "--address";  // the earlier name
    const Setting* s = nullptr;
    bool negated = false;
    for (const auto& candidate : settings()) {
      if (flag == candidate.flag) s = &candidate;
      if (std::holds_alternative<bool ServeOptions::*>(candidate.target) &&
          flag == "--no-" + std::string(candidate.flag + 2)) {
        s = &candidate;
        negated = true;
      }
    }
    if (flag == "--drive") {
      if (i + 1 >= args.size()) return "--drive needs LETTER=FOLDER";
      std::string value = args[++i];
      size_t eq = value.find('=');
      if (eq == std::string::npos) return "--drive needs LETTER=FOLDER";
      if (auto e =
              set_drive(out, std::string_view(value).substr(0, eq), std::string_view(value).substr(eq + 1), "--drive"))
        return e;
      continue;
    }
    if (!s) return "unknown option " + flag;
    if (auto p = std::get_if<bool ServeOptions::*>(&s->target)) {
      out.** p = !negated;
      continue;
    }
    if (i + 1 >= args.size()) return flag + " needs a value";
    const std::string& value = args[++i];
    if (is_number(*s)) {
      int64_t n = 0;
      auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
      if (ec != std::errc() || end != value.data() + value.size() || value.empty())
        return flag + ": \"" + value + "\" is not a whole number";
      if (auto e = set_number(*s, out, n)) return flag + std::string(*e).substr(std::string(s->key).size());
    } else if (auto p = std::get_if<std::vector<std::string> ServeOptions::*>(&s->target)) {
      if (lists_seen.insert(flag).second) (out.**p).clear();
      for (auto& item : split_commas(value)) (out.**p).push_back(item);
    } else if (auto e = set_text(*s, out, value)) {
      return flag + std::string(*e).substr(std::string(s->key).size());
    }
  }
  if (out.cert.empty() != out.key.empty()) return std::string("a certificate needs its key (tls.cert and tls.key)");
  return std::nullopt;
}

std::optional<std::string> configure_host(const ServeOptions& opts, const std::filesystem::path& data_dir,
                                          HostConfig& config) {
  config.host = opts.address;
  config.port = opts.port;
  config.workers = static_cast<size_t>(opts.workers);
  config.timeout_seconds = opts.timeout;
  config.spool_memory_limit = static_cast<size_t>(opts.spool_memory);
  config.temp_dir = opts.spool_dir;
  // Both are read by the component on first use, before any page runs.
  if (opts.codepage) setenv("BREVANE_CODEPAGE", std::to_string(opts.codepage).c_str(), 1);
  if (!opts.drives.empty()) {
    std::string drives = getenv("BREVANE_DRIVES") ? getenv("BREVANE_DRIVES") : "";
    for (const auto& [letter, folder] : opts.drives)
      drives += (drives.empty() ? "" : ";") + std::string(1, letter) + "=" + folder;
    setenv("BREVANE_DRIVES", drives.c_str(), 1);
  }
  if (opts.log == "off") {
    config.log = nullptr;
  } else if (!opts.log_file.empty()) {
    config.log = std::fopen(opts.log_file.c_str(), "a");
    if (!config.log) return "cannot open the log file " + opts.log_file;
  }
  OperateConfig& ops = config.operate;
  ops.json_log = opts.log == "json";
  ops.cert_file = opts.cert;
  ops.key_file = opts.key;
  ops.trusted_proxies = opts.trusted_proxies;
  ops.metrics = opts.metrics;
  ops.gzip = opts.gzip;
  ops.max_body = opts.max_body;
  ops.session_timeout_minutes = opts.session_timeout;
  try {
    if (opts.store == "sqlite") {
      std::error_code ec;
      std::filesystem::create_directories(data_dir, ec);
      ops.store = open_sqlite_state((data_dir / "sessions.sqlite3").string());
    } else if (opts.store == "redis") {
      ops.store = open_redis_state(opts.redis, opts.redis_prefix);
    }
  } catch (const std::exception& e) {
    return e.what();
  }
  return std::nullopt;
}

const char* serve_help() {
  return "usage: brevane serve [--config FILE] [OPTION...]\n"
         "Serves a site folder over HTTP (HTTPS with a certificate). Options come from the\n"
         "configuration file (TOML; its key in brackets), the command line winning.\n"
         "  --config FILE           read settings from FILE first\n"
         "  --site DIR              site folder [site] (default: the demo site)\n"
         "  --data DIR              data folder [data] (default: $BREVANE_DATA or ~/.local/share/brevane)\n"
         "  --address ADDR          address to listen on [address] (default 127.0.0.1; --host too)\n"
         "  --port N                port [port] (default 8080; 0 picks a free one)\n"
         "  --codepage N            the pages' code page [codepage] (default 936)\n"
         "  --drive D=/FOLDER       map a drive letter to a folder [drives] (repeatable)\n"
         "  --spool-memory BYTES    request body bytes kept in memory [upload.spool_memory]\n"
         "  --spool-dir DIR         folder for larger request bodies [upload.spool_dir]\n"
         "  --max-body BYTES        refuse larger request bodies with 413 [upload.max_body]\n"
         "  --session-timeout MIN   idle minutes before a session ends [session.timeout] (default 20)\n"
         "  --store KIND            sessions and Application in memory, sqlite or redis [session.store]\n"
         "  --redis HOST:PORT       Redis server for --store redis [session.redis]\n"
         "  --redis-prefix TEXT     prefix of the Redis keys [session.redis_prefix] (default brevane:)\n"
         "  --trusted-proxy ADDR    proxy (address or CIDR range) whose X-Forwarded-For is believed\n"
         "                          [proxy.trusted] (repeatable or comma-separated)\n"
         "  --cert FILE --key FILE  serve HTTPS with this PEM certificate and key [tls.cert, tls.key]\n"
         "  --log FORMAT            access log: text, json (one object a line) or off [log.format]\n"
         "  --log-file FILE         append the access log to FILE [log.file] (default: standard error)\n"
         "  --metrics, --no-metrics Prometheus metrics at /metrics [metrics] (default off)\n"
         "  --gzip, --no-gzip       compress text answers for clients that accept it [gzip] (default on)\n"
         "  --workers N             most connections served at once [workers] (default 512)\n"
         "  --timeout SECONDS       close a connection silent this long [timeout] (default 20)\n"
         "  --shutdown-grace SEC    on SIGTERM, time running requests get to finish [shutdown_grace] (30)\n"
         "GET /healthz answers \"ok\" while the host serves.\n";
}

}  // namespace brevane::host
