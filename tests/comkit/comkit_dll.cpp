// The host test kit as creatable classes (BrevaneTest.Request, ...), plus
// BrevaneTest.Probe, which calls whatever a script hands it by name through
// the adapter, the way component routines call a page's objects.
#include <cstdio>
#include <vector>

#include "com/com_support.h"
#include "core/codepage.h"
#include "frame/host.h"
#include "kit/hostkit.h"

namespace brevane::com {
namespace {

using kit::FakeRequest;

Variant arg(Args a, size_t i) {
  if (i >= a.size() || a[i].is_missing()) throw ScriptError(kArgumentNotOptional);
  return a[i];
}

std::string read_file(const Text& path) {
  FILE* f = _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"rb");
  if (!f) throw ScriptError(kFileNotFound, u"cannot open " + path);
  std::string data;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
  std::fclose(f);
  return data;
}

class ScriptRequest : public FakeRequest {
 public:
  ScriptRequest() {
    define(u"LoadBody", [this](int, Args a) -> Variant {
      set_body(read_file(arg(a, 0).to_text()));
      return {};
    });
    // The body as the system code page writes the text.
    define(u"SetBody", [this](int, Args a) -> Variant {
      set_body(CodePage::ansi().encode(arg(a, 0).to_text()));
      return {};
    });
    // Adds to the body: a byte array as it is, anything else as the system
    // code page writes the text (pages build binary bodies piece by piece).
    define(u"AppendBody", [this](int, Args a) -> Variant {
      Variant v = arg(a, 0);
      std::string piece;
      if (v.type() == VarType::ByteArray)
        piece.assign(v.bytes().begin(), v.bytes().end());
      else
        piece = CodePage::ansi().encode(v.to_text());
      set_body(body() + piece);
      return {};
    });
    define(u"SetServerVariable", [this](int, Args a) -> Variant {
      server_variables[vb_upper(arg(a, 0).to_text())] = arg(a, 1).to_text();
      return {};
    });
    define(u"AddForm", [this](int, Args a) -> Variant {
      form->add(arg(a, 0).to_text(), arg(a, 1).to_text());
      return {};
    });
    define(u"AddQueryString", [this](int, Args a) -> Variant {
      query->add(arg(a, 0).to_text(), arg(a, 1).to_text());
      return {};
    });
    define(u"AddCookie", [this](int, Args a) -> Variant {
      cookies->add(arg(a, 0).to_text(), arg(a, 1).to_text());
      return {};
    });
    define(u"MaxRead", [this](int kind, Args a) -> Variant {
      if (kind & kPut) {
        max_read = static_cast<size_t>(arg(a, 0).to_i32());
        return {};
      }
      return Variant(static_cast<int32_t>(max_read > INT32_MAX ? INT32_MAX : max_read));
    });
    define(u"BinaryReads", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(binary_reads)); });
  }

 private:
  static Text vb_upper(Text s) {
    for (auto& c : s)
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    return s;
  }
};

class ScriptResponse : public kit::FakeResponse {
 public:
  ScriptResponse() {
    define(u"Output", [this](int, Args) -> Variant { return output; });
    define(u"BinaryOutput", [this](int, Args) -> Variant { return Variant(Bytes(binary.begin(), binary.end())); });
    define(u"Ended", [this](int, Args) -> Variant { return Variant(ended); });
    define(u"WriteCalls", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(write_calls)); });
    define(u"RedirectedTo", [this](int, Args) -> Variant { return redirected_to; });
    define(u"Cleared", [this](int, Args) -> Variant { return Variant(cleared); });
    define(u"Header", [this](int, Args a) -> Variant {
      Text name = arg(a, 0).to_text();
      for (auto it = headers.rbegin(); it != headers.rend(); ++it)
        if (iequals_ascii(it->first, name)) return it->second;
      return {};
    });
  }
};

class ScriptServer : public kit::FakeServer {
 public:
  ScriptServer() {
    define(u"Root", [this](int kind, Args a) -> Variant {
      if (kind & kPut) {
        root = arg(a, 0).to_text();
        return {};
      }
      return root;
    });
    define(u"PageFolder", [this](int kind, Args a) -> Variant {
      if (kind & kPut) {
        page_folder = arg(a, 0).to_text();
        return {};
      }
      return page_folder;
    });
  }
};

