// MD5 over the component's message rule: each character contributes its ANSI
// code, sign-extended and OR-ed into the message words. For single-byte text
// that is plain MD5 of the bytes; for double-byte characters it is not, and
// stored password digests depend on exactly that.
#pragma once

#include <array>
#include <cstdint>

#include "core/object.h"

namespace brevane {

// 32 upper-case hexadecimal digits.
Text md5_text(TextView message);
// Plain RFC 1321 digest of bytes, for callers that hash data rather than text.
std::array<uint8_t, 16> md5_bytes(const uint8_t* data, size_t size);
// Two salt letters from b to z, then md5_text(salt + password).
Text servu_hash(TextView password);

class Md5Engine : public DeclaredObject {
 public:
  Md5Engine();
  Text ZeltoMd5(Variant& message);
  Text ZeltoServU(Text password);
  static ObjectPtr create() { return std::make_shared<Md5Engine>(); }
};

}  // namespace brevane
