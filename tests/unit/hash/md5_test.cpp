#include "hash/md5.h"

#include <gtest/gtest.h>

#include "core/registry.h"

namespace brevane {
namespace {

TEST(Md5, RfcVectorsInUpperCase) {
  struct Case {
    const char16_t* in;
    const char16_t* want;
  };
  const Case cases[] = {
      {u"", u"D41D8CD98F00B204E9800998ECF8427E"},
      {u"a", u"0CC175B9C0F1B6A831C399E269772661"},
      {u"abc", u"900150983CD24FB0D6963F7D28E17F72"},
      {u"message digest", u"F96B697D7CB7938D525A2F31AAF161D0"},
      {u"abcdefghijklmnopqrstuvwxyz", u"C3FCD3D76192E4007DFB496CCA67E13B"},
      {u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", u"D174AB98D277D9F5A5611C2C9F419D9F"},
      {u"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       u"57EDF4A22BE3C955AC49DA2E2107B67A"},
  };
  for (const auto& c : cases) EXPECT_EQ(md5_text(c.in), c.want) << to_utf8(c.in);
}

TEST(Md5, PaddingBoundaries) {
  // 55, 56, 63 and 64 characters put the padding and length in every place.
  EXPECT_EQ(md5_text(Text(55, u'x')), u"04364420E25C512FD958A70738AA8F72");
  EXPECT_EQ(md5_text(Text(56, u'x')), u"668A72D5BA17F08E62DABCAFAD6DB14B");
  EXPECT_EQ(md5_text(Text(63, u'x')), u"7DC2CA208106A2F703567BDFF99D8981");
  EXPECT_EQ(md5_text(Text(64, u'x')), u"C1BB4F81D892B2D57947682AEB252456");
}

TEST(Md5, DoubleByteCharactersFollowTheWordRule) { EXPECT_EQ(md5_text(u"中"), u"6CBA308F8D5F2B49971DBB43879A078C"); }

TEST(Md5, ServUSaltIsTwoLettersFromBToZ) {
  for (int i = 0; i < 200; ++i) {
    Text h = servu_hash(u"pw");
    ASSERT_EQ(h.size(), 34u);
    ASSERT_GE(h[0], u'b');
    ASSERT_LE(h[0], u'z');
    ASSERT_GE(h[1], u'b');
    ASSERT_LE(h[1], u'z');
    ASSERT_EQ(h.substr(2), md5_text(h.substr(0, 2) + u"pw"));
  }
}

TEST(Md5, EngineByName) {
  Variant engine(create_object(u"brevane.zelto_class_md5"));
  EXPECT_EQ(call(engine, u"zeltomd5", {Variant(u"abc")}).to_text(), u"900150983CD24FB0D6963F7D28E17F72");
}

}  // namespace
}  // namespace brevane
