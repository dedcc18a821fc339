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

#include "core/object.h"
#include "core/registry.h"

namespace brevane::com {

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
BSTR make_bstr(TextView t);

}  // namespace brevane::com
