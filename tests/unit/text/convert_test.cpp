// Character-set, URL and byte conversions: the documented examples, both
// paths of the UTF-8 methods, and byte round trips through ANSI byte strings.
#include "text/convert.h"

#include <gtest/gtest.h>

#include <random>

#include "core/codepage.h"
#include "core/registry.h"
#include "kit/expect.h"

namespace brevane {
namespace {

using kit::error_of;
using kit::raised;

// The bytes an ANSI byte string puts on the wire.
std::string wire(TextView ansi_bytes) { return CodePage::ansi().encode(ansi_bytes); }
// The ANSI byte string carrying these bytes.
Text carrying(std::string_view bytes) { return CodePage::ansi().decode(bytes); }

const Variant kSystem(true), kOwn(false);

// ---- CommCodeUnicodeToUtf8 / CommCodeUtf8ToUnicode

struct Utf8Case {
  const char16_t* text;
  const char* utf8;
};

const Utf8Case kUtf8Cases[] = {
    {u"a", "a"},
    {u"\u00E9", "\xC3\xA9"},
    {u"\u4E2D", "\xE4\xB8\xAD"},
    {u"\u96EA", "\xE9\x9B\xAA"},
    {u"\u0800", "\xE0\xA0\x80"},
    {u"中文 abc 雪", "\xE4\xB8\xAD\xE6\x96\x87 abc \xE9\x9B\xAA"},
};

TEST(CodeUnicodeToUtf8, BothPathsGiveTheUtf8BytesOnTheWire) {
  for (const auto& c : kUtf8Cases)
    for (const Variant& path : {kSystem, kOwn})
      EXPECT_EQ(wire(CommCodeUnicodeToUtf8(c.text, path, true)), c.utf8) << c.utf8 << " nt=" << path.to_bool();
}

TEST(CodeUnicodeToUtf8, CrLfBecomesBreakOnlyWhenAskedAndOnlyAsAPair) {
  for (const Variant& path : {kSystem, kOwn}) {
    EXPECT_EQ(CommCodeUnicodeToUtf8(u"a\r\nb", path, true), u"a<br/>b");
    EXPECT_EQ(CommCodeUnicodeToUtf8(u"a\r\nb", path, false), u"a\r\nb");
    EXPECT_EQ(CommCodeUnicodeToUtf8(u"a\nb\rc", path, true), u"a\nb\rc");
  }
  EXPECT_EQ(CommCodeUnicodeToUtf8(u"", kSystem, true), u"");
}

TEST(CodeUnicodeToUtf8, OwnPathWritesSurrogateHalvesOneByOne) {
  EXPECT_EQ(wire(CommCodeUnicodeToUtf8(u"\U0001F600", kOwn, false)), "\xED\xA0\xBD\xED\xB8\x80");
  // The system conversion pairs them.
  EXPECT_EQ(wire(CommCodeUnicodeToUtf8(u"\U0001F600", kSystem, false)), "\xF0\x9F\x98\x80");
}

TEST(CodeUtf8ToUnicode, BothPathsDecodeWellFormedUtf8) {
  for (const auto& c : kUtf8Cases)
    for (const Variant& path : {kSystem, kOwn})
      EXPECT_EQ(CommCodeUtf8ToUnicode(carrying(c.utf8), path), c.text) << c.utf8 << " nt=" << path.to_bool();
}

TEST(CodeUtf8ToUnicode, OwnPathRangesAreTheComponentsOwn) {
  // A lone byte outside the two-byte lead range stays one character.
  EXPECT_EQ(CommCodeUtf8ToUnicode(carrying("\xDC"), kOwn), carrying("\xDC"));
  EXPECT_EQ(CommCodeUtf8ToUnicode(carrying("a\x80z"), kOwn).size(), 3u);
  // 0xC2..0xDB lead two bytes; continuation bytes are not checked.
  EXPECT_EQ(CommCodeUtf8ToUnicode(carrying("\xC3\x29"), kOwn), u"\u00E9");
  // A sequence cut short reads zeros for its missing bytes.
  EXPECT_EQ(CommCodeUtf8ToUnicode(carrying("\xE4\xB8"), kOwn), u"\u4E00");
  // Four-byte leads are read as three-byte ones.
  EXPECT_EQ(CommCodeUtf8ToUnicode(carrying("\xF0\x9F\x98"), kOwn), Text(1, static_cast<char16_t>(0x07D8)));
}

TEST(CodeUtf8ToUnicode, SystemPathReplacesMalformedBytes) {
  EXPECT_EQ(CommCodeUtf8ToUnicode(carrying("a\xFFz"), kSystem), u"a\uFFFDz");
  EXPECT_EQ(CommCodeUtf8ToUnicode(u"", kSystem), u"");
  EXPECT_EQ(CommCodeUtf8ToUnicode(u"", kOwn), u"");
}

TEST(CodeUtf8ToUnicode, AnyTruthyValueSelectsTheSystemPath) {
  EXPECT_EQ(CommCodeUtf8ToUnicode(carrying("\xC3\x29"), Variant(int16_t{1})), u"\uFFFD)");
  EXPECT_EQ(CommCodeUtf8ToUnicode(carrying("\xC3\x29"), Variant(int16_t{0})), u"\u00E9");
}

// ---- URL escapes

struct UrlCase {
  const char16_t* text;
  const char16_t* encoded;
};

TEST(UrlEncode, EscapesPlusPercentAndEverythingAboveAscii) {
  for (const auto& c :
       {UrlCase{u"a b+c%", u"a b%2Bc%25"}, UrlCase{u"\u00E9", u"%C3%A9"}, UrlCase{u"\u4E2D", u"%E4%B8%AD"},
        UrlCase{u"\u0800", u"%E0%A0%80"}, UrlCase{u"x=1&y=?\t", u"x=1&y=?\t"}, UrlCase{u"", u""}})
    EXPECT_EQ(CommUrlEncode_GBToUtf8(c.text), c.encoded) << to_utf8(c.text);
}

TEST(UrlDecode, PlusIsSpaceAndHighEscapesLeadThreeBytes) {
  EXPECT_EQ(CommUrlDecode_GBToUtf8(u"%E4%B8%AD+x%41"), u"\u4E2D xA");
  EXPECT_EQ(CommUrlDecode_GBToUtf8(u"%e4%b8%ad"), u"\u4E2D");
  // The characters between the three escapes are not examined.
  EXPECT_EQ(CommUrlDecode_GBToUtf8(u"%E4_B8_AD!"), u"\u4E2D!");
  // Two-byte sequences are not recognised: the lead swallows what follows.
  EXPECT_EQ(CommUrlDecode_GBToUtf8(u"%C3%A9%41abc"), Text(1, static_cast<char16_t>(0x3A41)) + u"abc");
  EXPECT_EQ(CommUrlDecode_GBToUtf8(u""), u"");
}

TEST(UrlDecode, PercentWithoutTwoHexDigitsIsATypeMismatch) {
  for (auto bad : {u"%", u"a%", u"%4", u"%G1", u"% 1", u"%E4%B8", u"%E4%B8%A"})
    EXPECT_EQ(error_of([&] { CommUrlDecode_GBToUtf8(bad); }), raised(kTypeMismatch)) << to_utf8(bad);
}

TEST(UrlRoundTrip, EncodeThenDecodeGivesTheTextBack) {
  // Characters below U+0800 other than ASCII encode as two bytes, which the
  // decoder does not take back; everything else round-trips.
  for (auto t : {u"a b", u"中文 & 雪=1", u"\u0800\uFFFF", u"100%+"}) {
    Text text(t);
    // Decoding turns "+" into a blank, and a space was never escaped.
    EXPECT_EQ(CommUrlDecode_GBToUtf8(CommUrlEncode_GBToUtf8(text)), text) << to_utf8(text);
  }
}

// ---- binary values

Bytes random_bytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(gen());
  return b;
}

std::string as_string(const Bytes& b) { return std::string(b.begin(), b.end()); }

TEST(BinaryToString, EachByteIsItsOwnAnsiCharacter) {
  EXPECT_EQ(CommBinaryToString(Variant(Bytes{65, 66})), u"AB");
  // A double-byte pair stays two characters, one per byte.
  EXPECT_EQ(CommBinaryToString(Variant(Bytes{0xD6, 0xD0})).size(), 2u);
  // A byte-oriented string gives its packed bytes, low byte first.
  EXPECT_EQ(CommBinaryToString(Variant(Text(1, static_cast<char16_t>(0x4241)))), u"AB");
  EXPECT_EQ(CommBinaryToString(Variant()), u"");
}

TEST(BinaryToString, ArbitraryBytesSurviveTheRoundTripThroughTheHost) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    Bytes b = random_bytes(257, seed);
    EXPECT_EQ(wire(CommBinaryToString(Variant(b))), as_string(b)) << seed;
    EXPECT_EQ(wire(CommRsBinaryToString(Variant(b))), as_string(b)) << seed;
  }
}

