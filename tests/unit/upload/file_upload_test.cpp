// The one-call upload's result text.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "core/registry.h"
#include "kit/hostkit.h"
#include "kit/scratch.h"

namespace brevane {
namespace {

class OneCall : public ::testing::Test {
 protected:
  Text upload(Text ext, int32_t max_mb, int32_t single_mb, std::initializer_list<Variant> rest = {}) {
    Variant facade(create_object(u"Brevane.BrevaneCls"));
    std::vector<Variant> args{server,          kit::var(req),      Variant(ext),
                              Variant(max_mb), Variant(single_mb), Variant(u"/files")};
    args.insert(args.end(), rest.begin(), rest.end());
    return invoke_by_name(facade, u"CommFileUpload", kMethod, args).to_text();
  }

  kit::ScratchFolder dir;
  Variant server{kit::var(kit::FakeServer::make(dir.physical()))};
  std::shared_ptr<kit::FakeRequest> req = kit::FakeRequest::make();
};

TEST_F(OneCall, SavedFilesAndRequestedFields) {
  kit::MultipartBody body;
  body.field("title", "T").file("a", "C:\\x\\a.jpg", std::string(1234, 'a')).field("memo", "M");
  body.file("b", "b.gif", std::string(567, 'b'));
  body.post(*req);
  std::string r = to_utf8(upload(u"", 0, 0, {Variant(int16_t(0)), Variant(true), Variant(u" title|memo ")}));
  // Success|a.jpg|<18 digits>.jpg|1234$Success|b.gif|<18 digits>.gif|567$#T|M
  auto generated = [](const std::string& s, size_t at, const char* ext) {
    for (size_t i = 0; i < 18; ++i)
      if (at + i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[at + i]))) return false;
    return s.compare(at + 18, std::strlen(ext), ext) == 0;
  };
  const std::string first = "Success|a.jpg|", second = "|1234$Success|b.gif|";
  ASSERT_EQ(r.size(), first.size() + 22 + second.size() + 22 + std::string("|567$#T|M").size()) << r;
  EXPECT_EQ(r.substr(0, first.size()), first);
  EXPECT_TRUE(generated(r, first.size(), ".jpg")) << r;
  EXPECT_EQ(r.substr(first.size() + 22, second.size()), second);
  EXPECT_TRUE(generated(r, first.size() + 22 + second.size(), ".gif")) << r;
  EXPECT_TRUE(r.ends_with("|567$#T|M")) << r;
  EXPECT_EQ(dir.read("files/" + r.substr(first.size(), 22)), std::string(1234, 'a'));
}

TEST_F(OneCall, ParserErrorsBecomeOneRecord) {
  req->set_body("a=1");
  req->server_variables[u"REQUEST_METHOD"] = u"POST";
  req->server_variables[u"HTTP_CONTENT_TYPE"] = u"application/x-www-form-urlencoded";
  EXPECT_EQ(upload(u"", 0, 0),
            u"Error|Form中方式不对:Form一定要加上enctype=\"multipart/form-data\"属性,method属性值必须是post$#");

  kit::MultipartBody body;
  body.field("title", "kept").file("a", "x.exe", "MZ");
  body.post(*req);
  EXPECT_EQ(upload(u"jpg|gif", 0, 0, {Variant(int16_t(0)), Variant(true), Variant(u"title")}),
            u"Error|不允许上传该类文件(容许上传文件类型为:jpg,gif)$#kept");
}

TEST_F(OneCall, MegabyteLimits) {
  kit::MultipartBody body;
  body.file("a", "a.bin", std::string(1048577, 'x'));
  body.post(*req);
  EXPECT_EQ(upload(u"", 0, 1), u"Error|超出了单文件最大容量(容许值为1M)$#");
  body.post(*req);
  EXPECT_TRUE(upload(u"", 0, 0).starts_with(u"Success|a.bin|"));
  body.post(*req);
  try {
    upload(u"", 2048, 0);
    ADD_FAILURE() << "no overflow";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), kOverflow);
  }
}

TEST_F(OneCall, AFileThatCannotBeWrittenGetsItsOwnRecord) {
  dir.write("files/a.jpg/blocker", "a folder in the way");
  kit::MultipartBody body;
  body.file("a", "a.jpg", "A").file("b", "b.jpg", "B");
  body.post(*req);
  std::string r = to_utf8(upload(u"", 0, 0, {Variant(int16_t(1)), Variant(true)}));
  EXPECT_TRUE(r.starts_with("Error|")) << r;
  EXPECT_TRUE(r.ends_with("$Success|b.jpg|b.jpg|1$#")) << r;
}

}  // namespace
}  // namespace brevane
