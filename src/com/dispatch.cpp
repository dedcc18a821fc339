// Brevane objects seen through IDispatch: declared classes and dynamic
// objects alike, with collections enumerable by For Each.
#include <atomic>
#include <new>
#include <vector>

#include "com/com_support.h"

namespace brevane::com {

namespace {

// Answered only by this module's own wrappers, so an object of ours that
// travels out and back comes home as itself. Another DLL built from the same
// code must not take our objects for its own: the module's address goes into
// the identifier.
const IID& own_object_iid() {
  static const IID iid = [] {
    IID base = {0x5b0f2e61, 0x8c3a, 0x4e57, {0, 0, 0, 0, 0, 0, 0, 0}};
    HMODULE m = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&own_object_iid), &m);
    auto bits = reinterpret_cast<uintptr_t>(m);
    for (int i = 0; i < 8; ++i) base.Data4[i] = static_cast<unsigned char>(bits >> (8 * i));
    return base;
  }();
  return iid;
}

template <class... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject() { add_object_ref(); }
  virtual ~ComObject() { release_object_ref(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

 protected:
  ULONG add_ref() { return ++refs_; }
  ULONG release() {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

// Whether b is still the very value a was (shared storage compared by
// address, so this costs nothing for large strings and byte arrays).
bool same_value(const Variant& a, const Variant& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case VarType::String:
      return &a.text() == &b.text();
    case VarType::ByteArray:
      return &a.bytes() == &b.bytes();
    case VarType::Array:
      return &a.array() == &b.array();
    case VarType::Object:
      return a.object_or_null() == b.object_or_null();
    default:
      return a.raw_int() == b.raw_int() && a.raw_double() == b.raw_double();
  }
}

class EnumVariant final : public ComObject<IEnumVARIANT> {
 public:
  EnumVariant(std::shared_ptr<const VariantArray> items, size_t pos) : items_(std::move(items)), pos_(pos) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumVARIANT)) {
      *out = static_cast<IEnumVARIANT*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return add_ref(); }
  ULONG STDMETHODCALLTYPE Release() override { return release(); }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    ULONG n = 0;
    try {
      for (; n < count && pos_ < items_->size(); ++n, ++pos_) to_variant((*items_)[pos_], &out[n]);
    } catch (...) {
      for (ULONG i = 0; i < n; ++i) VariantClear(&out[i]);
      if (fetched) *fetched = 0;
      return hresult_from_current_exception(nullptr);
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    size_t left = items_->size() - pos_;
    pos_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    pos_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) EnumVariant(items_, pos_);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

 private:
  std::shared_ptr<const VariantArray> items_;
  size_t pos_;
};

class ObjectDispatch final : public ComObject<IDispatch, IProvideClassInfo> {
 public:
  explicit ObjectDispatch(ObjectPtr obj) : obj_(std::move(obj)) {}
  const ObjectPtr& object() const { return obj_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, own_object_iid()))
      *out = static_cast<IDispatch*>(this);
    else if (IsEqualIID(iid, IID_IProvideClassInfo) && declared())
      *out = static_cast<IProvideClassInfo*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return add_ref(); }
  ULONG STDMETHODCALLTYPE Release() override { return release(); }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = declared() ? 1 : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    if (!declared()) return TYPE_E_ELEMENTNOTFOUND;
    *out = type_info_of(obj_->class_info()->iid);
    return *out ? S_OK : TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override {
    if (!out) return E_POINTER;
    *out = declared() ? type_info_of(obj_->class_info()->clsid) : nullptr;
    return *out ? S_OK : TYPE_E_ELEMENTNOTFOUND;
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!names || !ids) return E_POINTER;
    try {
      HRESULT hr = S_OK;
      for (UINT i = 0; i < count; ++i) {
        // Names after the first would be named arguments, which no member takes.
        ids[i] = i == 0 ? obj_->find_member(from_wide(names[0], wcslen(names[0]))) : DISPID_UNKNOWN;
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
      }
      return hr;
    } catch (...) {
      return hresult_from_current_exception(nullptr);
    }
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* dp, VARIANT* result, EXCEPINFO* ei,
                                   UINT* arg_err) override {
    if (result) VariantInit(result);
    if (arg_err) *arg_err = 0;
    try {
      const UINT n = dp ? dp->cArgs : 0;
      const int kind = flags & (kMethod | kGet | kPut | kPutRef);
      const bool is_put = (kind & (kPut | kPutRef)) != 0;
      if (dp && dp->cNamedArgs && !(is_put && dp->cNamedArgs == 1 && dp->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT))
        return DISP_E_NONAMEDARGS;
      if (id == DISPID_NEWENUM) {
        auto items = std::make_shared<const VariantArray>(obj_->enumerate());
        if (!result) return S_OK;
        result->punkVal = new EnumVariant(std::move(items), 0);
        result->vt = VT_UNKNOWN;
        return S_OK;
      }
      // The caller lists arguments last first.
      std::vector<Variant> args(n);
      for (UINT i = 0; i < n; ++i) args[i] = from_variant(dp->rgvarg[n - 1 - i]);
      const std::vector<Variant> given = args;
      Variant r = obj_->invoke(id, kind, args);
      // Only what the routine replaced goes back: an untouched variable keeps
      // its value, type and identity.
      for (UINT i = 0; i < n; ++i)
        if (!same_value(given[i], args[i])) write_back(args[i], dp->rgvarg[n - 1 - i]);
      if (result && !is_put) to_variant(r, result);
      return S_OK;
    } catch (...) {
      if (result) VariantClear(result);
      return hresult_from_current_exception(ei);
    }
  }

 private:
  bool declared() const { return obj_->class_info() != nullptr && !module().typelib_guid.empty(); }

  ObjectPtr obj_;
};

}  // namespace

IDispatch* make_dispatch(ObjectPtr obj) { return new ObjectDispatch(std::move(obj)); }

ObjectPtr own_object(IUnknown* unk) {
  auto d = query<IDispatch>(unk, own_object_iid());
  if (!d) return nullptr;
  return static_cast<ObjectDispatch*>(d.get())->object();
}

}  // namespace brevane::com