class ScriptStore : public kit::FakeStore {
 public:
  ScriptStore() {
    define(u"Count", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(values.size())); });
  }
};

Text describe(const Variant& target, TextView member, bool class_info);

// Calls what a script passes in by name, as component routines do.
class Probe : public DynamicObject {
 public:
  Probe() {
    // Reads the whole body in chunks through Request.BinaryRead, whose count
    // the callee writes back.
    define(u"ReadBody", [](int, Args a) -> Variant {
      RequestRef req(arg(a, 0));
      int32_t chunk = a.size() > 1 && !a[1].is_missing() ? a[1].to_i32() : 65536;
      int32_t total = req.total_bytes();
      Bytes body;
      while (static_cast<int32_t>(body.size()) < total) {
        int32_t count = chunk;
        Variant part = req.binary_read(count);
        if (count <= 0) break;
        const Bytes& b = part.bytes();
        if (static_cast<int32_t>(b.size()) != count)
          throw ScriptError(kInvalidCall, u"BinaryRead count and bytes disagree");
        body.insert(body.end(), b.begin(), b.end());
      }
      return Variant(std::move(body));
    });
    // A file's bytes, to check what a component wrote.
    define(u"ReadFile", [](int, Args a) -> Variant {
      std::string data = read_file(arg(a, 0).to_text());
      return Variant(Bytes(data.begin(), data.end()));
    });
    define(u"ServerVariable",
           [](int, Args a) -> Variant { return RequestRef(arg(a, 0)).server_variables(arg(a, 1).to_text()); });
    define(u"FormValue", [](int, Args a) -> Variant { return RequestRef(arg(a, 0)).form(arg(a, 1).to_text()); });
    define(u"WriteTo", [](int, Args a) -> Variant {
      ResponseRef(arg(a, 0)).write(arg(a, 1).to_text());
      return {};
    });
    define(u"EndResponse", [](int, Args a) -> Variant {
      ResponseRef(arg(a, 0)).end();
      return {};
    });
    define(u"MapPath", [](int, Args a) -> Variant { return ServerRef(arg(a, 0)).map_path(arg(a, 1).to_text()); });
    define(u"StoreGet", [](int, Args a) -> Variant { return StoreRef(arg(a, 0)).get(arg(a, 1).to_text()); });
    define(u"StoreSet", [](int, Args a) -> Variant {
      StoreRef(arg(a, 0)).set(arg(a, 1).to_text(), arg(a, 2));
      return {};
    });
    // The members of a collection, as For Each sees them.
    define(u"Items", [](int, Args a) -> Variant { return Variant(arg(a, 0).object()->enumerate()); });
    define(u"Echo", [](int, Args a) -> Variant { return a.empty() ? Variant() : a[0]; });
    // The type the adapter made of the argument (automation type numbers).
    define(u"TypeOf", [](int, Args a) -> Variant {
      return Variant(static_cast<int32_t>(a.empty() ? VarType::Empty : a[0].type()));
    });
    define(u"IsMissing", [](int, Args a) -> Variant { return Variant(a.empty() || a[0].is_missing()); });
    define(u"Assign", [](int, Args a) -> Variant {
      if (a.size() < 2) throw ScriptError(kArgumentNotOptional);
      a[0] = a[1];
      return {};
    });
    define(u"ToInteger", [](int, Args a) -> Variant { return Variant(arg(a, 0).to_i16()); });
    define(u"Raise", [](int, Args a) -> Variant {
      throw ScriptError(arg(a, 0).to_i32(), a.size() > 1 ? a[1].to_text() : Text());
    });
    define(u"Bytes", [](int, Args a) -> Variant {
      Bytes out;
      for (const Variant& v : a) out.push_back(v.to_u8());
      return Variant(std::move(out));
    });
    // A script's text as a byte array in the system code page: JScript
    // cannot make a byte array of its own.
    define(u"TextBytes", [](int, Args a) -> Variant {
      std::string s = CodePage::ansi().encode(arg(a, 0).to_text());
      return Variant(Bytes(s.begin(), s.end()));
    });
    define(u"ByteCount",
           [](int, Args a) -> Variant { return Variant(static_cast<int32_t>(arg(a, 0).bytes().size())); });
    define(u"ByteAt", [](int, Args a) -> Variant {
      const Bytes& b = arg(a, 0).bytes();
      int32_t i = arg(a, 1).to_i32();
      if (i < 0 || static_cast<size_t>(i) >= b.size()) throw ScriptError(kSubscriptOutOfRange);
      return Variant(b[static_cast<size_t>(i)]);
    });
    define(u"TypeInfoName", [](int, Args a) -> Variant { return describe(arg(a, 0), {}, false); });
    define(u"ClassInfoName", [](int, Args a) -> Variant { return describe(arg(a, 0), {}, true); });
    define(u"Describe", [](int, Args a) -> Variant { return describe(arg(a, 0), arg(a, 1).to_text(), false); });
    define(u"CreateByName", [](int, Args a) -> Variant { return Variant(create_object(arg(a, 0).to_text())); });
    define(u"CallDefault", [](int, Args a) -> Variant { return arg(a, 0).value(); });
  }
};

