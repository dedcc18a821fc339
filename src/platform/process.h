// Starting another program. Always with an argument vector handed to the
// system as it is, never a command line for a command interpreter, so no
// character in a file name can start anything.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevane::process {

// Runs `program` (a native absolute path) with `args` (not counting the
// program itself), standard input, output and error on the null device and
// no window, and waits for it to end. The program's exit code, or nullopt
// when it could not be started or did not exit normally.
std::optional<int> run(const std::string& program, const std::vector<std::string>& args);

// The first `name` (on Windows also `name`.exe) in an absolute folder of
// the PATH; relative entries (".", empty) are skipped, so the working
// folder is never searched.
std::optional<std::string> find_on_path(std::string_view name);

// Whether `path` exists as a regular file that may be run.
bool is_program(const std::string& path);

// The real, absolute location of an existing path (links resolved), for
// comparing where two paths lie; nullopt when it does not exist.
std::optional<std::string> real_path(const std::string& path);

}  // namespace brevane::process
