// The multipart parser as a page drives it: limits and their texts, the
// extension list, fields and items, and bodies that are not well formed.
#include "upload/upload_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

#include "core/registry.h"
#include "core/vbdate.h"
#include "kit/expect.h"
#include "kit/hostkit.h"
#include "kit/scratch.h"

namespace brevane {
namespace {

using kit::MultipartBody;
using namespace std::string_literals;

using kit::error_of;
using kit::raised;

DateParts fixed_clock() { return DateParts{2026, 12, 6, 9, 5, 7}; }

class Upload : public ::testing::Test {
 protected:
  void SetUp() override { set_clock_for_testing(&fixed_clock); }
  void TearDown() override { set_clock_for_testing(nullptr); }

  Variant parse(const MultipartBody& body, std::function<void(Variant&)> setup = {}) {
    body.post(*req);
    Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
    if (setup) setup(p);
    call(p, u"GetData", {kit::var(req)});
    return p;
  }

  std::shared_ptr<kit::FakeRequest> req = kit::FakeRequest::make();
};

Text text_of(const Variant& v) { return v.to_text(); }

// ---- request checks and limits ----

TEST_F(Upload, EmptyBodyIsSixBeforeTheFormIsLookedAt) {
  Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
  EXPECT_TRUE(get(p, u"Description").is_empty());
  EXPECT_EQ(get(p, u"ErrorID").to_i32(), -1);
  call(p, u"GetData", {kit::var(req)});  // a GET without a body
  EXPECT_EQ(get(p, u"ErrorID").to_i32(), 6);
  EXPECT_EQ(text_of(get(p, u"Description")), u"未选择上传文件或上传文件不存在");
}

TEST_F(Upload, NotAMultipartPostIsTwo) {
  struct Case {
    const char16_t* method;
    const char16_t* type;
  };
  for (Case c : {Case{u"GET", u"multipart/form-data; boundary=x"}, Case{u"POST", u"application/x-www-form-urlencoded"},
                 Case{u"POST", u""}}) {
    req->set_body("a=1");
    req->server_variables[u"REQUEST_METHOD"] = c.method;
    req->server_variables[u"HTTP_CONTENT_TYPE"] = c.type;
    Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
    call(p, u"GetData", {kit::var(req)});
    EXPECT_EQ(get(p, u"ErrorID").to_i32(), 2) << to_utf8(c.type);
    EXPECT_EQ(text_of(get(p, u"Description")),
              u"Form中方式不对:Form一定要加上enctype=\"multipart/form-data\"属性,method属性值必须是post");
  }
}

TEST_F(Upload, MultipartTypeWithoutBoundaryRaises) {
  req->set_body("x");
  req->server_variables[u"REQUEST_METHOD"] = u" Post ";
  req->server_variables[u"HTTP_CONTENT_TYPE"] = u"Multipart/Form-Data";
  Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
  EXPECT_EQ(error_of([&] { call(p, u"GetData", {kit::var(req)}); }),
            raised(kSubscriptOutOfRange, u"上传数据格式错误：Content-Type 中没有 boundary="));
}

TEST_F(Upload, ServerSixRefusesAnOversizedBodyWithoutReadingIt) {
  MultipartBody body;
  body.file("f", "a.txt", std::string(5000, 'x'));
  Variant p = parse(body, [](Variant& p) { put(p, u"MaxSize", Variant(1000)); });
  EXPECT_EQ(get(p, u"ErrorID").to_i32(), 1);
  EXPECT_EQ(req->binary_reads, 0);
  EXPECT_EQ(text_of(get(p, u"Description")), u"超出了最大容量(容许值为1000B)");
}

TEST_F(Upload, OlderServersReadTheBodyAndCountOnlyFiles) {
  req->server_variables[u"SERVER_SOFTWARE"] = u"Microsoft-IIS/5.0";
  MultipartBody small;
  small.field("memo", std::string(3000, 'm')).file("f", "a.txt", std::string(900, 'x'));
  Variant p = parse(small, [](Variant& p) { put(p, u"MaxSize", Variant(1000)); });
  EXPECT_EQ(get(p, u"ErrorID").to_i32(), 0);

  MultipartBody big;
  big.file("f", "a.txt", std::string(600, 'x')).file("g", "b.txt", std::string(600, 'y'));
  Variant q = parse(big, [](Variant& p) { put(p, u"MaxSize", Variant(1000)); });
  EXPECT_EQ(get(q, u"ErrorID").to_i32(), 1);
  EXPECT_EQ(get(q, u"TotalSize").to_i32(), 1200);
  EXPECT_EQ(get(q, u"FileCount").to_i32(), 1);  // the first file stays
}

TEST_F(Upload, SingleFileLimitIsFive) {
  MultipartBody body;
  body.file("f", "a.txt", std::string(1025, 'x'));
  Variant p = parse(body, [](Variant& p) { put(p, u"SingleSize", Variant(1024)); });
  EXPECT_EQ(get(p, u"ErrorID").to_i32(), 5);
  EXPECT_EQ(text_of(get(p, u"Description")), u"超出了单文件最大容量(容许值为1K)");
}

// ---- the extension list ----

TEST_F(Upload, ExePresetsAndLists) {
  struct Case {
    const char16_t* given;
    const char16_t* stored;
  };
  for (Case c : {Case{u"pic", u"jpg|gif|bmp|png"}, Case{u"zip", u"rar|zip"}, Case{u"flash", u"swf"},
                 Case{u"PIC", u"pic"},  // presets match only as written
                 Case{u"*.JPG;*.Gif", u"jpg|gif"}, Case{u"Jpg|PNG", u"jpg|png"}}) {
    Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
    put(p, u"Exe", Variant(c.given));
    EXPECT_EQ(text_of(get(p, u"Exe")), c.stored) << to_utf8(c.given);
  }
}

TEST_F(Upload, ExtensionRules) {
  struct Case {
    const char16_t* exe;
    const char* file;
    int error;
  };
  for (Case c :
       {Case{u"jpg|gif", "photo.PNG", 3}, Case{u"*.JPG;*.PNG", "photo.PNG", 0}, Case{u"jpg", "a.JPG", 0},
        Case{u"jpg", "a.gif", 3}, Case{u"*", "a.exe", 0}, Case{u"", "a.exe", 0}, Case{u"jpg|gif", "noext", 3}}) {
    MultipartBody body;
    body.file("f", c.file, "data");
    Variant p = parse(body, [&](Variant& p) { put(p, u"Exe", Variant(c.exe)); });
    EXPECT_EQ(get(p, u"ErrorID").to_i32(), c.error) << to_utf8(c.exe) << " " << c.file;
  }
  MultipartBody body;
  body.file("f", "a.exe", "data");
  Variant p = parse(body, [](Variant& p) { put(p, u"Exe", Variant(u"jpg|gif")); });
  EXPECT_EQ(text_of(get(p, u"Description")), u"不允许上传该类文件(容许上传文件类型为:jpg|gif)");
}

// ---- fields and items ----

TEST_F(Upload, TextFieldsJoinAndAreFoundWithoutRegardToCase) {
  MultipartBody body;
  body.field("Tag", "a").field("tag", "b").field("title", "标题");
  body.post(*req);
  Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
  put(p, u"CharSet", Variant(u"utf-8"));
  call(p, u"GetData", {kit::var(req)});
  EXPECT_EQ(text_of(call(p, u"Forms", {Variant(u"TAG")})), u"a,b");
  EXPECT_EQ(text_of(call(p, u"Forms", {Variant(u"title")})), u"标题");
  EXPECT_EQ(text_of(call(p, u"Forms", {Variant(u"none")})), u"");
}

TEST_F(Upload, FieldsDecodeInTheDefaultGb2312) {
  MultipartBody body;
  body.field("title", "\xB1\xEA\xCC\xE2");  // 标题 in GBK
  Variant p = parse(body);
  EXPECT_EQ(text_of(call(p, u"Forms", {Variant(u"title")})), u"标题");
}

TEST_F(Upload, MinusOneReturnsTheDictionaries) {
  MultipartBody body;
  body.field("a", "1").field("b", "2").file("f", "x.txt", "xx");
  Variant p = parse(body);
  Variant forms = call(p, u"Forms", {Variant(u" -1 ")});
  EXPECT_EQ(get(forms, u"Count").to_i32(), 2);
  EXPECT_TRUE(call(forms, u"Exists", {Variant(u"b")}).to_bool());
  EXPECT_EQ(forms.object()->enumerate().at(1).to_text(), u"b");
  Variant files = call(p, u"Files", {Variant(int16_t(-1))});
  VariantArray keys = files.object()->enumerate();
  ASSERT_EQ(keys.size(), 1u);
  Variant item = call(p, u"Files", {keys[0]});  // a key holding the tag is used unchanged
  EXPECT_EQ(text_of(get(item, u"LocalName")), u"x.txt");
}

TEST_F(Upload, ADictionaryHeldBeforeAParseHoldsItsItems) {
  MultipartBody body;
  body.file("f", "one.txt", "1").file("f", "two.txt", "22");
  body.post(*req);
  Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
  put(p, u"Mode", Variant(1));
  Variant files = call(p, u"Files", {Variant(u"-1")});
  call(p, u"GetData", {kit::var(req)});
  req->rewind();
  call(p, u"GetData", {kit::var(req)});  // a second parse adds under the next keys
  VariantArray items = call(files, u"Items").array();
  ASSERT_EQ(items.size(), 4u);
  for (size_t i = 0; i < items.size(); ++i) {
    ASSERT_TRUE(items[i].is_object()) << i;
    EXPECT_EQ(text_of(get(items[i], u"LocalName")), i % 2 ? u"two.txt" : u"one.txt");
    EXPECT_TRUE(text_of(get(items[i], u"FormName")).ends_with(u"_" + T(std::to_string(i)))) << i;
  }
}

TEST_F(Upload, RepeatedFileFieldsGetNumberedKeys) {
  MultipartBody body;
  body.file("Pic", "one.jpg", "1111").file("pic", "two.jpg", "22");
  Variant p = parse(body);
  EXPECT_EQ(get(p, u"FileCount").to_i32(), 2);
  Variant first = call(p, u"Files", {Variant(u"PIC")});
  Variant second = call(p, u"Files_Muti", {Variant(u"pic"), Variant(1)});
  EXPECT_EQ(text_of(get(first, u"LocalName")), u"one.jpg");
  EXPECT_EQ(text_of(get(second, u"LocalName")), u"two.jpg");
  EXPECT_TRUE(text_of(get(second, u"FormName")).ends_with(u"_1"));
  EXPECT_EQ(get(second, u"Size").to_i32(), 2);
  EXPECT_FALSE(get(call(p, u"Files_Muti", {Variant(u"pic"), Variant(2)}), u"IsFile").to_bool());
  EXPECT_TRUE(get(first, u"IsFile").to_bool());
}

TEST_F(Upload, EmptyFileFieldGivesNoItem) {
  MultipartBody body;
  body.file("f", "", "").file("g", "  ", "");
  Variant p = parse(body);
  EXPECT_EQ(get(p, u"ErrorID").to_i32(), 0);
  EXPECT_EQ(get(p, u"FileCount").to_i32(), 0);
  EXPECT_EQ(get(p, u"TotalSize").to_i32(), 0);
  EXPECT_FALSE(get(call(p, u"Files", {Variant(u"f")}), u"IsFile").to_bool());
}

TEST_F(Upload, ClientPathsAndNames) {
  struct Case {
    const char* client;
    const char16_t* name;
    const char16_t* ext;
  };
  for (Case c : {Case{"C:\\docs\\a.b.txt", u"a.b.txt", u"txt"}, Case{"/home/u/pic.JPG", u"pic.JPG", u"JPG"},
                 Case{"README", u"README", u""}, Case{"a/b\\c.d.gif", u"c.d.gif", u"gif"}}) {
    MultipartBody body;
    body.raw("--" + body.boundary() + "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"" + c.client +
             "\"\r\nContent-Type: image/gif\r\n\r\nDATA\r\n");
    Variant p = parse(body);
    Variant item = call(p, u"Files", {Variant(u"f")});
    EXPECT_EQ(text_of(get(item, u"FileName")), c.name) << c.client;
    EXPECT_EQ(text_of(get(item, u"Extend")), c.ext) << c.client;
    Text new_name = text_of(get(item, u"NewName"));
    EXPECT_EQ(new_name.substr(0, 14), u"20261206090507");
    EXPECT_EQ(new_name.size(), 19 + std::u16string_view(c.ext).size());
    EXPECT_EQ(new_name.substr(18), u"." + Text(c.ext));
    EXPECT_EQ(text_of(get(item, u"ContentType")), u"image/gif");
  }
}

TEST_F(Upload, NulBytesInFileNamesAreDropped) {
  MultipartBody body;
  body.raw("--" + body.boundary() +
           "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"a\0b.gif\"\r\n\r\nD\r\n"s);
  Variant p = parse(body);
  EXPECT_EQ(text_of(get(call(p, u"Files", {Variant(u"f")}), u"FileName")), u"ab.gif");
}

TEST_F(Upload, GeneratedNamesNeverRepeatWithinOnePost) {
  MultipartBody body;
  for (int i = 0; i < 300; ++i) body.file("f", "a.jpg", "x");
  Variant p = parse(body);
  std::set<Text> names;
  for (auto& [key, item] : std::dynamic_pointer_cast<UploadFile>(p.object())->file_items()->entries())
    names.insert(get(item, u"NewName").to_text());
  EXPECT_EQ(names.size(), 300u);
}

TEST_F(Upload, ItemsPointAtTheirBytesWhateverTheChunking) {
  std::string data;
  for (int i = 0; i < 40000; ++i) data.push_back(static_cast<char>(i * 7));
  for (size_t chunk : {size_t(1) << 30, size_t(7), size_t(16383)}) {
    req->max_read = chunk;
    MultipartBody body;
    body.field("x", "1").file("f", "a.bin", data).field("y", "2");
    Variant p = parse(body);
    ASSERT_EQ(get(p, u"ErrorID").to_i32(), 0);
    Variant item = call(p, u"Files", {Variant(u"f")});
    Variant bytes = call(item, u"GetBytes");
    EXPECT_TRUE(std::string(bytes.bytes().begin(), bytes.bytes().end()) == data) << chunk;
    EXPECT_EQ(text_of(call(p, u"Forms", {Variant(u"y")})), u"2");
    EXPECT_FALSE(get(p, u"LostTime").is_empty());
  }
}

TEST_F(Upload, LargeBodiesGoThroughTheSpoolFile) {
  std::string data(6u << 20, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + (i >> 12));
  MultipartBody body;
  body.file("f", "big.bin", data).file("g", "small.bin", "tail");
  Variant p = parse(body);
  ASSERT_EQ(get(p, u"ErrorID").to_i32(), 0);
  kit::ScratchFolder dir;
  Variant server(kit::var(kit::FakeServer::make()));
  for (auto name : {u"f", u"g"}) {
    Variant item = call(p, u"Files", {Variant(name)});
    ASSERT_TRUE(call(item, u"SavetoFile", {server, Variant(dir.physical()), Variant(1), Variant(true)}).to_bool());
  }
  EXPECT_EQ(dir.read("big.bin"), data);
  EXPECT_EQ(dir.read("small.bin"), "tail");
}

TEST_F(Upload, OtherModesParseButCannotSave) {
  MultipartBody body;
  body.field("t", "v").file("f", "a.txt", "abc");
  Variant p = parse(body, [](Variant& p) { put(p, u"Mode", Variant(1)); });
  EXPECT_EQ(req->binary_reads, 1);
  EXPECT_EQ(text_of(call(p, u"Forms", {Variant(u"t")})), u"v");
  Variant item = call(p, u"Files", {Variant(u"f")});
  kit::ScratchFolder dir;
  Variant server(kit::var(kit::FakeServer::make()));
  EXPECT_FALSE(call(item, u"SavetoFile", {server, Variant(dir.physical()), Variant(0), Variant(true)}).to_bool());
  EXPECT_EQ(text_of(get(item, u"Exception")), u"对象关闭时，不允许操作。");
  EXPECT_EQ(error_of([&] { call(item, u"GetBytes"); }), raised(3704));
}

TEST_F(Upload, ItemsOutlivingTheirParserCannotSave) {
  MultipartBody body;
  body.file("f", "a.txt", "abc");
  Variant item, files;
  {
    Variant p = parse(body);
    item = call(p, u"Files", {Variant(u"f")});
    files = call(p, u"Files", {Variant(u"-1")});
  }
  EXPECT_EQ(get(files, u"Count").to_i32(), 0);
  EXPECT_EQ(error_of([&] { call(item, u"GetBytes"); }), raised(3704));
  EXPECT_EQ(shared_upload_stream(), nullptr);
}

TEST_F(Upload, AnItemKeepsReadingItsOwnParsersBytes) {
  MultipartBody first, second;
  first.file("f", "a.txt", "first");
  second.file("f", "b.txt", "second!");
  Variant p1 = parse(first);
  Variant item = call(p1, u"Files", {Variant(u"f")});
  auto other = kit::FakeRequest::make();
  second.post(*other);
  Variant p2(create_object(u"Brevane.Zelto_Class_UploadFile"));
  call(p2, u"GetData", {kit::var(other)});
  Variant bytes = call(item, u"GetBytes");
  EXPECT_EQ(std::string(bytes.bytes().begin(), bytes.bytes().end()), "first");
}

TEST_F(Upload, SizeTexts) {
  Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
  struct Case {
    double n;
    const char16_t* text;
  };
  for (Case c : {Case{0, u"0.00B"}, Case{1023, u"1,023.00B"}, Case{1024, u"1.00KB"}, Case{1536, u"1.50KB"},
                 Case{1048576, u"1.00MB"}, Case{5.5 * 1048576, u"5.50MB"}})
    EXPECT_EQ(text_of(call(p, u"GetSize", {Variant(c.n)})), c.text);
  EXPECT_EQ(text_of(get(p, u"Version")), u"ZeltoAspUpload V13.01.16");
}

// Bodies read in pieces (Mode 0, boundaries found while the pieces arrive)
// and in one call (Mode 1, boundaries found by scanning) give the same
// result, however the pieces fall.
TEST_F(Upload, PiecesAndOneReadAgree) {
  std::mt19937 rng(7);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int round = 0; round < 300; ++round) {
    std::string boundary = std::string(static_cast<size_t>(1 + pick(3)), '-') + "b" + std::to_string(pick(100));
    kit::MultipartBody body(boundary);
    for (int parts = 1 + pick(4); parts > 0; --parts) {
      std::string data;
      for (int k = pick(40); k > 0; --k) {
        int kind = pick(6);
        data += kind == 0   ? "--" + boundary
                : kind == 1 ? "\r\n"
                : kind == 2 ? boundary.substr(0, 2)
                            : std::string(1, char(pick(256)));
      }
      if (pick(2))
        body.field("f" + std::to_string(pick(3)), data);
      else
        body.file("u" + std::to_string(pick(3)), "n" + std::to_string(pick(9)) + ".bin", data);
    }
    std::string raw =
        pick(4) ? body.str() : body.open_str().substr(0, body.open_str().size() - static_cast<size_t>(pick(20)));
    auto outcome = [&](int mode, size_t chunk) {
      auto r = kit::FakeRequest::make();
      r->set_multipart(boundary, raw);
      r->max_read = chunk;
      std::string out;
      try {
        Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
        put(p, u"Mode", Variant(mode));
        call(p, u"GetData", {kit::var(r)});
        out = "id" + to_utf8(get(p, u"ErrorID").to_text());
        for (auto& [k, v] : std::dynamic_pointer_cast<UploadFile>(p.object())->form_fields()->entries())
          out += "|" + to_utf8(k.to_text()) + "=" + to_utf8(v.to_text());
        for (auto& [k, v] : std::dynamic_pointer_cast<UploadFile>(p.object())->file_items()->entries())
          out += "|" + to_utf8(get(v, u"Position").to_text()) + "+" + to_utf8(get(v, u"Size").to_text());
      } catch (const ScriptError& e) {
        out = "error" + std::to_string(e.number());
      }
      return out;
    };
    std::string whole = outcome(1, SIZE_MAX);
    for (size_t chunk : {size_t(1), size_t(2), size_t(5), size_t(64), SIZE_MAX})
      ASSERT_EQ(outcome(0, chunk), whole) << "round " << round << " chunk " << chunk;
  }
}

// ---- bodies that are not well formed ----

TEST_F(Upload, MalformedBodiesRaiseInsteadOfHanging) {
  MultipartBody ok;
  ok.field("a", "1");
  const std::string b = "--" + ok.boundary();
  struct Case {
    const char* what;
    std::string body;
  };
  const Case cases[] = {
      {"no line break at all", b},
      {"empty boundary line", "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nx\r\n"},
      {"headers never end", b + "\r\nContent-Disposition: form-data; name=\"a\"\r\nx"},
      {"no boundary after a text part", b + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nvalue"},
      {"no boundary after a file part",
       b + "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"a.txt\"\r\n\r\nvalue"},
      {"boundary longer than the body", std::string(ok.boundary().size() + 50, '-') + "\r\n"},
      {"data not ended by a line break", b + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n" + b + "--\r\n"},
  };
  for (const Case& c : cases) {
    req->set_multipart(ok.boundary(), c.body);
    Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
    kit::Raised r = error_of([&] { call(p, u"GetData", {kit::var(req)}); });
    EXPECT_EQ(r.number, kInvalidCall) << c.what;
    EXPECT_TRUE(r.description.starts_with(u"上传数据格式错误：")) << c.what << ": " << to_utf8(r.description);
  }
}

TEST_F(Upload, AHostThatDeliversLessThanItAnnouncedRaises) {
  // A request whose body ends before TotalBytes says: BinaryRead keeps
  // answering with nothing.
  class ShortRequest : public DynamicObject {
   public:
    ShortRequest() {
      define(u"TotalBytes", [](int, Args) -> Variant { return Variant(int32_t(100000)); });
      define(u"ServerVariables", [](int, Args a) -> Variant {
        Text name = a[0].to_text();
        if (name == u"REQUEST_METHOD") return Variant(u"POST");
        if (name == u"HTTP_CONTENT_TYPE") return Variant(u"multipart/form-data; boundary=x");
        return Variant(Text());
      });
      define(u"BinaryRead", [this](int, Args a) -> Variant {
        ++reads;
        std::string part = reads == 1 ? "--x\r\n" : "";
        a[0] = Variant(static_cast<int32_t>(part.size()));
        return Variant(Bytes(part.begin(), part.end()));
      });
    }
    int reads = 0;
  };
  auto short_req = std::make_shared<ShortRequest>();
  Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
  EXPECT_EQ(error_of([&] { call(p, u"GetData", {kit::var(short_req)}); }),
            raised(kInvalidCall, u"上传数据不完整：请求正文比声明的长度短"));
}

TEST_F(Upload, HugeHeadersAndAClosingBoundaryWithoutLineEnd) {
  MultipartBody body;
  body.raw("--" + body.boundary() + "\r\nContent-Disposition: form-data; name=\"a\"\r\nX-Pad: " +
           std::string(12000, 'p') + "\r\n\r\nvalue\r\n--" + body.boundary() + "--");
  req->set_multipart(body.boundary(), body.open_str());
  Variant p(create_object(u"Brevane.Zelto_Class_UploadFile"));
  call(p, u"GetData", {kit::var(req)});
  EXPECT_EQ(get(p, u"ErrorID").to_i32(), 0);
  EXPECT_EQ(text_of(call(p, u"Forms", {Variant(u"a")})), u"value");
}

}  // namespace
}  // namespace brevane
