// The adapter's rules, checked on Windows (under Wine): VARIANT <-> Variant,
// by-reference write-back, errors as HRESULTs and EXCEPINFO, dispatch by
// name, enumeration, and foreign objects called by name.
#include <dispex.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "com/com_support.h"
#include "com/object_context.h"
#include "kit/expect.h"
#include "kit/hostkit.h"

namespace brevane::com {

const ServerModule& module() {
  static const ServerModule m{{}, u"BrevaneTest", {}};
  return m;
}

namespace {

struct Var {
  VARIANT v;
  Var() { VariantInit(&v); }
  ~Var() { VariantClear(&v); }
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;
};

using kit::error_of;

// ---- VARIANT -> Variant ----

TEST(FromVariant, ScalarsKeepTheirAutomationType) {
  struct Case {
    VARTYPE vt;
    LONGLONG bits;
    VarType want;
    double value;
  };
  const Case cases[] = {
      {VT_I2, -5, VarType::Integer, -5},
      {VT_I4, 70000, VarType::Long, 70000},
      {VT_UI1, 200, VarType::Byte, 200},
      {VT_I1, -3, VarType::Integer, -3},
      {VT_UI2, 65535, VarType::Long, 65535},
      {VT_BOOL, VARIANT_TRUE, VarType::Boolean, -1},
      {VT_UI4, 0xFFFFFFFFll, VarType::Double, 4294967295.0},
      {VT_I8, 1ll << 40, VarType::Double, 1099511627776.0},
      {VT_I8, 12, VarType::Long, 12},
  };
  for (const Case& c : cases) {
    Var in;
    in.v.vt = c.vt;
    in.v.llVal = c.bits;
    Variant out = from_variant(in.v);
    EXPECT_EQ(out.type(), c.want) << c.vt;
    EXPECT_EQ(out.to_double(), c.value) << c.vt;
  }
}

TEST(FromVariant, TextDatesCurrencyAndDecimal) {
  Var s;
  s.v.vt = VT_BSTR;
  s.v.bstrVal = SysAllocString(L"\u4e2d\u6587");
  EXPECT_EQ(from_variant(s.v).text(), u"\u4e2d\u6587");
  Var null_bstr;
  null_bstr.v.vt = VT_BSTR;
  null_bstr.v.bstrVal = nullptr;
  EXPECT_EQ(from_variant(null_bstr.v).text(), u"");

  Var cy;
  cy.v.vt = VT_CY;
  cy.v.cyVal.int64 = 15000;
  EXPECT_EQ(from_variant(cy.v).to_currency(), Currency{15000});
  Var date;
  date.v.vt = VT_DATE;
  date.v.date = 45000.5;
  EXPECT_EQ(from_variant(date.v).type(), VarType::Date);
  Var dec;
  VarDecFromR8(2.5, &dec.v.decVal);
  dec.v.vt = VT_DECIMAL;
  EXPECT_EQ(from_variant(dec.v).to_double(), 2.5);
}

TEST(FromVariant, OmittedArgumentIsMissingOtherErrorsStayErrors) {
  Var omitted;
  omitted.v.vt = VT_ERROR;
  omitted.v.scode = DISP_E_PARAMNOTFOUND;
  EXPECT_TRUE(from_variant(omitted.v).is_missing());
  Var other;
  other.v.vt = VT_ERROR;
  other.v.scode = E_FAIL;
  Variant e = from_variant(other.v);
  EXPECT_EQ(e.type(), VarType::Error);
  EXPECT_FALSE(e.is_missing());
}

TEST(FromVariant, ReadsThroughReferences) {
  LONG n = 42;
  Var ref;
  ref.v.vt = VT_BYREF | VT_I4;
  ref.v.plVal = &n;
  EXPECT_EQ(from_variant(ref.v).to_i32(), 42);

  VARIANT inner;
  VariantInit(&inner);
  inner.vt = VT_BSTR;
  inner.bstrVal = SysAllocString(L"x");
  VARIANT outer;
  VariantInit(&outer);
  outer.vt = VT_BYREF | VT_VARIANT;
  outer.pvarVal = &inner;
  EXPECT_EQ(from_variant(outer).text(), u"x");
  VariantClear(&inner);
}

TEST(FromVariant, ArraysWithAnyLowerBound) {
  SAFEARRAYBOUND bound{3, 1};  // elements 1..3
  SAFEARRAY* bytes = SafeArrayCreate(VT_UI1, 1, &bound);
  for (LONG i = 1; i <= 3; ++i) {
    BYTE b = static_cast<BYTE>(i * 10);
    SafeArrayPutElement(bytes, &i, &b);
  }
  Var a;
  a.v.vt = VT_ARRAY | VT_UI1;
  a.v.parray = bytes;
  EXPECT_EQ(from_variant(a.v).bytes(), (Bytes{10, 20, 30}));

  SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 0, 2);
  LONG i0 = 0, i1 = 1;
  BSTR x = SysAllocString(L"a"), y = SysAllocString(L"b");
  SafeArrayPutElement(texts, &i0, x);
  SafeArrayPutElement(texts, &i1, y);
  SysFreeString(x);
  SysFreeString(y);
  Var t;
  t.v.vt = VT_ARRAY | VT_BSTR;
  t.v.parray = texts;
  const VariantArray& got = from_variant(t.v).array();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1].text(), u"b");
}

