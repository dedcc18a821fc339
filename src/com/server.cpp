// In-process server plumbing: the one catch point, class factories,
// registration and the embedded type library.
#include <olectl.h>

#include <atomic>
#include <mutex>
#include <new>

#include "com/com_support.h"
#include "com/object_context.h"

namespace brevane::com {

// ---- errors ----

void fill_excepinfo(int number, const Text& description, EXCEPINFO* ei) {
  if (!ei) return;
  *ei = EXCEPINFO{};
  // Run-time error numbers travel in the script engines' own facility, so
  // Err.Number on the page shows the bare number; a foreign HRESULT that
  // passed through us keeps its value.
  ei->scode = number < 0 ? static_cast<SCODE>(number) : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
  ei->bstrSource = SysAllocString(wide(module().source).c_str());
  ei->bstrDescription =
      SysAllocStringLen(reinterpret_cast<const OLECHAR*>(description.data()), static_cast<UINT>(description.size()));
}

HRESULT hresult_from_current_exception(EXCEPINFO* ei) {
  try {
    throw;
  } catch (const ScriptError& e) {
    if (!ei) return e.number() < 0 ? e.number() : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, e.number());
    fill_excepinfo(e.number(), e.description(), ei);
    return DISP_E_EXCEPTION;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception& e) {
    if (!ei) return E_UNEXPECTED;
    constexpr int kInternalError = 51;
    fill_excepinfo(kInternalError, u"Internal error: " + from_utf8(e.what()), ei);
    return DISP_E_EXCEPTION;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// ---- module ----

namespace {

std::atomic<long> g_live{0};

HMODULE this_module() {
  HMODULE m = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&this_module), &m);
  return m;
}

std::wstring module_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(this_module(), path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::wstring braced(std::string_view guid) { return L"{" + std::wstring(guid.begin(), guid.end()) + L"}"; }

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(const ServerClass& c) : class_(c) { add_object_ref(); }
  ~ClassFactory() { release_object_ref(); }
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    try {
      ComPtr<IDispatch> d(make_dispatch(class_.create()));
      return d->QueryInterface(iid, out);
    } catch (...) {
      return hresult_from_current_exception(nullptr);
    }
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      add_object_ref();
    else
      release_object_ref();
    return S_OK;
  }

 private:
  const ServerClass& class_;
  std::atomic<ULONG> refs_{1};
};

// Writes one default or named string value, creating the key.
void set_value(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY k = nullptr;
  LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &k,
                            nullptr);
  if (rc != ERROR_SUCCESS)
    throw ScriptError(kPermissionDenied, u"cannot write registry key " + from_wide(key.data(), key.size()));
  rc = RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS)
    throw ScriptError(kPermissionDenied, u"cannot write registry key " + from_wide(key.data(), key.size()));
}

void delete_tree(const std::wstring& key) { RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str()); }

ITypeLib* load_typelib() {
  ITypeLib* lib = nullptr;
  if (FAILED(LoadTypeLibEx(module_path().c_str(), REGKIND_NONE, &lib))) return nullptr;
  return lib;
}

}  // namespace

void add_object_ref() { ++g_live; }
void release_object_ref() { --g_live; }

GUID parse_guid(std::string_view text) {
  // 8-4-4-4-12 hex digits, as the declarations write them.
  GUID g{};
  uint8_t bytes[16] = {};
  size_t k = 0;
  for (size_t i = 0; i < text.size() && k < 32; ++i) {
    int d = hex_digit(text[i]);
    if (d < 0) continue;
    bytes[k / 2] = static_cast<uint8_t>(bytes[k / 2] << 4 | d);
    ++k;
  }
  g.Data1 = static_cast<unsigned long>(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
  g.Data2 = static_cast<unsigned short>(bytes[4] << 8 | bytes[5]);
  g.Data3 = static_cast<unsigned short>(bytes[6] << 8 | bytes[7]);
  for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
  return g;
}

HRESULT get_class_object(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  // Component code creates the system's classes by name as a page would.
  set_system_factory(&create_system_object);
  // Under a web server the page's objects come from the COM+ object context.
  set_page_context_source(&page_from_object_context);
  for (const ServerClass& c : module().classes) {
    if (!IsEqualCLSID(clsid, parse_guid(c.clsid))) continue;
    ComPtr<ClassFactory> f(new (std::nothrow) ClassFactory(c));
    if (!f) return E_OUTOFMEMORY;
    return f->QueryInterface(iid, out);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT can_unload_now() { return g_live == 0 ? S_OK : S_FALSE; }

HRESULT register_server() {
  try {
    const ServerModule& m = module();
    std::wstring path = module_path();
    for (const ServerClass& c : m.classes) {
      std::wstring progid = wide(c.progid), clsid = braced(c.clsid);
      std::wstring key = L"CLSID\\" + clsid;
      set_value(key, nullptr, progid);
      set_value(key + L"\\InprocServer32", nullptr, path);
      set_value(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
      set_value(key + L"\\ProgID", nullptr, progid);
      if (!m.typelib_guid.empty()) {
        set_value(key + L"\\TypeLib", nullptr, braced(m.typelib_guid));
        set_value(key + L"\\Version", nullptr, L"1.0");
      }
      set_value(progid, nullptr, progid);
      set_value(progid + L"\\CLSID", nullptr, clsid);
    }
    if (!m.typelib_guid.empty()) {
      ComPtr<ITypeLib> lib;
      HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, lib.put());
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  } catch (...) {
    return SELFREG_E_CLASS;
  }
}

HRESULT unregister_server() {
  const ServerModule& m = module();
  for (const ServerClass& c : m.classes) {
    delete_tree(L"CLSID\\" + braced(c.clsid));
    delete_tree(wide(c.progid));
  }
  if (!m.typelib_guid.empty()) {
    if (ComPtr<ITypeLib> lib{load_typelib()}) {
      TLIBATTR* attr = nullptr;
      if (SUCCEEDED(lib->GetLibAttr(&attr))) {
        UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
        lib->ReleaseTLibAttr(attr);
      }
    }
    // Whatever the type library's own removal left (a key from an older build).
    delete_tree(L"TypeLib\\" + braced(m.typelib_guid));
  }
  return S_OK;
}

ITypeInfo* type_info_of(std::string_view guid) {
  static ITypeLib* lib = nullptr;
  static std::once_flag once;
  std::call_once(once, [] { lib = load_typelib(); });
  if (!lib) return nullptr;
  ITypeInfo* info = nullptr;
  if (FAILED(lib->GetTypeInfoOfGuid(parse_guid(guid), &info))) return nullptr;
  return info;
}

}  // namespace brevane::com