// Text of one member as the object's type information describes it:
// "Name(p_A:8, p_B:2?=20):8" with automation type numbers, "&" for by
// reference, "?" for optional and "=" the default.
Text describe_member(ITypeInfo* ti, TextView member) {
  TYPEATTR* ta = nullptr;
  if (FAILED(ti->GetTypeAttr(&ta))) return {};
  Text out;
  for (UINT i = 0; i < ta->cFuncs && out.empty(); ++i) {
    FUNCDESC* fd = nullptr;
    if (FAILED(ti->GetFuncDesc(i, &fd))) continue;
    BSTR names[64] = {};
    UINT count = 0;
    ti->GetNames(fd->memid, names, 64, &count);
    Text name = count ? from_wide(names[0], SysStringLen(names[0])) : Text();
    if (iequals_ascii(name, member) && (fd->invkind & (INVOKE_FUNC | INVOKE_PROPERTYGET))) {
      out = name + u"(";
      for (SHORT p = 0; p < fd->cParams; ++p) {
        const ELEMDESC& e = fd->lprgelemdescParam[p];
        USHORT flags = e.paramdesc.wParamFlags;
        if (flags & PARAMFLAG_FRETVAL) continue;
        if (p) out += u", ";
        if (static_cast<UINT>(p + 1) < count) out += from_wide(names[p + 1], SysStringLen(names[p + 1]));
        const TYPEDESC* td = &e.tdesc;
        bool by_ref = td->vt == VT_PTR;
        if (by_ref) td = td->lptdesc;
        VARTYPE vt = td->vt;
        if (vt == VT_SAFEARRAY) vt = static_cast<VARTYPE>(VT_ARRAY | td->lptdesc->vt);
        out += u":" + T(std::to_string(vt));
        if (by_ref) out += u"&";
        if (flags & PARAMFLAG_FOPT) out += u"?";
        if ((flags & PARAMFLAG_FHASDEFAULT) && e.paramdesc.pparamdescex) {
          VARIANT text;
          VariantInit(&text);
          if (SUCCEEDED(VariantChangeType(&text, &e.paramdesc.pparamdescex->varDefaultValue, 0, VT_BSTR)))
            out += u"=" + from_wide(text.bstrVal, SysStringLen(text.bstrVal));
          VariantClear(&text);
        }
      }
      out += u"):" + T(std::to_string(fd->elemdescFunc.tdesc.vt));
    }
    for (UINT k = 0; k < count; ++k) SysFreeString(names[k]);
    ti->ReleaseFuncDesc(fd);
  }
  ti->ReleaseTypeAttr(ta);
  return out;
}

// What an object from another DLL says about itself through GetTypeInfo and
// IProvideClassInfo.
Text describe(const Variant& target, TextView member, bool class_info) {
  IDispatch* d = foreign_dispatch(*target.object());
  if (!d) throw ScriptError(kInvalidCall, u"not an object from another module");
  ITypeInfo* ti = nullptr;
  if (class_info) {
    IProvideClassInfo* pci = nullptr;
    if (FAILED(d->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(&pci)))) return {};
    HRESULT hr = pci->GetClassInfo(&ti);
    pci->Release();
    if (FAILED(hr)) return {};
  } else {
    UINT n = 0;
    if (FAILED(d->GetTypeInfoCount(&n)) || n == 0 || FAILED(d->GetTypeInfo(0, 0, &ti))) return {};
  }
  Text out;
  if (member.empty()) {
    BSTR name = nullptr;
    if (SUCCEEDED(ti->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr)))
      out = from_wide(name, SysStringLen(name));
    SysFreeString(name);
  } else {
    out = describe_member(ti, member);
  }
  ti->Release();
  return out;
}

