#include "hash/md5.h"

#include <bit>
#include <cstring>

#include "core/codepage.h"
#include "core/declared.h"
#include "core/vbrt.h"

namespace brevane {

namespace {

static_assert(std::endian::native == std::endian::little, "message words are laid out little-endian");

constexpr uint32_t rotl(uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }

struct State {
  uint32_t a = 0x67452301, b = 0xEFCDAB89, c = 0x98BADCFE, d = 0x10325476;

  void compress(const uint32_t* x) {
    uint32_t A = a, B = b, C = c, D = d;
#define BV_STEP(f, w, y, z, t, k, s, ac) w = y + rotl(w + f(y, z, t) + x[k] + ac, s)
#define BV_F(y, z, t) (t ^ (y & (z ^ t)))
#define BV_G(y, z, t) (z ^ (t & (y ^ z)))
#define BV_H(y, z, t) (y ^ z ^ t)
#define BV_I(y, z, t) (z ^ (y | ~t))
    BV_STEP(BV_F, A, B, C, D, 0, 7, 0xd76aa478);
    BV_STEP(BV_F, D, A, B, C, 1, 12, 0xe8c7b756);
    BV_STEP(BV_F, C, D, A, B, 2, 17, 0x242070db);
    BV_STEP(BV_F, B, C, D, A, 3, 22, 0xc1bdceee);
    BV_STEP(BV_F, A, B, C, D, 4, 7, 0xf57c0faf);
    BV_STEP(BV_F, D, A, B, C, 5, 12, 0x4787c62a);
    BV_STEP(BV_F, C, D, A, B, 6, 17, 0xa8304613);
    BV_STEP(BV_F, B, C, D, A, 7, 22, 0xfd469501);
    BV_STEP(BV_F, A, B, C, D, 8, 7, 0x698098d8);
    BV_STEP(BV_F, D, A, B, C, 9, 12, 0x8b44f7af);
    BV_STEP(BV_F, C, D, A, B, 10, 17, 0xffff5bb1);
    BV_STEP(BV_F, B, C, D, A, 11, 22, 0x895cd7be);
    BV_STEP(BV_F, A, B, C, D, 12, 7, 0x6b901122);
    BV_STEP(BV_F, D, A, B, C, 13, 12, 0xfd987193);
    BV_STEP(BV_F, C, D, A, B, 14, 17, 0xa679438e);
    BV_STEP(BV_F, B, C, D, A, 15, 22, 0x49b40821);
    BV_STEP(BV_G, A, B, C, D, 1, 5, 0xf61e2562);
    BV_STEP(BV_G, D, A, B, C, 6, 9, 0xc040b340);
    BV_STEP(BV_G, C, D, A, B, 11, 14, 0x265e5a51);
    BV_STEP(BV_G, B, C, D, A, 0, 20, 0xe9b6c7aa);
    BV_STEP(BV_G, A, B, C, D, 5, 5, 0xd62f105d);
    BV_STEP(BV_G, D, A, B, C, 10, 9, 0x02441453);
    BV_STEP(BV_G, C, D, A, B, 15, 14, 0xd8a1e681);
    BV_STEP(BV_G, B, C, D, A, 4, 20, 0xe7d3fbc8);
    BV_STEP(BV_G, A, B, C, D, 9, 5, 0x21e1cde6);
    BV_STEP(BV_G, D, A, B, C, 14, 9, 0xc33707d6);
    BV_STEP(BV_G, C, D, A, B, 3, 14, 0xf4d50d87);
    BV_STEP(BV_G, B, C, D, A, 8, 20, 0x455a14ed);
    BV_STEP(BV_G, A, B, C, D, 13, 5, 0xa9e3e905);
    BV_STEP(BV_G, D, A, B, C, 2, 9, 0xfcefa3f8);
    BV_STEP(BV_G, C, D, A, B, 7, 14, 0x676f02d9);
    BV_STEP(BV_G, B, C, D, A, 12, 20, 0x8d2a4c8a);
    BV_STEP(BV_H, A, B, C, D, 5, 4, 0xfffa3942);
    BV_STEP(BV_H, D, A, B, C, 8, 11, 0x8771f681);
    BV_STEP(BV_H, C, D, A, B, 11, 16, 0x6d9d6122);
    BV_STEP(BV_H, B, C, D, A, 14, 23, 0xfde5380c);
    BV_STEP(BV_H, A, B, C, D, 1, 4, 0xa4beea44);
    BV_STEP(BV_H, D, A, B, C, 4, 11, 0x4bdecfa9);
    BV_STEP(BV_H, C, D, A, B, 7, 16, 0xf6bb4b60);
    BV_STEP(BV_H, B, C, D, A, 10, 23, 0xbebfbc70);
    BV_STEP(BV_H, A, B, C, D, 13, 4, 0x289b7ec6);
    BV_STEP(BV_H, D, A, B, C, 0, 11, 0xeaa127fa);
    BV_STEP(BV_H, C, D, A, B, 3, 16, 0xd4ef3085);
    BV_STEP(BV_H, B, C, D, A, 6, 23, 0x04881d05);
    BV_STEP(BV_H, A, B, C, D, 9, 4, 0xd9d4d039);
    BV_STEP(BV_H, D, A, B, C, 12, 11, 0xe6db99e5);
    BV_STEP(BV_H, C, D, A, B, 15, 16, 0x1fa27cf8);
    BV_STEP(BV_H, B, C, D, A, 2, 23, 0xc4ac5665);
    BV_STEP(BV_I, A, B, C, D, 0, 6, 0xf4292244);
    BV_STEP(BV_I, D, A, B, C, 7, 10, 0x432aff97);
    BV_STEP(BV_I, C, D, A, B, 14, 15, 0xab9423a7);
    BV_STEP(BV_I, B, C, D, A, 5, 21, 0xfc93a039);
    BV_STEP(BV_I, A, B, C, D, 12, 6, 0x655b59c3);
    BV_STEP(BV_I, D, A, B, C, 3, 10, 0x8f0ccc92);
    BV_STEP(BV_I, C, D, A, B, 10, 15, 0xffeff47d);
    BV_STEP(BV_I, B, C, D, A, 1, 21, 0x85845dd1);
    BV_STEP(BV_I, A, B, C, D, 8, 6, 0x6fa87e4f);
    BV_STEP(BV_I, D, A, B, C, 15, 10, 0xfe2ce6e0);
    BV_STEP(BV_I, C, D, A, B, 6, 15, 0xa3014314);
    BV_STEP(BV_I, B, C, D, A, 13, 21, 0x4e0811a1);
    BV_STEP(BV_I, A, B, C, D, 4, 6, 0xf7537e82);
    BV_STEP(BV_I, D, A, B, C, 11, 10, 0xbd3af235);
    BV_STEP(BV_I, C, D, A, B, 2, 15, 0x2ad7d2bb);
    BV_STEP(BV_I, B, C, D, A, 9, 21, 0xeb86d391);
#undef BV_STEP
#undef BV_F
#undef BV_G
#undef BV_H
#undef BV_I
    a += A, b += B, c += C, d += D;
  }

