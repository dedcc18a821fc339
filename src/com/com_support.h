// A front end (on component): the Windows in-process server, brevane.dll.
// The automation edge on Windows: brevane objects seen through IDispatch,
// foreign IDispatch objects seen as brevane objects, and the in-process server
// plumbing (class factories, registration) shared by every DLL we build.
// Everything inside is ordinary C++ with exceptions; each COM entry point has
// one catch point that turns them into HRESULTs.
#pragma once

#include <oaidl.h>
#include <ocidl.h>
#include <windows.h>

#include <span>
#include <string>
#include <utility>

#include "core/object.h"
#include "core/registry.h"

namespace brevane::com {

// ---- owners ----
// Each holds one COM resource and gives it back on every way out, so no
// exit path needs its own Release, SysFreeString or VariantClear.

// One reference to an interface.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds.
  explicit ComPtr(T* p) : p_(p) {}
  // Adds a reference of its own.
  static ComPtr retain(T* p) {
    if (p) p->AddRef();
    return ComPtr(p);
  }
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) {
      reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // The out-parameter of a call that hands back a new reference.
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  // Hands the reference to the caller.
  T* detach() { return std::exchange(p_, nullptr); }
  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }

 private:
  T* p_ = nullptr;
};

// The interface iid of unk, or empty.
template <class T>
ComPtr<T> query(IUnknown* unk, REFIID iid) {
  ComPtr<T> out;
  if (unk && FAILED(unk->QueryInterface(iid, out.put_void()))) out.reset();
  return out;
}

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(BSTR b) : b_(b) {}
  ~Bstr() { SysFreeString(b_); }
  Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  Bstr& operator=(Bstr&& o) noexcept {
    if (this != &o) {
      SysFreeString(b_);
      b_ = std::exchange(o.b_, nullptr);
    }
    return *this;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR get() const { return b_; }
  BSTR* put() {
    SysFreeString(std::exchange(b_, nullptr));
    return &b_;
  }
  BSTR detach() { return std::exchange(b_, nullptr); }

 private:
  BSTR b_ = nullptr;
};

// A VARIANT cleared when it goes.
struct VariantHolder {
  VARIANT v;
  VariantHolder() { VariantInit(&v); }
  ~VariantHolder() { VariantClear(&v); }
  VariantHolder(const VariantHolder&) = delete;
  VariantHolder& operator=(const VariantHolder&) = delete;
  void clear() { VariantClear(&v); }
  // Hands the contents over and leaves the holder empty.
  VARIANT detach() {
    VARIANT out = v;
    VariantInit(&v);
    return out;
  }
};

// The strings a failed call may leave in an EXCEPINFO.
struct ExcepInfo {
  EXCEPINFO ei{};
  ExcepInfo() = default;
  ~ExcepInfo() { clear(); }
  ExcepInfo(const ExcepInfo&) = delete;
  ExcepInfo& operator=(const ExcepInfo&) = delete;
  void clear() {
    SysFreeString(ei.bstrDescription);
    SysFreeString(ei.bstrSource);
    SysFreeString(ei.bstrHelpFile);
    ei = EXCEPINFO{};
  }
};

// ---- values ----

// Reads through VT_BYREF; VT_ERROR/DISP_E_PARAMNOTFOUND becomes
// Variant::missing(); IDispatch becomes an object called by name.
Variant from_variant(const VARIANT& v);
// Fills an uninitialised (or cleared) VARIANT; the caller owns the result.
void to_variant(const Variant& v, VARIANT* out);
// Stores v into the caller's by-reference slot, converting to the slot's
// type when it is not a VARIANT. Leaves the slot as it was when v does not
// convert.
void write_back(const Variant& v, VARIANT& slot);

// An AddRef'ed IDispatch for a brevane object.
IDispatch* make_dispatch(ObjectPtr obj);
// The brevane object behind one of our own dispatch wrappers, or nullptr.
ObjectPtr own_object(IUnknown* unk);
// The IDispatch behind an object that came in from outside, else nullptr
// (not AddRef'ed).
IDispatch* foreign_dispatch(const Object& obj);

// A class of the system's, created by ProgID and called by name; nullptr
// when the system has none (the fallback of create_object on Windows).
ObjectPtr create_system_object(TextView progid);

// ---- errors ----

// Number and text of a run-time error as EXCEPINFO carries them.
void fill_excepinfo(int number, const Text& description, EXCEPINFO* ei);
// The one catch point: call inside a catch block.
HRESULT hresult_from_current_exception(EXCEPINFO* ei);

// ---- the server module ----

// One creatable class of a DLL.
struct ServerClass {
  std::u16string_view progid;  // "Brevane.BrevaneCls"
  std::string_view clsid;      // without braces
  Factory create;
};

struct ServerModule {
  std::span<const ServerClass> classes;
  // EXCEPINFO's source: the project name.
  std::u16string_view source;
  // The type library embedded as TYPELIB resource 1, when the DLL has one.
  std::string_view typelib_guid;
};

// Defined once by each DLL this code is linked into.
const ServerModule& module();

// Counts live objects and locks for DllCanUnloadNow.
void add_object_ref();
void release_object_ref();

HRESULT get_class_object(REFCLSID clsid, REFIID iid, void** out);
HRESULT can_unload_now();
HRESULT register_server();
HRESULT unregister_server();

// The embedded type library's description of a declared class (nullptr when
// there is none); AddRef'ed.
ITypeInfo* type_info_of(std::string_view guid);

GUID parse_guid(std::string_view text);
std::wstring wide(TextView t);
Text from_wide(const wchar_t* s, size_t n);
Bstr make_bstr(TextView t);

}  // namespace brevane::com
