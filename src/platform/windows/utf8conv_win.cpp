// UTF-8 conversions over the system's code-page functions.
#include <windows.h>

#include "platform/utf8conv.h"

namespace brevane {

std::optional<Text> platform_utf8_to_utf16(std::string_view bytes) {
  if (bytes.empty()) return Text();
  // Never more UTF-16 units than input bytes.
  Text out(bytes.size() * 2, u'\0');
  int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                              reinterpret_cast<wchar_t*>(out.data()), static_cast<int>(out.size()));
  if (n == 0) return std::nullopt;
  out.resize(static_cast<size_t>(n));
  return out;
}

std::optional<std::string> platform_utf16_to_utf8(TextView text) {
  if (text.empty()) return std::string();
  std::string out(text.size() * 3 + 1, '\0');
  int n = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
                              out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  if (n == 0) return std::nullopt;
  out.resize(static_cast<size_t>(n));
  return out;
}

}  // namespace brevane