// A class with declared members, as the component's own classes have, so
// pages can check defaults, typed conversion and by-reference Longs.
const ParamInfo kPadParams[] = {
    {u"p_String", VarType::String, false, false, DefaultKind::None, u"", 0},
    {u"p_Length", VarType::Integer, false, true, DefaultKind::Number, u"", 5},
    {u"p_Fill", VarType::String, false, true, DefaultKind::String, u"*", 0},
};
const ParamInfo kHalfParams[] = {{u"p_Value", VarType::Integer, false, false, DefaultKind::None, u"", 0}};
const ParamInfo kTwiceParams[] = {{u"p_Value", VarType::Long, true, false, DefaultKind::None, u"", 0}};
const ParamInfo kFlagParams[] = {{u"p_Flag", VarType::Boolean, false, true, DefaultKind::Bool, u"", 1}};
const MemberInfo kDeclaredMembers[] = {
    {u"Pad", MemberKind::Function, 0, 1, kPadParams, VarType::String},
    {u"Half", MemberKind::Function, 1, 2, kHalfParams, VarType::Integer},
    {u"Twice", MemberKind::Sub, 2, 3, kTwiceParams, VarType::Empty},
    {u"Flag", MemberKind::Function, 3, 4, kFlagParams, VarType::Integer},
};
const ClassInfo kDeclaredClass{u"Declared", "7E1C4B20-6A1F-4C55-8B7E-3D2F10A4C007",
                               "7E1C4B20-6A1F-4C55-8B7E-3D2F10A4C107", kDeclaredMembers};

Text Pad(Text s, int16_t length, Text fill) {
  while (static_cast<int>(s.size()) < length) s += fill.empty() ? u" " : fill;
  return s;
}
int16_t Half(int16_t v) { return static_cast<int16_t>(v / 2); }
void Twice(Variant& v) { v = Variant(static_cast<int32_t>(v.to_i32() * 2)); }
int16_t Flag(bool f) { return f ? -1 : 0; }

class Declared : public DeclaredObject {
 public:
  Declared() : DeclaredObject(table()) {}

 private:
  static const HandlerTable& table() {
    static const HandlerTable t(kDeclaredClass, {{bind<&Pad>(u"Pad"), bind<&Half>(u"Half"),
                                                  bind<&Twice>(u"Twice", MemberKind::Sub), bind<&Flag>(u"Flag")}});
    return t;
  }
};

template <class T>
Factory make() {
  return [] { return ObjectPtr(std::make_shared<T>()); };
}

}  // namespace

const ServerModule& module() {
  static const ServerClass classes[] = {
      {u"BrevaneTest.Request", "7E1C4B20-6A1F-4C55-8B7E-3D2F10A4C001", make<ScriptRequest>()},
      {u"BrevaneTest.Response", "7E1C4B20-6A1F-4C55-8B7E-3D2F10A4C002", make<ScriptResponse>()},
      {u"BrevaneTest.Server", "7E1C4B20-6A1F-4C55-8B7E-3D2F10A4C003", make<ScriptServer>()},
      {u"BrevaneTest.Session", "7E1C4B20-6A1F-4C55-8B7E-3D2F10A4C004", make<ScriptStore>()},
      {u"BrevaneTest.Application", "7E1C4B20-6A1F-4C55-8B7E-3D2F10A4C005", make<ScriptStore>()},
      {u"BrevaneTest.Probe", "7E1C4B20-6A1F-4C55-8B7E-3D2F10A4C006", make<Probe>()},
      {u"BrevaneTest.Declared", "7E1C4B20-6A1F-4C55-8B7E-3D2F10A4C007", make<Declared>()},
  };
  static const ServerModule m{classes, u"BrevaneTest", {}};
  return m;
}

}  // namespace brevane::com

using namespace brevane;

extern "C" {

HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return com::get_class_object(clsid, iid, out);
}
HRESULT __stdcall DllCanUnloadNow() { return com::can_unload_now(); }
HRESULT __stdcall DllRegisterServer() { return com::register_server(); }
HRESULT __stdcall DllUnregisterServer() { return com::unregister_server(); }
}
