// Image sniffing and the image upload parser.
#include "upload/upload_image.h"

#include <gtest/gtest.h>

#include "core/registry.h"
#include "frame/page_context.h"
#include "kit/expect.h"
#include "kit/hostkit.h"
#include "kit/scratch.h"

namespace brevane {
namespace {

using namespace std::string_literals;

std::string gif(int w, int h, uint8_t flags) {
  std::string s = "GIF89a";
  s += {char(w & 255), char(w >> 8), char(h & 255), char(h >> 8), char(flags)};
  return s + std::string(9, '\0');
}

std::string bmp(int32_t w, int32_t h, int bits) {
  std::string s(54, '\0');
  s[0] = 'B', s[1] = 'M';
  for (int k = 0; k < 4; ++k) {
    s[18 + k] = char(uint32_t(w) >> (8 * k));
    s[22 + k] = char(uint32_t(h) >> (8 * k));
  }
  s[28] = char(bits);
  return s;
}

std::string png(int w, int h, int depth, int colour) {
  std::string s = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR"s;
  s += {0, 0, char(w >> 8), char(w & 255), 0, 0, char(h >> 8), char(h & 255), char(depth), char(colour), 0, 0, 0};
  return s + std::string(4, '\0');
}

// SOI, an APP0 segment, then a frame header with marker `sof`.
std::string jpeg(int w, int h, uint8_t sof, int components = 3) {
  std::string s = "\xFF\xD8\xFF\xE0\x00\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0"s;
  s += {char(0xFF), char(sof), 0, 0x11, 8, char(h >> 8), char(h & 255), char(w >> 8), char(w & 255), char(components)};
  return s + std::string(20, '\0');
}

std::span<const uint8_t> bytes_of(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

struct Sniff {
  const char* what;
  std::string data;
  bool image;
  const char16_t* type;
  double width, height, bit;
};

TEST(IsImage, FormatsAndDepths) {
  const Sniff cases[] = {
      {"gif89a", gif(100, 50, 0xF7), true, u"gif", 100, 50, 8},
      {"gif87a low depth", "GIF87a"s + gif(3, 4, 0x80).substr(6), true, u"gif", 3, 4, 1},
      {"bmp 24", bmp(640, 480, 24), true, u"bmp", 640, 480, 24},
      {"bmp top-down", bmp(2, -2, 32), true, u"bmp", 2, 4294967294.0, 32},
      {"png rgba", png(300, 200, 8, 6), true, u"png", 300, 200, 32},
      {"png palette", png(1, 1, 8, 3), true, u"png", 1, 1, 8},
      {"png rgb 16", png(1, 1, 16, 2), true, u"png", 1, 1, 48},
      {"png grey alpha", png(1, 1, 8, 4), true, u"png", 1, 1, 16},
      {"png odd colour type", png(1, 1, 8, 5), true, u"png", 1, 1, -1},
      {"jpeg progressive", jpeg(1024, 768, 0xC2), true, u"JPG", 1024, 768, 24},
      {"jpeg grey", jpeg(8, 9, 0xC0, 1), true, u"JPG", 8, 9, 8},
      {"jpeg SOF5 is a segment", jpeg(8, 9, 0xC5), false, u"unknow", -1, -1, -1},
      {"text with a frame by chance", "abc\xFF\xD8\xFF\xC0\x00\x11\x08\x00\x10\x00\x20\x03tail"s, true, u"JPG", 32, 16,
       24},
      {"signature without frame", "abc\xFF\xD8\xFF\xE1\x7F\xFFxyz"s, false, u"unknow", -1, -1, -1},
      {"frame cut short", "\xFF\xD8\xFF\xC0\x00\x11\x08\x00"s, false, u"unknow", -1, -1, -1},
      {"signature at the very end", "GIF89a........\xFF\xD8\xFF"s, false, u"unknow", -1, -1, -1},
      {"short gif", "GIF89a\x01\x00\x01\x00\xF7\x00"s, false, u"unknow", -1, -1, -1},
      {"plain text", "hello", false, u"unknow", -1, -1, -1},
  };
  for (const Sniff& c : cases) {
    ImageInfo info = sniff_image(bytes_of(c.data));
    EXPECT_EQ(info.recognised, c.image) << c.what;
    EXPECT_EQ(info.type.to_text(), c.type) << c.what;
    EXPECT_EQ(info.width.to_double(), c.width) << c.what;
    EXPECT_EQ(info.height.to_double(), c.height) << c.what;
    EXPECT_EQ(info.bit.to_double(), c.bit) << c.what;
    EXPECT_EQ(info.size.to_double(), c.image ? double(c.data.size()) : -1.0) << c.what;
  }
}

TEST(IsImage, TextItemsAndEmptyDataAreNoImages) {
  Variant item(create_object(u"Brevane.Zelto_UpLoadImageData"));
  std::string g = gif(1, 1, 0);
  put(item, u"Value", Variant(Bytes(g.begin(), g.end())));
  std::vector<Variant> out(5);
  auto is_image = [&] { return invoke_by_name(item, u"IsImage", kMethod, out).to_bool(); };
  EXPECT_FALSE(is_image());  // Datatype still Empty, counted as 0
  EXPECT_EQ(out[2].to_text(), u"unknow");
  put(item, u"Datatype", Variant(1));
  EXPECT_TRUE(is_image());
  EXPECT_EQ(out[2].to_text(), u"gif");
  put(item, u"Value", Variant(Bytes{}));
  EXPECT_FALSE(is_image());
  EXPECT_EQ(out[0].to_i32(), -1);
}

class ImageUpload : public ::testing::Test {
 protected:
  Variant create(const kit::MultipartBody& body) {
    body.post(*req);
    PageScope page(PageContext{kit::var(req), {}, {}, {}, {}});
    return Variant(create_object(u"Brevane.Zelto_UploadImage"));
  }
  std::shared_ptr<kit::FakeRequest> req = kit::FakeRequest::make();
  kit::ScratchFolder dir;
};

TEST_F(ImageUpload, LookupByNameAndOccurrence) {
  kit::MultipartBody body;
  body.file("photo", "C:\\p\\one.gif", gif(10, 20, 0xF7), "image/gif").field("title", "\xB1\xEA\xCC\xE2 T");  // GBK
  body.file("photo", "two.jpg", "odd").file("Other", "o.bin", "");
  Variant up = create(body);
  Variant photo(u"photo"), zero(0), one(1), two(2);
  EXPECT_EQ(call(up, u"binCount", {photo}).to_i32(), 2);
  Variant second = call(up, u"binrequest", {photo, one});
  EXPECT_EQ(get(second, u"FileName").to_text(), u"two.jpg");
  EXPECT_EQ(get(second, u"ShortFilename").to_text(), u"two.jpg");
  EXPECT_EQ(get(call(up, u"binrequest", {photo, zero}), u"ShortFilename").to_text(), u"one.gif");
  EXPECT_TRUE(get(call(up, u"binrequest", {photo, two}), u"Datatype").is_empty());

  Variant value = get(second, u"Value");  // three bytes and the pad
  EXPECT_EQ(std::string(value.bytes().begin(), value.bytes().end()), "odd\0"s);
  Variant title = call(up, u"binrequest", {Variant(u"title"), zero});
  EXPECT_EQ(get(title, u"Datatype").to_i32(), 0);
  EXPECT_EQ(get(title, u"Value").to_text(), u"标题 T");

  Variant first = call(up, u"binrequest", {photo, zero});
  EXPECT_EQ(get(first, u"ContentType").to_text(), u"image/gif");
  std::string posted = body.str();
  EXPECT_EQ(posted.substr(static_cast<size_t>(get(first, u"Start").to_i32()), 6), "GIF89a");
  std::vector<Variant> out(5);
  EXPECT_TRUE(invoke_by_name(first, u"IsImage", kMethod, out).to_bool());
  EXPECT_EQ(out[0].to_i32(), 10);
}

TEST_F(ImageUpload, NamesCompareUpperCasedUnlessCaseSensitive) {
  kit::MultipartBody body;
  body.file("photo", "a.gif", "x");
  Variant up = create(body);
  Variant upper(u"PHOTO");
  EXPECT_TRUE(call(up, u"isExists", {upper}).to_bool());
  put(up, u"CaseSensitive", Variant(true));
  EXPECT_FALSE(call(up, u"isExists", {upper}).to_bool());
  EXPECT_EQ(call(up, u"binCount", {upper}).to_i32(), 0);
}

TEST_F(ImageUpload, SaveStatusNumbers) {
  kit::MultipartBody body;
  body.file("photo", "a.gif", "GIF!x").file("empty", "e.gif", "");
  Variant up = create(body);
  Text target = dir.physical() + u"\\a.gif";
  auto save = [&](const char16_t* name, Text full, bool force) {
    std::vector<Variant> a{Variant(name), Variant(0), Variant(std::move(full)), Variant(force)};
    return invoke_by_name(up, u"SavetoFile", kMethod, a).to_i32();
  };
  EXPECT_EQ(save(u"nothing", target, true), 1);
  EXPECT_EQ(save(u"empty", target, true), 2);
  EXPECT_EQ(save(u"photo", dir.physical() + u"\\missing\\a.gif", true), 4);
  EXPECT_EQ(save(u"photo", target, false), 0);
  EXPECT_EQ(dir.read("a.gif"), "GIF!x");  // the upload's bytes, without the pad
  dir.write("a.gif", "keep");
  EXPECT_EQ(save(u"photo", target, false), 32);
  EXPECT_EQ(dir.read("a.gif"), "keep");
  EXPECT_EQ(save(u"photo", target, true), 0);
  EXPECT_EQ(dir.read("a.gif"), "GIF!x");
}

TEST_F(ImageUpload, CreationWithoutARunningPageIsAnError) {
  Text description;
  try {
    create_object(u"Brevane.Zelto_UploadImage");
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), kObjectRequired);
    description = e.description();
  }
  EXPECT_NE(description.find(u"Zelto_UploadImage needs the page's Request"), Text::npos) << to_utf8(description);
  // A page without a Request object is no better.
  PageScope page(PageContext{{}, {}, {}, {}, {}});
  EXPECT_EQ(kit::error_of([] { create_object(u"Brevane.Zelto_UploadImage"); }),
            kit::raised(kObjectRequired, u"Zelto_UploadImage needs the page's Request: the running page has none"));
}

TEST_F(ImageUpload, GetPath) {
  Variant up = create(kit::MultipartBody());
  EXPECT_EQ(call(up, u"binCount", {Variant(u"x")}).to_i32(), 0);
  Variant with(u"D:\\up\\a.jpg"), without(u"a.jpg");
  EXPECT_EQ(call(up, u"GetPath", {with}).to_text(), u"D:\\up\\");
  EXPECT_EQ(call(up, u"GetPath", {without}).to_text(), u"");
}

TEST_F(ImageUpload, BrokenBodiesGiveWhatCanBeRead) {
  for (std::string raw : {"no line break"s, "\r\nempty boundary\r\n"s, "--b\r\nno header end\r\n--b--\r\n"s,
                          "--b\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nunterminated"s}) {
    req->set_multipart("b", raw);
    PageScope page(PageContext{kit::var(req), {}, {}, {}, {}});
    Variant up(create_object(u"Brevane.Zelto_UploadImage"));
    EXPECT_EQ(call(up, u"binCount", {Variant(u"a")}).to_i32(), 0) << raw;
  }
}

}  // namespace
}  // namespace brevane