TEST(FromVariant, GridsAreATypeMismatch) {
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
  Var grid;
  grid.v.vt = VT_ARRAY | VT_VARIANT;
  grid.v.parray = SafeArrayCreate(VT_VARIANT, 2, bounds);
  EXPECT_EQ(error_of([&] { from_variant(grid.v); }), kit::raised(kTypeMismatch));
}

// ---- Variant -> VARIANT ----

TEST(ToVariant, RoundTripKeepsTypeAndValue) {
  const Variant values[] = {Variant(),
                            Variant::null(),
                            Variant(int16_t{-7}),
                            Variant(int32_t{1 << 20}),
                            Variant(1.5f),
                            Variant(2.25),
                            Variant(Currency{12345}),
                            Variant::date(40000),
                            Variant(u"\u6d4b"),
                            Variant(true),
                            Variant(uint8_t{9}),
                            Variant::missing(),
                            Variant(Bytes{1, 2}),
                            Variant(VariantArray{Variant(1), Variant(u"z")})};
  for (const Variant& in : values) {
    Var v;
    to_variant(in, &v.v);
    Variant back = from_variant(v.v);
    EXPECT_EQ(back.type(), in.type()) << static_cast<int>(in.type());
    if (in.type() == VarType::ByteArray)
      EXPECT_EQ(back.bytes(), in.bytes());
    else if (in.type() == VarType::Array)
      EXPECT_EQ(back.array()[1].text(), u"z");
    else if (in.type() == VarType::String)
      EXPECT_EQ(back.text(), in.text());
    else
      EXPECT_EQ(back.raw_int(), in.raw_int());
  }
}

TEST(ToVariant, BooleanIsAllBitsSet) {
  Var v;
  to_variant(Variant(true), &v.v);
  EXPECT_EQ(v.v.vt, VT_BOOL);
  EXPECT_EQ(v.v.boolVal, VARIANT_TRUE);
}

TEST(ToVariant, OurObjectComesBackAsItself) {
  ObjectPtr obj = kit::FakeStore::make();
  Var v;
  to_variant(Variant(obj), &v.v);
  ASSERT_EQ(v.v.vt, VT_DISPATCH);
  EXPECT_EQ(from_variant(v.v).object(), obj);
}

TEST(ToVariant, NothingIsANullDispatch) {
  Var v;
  to_variant(Variant(ObjectPtr{}), &v.v);
  EXPECT_EQ(v.v.vt, VT_DISPATCH);
  EXPECT_EQ(v.v.pdispVal, nullptr);
}

// ---- by-reference write-back ----

