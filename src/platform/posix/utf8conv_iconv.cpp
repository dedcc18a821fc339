// UTF-8 conversions over the C library's iconv. iconv stops at a malformed
// sequence; the system conversion this stands in for replaces it, so each
// offending byte (or code unit) is replaced and the conversion goes on.
#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "platform/utf8conv.h"

namespace brevane {

namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of `in`; `unit` is the input's code-unit size, skipped on a
  // malformed sequence while `replacement` goes to the output.
  bool run(const char* in, size_t in_len, size_t unit, std::string_view replacement, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* ip = const_cast<char*>(in);
    size_t il = in_len;
    char buf[4096];
    while (il > 0) {
      char* op = buf;
      size_t ol = sizeof buf;
      size_t r = iconv(cd_, &ip, &il, &op, &ol);
      out.append(buf, static_cast<size_t>(op - buf));
      if (r != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      if (errno != EILSEQ && errno != EINVAL) return false;
      out.append(replacement);
      size_t skip = std::min(unit, il);
      ip += skip;
      il -= skip;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::optional<Text> platform_utf8_to_utf16(std::string_view bytes) {
  thread_local Converter conv("UTF-16LE", "UTF-8");
  if (!conv.ok()) return std::nullopt;
  std::string out;
  if (!conv.run(bytes.data(), bytes.size(), 1, std::string_view("\xFD\xFF", 2), out)) return std::nullopt;
  Text t(out.size() / 2, u'\0');
  for (size_t k = 0; k < t.size(); ++k)
    t[k] = static_cast<char16_t>(static_cast<uint8_t>(out[2 * k]) | static_cast<uint8_t>(out[2 * k + 1]) << 8);
  return t;
}

std::optional<std::string> platform_utf16_to_utf8(TextView text) {
  thread_local Converter conv("UTF-8", "UTF-16LE");
  if (!conv.ok()) return std::nullopt;
  std::string in(text.size() * 2, '\0');
  for (size_t k = 0; k < text.size(); ++k) {
    in[2 * k] = static_cast<char>(text[k] & 0xFF);
    in[2 * k + 1] = static_cast<char>(text[k] >> 8);
  }
  std::string out;
  if (!conv.run(in.data(), in.size(), 2, "\xEF\xBF\xBD", out)) return std::nullopt;
  return out;
}

}  // namespace brevane
