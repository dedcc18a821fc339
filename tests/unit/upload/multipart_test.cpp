// Bodies that browsers do not send but other clients, proxies and attackers
// do: the parsers must read them as RFC 7578 and RFC 2046 say, whether
// BinaryRead hands the body over whole or a few bytes at a time.
#include "upload/multipart.h"

#include <gtest/gtest.h>

#include "core/registry.h"
#include "frame/page_context.h"
#include "kit/hostkit.h"

namespace brevane {
namespace {

using namespace std::string_literals;

const size_t kPieces[] = {SIZE_MAX, 1, 7, 4096};

// What a page sees after GetData: ErrorID (or the run-time error), then each
// field and each file item in order.
std::string form_page(const std::string& declared, const std::string& body, size_t piece,
                      const char16_t* charset = nullptr) {
  auto req = kit::FakeRequest::make();
  req->set_multipart(declared, body);
  req->max_read = piece;
  try {
    Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
    if (charset) put(p, u"CharSet", Variant(charset));
    call(p, u"GetData", {kit::var(req)});
    std::string out = "id " + to_utf8(get(p, u"ErrorID").to_text());
    Variant forms = call(p, u"Forms", {Variant(u"-1")});
    for (const Variant& key : forms.object()->enumerate())
      out += " | " + to_utf8(key.to_text()) + "=" + to_utf8(call(p, u"Forms", {key}).to_text());
    Variant files = call(p, u"Files", {Variant(u"-1")});
    for (const Variant& key : files.object()->enumerate()) {
      Variant item = call(p, u"Files", {key});
      Variant bytes = call(item, u"GetBytes");
      out += " | file " + to_utf8(get(item, u"FormName").to_text()).substr(0, to_utf8(key.to_text()).find('_')) + ":" +
             to_utf8(get(item, u"FileName").to_text()) + " [" + to_utf8(get(item, u"ContentType").to_text()) + "] " +
             std::string(bytes.bytes().begin(), bytes.bytes().end());
    }
    return out;
  } catch (const ScriptError& e) {
    return "error " + std::to_string(e.number());
  }
}

// The image parser on the same body: each item's name, kind and value.
std::string image_page(const std::string& declared, const std::string& body, size_t piece,
                       std::initializer_list<const char16_t*> names) {
  auto req = kit::FakeRequest::make();
  req->set_multipart(declared, body);
  req->max_read = piece;
  PageScope page(PageContext{kit::var(req), {}, {}, {}, {}});
  Variant up(create_object(u"Brevane.Zelto_UploadImage"));
  std::string out;
  for (const char16_t* n : names) {
    Variant name(n);
    int count = call(up, u"binCount", {name}).to_i32();
    out += to_utf8(n) + "*" + std::to_string(count);
    for (int16_t i = 0; i < count; ++i) {
      Variant number(i);
      Variant item = call(up, u"binrequest", {name, number});
      if (get(item, u"Datatype").to_i32() == 1)
        out += " file:" + to_utf8(get(item, u"FileName").to_text()) + " [" +
               to_utf8(get(item, u"ContentType").to_text()) + "]";
      else
        out += " =" + to_utf8(get(item, u"Value").to_text());
    }
    out += ";";
  }
  return out;
}

std::string part(const std::string& b, const std::string& headers, const std::string& data) {
  return "--" + b + "\r\n" + headers + "\r\n\r\n" + data + "\r\n";
}
const std::string kField = "Content-Disposition: form-data; name=\"a\"";
const std::string kFile = "Content-Disposition: form-data; name=\"f\"; filename=\"x.txt\"\r\nContent-Type: text/plain";

struct Case {
  const char* fault;
  std::string declared, body, page;
};

void run(const std::vector<Case>& cases) {
  for (const Case& c : cases)
    for (size_t piece : kPieces)
      EXPECT_EQ(form_page(c.declared, c.body, piece), c.page) << c.fault << ", pieces of " << piece;
}

TEST(Multipart, TheDeclaredBoundaryIsTheOneUsed) {
  run({
      {"another boundary in the body", "AAA", part("XyZ", kField, "1") + "--XyZ--\r\n", "error 5"},
      {"the declared one", "XyZ", part("XyZ", kField, "1") + "--XyZ--\r\n", "id 0 | a=1"},
      {"quoted in the type", "\"XyZ\"", part("XyZ", kField, "1") + "--XyZ--\r\n", "id 0 | a=1"},
      {"quoted, with a space", "\"a b\"; charset=x", part("a b", kField, "1") + "--a b--\r\n", "id 0 | a=1"},
      {"a longer boundary that starts like it", "XyZ", part("XyZW", kField, "1") + "--XyZW--\r\n", "error 5"},
      {"a preamble is ignored", "XyZ", "this is a preamble\r\n" + part("XyZ", kField, "1") + "--XyZ--\r\n",
       "id 0 | a=1"},
      {"transport padding after a delimiter", "XyZ", "--XyZ \t\r\n" + kField + "\r\n\r\n1\r\n--XyZ--\r\n",
       "id 0 | a=1"},
  });
}

TEST(Multipart, NothingAfterTheCloseDelimiterIsRead) {
  run({
      {"a second copy of a field", "XyZ", part("XyZ", kField, "1") + "--XyZ--\r\n" + part("XyZ", kField, "2"),
       "id 0 | a=1"},
      {"a file after it", "XyZ", part("XyZ", kField, "1") + "--XyZ--\r\n" + part("XyZ", kFile, "evil") + "--XyZ--",
       "id 0 | a=1"},
      {"no line end after the close", "XyZ", part("XyZ", kField, "1") + "--XyZ--", "id 0 | a=1"},
  });
}

TEST(Multipart, ADelimiterNeedsTheLineEndBeforeIt) {
  run({
      {"boundary text inside a file", "XyZ", part("XyZ", kFile, "abc--XyZdef") + "--XyZ--\r\n",
       "id 0 | file f:x.txt [text/plain] abc--XyZdef"},
      {"inside a field", "XyZ", part("XyZ", kField, "1--XyZ--") + "--XyZ--\r\n", "id 0 | a=1--XyZ--"},
      {"a line that only starts like a delimiter", "XyZ", part("XyZ", kField, "1\r\n--XyZ!") + "--XyZ--\r\n",
       "id 0 | a=1\r\n--XyZ!"},
  });
}

TEST(Multipart, ATruncatedBodyIsMalformed) {
  run({
      {"ends on a delimiter", "XyZ", part("XyZ", kField, "1") + "--XyZ", "error 5"},
      {"ends after a delimiter line", "XyZ", part("XyZ", kField, "1") + "--XyZ\r\n", "error 5"},
      {"ends inside the data", "XyZ", "--XyZ\r\n" + kField + "\r\n\r\nvalu", "error 5"},
      {"ends inside the headers", "XyZ", "--XyZ\r\nContent-Disp", "error 5"},
      {"half a close delimiter", "XyZ", part("XyZ", kField, "1") + "--XyZ-", "error 5"},
  });
}

TEST(Multipart, ContentTypeIsThatHeaderOnly) {
  const std::string cd = "Content-Disposition: form-data; name=\"f\"; filename=\"x.txt\"";
  run({
      {"folded", "B", part("B", cd + "\r\nContent-Type: text/plain;\r\n charset=utf-8", "d") + "--B--",
       "id 0 | file f:x.txt [text/plain; charset=utf-8] d"},
      {"another header after it", "B",
       part("B", cd + "\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: binary", "d") + "--B--",
       "id 0 | file f:x.txt [image/png] d"},
      {"before the disposition", "B", part("B", "content-type:  image/gif \r\n" + cd, "d") + "--B--",
       "id 0 | file f:x.txt [image/gif] d"},
      {"none", "B", part("B", cd, "d") + "--B--", "id 0 | file f:x.txt [] d"},
  });
}

TEST(Multipart, DispositionParametersAreParsed) {
  auto with = [](const std::string& disposition) {
    return part("B", "Content-Disposition: " + disposition + "\r\nContent-Type: text/plain", "d") + "--B--";
  };
  run({
      {"names in any case", "B", with("form-data; NAME=\"f\"; Filename=\"x.txt\""),
       "id 0 | file f:x.txt [text/plain] d"},
      {"token values", "B", with("form-data; name=bit; filename=a.txt"), "id 0 | file bit:a.txt [text/plain] d"},
      {"escaped quote and backslash", "B", with(R"(form-data; name="f\\g"; filename="say \"hi\".txt")"),
       "id 0 | file f\\g:say \"hi\".txt [text/plain] d"},
      {"an old browser's path", "B", with(R"(form-data; name="f"; filename="C:\docs\a.txt")"),
       "id 0 | file f:a.txt [text/plain] d"},
      {"filename before name", "B", with("form-data; filename=\"a.txt\"; name=\"doc\""),
       "id 0 | file doc:a.txt [text/plain] d"},
      {"a name in another header", "B",
       part("B", "Content-Disposition: form-data; name=\"a\"\r\nX-Note: name=\"evil\"", "1") + "--B--", "id 0 | a=1"},
      {"a semicolon inside quotes", "B", part("B", "Content-Disposition: form-data; name=\"a;b\"", "1") + "--B--",
       "id 0 | a;b=1"},
  });
}

TEST(Multipart, AnExtendedFileNameAloneMakesAFile) {
  auto with = [](const std::string& params) {
    return part("B", "Content-Disposition: form-data; name=\"f\"; " + params, "d") + "--B--";
  };
  run({
      {"filename* only", "B", with("filename*=UTF-8''%E4%B8%AD.txt"), "id 0 | file f:中.txt [] d"},
      {"both: filename wins", "B", with("filename=\"a.txt\"; filename*=UTF-8''%E4%B8%AD.txt"),
       "id 0 | file f:a.txt [] d"},
      {"both, the other way round", "B", with("filename*=UTF-8''%E4%B8%AD.txt; filename=\"a.txt\""),
       "id 0 | file f:a.txt [] d"},
  });
}

TEST(Multipart, APartWithoutANameIsSkipped) {
  run({
      {"field", "B", part("B", "Content-Disposition: form-data", "1") + part("B", kField, "2") + "--B--", "id 0 | a=2"},
      {"file", "B", part("B", "Content-Disposition: form-data; filename=\"x.txt\"", "1") + "--B--", "id 0"},
      {"no headers at all", "B", "--B\r\n\r\n1\r\n--B--", "id 0"},
  });
}

TEST(Multipart, OnlyTheCloseDelimiterIsAPostWithoutData) {
  run({
      {"as a browser sends it", "B", "--B--\r\n", "id 6"},
      {"without a line end", "B", "--B--", "id 6"},
      {"after a preamble", "B", "preamble\r\n--B--\r\n", "id 6"},
  });
}

// Header blocks are read from their bytes where that reads the same as the
// decoded text; these are the blocks where it would not.
TEST(Multipart, HeaderValuesAreReadInTheCharacterSet) {
  struct CharsetCase {
    const char* fault;
    const char16_t* charset;
    std::string body, page;
  };
  auto file = [](const std::string& name, const std::string& file_name, const std::string& type) {
    return part("B",
                "Content-Disposition: form-data; name=\"" + name + "\"; filename=\"" + file_name +
                    "\"\r\nContent-Type: " + type,
                "d") +
           "--B--";
  };
  const CharsetCase cases[] = {
      {"GBK", nullptr, file("\xD6\xD0", "\xB1\xED.txt", "text/plain"), "id 0 | file 中:表.txt [text/plain] d"},
      {"a GBK second byte that is a backslash, before the closing quote", nullptr, file("f", "a\x81\x5C", "x/y"),
       "id 0 | file f:a乗 [x/y] d"},
      {"UTF-8", u"utf-8", file("\xE4\xB8\xAD", "\xE8\xA1\xA8.txt", "text/\xE4\xB8\xAD"),
       "id 0 | file 中:表.txt [text/中] d"},
      {"a broken UTF-8 sequence before a quote", u"utf-8", file("f\xE4\xB8", "a\xE4.txt", "x/y"),
       "id 0 | file f\xEF\xBF\xBD\xEF\xBF\xBD:a\xEF\xBF\xBD.txt [x/y] d"},
      {"a field name", u"utf-8", part("B", "Content-Disposition: form-data; name=\"\xE4\xB8\xAD\"", "1") + "--B--",
       "id 0 | 中=1"},
  };
  for (const CharsetCase& c : cases)
    for (size_t piece : kPieces)
      EXPECT_EQ(form_page("B", c.body, piece, c.charset), c.page) << c.fault << ", pieces of " << piece;
}

TEST(Multipart, TheImageParserReadsBodiesTheSameWay) {
  struct ImageCase {
    const char* fault;
    std::string declared, body, page;
  };
  const ImageCase cases[] = {
      {"the declared boundary", "AAA", part("XyZ", kField, "1") + "--XyZ--", "a*0;f*0;"},
      {"the epilogue", "B", part("B", kField, "1") + "--B--\r\n" + part("B", kField, "2"), "a*1 =1;f*0;"},
      {"boundary text inside a file", "B", part("B", kFile, "ab--Bcd") + "--B--", "a*0;f*1 file:x.txt [text/plain];"},
      {"truncated", "B", part("B", kField, "1") + "--B", "a*0;f*0;"},
      {"content type only", "B",
       part("B", "Content-Type: image/png\r\nContent-Disposition: form-data; filename=\"x.png\"; name=\"f\"", "d") +
           "--B--",
       "a*0;f*1 file:x.png [image/png];"},
      {"no name", "B", part("B", "Content-Disposition: form-data", "1") + "--B--", "a*0;f*0;"},
  };
  for (const ImageCase& c : cases)
    for (size_t piece : kPieces)
      EXPECT_EQ(image_page(c.declared, c.body, piece, {u"a", u"f"}), c.page) << c.fault << ", pieces of " << piece;
}

TEST(Multipart, BoundaryParameter) {
  struct {
    const char16_t* type;
    std::optional<std::string> boundary;
  } cases[] = {
      {u"multipart/form-data; boundary=abc", "abc"},
      {u"multipart/form-data; BOUNDARY=\"a;b\"; charset=x", "a;b"},
      {u"multipart/form-data;boundary= abc ;x=y", "abc"},
      {u"multipart/form-data; boundary=", std::nullopt},
      {u"multipart/form-data; xboundary=abc", std::nullopt},
      {u"multipart/form-data; boundary=中", std::nullopt},
  };
  for (auto& c : cases) EXPECT_EQ(multipart::boundary_of(c.type), c.boundary) << to_utf8(c.type);
}

}  // namespace
}  // namespace brevane
