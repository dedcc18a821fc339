// Late binding through the declared member tables: lookup, defaults,
// conversions, by-reference write-back and the errors a caller sees.
#include <gtest/gtest.h>

#include "component/facade.h"
#include "core/registry.h"
#include "frame/page_context.h"
#include "kit/expect.h"
#include "kit/hostkit.h"

namespace brevane {
namespace {

using kit::error_of;
using kit::raised;

TEST(Registry, AllSevenPublicClassesAreCreatableByProgId) {
  // The image parser reads the running page's request when it is created.
  PageScope page(PageContext{kit::var(kit::FakeRequest::make()), {}, {}, {}, {}});
  for (auto name : {u"Brevane.BrevaneCls", u"Brevane.Zelto_Class_UploadFile", u"Brevane.Zelto_Class_UploadFileEx",
                    u"Brevane.Zelto_Class_UploadFileEmpty", u"Brevane.Zelto_UploadImage",
                    u"Brevane.Zelto_UpLoadImageData", u"BREVANE.zelto_class_md5"}) {
    ObjectPtr o = create_object(name);
    ASSERT_TRUE(o) << to_utf8(name);
    EXPECT_NE(o->class_info(), nullptr);
  }
  EXPECT_EQ(error_of([] { create_object(u"Brevane.Nothing"); }), raised(kCannotCreateObject));
}

TEST(Declarations, FacadeHas194MembersInSlotOrder) {
  const ClassInfo& c = declared_class(u"BrevaneCls");
  ASSERT_EQ(c.members.size(), 194u);
  EXPECT_EQ(c.members.front().name, u"CommMd5");
  EXPECT_EQ(c.members[115].name, u"CommGetVersion");
  EXPECT_EQ(c.members.back().name, u"CommCheckUserManager");
  for (size_t i = 0; i < c.members.size(); ++i) EXPECT_EQ(c.members[i].slot, static_cast<int>(i));
}

TEST(Dispatch, LookupIsCaseInsensitiveAndUnknownIs438) {
  Variant c(create_object(u"Brevane.BrevaneCls"));
  EXPECT_EQ(call(c, u"COMMGETVERSION").to_text(), u"03.05.01");
  EXPECT_EQ(error_of([&] { call(c, u"NoSuchMethod"); }),
            raised(kNoSuchMember, u"Object doesn't support this property or method: 'NoSuchMethod'"));
}

TEST(Dispatch, ArgumentCountsAreChecked) {
  Variant c(create_object(u"Brevane.BrevaneCls"));
  EXPECT_EQ(error_of([&] { call(c, u"CommMd5"); }), raised(kArgumentNotOptional));
  EXPECT_EQ(error_of([&] { call(c, u"CommMd5", {Variant(u"a"), Variant(u"b")}); }), raised(kWrongArgumentCount));
}

TEST(Dispatch, ArgumentsConvertToDeclaredTypes) {
  Variant c(create_object(u"Brevane.BrevaneCls"));
  // A number handed to a String parameter arrives as its text.
  EXPECT_EQ(call(c, u"CommMd5", {Variant(12)}).to_text(), call(c, u"CommMd5", {Variant(u"12")}).to_text());
  // An object's default member is read when a String is expected.
  auto req = kit::FakeRequest::make();
  req->query->add(u"id", u"abc");
  Variant via_object = call(c, u"CommMd5", {get(kit::var(req), u"QueryString", {Variant(u"id")})});
  EXPECT_EQ(via_object.to_text(), u"900150983CD24FB0D6963F7D28E17F72");
}

// A declared class of our own to pin optional defaults and by-ref write-back.
class Probe : public DeclaredObject {
 public:
  Probe()
      : DeclaredObject([]() -> const HandlerTable& {
          static const HandlerTable t(declared_class(u"Zelto_UpLoadImageData"),
                                      {{bind_member<&Probe::IsImage>(u"IsImage")}});
          return t;
        }()) {}
  Variant IsImage(Variant& w, Variant& h, Variant& type, Variant& size, Variant& bit) {
    w = Variant(int32_t(640));
    h = Variant(int32_t(480));
    type = Variant(u"png");
    size = Variant(int32_t(1));
    bit = Variant(int32_t(24));
    return Variant(true);
  }
};

TEST(Dispatch, ByReferenceArgumentsAreWrittenBack) {
  auto p = std::make_shared<Probe>();
  std::vector<Variant> args(5);
  Variant r = p->invoke(p->find_member(u"isimage"), kMethod | kGet, args);
  EXPECT_TRUE(r.to_bool());
  EXPECT_EQ(args[0].to_i32(), 640);
  EXPECT_EQ(args[2].to_text(), u"png");
  // An unbound member of the same class answers 438 with its name.
  EXPECT_EQ(error_of([&] { get(Variant(std::static_pointer_cast<Object>(p)), u"Start"); }),
            raised(kNoSuchMember, u"Object doesn't support this property or method: 'Start'"));
}

TEST(Dispatch, OmittedOptionalTakesDeclaredDefault) {
  const ClassInfo& c = declared_class(u"BrevaneCls");
  const MemberInfo* icon = c.find(u"CommFileGetIcon", MemberKind::Function);
  ASSERT_NE(icon, nullptr);
  ASSERT_EQ(icon->params.size(), 3u);
  EXPECT_EQ(icon->params[1].default_value().to_text(), u"asp");
  EXPECT_EQ(icon->params[2].default_value().to_text(), u"small");
  const MemberInfo* upload = c.find(u"CommFileUpload", MemberKind::Function);
  ASSERT_NE(upload, nullptr);
  // A Boolean defaulting to true arrives as -1.
  EXPECT_EQ(upload->params[7].default_value().convert_to(VarType::Boolean).raw_int(), -1);
}

TEST(HostKit, RequestReadsInChunksAndWritesCountBack) {
  auto req = kit::FakeRequest::make();
  req->set_body("hello world");
  req->max_read = 4;
  std::vector<Variant> args{Variant(100)};
  Variant chunk = req->invoke(req->find_member(u"BinaryRead"), kMethod, args);
  EXPECT_EQ(args[0].to_i32(), 4);
  EXPECT_EQ(chunk.bytes().size(), 4u);
  EXPECT_EQ(get(kit::var(req), u"TotalBytes").to_i32(), 11);
}

}  // namespace
}  // namespace brevane
