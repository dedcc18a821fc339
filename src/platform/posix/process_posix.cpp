// Programs started with posix_spawn: the argument vector goes to the
// program as it is, with no command interpreter in between.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/process.h"

extern char** environ;

namespace brevane::process {

std::optional<int> run(const std::string& program, const std::vector<std::string>& args) {
  if (program.empty() || program[0] != '/') return std::nullopt;
  std::vector<char*> argv;
  std::string arg0 = program;
  argv.push_back(arg0.data());
  std::vector<std::string> copies(args);
  for (auto& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return std::nullopt;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return std::nullopt;
  }
  if (!WIFEXITED(status)) return std::nullopt;
  return WEXITSTATUS(status);
}

bool is_program(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> find_on_path(std::string_view name) {
  const char* env = std::getenv("PATH");
  if (!env || name.empty() || name.find('/') != std::string_view::npos) return std::nullopt;
  std::string_view rest(env);
  while (!rest.empty()) {
    size_t end = rest.find(':');
    std::string_view folder = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    if (folder.empty() || folder[0] != '/') continue;
    std::string candidate = std::string(folder) + "/" + std::string(name);
    if (is_program(candidate)) return candidate;
  }
  return std::nullopt;
}

std::optional<std::string> real_path(const std::string& path) {
  char buf[PATH_MAX];
  if (!::realpath(path.c_str(), buf)) return std::nullopt;
  return std::string(buf);
}

}  // namespace brevane::process
