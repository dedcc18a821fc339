// Native paths travel as UTF-8 strings on both platforms; std::filesystem
// takes and gives them through these two.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace brevane {

inline std::filesystem::path utf8_path(std::string_view utf8) {
  return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

inline std::string utf8_string(const std::filesystem::path& p) {
  std::u8string s = p.u8string();
  return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

}  // namespace brevane
