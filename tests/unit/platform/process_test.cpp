#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "kit/tempdrive.h"

namespace brevane::process {
namespace {

class Process : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* p = std::getenv("PATH")) saved_path = p;
  }
  void TearDown() override { setenv("PATH", saved_path.c_str(), 1); }
  void program(const std::string& rel, const std::string& body, mode_t mode = 0755) {
    t.write(rel, "#!/bin/sh\n" + body + "\n");
    ::chmod(t.native(rel).c_str(), mode);
  }
  kit::TempDrive t;
  std::string saved_path;
};

TEST_F(Process, PathSearchSkipsRelativeFoldersAndFilesThatCannotRun) {
  program("rel/tool", "exit 0");
  program("plain/tool", "exit 0", 0644);
  program("abs/tool", "exit 0");
  std::string cwd_rel = "rel";  // relative entries would search wherever the server runs
  setenv("PATH", (cwd_rel + ":.::" + t.native("plain") + ":" + t.native("abs")).c_str(), 1);
  EXPECT_EQ(find_on_path("tool").value_or(""), t.native("abs/tool"));
  EXPECT_FALSE(find_on_path("missing"));
  EXPECT_FALSE(find_on_path("abs/tool"));  // a name, not a path
}

TEST_F(Process, ExitCodesAndArgumentsAsGiven) {
  program("bin/echoargs", "printf '%s|' \"$@\" > '" + t.native("out") + "'; exit 7");
  EXPECT_EQ(run(t.native("bin/echoargs"), {"a b", "$(id)", "`id`", "x;y", "\"q\"", ""}).value_or(-1), 7);
  EXPECT_EQ(t.read("out"), "a b|$(id)|`id`|x;y|\"q\"||");
  EXPECT_FALSE(run(t.native("bin/none"), {}));
  EXPECT_FALSE(run("echoargs", {}));  // never looked up relative to the working folder
}

}  // namespace
}  // namespace brevane::process
