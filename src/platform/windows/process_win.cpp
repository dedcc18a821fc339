// Programs started with CreateProcessW. Windows hands a program one command
// line, so each argument is quoted by the rules the C runtime uses to split
// it again (CommandLineToArgvW); no command interpreter is involved.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/text.h"
#include "platform/process.h"
#include "platform/utf8_path.h"

namespace brevane::process {

namespace {

std::wstring wide(const std::string& utf8) {
  Text t = from_utf8(utf8);
  return std::wstring(t.begin(), t.end());
}

// Quotes one argument: backslashes double only before a quotation mark or
// the closing quotation mark.
void append_quoted(std::wstring& line, const std::wstring& arg) {
  if (!line.empty()) line += L' ';
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line += L'"';
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"')
      line.append(backslashes * 2 + 1, L'\\');
    else
      line.append(backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

}  // namespace

std::optional<int> run(const std::string& program, const std::vector<std::string>& args) {
  std::wstring exe = wide(program);
  std::wstring line;
  append_quoted(line, exe);
  for (const auto& a : args) append_quoted(line, wide(a));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
    return std::nullopt;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  bool ok = GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (!ok) return std::nullopt;
  return static_cast<int>(code);
}

bool is_program(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(utf8_path(path), ec);
}

std::optional<std::string> find_on_path(std::string_view name) {
  const wchar_t* env = _wgetenv(L"PATH");
  if (!env || name.empty() || name.find_first_of("/\\:") != std::string_view::npos) return std::nullopt;
  std::wstring rest(env);
  std::string exe_name(name);
  if (exe_name.size() < 4 || _stricmp(exe_name.c_str() + exe_name.size() - 4, ".exe") != 0) exe_name += ".exe";
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find(L';', start);
    if (end == std::wstring::npos) end = rest.size();
    std::wstring folder = rest.substr(start, end - start);
    start = end + 1;
    std::filesystem::path dir(folder);
    if (folder.empty() || !dir.is_absolute()) continue;
    std::filesystem::path candidate = dir / utf8_path(exe_name);
    std::string utf8 = utf8_string(candidate);
    if (is_program(utf8)) return utf8;
  }
  return std::nullopt;
}

std::optional<std::string> real_path(const std::string& path) {
  std::error_code ec;
  auto p = std::filesystem::canonical(utf8_path(path), ec);
  if (ec) return std::nullopt;
  return utf8_string(p);
}

}  // namespace brevane::process