TEST(WriteBack, TypedSlotsConvertOrStayAsTheyWere) {
  SHORT i2 = 1;
  VARIANT slot;
  VariantInit(&slot);
  slot.vt = VT_BYREF | VT_I2;
  slot.piVal = &i2;
  write_back(Variant(int32_t{300}), slot);
  EXPECT_EQ(i2, 300);
  write_back(Variant(int32_t{40000}), slot);  // does not fit: left alone
  EXPECT_EQ(i2, 300);

  BSTR text = SysAllocString(L"old");
  slot.vt = VT_BYREF | VT_BSTR;
  slot.pbstrVal = &text;
  write_back(Variant(int32_t{12}), slot);
  EXPECT_STREQ(text, L"12");
  SysFreeString(text);

  SAFEARRAY* sa = nullptr;
  slot.vt = VT_BYREF | VT_ARRAY | VT_UI1;
  slot.pparray = &sa;
  write_back(Variant(Bytes{7, 8}), slot);
  ASSERT_NE(sa, nullptr);
  Var check;
  check.v.vt = VT_ARRAY | VT_UI1;
  check.v.parray = sa;
  EXPECT_EQ(from_variant(check.v).bytes(), (Bytes{7, 8}));
}

TEST(WriteBack, VariantSlotTakesAnyType) {
  Var target;
  target.v.vt = VT_I4;
  target.v.lVal = 1;
  VARIANT slot;
  VariantInit(&slot);
  slot.vt = VT_BYREF | VT_VARIANT;
  slot.pvarVal = &target.v;
  write_back(Variant(u"now text"), slot);
  ASSERT_EQ(target.v.vt, VT_BSTR);
  EXPECT_STREQ(target.v.bstrVal, L"now text");
}

// ---- dispatch over our objects ----

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = kit::FakeStore::make();
    request_ = kit::FakeRequest::make();
    request_->form->add(u"a", u"1");
    request_->form->add(u"b", u"2");
    disp_ = make_dispatch(request_);
  }
  void TearDown() override { disp_->Release(); }

  DISPID id_of(const wchar_t* name) {
    DISPID id = 0;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    HRESULT hr = disp_->GetIDsOfNames(IID_NULL, &n, 1, 0, &id);
    return SUCCEEDED(hr) ? id : DISPID_UNKNOWN;
  }

  std::shared_ptr<kit::FakeStore> store_;
  std::shared_ptr<kit::FakeRequest> request_;
  IDispatch* disp_ = nullptr;
};

TEST_F(DispatchTest, NamesIgnoreCase) {
  EXPECT_NE(id_of(L"servervariables"), DISPID_UNKNOWN);
  EXPECT_EQ(id_of(L"ServerVariables"), id_of(L"SERVERVARIABLES"));
  EXPECT_EQ(id_of(L"NoSuchMember"), DISPID_UNKNOWN);
}

TEST_F(DispatchTest, ArgumentsArriveInTheCallersOrderAndByRefIsWrittenBack) {
  request_->set_body("abcdef");
  Var count;
  count.v.vt = VT_I4;
  count.v.lVal = 100;
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_BYREF | VT_VARIANT;
  arg.pvarVal = &count.v;
  DISPPARAMS dp{&arg, nullptr, 1, 0};
  Var result;
  ASSERT_EQ(disp_->Invoke(id_of(L"BinaryRead"), IID_NULL, 0, DISPATCH_METHOD, &dp, &result.v, nullptr, nullptr), S_OK);
  EXPECT_EQ(from_variant(result.v).bytes().size(), 6u);
  EXPECT_EQ(from_variant(count.v).to_i32(), 6);
}

TEST_F(DispatchTest, ScriptErrorBecomesAnExceptionWithItsNumber) {
  Var arg;
  arg.v.vt = VT_R8;
  arg.v.dblVal = 3e9;  // does not fit BinaryRead's Long count
  DISPPARAMS dp{&arg.v, nullptr, 1, 0};
  EXCEPINFO ei{};
  Var result;
  EXPECT_EQ(disp_->Invoke(id_of(L"BinaryRead"), IID_NULL, 0, DISPATCH_METHOD, &dp, &result.v, &ei, nullptr),
            DISP_E_EXCEPTION);
  EXPECT_EQ(ei.scode, static_cast<SCODE>(0x800A0006));
  EXPECT_STREQ(ei.bstrDescription, L"Overflow");
  EXPECT_STREQ(ei.bstrSource, L"BrevaneTest");
  SysFreeString(ei.bstrDescription);
  SysFreeString(ei.bstrSource);
  // Without an EXCEPINFO the error number is the result itself.
  EXPECT_EQ(disp_->Invoke(id_of(L"BinaryRead"), IID_NULL, 0, DISPATCH_METHOD, &dp, &result.v, nullptr, nullptr),
            static_cast<HRESULT>(0x800A0006));
}