  std::array<uint8_t, 16> digest() const {
    std::array<uint8_t, 16> out;
    uint32_t w[4] = {a, b, c, d};
    for (int i = 0; i < 16; ++i) out[i] = static_cast<uint8_t>(w[i / 4] >> (8 * (i % 4)));
    return out;
  }
};

// Feeds 32-bit message words built by OR-ing contributions at byte offsets;
// a contribution may reach into later bytes of its word (sign extension).
class WordMessage {
 public:
  void add(uint64_t pos, uint32_t contribution) {
    size_t word = static_cast<size_t>(pos / 4) % 16;
    block_[word] |= contribution << (8 * (pos % 4));
    if (pos % 64 == 63) flush();
  }
  void finish(uint64_t n) {
    add(n, 0x80);                               // flushes by itself when it fills the block
    if (n % 64 >= 56 && n % 64 != 63) flush();  // no room left for the length
    block_[14] |= static_cast<uint32_t>(n * 8);
    block_[15] |= static_cast<uint32_t>((n * 8) >> 32);
    flush();
  }
  const State& state() const { return s_; }
  void compress(const uint32_t* words) { s_.compress(words); }
  void flush() {
    s_.compress(block_);
    std::memset(block_, 0, sizeof block_);
  }

 private:
  State s_;
  uint32_t block_[16] = {};
};

Text hex_upper(const std::array<uint8_t, 16>& d) {
  static const char digits[] = "0123456789ABCDEF";
  Text out(32, u'0');
  for (int i = 0; i < 16; ++i) {
    out[2 * i] = static_cast<char16_t>(digits[d[i] >> 4]);
    out[2 * i + 1] = static_cast<char16_t>(digits[d[i] & 15]);
  }
  return out;
}

}  // namespace

Text md5_text(TextView message) {
  const CodePage& cp = CodePage::ansi();
  WordMessage m;
  uint64_t n = message.size();
  uint64_t i = 0;
  // Whole blocks of ASCII go straight in as bytes; that is the common case.
  while (i + 64 <= n) {
    const char16_t* p = message.data() + i;
    char16_t high = 0;
    uint8_t narrow[64];
    for (int k = 0; k < 64; ++k) {
      high |= p[k];
      narrow[k] = static_cast<uint8_t>(p[k]);
    }
    if (high >= 0x80) break;
    uint32_t words[16];
    std::memcpy(words, narrow, 64);  // little-endian words, as the message rule lays them
    m.compress(words);
    i += 64;
  }
  for (; i < n; ++i) {
    int32_t c = cp.ansi_code(message[i]);  // sign-extended
    m.add(i, static_cast<uint32_t>(c));
  }
  m.finish(n);
  return hex_upper(m.state().digest());
}

std::array<uint8_t, 16> md5_bytes(const uint8_t* data, size_t size) {
  WordMessage m;
  for (size_t i = 0; i < size; ++i) m.add(i, data[i]);
  m.finish(size);
  return m.state().digest();
}

Text servu_hash(TextView password) {
  vb::Randomize();
  char16_t first = static_cast<char16_t>(vb::Int(vb::Rnd() * -24 + 122));
  char16_t second = static_cast<char16_t>(vb::Int(vb::Rnd() * -24 + 90));
  Text salt{first, ascii_lower(second)};
  return salt + md5_text(salt + Text(password));
}

Md5Engine::Md5Engine()
    : DeclaredObject([]() -> const HandlerTable& {
        namespace D = decl::Zelto_Class_Md5;
        static const HandlerTable table(
            declared_class(u"Zelto_Class_Md5"),
            {{bind<D::ZeltoMd5, &Md5Engine::ZeltoMd5>(), bind<D::ZeltoServU, &Md5Engine::ZeltoServU>()}});
        return table;
      }()) {}

Text Md5Engine::ZeltoMd5(Variant& message) { return md5_text(message.to_text()); }

Text Md5Engine::ZeltoServU(Text password) { return servu_hash(password); }

}  // namespace brevane
