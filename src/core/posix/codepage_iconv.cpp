// Code-page primitives over the C library's iconv.
#include <iconv.h>

#include <string>

#include "core/codepage.h"

namespace brevane {

namespace {

// Closed when its thread ends: the tables may be built on any thread (a web
// host's worker, say), and the threads come and go.
struct Converter {
  int codepage = -1;
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  ~Converter() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

}  // namespace

bool platform_decode_sequence(int codepage, const uint8_t* bytes, int len, char16_t& out) {
  // One converter per thread and code page; tables are built once, so this
  // only runs at start-up.
  thread_local Converter conv;
  if (conv.codepage != codepage) {
    if (conv.cd != reinterpret_cast<iconv_t>(-1)) iconv_close(conv.cd);
    std::string name = "CP" + std::to_string(codepage);
    conv.cd = iconv_open("UTF-16LE", name.c_str());
    conv.codepage = codepage;
  }
  iconv_t cd = conv.cd;
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in[2] = {static_cast<char>(bytes[0]), len > 1 ? static_cast<char>(bytes[1]) : '\0'};
  char outbuf[8];
  char* ip = in;
  char* op = outbuf;
  size_t il = static_cast<size_t>(len), ol = sizeof outbuf;
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0) return false;
  if (sizeof outbuf - ol != 2) return false;  // nothing outside the BMP in these code pages
  out = static_cast<char16_t>(static_cast<uint8_t>(outbuf[0]) | static_cast<uint8_t>(outbuf[1]) << 8);
  return true;
}

int platform_default_codepage() { return 936; }

}  // namespace brevane