TEST_F(DispatchTest, NamedArgumentsOtherThanThePutValueAreRefused) {
  Var arg;
  arg.v.vt = VT_I4;
  DISPID named = 5;
  DISPPARAMS dp{&arg.v, &named, 1, 1};
  EXPECT_EQ(disp_->Invoke(id_of(L"ServerVariables"), IID_NULL, 0, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr),
            DISP_E_NONAMEDARGS);
}

TEST_F(DispatchTest, PropertyPutThroughTheDefaultMember) {
  IDispatch* store = make_dispatch(store_);
  VARIANT args[2];
  VariantInit(&args[0]);
  VariantInit(&args[1]);
  args[0].vt = VT_I4;  // the value comes first in the list
  args[0].lVal = 9;
  args[1].vt = VT_BSTR;
  args[1].bstrVal = SysAllocString(L"Key");
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS dp{args, &put, 2, 1};
  EXPECT_EQ(store->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYPUT, &dp, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ((*store_)[u"key"].to_i32(), 9);
  VariantClear(&args[1]);
  store->Release();
}

TEST_F(DispatchTest, NewEnumWalksTheCollection) {
  IDispatch* form = make_dispatch(request_->form);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  Var result;
  ASSERT_EQ(form->Invoke(DISPID_NEWENUM, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, &result.v, nullptr,
                         nullptr),
            S_OK);
  ASSERT_EQ(result.v.vt, VT_UNKNOWN);
  IEnumVARIANT* e = nullptr;
  ASSERT_EQ(result.v.punkVal->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&e)), S_OK);
  VARIANT items[3];
  ULONG fetched = 0;
  EXPECT_EQ(e->Next(3, items, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_STREQ(items[0].bstrVal, L"a");
  EXPECT_STREQ(items[1].bstrVal, L"b");
  VariantClear(&items[0]);
  VariantClear(&items[1]);
  e->Release();
  form->Release();
}

TEST_F(DispatchTest, ObjectsWithoutDeclarationsOfferNoTypeInfo) {
  UINT n = 1;
  EXPECT_EQ(disp_->GetTypeInfoCount(&n), S_OK);
  EXPECT_EQ(n, 0u);
  IProvideClassInfo* pci = nullptr;
  EXPECT_EQ(disp_->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(&pci)), E_NOINTERFACE);
}

// ---- the module ----

TEST(Module, UnloadsOnlyWhenNothingIsAlive) {
  EXPECT_EQ(can_unload_now(), S_OK);
  IDispatch* d = make_dispatch(kit::FakeStore::make());
  EXPECT_EQ(can_unload_now(), S_FALSE);
  d->Release();
  EXPECT_EQ(can_unload_now(), S_OK);
}

TEST(Module, UnknownClassIsNotAvailable) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(get_class_object(parse_guid("00000000-0000-0000-0000-000000000001"), IID_IClassFactory, &out),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
}

TEST(Module, GuidsParseAsWritten) {
  GUID g = parse_guid("A6EF9860-C720-11D0-9337-00A0C90DCAA9");
  EXPECT_EQ(g.Data1, 0xA6EF9860u);
  EXPECT_EQ(g.Data2, 0xC720);
  EXPECT_EQ(g.Data3, 0x11D0);
  EXPECT_EQ(g.Data4[0], 0x93);
  EXPECT_EQ(g.Data4[7], 0xA9);
}

// ---- foreign objects, called by name ----

