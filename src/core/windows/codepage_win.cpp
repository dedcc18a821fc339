// Code-page primitives over the system's conversion functions.
#include <windows.h>

#include "core/codepage.h"

namespace brevane {

bool platform_decode_sequence(int codepage, const uint8_t* bytes, int len, char16_t& out) {
  wchar_t w[4];
  int n = MultiByteToWideChar(static_cast<UINT>(codepage), MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes),
                              len, w, 4);
  if (n != 1) return false;
  out = static_cast<char16_t>(w[0]);
  return true;
}

int platform_default_codepage() { return static_cast<int>(GetACP()); }

}  // namespace brevane