TEST(RsBinaryToString, DecodesDoubleByteCharactersAsAWhole) {
  std::string gbk = CodePage::ansi().encode(u"中文ab");
  Bytes b(gbk.begin(), gbk.end());
  ASSERT_EQ(b.size(), 6u);
  EXPECT_EQ(CommRsBinaryToString(Variant(b)), u"中文ab");
  // The same bytes as a byte-oriented string give the same text.
  Text packed;
  for (size_t k = 0; k < b.size(); k += 2) packed += static_cast<char16_t>(b[k] | b[k + 1] << 8);
  EXPECT_EQ(CommRsBinaryToString(Variant(packed)), u"中文ab");
  EXPECT_EQ(CommRsBinaryToString(Variant(Bytes{})), u"");
  EXPECT_EQ(CommRsBinaryToString(Variant(Text())), u"");
  EXPECT_EQ(error_of([] { CommRsBinaryToString(Variant(12)); }),
            raised(3421, u"Application uses a value of the wrong type for the current operation."));
}

TEST(MultiByteToBinary, GivesTheStringsBytesOrEmptyText) {
  Variant r = CommMultiByteToBinary(Variant(Text(u"\u4241\u0043")));
  ASSERT_EQ(r.type(), VarType::ByteArray);
  EXPECT_EQ(r.bytes(), (Bytes{0x41, 0x42, 0x43, 0x00}));
  Variant empty = CommMultiByteToBinary(Variant(Text()));
  EXPECT_EQ(empty.type(), VarType::String);
  EXPECT_EQ(empty.text(), u"");
  EXPECT_EQ(error_of([] { CommMultiByteToBinary(Variant::null()); }), raised(kInvalidUseOfNull));
}

// ---- through the façade, as a page calls them

TEST(ConversionFacade, OptionalArgumentsTakeTheirDefaults) {
  Variant c(create_object(u"Brevane.BrevaneCls"));
  EXPECT_EQ(call(c, u"CommCodeUnicodeToUtf8", {Variant(u"a\r\n\u4E2D")}).to_text(),
            u"a<br/>" + carrying("\xE4\xB8\xAD"));
  EXPECT_EQ(call(c, u"CommCodeUtf8ToUnicode", {Variant(carrying("\xE4\xB8\xAD"))}).to_text(), u"\u4E2D");
  EXPECT_EQ(call(c, u"CommUrlEncode_GBToUtf8", {Variant(u"a b+c%")}).to_text(), u"a b%2Bc%25");
  EXPECT_EQ(call(c, u"CommMultiByteToBinary", {Variant(u"A")}).type(), VarType::ByteArray);
}

}  // namespace
}  // namespace brevane