TEST(Foreign, SystemObjectCalledByName) {
  ObjectPtr dict = create_system_object(u"Scripting.Dictionary");
  ASSERT_NE(dict, nullptr);
  Variant d(dict);
  call(d, u"Add", {Variant(u"k1"), Variant(1)});
  call(d, u"add", {Variant(u"k2"), Variant(u"two")});
  EXPECT_EQ(get(d, u"Count").to_i32(), 2);
  EXPECT_EQ(call(d, u"Item", {Variant(u"k2")}).text(), u"two");
  EXPECT_TRUE(call(d, u"Exists", {Variant(u"k1")}).to_bool());
  VariantArray keys = dict->enumerate();
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].text(), u"k1");
  EXPECT_EQ(error_of([&] { call(d, u"NoSuchMember"); }),
            kit::raised(kNoSuchMember, u"Object doesn't support this property or method: 'NoSuchMember'"));
  EXPECT_EQ(create_system_object(u"No.Such.Class"), nullptr);
}

TEST(Foreign, ErrorsKeepTheirNumberAndText) {
  ObjectPtr dict = create_system_object(u"Scripting.Dictionary");
  ASSERT_NE(dict, nullptr);
  Variant d(dict);
  call(d, u"Add", {Variant(u"k"), Variant(1)});
  try {
    call(d, u"Add", {Variant(u"k"), Variant(2)});  // duplicate key
    FAIL() << "no error";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), 457);
  }
}

