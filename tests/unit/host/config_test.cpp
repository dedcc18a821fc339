#include "host/config.h"

#include <gtest/gtest.h>

#include <functional>

#include "kit/scratch.h"

namespace brevane::host {
namespace {

struct Case {
  const char* name;
  std::string toml;
  std::vector<std::string> args;
  std::string error;  // empty: accepted
  std::function<void(const ServeOptions&)> check = {};
};

TEST(ServeConfig, FileThenCommandLine) {
  kit::ScratchFolder dir;
  const std::vector<Case> cases = {
      {"every setting from the file",
       "site = \"/srv/site\"\ndata = \"/var/lib/b\"\naddress = \"0.0.0.0\"\nport = 8443\ncodepage = 65001\n"
       "workers = 64\ntimeout = 30\nshutdown_grace = 5\ngzip = false\nmetrics = true\n"
       "[drives]\nD = \"/srv/d\"\n\"e:\" = \"/mnt/e\"\n"
       "[upload]\nspool_memory = 4096\nspool_dir = \"/var/tmp\"\nmax_body = 1000000\n"
       "[session]\ntimeout = 45\nstore = \"redis\"\nredis = \"10.0.0.5:6380\"\nredis_prefix = \"site1:\"\n"
       "[proxy]\ntrusted = [\"127.0.0.1\", \"10.0.0.0/8\"]\n"
       "[tls]\ncert = \"/etc/c.pem\"\nkey = \"/etc/k.pem\"\n[log]\nformat = \"json\"\nfile = \"/var/log/b.log\"\n",
       {},
       "",
       [](const ServeOptions& o) {
         EXPECT_EQ(o.site, "/srv/site");
         EXPECT_EQ(o.data, "/var/lib/b");
         EXPECT_EQ(o.address, "0.0.0.0");
         EXPECT_EQ(o.port, 8443);
         EXPECT_EQ(o.codepage, 65001);
         EXPECT_EQ(o.workers, 64);
         EXPECT_EQ(o.timeout, 30);
         EXPECT_EQ(o.shutdown_grace, 5);
         EXPECT_FALSE(o.gzip);
         EXPECT_TRUE(o.metrics);
         EXPECT_EQ(o.drives, (std::map<char, std::string>{{'D', "/srv/d"}, {'E', "/mnt/e"}}));
         EXPECT_EQ(o.spool_memory, 4096u);
         EXPECT_EQ(o.spool_dir, "/var/tmp");
         EXPECT_EQ(o.max_body, 1000000u);
         EXPECT_EQ(o.session_timeout, 45);
         EXPECT_EQ(o.store, "redis");
         EXPECT_EQ(o.redis, "10.0.0.5:6380");
         EXPECT_EQ(o.redis_prefix, "site1:");
         EXPECT_EQ(o.trusted_proxies, (std::vector<std::string>{"127.0.0.1", "10.0.0.0/8"}));
         EXPECT_EQ(o.cert, "/etc/c.pem");
         EXPECT_EQ(o.key, "/etc/k.pem");
         EXPECT_EQ(o.log, "json");
         EXPECT_EQ(o.log_file, "/var/log/b.log");
       }},
      {"the command line wins, lists replaced",
       "port = 8000\n[proxy]\ntrusted = [\"10.0.0.1\"]\n[session]\nstore = \"sqlite\"\n[drives]\nD = \"/a\"\n",
       {"--port", "9000", "--trusted-proxy", "127.0.0.1,::1", "--trusted-proxy", "10.1.0.0/16", "--store", "memory",
        "--drive", "D=/b", "--no-gzip", "--metrics", "--host", "127.0.0.2"},
       "",
       [](const ServeOptions& o) {
         EXPECT_EQ(o.port, 9000);
         EXPECT_EQ(o.trusted_proxies, (std::vector<std::string>{"127.0.0.1", "::1", "10.1.0.0/16"}));
         EXPECT_EQ(o.store, "memory");
         EXPECT_EQ(o.drives.at('D'), "/b");
         EXPECT_FALSE(o.gzip);
         EXPECT_TRUE(o.metrics);
         EXPECT_EQ(o.address, "127.0.0.2");
       }},
      {"defaults without a file",
       "",
       {},
       "",
       [](const ServeOptions& o) {
         EXPECT_EQ(o.port, 8080);
         EXPECT_EQ(o.store, "memory");
         EXPECT_EQ(o.session_timeout, 20);
         EXPECT_TRUE(o.gzip);
         EXPECT_FALSE(o.metrics);
       }},
      {"misspelt key", "prot = 1\n", {}, "unknown setting prot"},
      {"misspelt key in a table", "[session]\ntimeuot = 5\n", {}, "unknown setting session.timeuot"},
      {"wrong type", "port = \"8080\"\n", {}, "port: expected a whole number"},
      {"out of range", "port = 70000\n", {}, "port: 70000 is outside 0..65535"},
      {"bad choice",
       "[session]\nstore = \"mysql\"\n",
       {},
       "session.store: \"mysql\" is not one of memory, sqlite, redis"},
      {"bad drive", "[drives]\nDD = \"/x\"\n", {}, "drives.DD: \"DD\" is not a drive letter"},
      {"relative drive folder", "[drives]\nD = \"x\"\n", {}, "drives.D: the folder must be an absolute path"},
      {"not TOML", "port = = 1\n", {}, "line 1"},
      {"not a number on the command line", "", {"--port", "80x"}, "--port: \"80x\" is not a whole number"},
      {"zero workers", "", {"--workers", "0"}, "--workers: 0 is outside 1..100000"},
      {"unknown option", "", {"--prot", "1"}, "unknown option --prot"},
      {"missing value", "", {"--port"}, "--port needs a value"},
      {"certificate without key", "", {"--cert", "/c.pem"}, "a certificate needs its key"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir.write("b.toml", c.toml);
    std::vector<std::string> args = {"--config", (dir.native() / "b.toml").string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ServeOptions o;
    bool help = true;
    auto error = parse_serve_args(args, o, help);
    EXPECT_FALSE(help);
    if (c.error.empty()) {
      ASSERT_FALSE(error) << *error;
      c.check(o);
    } else {
      ASSERT_TRUE(error);
      EXPECT_NE(error->find(c.error), std::string::npos) << *error;
    }
  }
}

TEST(ServeConfig, MissingFileAndHelp) {
  ServeOptions o;
  bool help = false;
  auto error = parse_serve_args({"--config", "/nonexistent/b.toml"}, o, help);
  ASSERT_TRUE(error);
  EXPECT_NE(error->find("/nonexistent/b.toml"), std::string::npos);
  EXPECT_FALSE(parse_serve_args({"--port", "1", "--help"}, o, help));
  EXPECT_TRUE(help);
}

}  // namespace
}  // namespace brevane::host