// A script engine's object as JScript builds one: names resolved through
// IDispatchEx only, a member holding a plain value refuses to be called,
// and a function member runs on the method-or-get call.
class ScriptObject final : public IDispatchEx {
 public:
  static constexpr DISPID kValue = 1, kFunction = 2, kRaising = 3;
  static constexpr SCODE kRaised = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5);
  int calls[4] = {};
  std::vector<WORD> flags_seen;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    static const IID kIidDispatchEx = {0xa6ef9860, 0xc720, 0x11d0, {0x93, 0x37, 0x00, 0xa0, 0xc9, 0x0d, 0xca, 0xa9}};
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIidDispatchEx)) {
      *out = static_cast<IDispatchEx*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDispID(BSTR name, DWORD, DISPID* id) override {
    std::wstring n(name);
    *id = n == L"TotalBytes" ? kValue : n == L"BinaryRead" ? kFunction : n == L"Raise" ? kRaising : DISPID_UNKNOWN;
    return *id == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
  }
  HRESULT STDMETHODCALLTYPE InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO* ei,
                                     IServiceProvider*) override {
    ++calls[id];
    flags_seen.push_back(flags);
    if (result) VariantInit(result);
    if (id == kValue) {
      if (flags & DISPATCH_METHOD) return E_FAIL;  // what Wine's JScript answers
      result->vt = VT_I4;
      result->lVal = 8;
      return S_OK;
    }
    if (id == kRaising) {
      *ei = EXCEPINFO{};
      ei->scode = kRaised;
      ei->bstrDescription = SysAllocString(L"raised by the page");
      return DISP_E_EXCEPTION;
    }
    result->vt = VT_I4;
    result->lVal = 42;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DeleteMemberByName(BSTR, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteMemberByDispID(DISPID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMemberProperties(DISPID, DWORD, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMemberName(DISPID, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetNextDispID(DWORD, DISPID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetNameSpaceParent(IUnknown**) override { return E_NOTIMPL; }

  ULONG refs = 1;
};

TEST(Foreign, PlainValueOfAScriptObjectIsReadAsAProperty) {
  ScriptObject page;
  {
    Variant req = from_variant([&] {
      VARIANT v;
      v.vt = VT_DISPATCH;
      v.pdispVal = &page;
      return v;
    }());
    EXPECT_EQ(get(req, u"TotalBytes").to_i32(), 8);
    EXPECT_EQ((page.flags_seen), (std::vector<WORD>{DISPATCH_METHOD | DISPATCH_PROPERTYGET, DISPATCH_PROPERTYGET}));
    // A function member answers the first call; it runs once.
    EXPECT_EQ(call(req, u"BinaryRead", {Variant(5)}).to_i32(), 42);
    EXPECT_EQ(page.calls[ScriptObject::kFunction], 1);
    // An error the member raised is the page's error, not a refusal: no
    // second call.
    try {
      call(req, u"Raise");
      ADD_FAILURE() << "no error";
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.number(), 5);
      EXPECT_EQ(e.description(), u"raised by the page");
    }
    EXPECT_EQ(page.calls[ScriptObject::kRaising], 1);
  }
  EXPECT_EQ(page.refs, 1u);  // every reference the adapter took is given back
}

// ---- the page's objects from the web server's object context ----

// An object context as a web server offers one: named properties.
class FakeContext final : public IContextProperties {
 public:
  std::vector<std::pair<std::wstring, ObjectPtr>> props;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIidGetContextProperties)) {
      *out = static_cast<IContextProperties*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE Count(LONG* n) override {
    *n = static_cast<LONG>(props.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetProperty(BSTR name, VARIANT* v) override {
    VariantInit(v);
    for (auto& [key, obj] : props)
      if (_wcsicmp(key.c_str(), name) == 0) {
        to_variant(Variant(obj), v);
        return S_OK;
      }
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE EnumNames(IUnknown** names) override {
    *names = nullptr;
    return E_NOTIMPL;
  }
  ULONG refs = 1;
};

FakeContext* g_context = nullptr;
bool fake_source(PageContext& out) { return page_from_context(g_context, out); }

class ObjectContext : public ::testing::Test {
 protected:
  void SetUp() override {
    kit::MultipartBody body;
    body.file("pic", "a.gif", "GIF89a").field("note", "x");
    body.post(*request);
    context.props = {{L"Request", request}, {L"Server", server}};
  }
  void TearDown() override {
    set_page_context_source(nullptr);
    g_context = nullptr;
  }
  std::shared_ptr<kit::FakeRequest> request = kit::FakeRequest::make();
  std::shared_ptr<kit::FakeServer> server = kit::FakeServer::make();
  FakeContext context;
};

TEST_F(ObjectContext, PropertiesBecomeThePagesObjects) {
  PageContext page;
  ASSERT_TRUE(page_from_context(&context, page));
  EXPECT_EQ(page.request.object(), request);
  EXPECT_EQ(page.server.object(), server);
  EXPECT_TRUE(page.session.is_empty());
  EXPECT_EQ(context.refs, 1u);

  FakeContext bare;
  PageContext none;
  EXPECT_FALSE(page_from_context(&bare, none));
  EXPECT_FALSE(page_from_context(nullptr, none));
}

TEST_F(ObjectContext, OutsideAWebServerThereIsNone) {
  // A plain program (and Wine) has no context with the intrinsics.
  PageContext page;
  EXPECT_FALSE(page_from_object_context(page));
  set_page_context_source(&page_from_object_context);
  try {
    create_object(u"Brevane.Zelto_UploadImage");
    FAIL() << "created without a page";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), kObjectRequired);
    EXPECT_NE(e.description().find(u"no page is running"), Text::npos);
  }
}

TEST_F(ObjectContext, ImageParserReadsTheRequestOfTheContext) {
  g_context = &context;
  set_page_context_source(&fake_source);
  Variant up(create_object(u"Brevane.Zelto_UploadImage"));
  EXPECT_EQ(call(up, u"binCount", {Variant(u"pic")}).to_i32(), 1);
  EXPECT_GT(request->binary_reads, 0);

  // A scope the host set wins over the context.
  auto other = kit::FakeRequest::make();
  PageScope scope(PageContext{Variant(ObjectPtr(other)), {}, {}, {}, {}});
  Variant empty(create_object(u"Brevane.Zelto_UploadImage"));
  EXPECT_EQ(call(empty, u"binCount", {Variant(u"pic")}).to_i32(), 0);
}

TEST_F(ObjectContext, ContextWithoutTheObjectIsAClearError) {
  context.props = {{L"Server", server}};
  g_context = &context;
  set_page_context_source(&fake_source);
  try {
    create_object(u"Brevane.Zelto_UploadImage");
    FAIL() << "created without a Request";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), kObjectRequired);
    EXPECT_NE(e.description().find(u"Request"), Text::npos);
  }
}

}  // namespace
}  // namespace brevane::com

int main(int argc, char** argv) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ::testing::InitGoogleTest(&argc, argv);
  int rc = RUN_ALL_TESTS();
  CoUninitialize();
  return rc;
}
