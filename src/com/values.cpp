// VARIANT <-> Variant, and foreign IDispatch objects called by name.
#include <dispex.h>

#include <cstring>
#include <vector>

#include "com/com_support.h"

namespace brevane::com {

std::wstring wide(TextView t) { return std::wstring(t.begin(), t.end()); }

Text from_wide(const wchar_t* s, size_t n) { return Text(reinterpret_cast<const char16_t*>(s), n); }

Bstr make_bstr(TextView t) {
  Bstr b(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(t.data()), static_cast<UINT>(t.size())));
  if (!b.get()) throw std::bad_alloc();
  return b;
}

namespace {

// Not in MinGW's uuid library.
const IID kIidDispatchEx = {0xa6ef9860, 0xc720, 0x11d0, {0x93, 0x37, 0x00, 0xa0, 0xc9, 0x0d, 0xca, 0xa9}};

Text text_of(BSTR b) { return b ? from_wide(b, SysStringLen(b)) : Text(); }

// Run-time error numbers for the dispatch failures a script engine maps
// itself; anything else keeps its HRESULT as the number.
int number_from_hresult(HRESULT hr) {
  switch (hr) {
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME:
      return kNoSuchMember;
    case DISP_E_TYPEMISMATCH:
      return kTypeMismatch;
    case DISP_E_OVERFLOW:
      return kOverflow;
    case DISP_E_BADPARAMCOUNT:
      return kWrongArgumentCount;
    case DISP_E_PARAMNOTOPTIONAL:
      return kArgumentNotOptional;
    case DISP_E_BADINDEX:
      return kSubscriptOutOfRange;
    case E_OUTOFMEMORY:
      return kOutOfMemory;
    default:
      break;
  }
  if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return HRESULT_CODE(hr);
  return static_cast<int>(hr);
}

[[noreturn]] void throw_call_failure(HRESULT hr, ExcepInfo& info) {
  if (hr != DISP_E_EXCEPTION) throw ScriptError(number_from_hresult(hr));
  EXCEPINFO& ei = info.ei;
  if (ei.pfnDeferredFillIn) ei.pfnDeferredFillIn(&ei);
  Text description = text_of(ei.bstrDescription);
  int number = ei.scode ? number_from_hresult(ei.scode) : ei.wCode;
  if (description.empty()) throw ScriptError(number);
  throw ScriptError(number, std::move(description));
}

// Clears the VARIANTs it owns on every way out.
struct VariantList {
  explicit VariantList(size_t n) : v(n) {
    for (auto& x : v) VariantInit(&x);
  }
  ~VariantList() {
    for (auto& x : v) VariantClear(&x);
  }
  VariantList(const VariantList&) = delete;
  VariantList& operator=(const VariantList&) = delete;
  std::vector<VARIANT> v;
};

// A page's object (or any other automation object) seen as a brevane Object.
// Script engines that offer IDispatchEx get their names resolved there: class
// objects of some engines answer nothing through plain GetIDsOfNames.
class ForeignObject final : public Object {
 public:
  explicit ForeignObject(IDispatch* d)
      : disp_(ComPtr<IDispatch>::retain(d)), ex_(query<IDispatchEx>(d, kIidDispatchEx)) {}
  ForeignObject(const ForeignObject&) = delete;
  ForeignObject& operator=(const ForeignObject&) = delete;

  IDispatch* dispatch() const { return disp_.get(); }

  DispId find_member(TextView name) const override {
    Bstr b = make_bstr(name);
    BSTR raw = b.get();
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = ex_ ? ex_->GetDispID(raw, fdexNameCaseInsensitive, &id)
                     : disp_->GetIDsOfNames(IID_NULL, &raw, 1, LOCALE_USER_DEFAULT, &id);
    return SUCCEEDED(hr) ? id : kDispIdUnknown;
  }

  Variant invoke(DispId id, int kind, Args args) override {
    const size_t n = args.size();
    const bool is_put = (kind & (kPut | kPutRef)) != 0;
    // Every argument but a property's new value goes by reference, as a
    // script passes its variables, so the callee can write back.
    VariantList values(n);
    std::vector<VARIANT> before(n);
    std::vector<VARIANT> params(n);
    for (size_t i = 0; i < n; ++i) {
      to_variant(args[i], &values.v[i]);
      before[i] = values.v[i];
      VARIANT& p = params[n - 1 - i];
      VariantInit(&p);
      if (is_put && i == n - 1) {
        p = values.v[i];
      } else {
        p.vt = VT_BYREF | VT_VARIANT;
        p.pvarVal = &values.v[i];
      }
    }
    DISPID put_id = DISPID_PROPERTYPUT;
    DISPPARAMS dp{n ? params.data() : nullptr, is_put ? &put_id : nullptr, static_cast<UINT>(n), is_put ? 1u : 0u};
    VariantHolder result;
    ExcepInfo ei;
    WORD flags = static_cast<WORD>(kind & (kMethod | kGet | kPut | kPutRef));
    VARIANT* res = is_put ? nullptr : &result.v;
    HRESULT hr = call(id, flags, dp, res, ei);
    // A script engine may refuse the method-or-property call for a member
    // that holds a plain value (JScript's { TotalBytes: 8 }) where a real
    // host object answers both; as a property get it gives the value.
    if (FAILED(hr) && flags == (DISPATCH_METHOD | DISPATCH_PROPERTYGET) && refused_as_call(hr, ei.ei)) {
      ei.clear();
      result.clear();
      hr = call(id, DISPATCH_PROPERTYGET, dp, res, ei);
    }
    if (FAILED(hr)) throw_call_failure(hr, ei);
    // Only what the callee replaced comes back, so an untouched argument
    // keeps its identity.
    for (size_t i = 0; i < n; ++i)
      if (!(is_put && i == n - 1) && std::memcmp(&before[i], &values.v[i], sizeof(VARIANT)) != 0)
        args[i] = from_variant(values.v[i]);
    return from_variant(result.v);
  }

  VariantArray enumerate() override {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VariantHolder result;
    ExcepInfo ei;
    UINT arg_err = 0;
    HRESULT hr = disp_->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                               &none, &result.v, &ei.ei, &arg_err);
    if (FAILED(hr)) throw_call_failure(hr, ei);
    VARIANT& r = result.v;
    if ((r.vt != VT_UNKNOWN && r.vt != VT_DISPATCH) || !r.punkVal) throw ScriptError(kNoSuchMember);
    auto e = query<IEnumVARIANT>(r.punkVal, IID_IEnumVARIANT);
    if (!e) throw ScriptError(kNoSuchMember);
    VariantArray out;
    VariantHolder item;
    ULONG fetched = 0;
    while (e->Next(1, &item.v, &fetched) == S_OK && fetched == 1) {
      out.push_back(from_variant(item.v));
      item.clear();
    }
    return out;
  }

 private:
  // Engines that offer IDispatchEx are called through it: some answer plain
  // Invoke differently (or not at all) for their own objects' members.
  HRESULT call(DISPID id, WORD flags, DISPPARAMS& dp, VARIANT* res, ExcepInfo& ei) const {
    UINT arg_err = 0;
    return ex_ ? ex_->InvokeEx(id, LOCALE_USER_DEFAULT, flags, &dp, res, &ei.ei, nullptr)
               : disp_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, res, &ei.ei, &arg_err);
  }

  // Whether a failure says "this member cannot be called" rather than
  // reporting an error the member itself raised.
  static bool refused_as_call(HRESULT hr, const EXCEPINFO& ei) {
    constexpr SCODE kFunctionExpected = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5002);
    switch (hr) {
      case E_FAIL:
      case E_NOTIMPL:
      case DISP_E_MEMBERNOTFOUND:
      case DISP_E_TYPEMISMATCH:
      case DISP_E_BADPARAMCOUNT:
      case kFunctionExpected:
        return true;
      case DISP_E_EXCEPTION:
        return ei.scode == kFunctionExpected;
      default:
        return false;
    }
  }

  ComPtr<IDispatch> disp_;
  ComPtr<IDispatchEx> ex_;
};

Variant object_from(IUnknown* unk) {
  if (!unk) return Variant(ObjectPtr{});
  if (ObjectPtr own = own_object(unk)) return Variant(own);
  auto d = query<IDispatch>(unk, IID_IDispatch);
  if (!d) throw ScriptError(kTypeMismatch);
  return Variant(ObjectPtr(std::make_shared<ForeignObject>(d.get())));
}

Variant from_safearray(SAFEARRAY* sa, VARTYPE element) {
  if (!sa) return element == VT_UI1 ? Variant(Bytes{}) : Variant(VariantArray{});
  // Script arrays are one-dimensional; a grid has no faithful Variant form.
  if (SafeArrayGetDim(sa) != 1) throw ScriptError(kTypeMismatch);
  LONG lo = 0, hi = -1;
  SafeArrayGetLBound(sa, 1, &lo);
  SafeArrayGetUBound(sa, 1, &hi);
  size_t count = hi >= lo ? static_cast<size_t>(hi - lo + 1) : 0;
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(sa, &data))) throw ScriptError(kTypeMismatch);
  struct Unaccess {
    SAFEARRAY* sa;
    ~Unaccess() { SafeArrayUnaccessData(sa); }
  } unaccess{sa};
  auto* bytes = static_cast<uint8_t*>(data);
  if (element == VT_UI1) return Variant(Bytes(bytes, bytes + count));
  UINT size = SafeArrayGetElemsize(sa);
  VariantArray out;
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = static_cast<VARTYPE>(VT_BYREF | element);
    ref.byref = bytes + i * size;
    out.push_back(from_variant(ref));
  }
  return Variant(std::move(out));
}

Variant from_wide_integer(int64_t v) {
  if (v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int32_t>(v));
  return Variant(static_cast<double>(v));
}

SAFEARRAY* make_vector(VARTYPE vt, size_t n) {
  SAFEARRAY* sa = SafeArrayCreateVector(vt, 0, static_cast<ULONG>(n));
  if (!sa) throw std::bad_alloc();
  return sa;
}

IDispatch* dispatch_for(const ObjectPtr& obj) {
  if (!obj) return nullptr;
  if (auto* foreign = dynamic_cast<ForeignObject*>(obj.get())) {
    foreign->dispatch()->AddRef();
    return foreign->dispatch();
  }
  return make_dispatch(obj);
}

}  // namespace

ObjectPtr create_system_object(TextView progid) {
  CLSID clsid;
  std::wstring name = wide(progid);
  if (FAILED(CLSIDFromProgID(name.c_str(), &clsid))) return nullptr;
  ComPtr<IDispatch> d;
  if (FAILED(
          CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch, d.put_void())) ||
      !d)
    return nullptr;
  return object_from(d.get()).object();
}

IDispatch* foreign_dispatch(const Object& obj) {
  auto* foreign = dynamic_cast<const ForeignObject*>(&obj);
  return foreign ? foreign->dispatch() : nullptr;
}

Variant from_variant(const VARIANT& v) {
  const VARTYPE vt = v.vt;
  if (vt == (VT_BYREF | VT_VARIANT)) return v.pvarVal ? from_variant(*v.pvarVal) : Variant();
  const bool ref = (vt & VT_BYREF) != 0;
  if (vt & VT_ARRAY) return from_safearray(ref ? (v.pparray ? *v.pparray : nullptr) : v.parray, vt & VT_TYPEMASK);
#define BV_PICK(field, ref_field) (ref ? *v.ref_field : v.field)
  switch (vt & VT_TYPEMASK) {
    case VT_EMPTY:
      return Variant();
    case VT_NULL:
      return Variant::null();
    case VT_I2:
      return Variant(static_cast<int16_t>(BV_PICK(iVal, piVal)));
    case VT_I4:
      return Variant(static_cast<int32_t>(BV_PICK(lVal, plVal)));
    case VT_R4:
      return Variant(BV_PICK(fltVal, pfltVal));
    case VT_R8:
      return Variant(BV_PICK(dblVal, pdblVal));
    case VT_CY:
      return Variant(Currency{BV_PICK(cyVal, pcyVal).int64});
    case VT_DATE:
      return Variant::date(BV_PICK(date, pdate));
    case VT_BSTR:
      return Variant(text_of(BV_PICK(bstrVal, pbstrVal)));
    case VT_DISPATCH:
      return object_from(BV_PICK(pdispVal, ppdispVal));
    case VT_UNKNOWN:
      return object_from(BV_PICK(punkVal, ppunkVal));
    case VT_ERROR:
      return Variant::error(BV_PICK(scode, pscode));
    case VT_BOOL:
      return Variant(BV_PICK(boolVal, pboolVal) != VARIANT_FALSE);
    case VT_UI1:
      return Variant(static_cast<uint8_t>(BV_PICK(bVal, pbVal)));
    case VT_I1:
      return Variant(static_cast<int16_t>(BV_PICK(cVal, pcVal)));
    case VT_UI2:
      return Variant(static_cast<int32_t>(BV_PICK(uiVal, puiVal)));
    case VT_UI4:
      return from_wide_integer(BV_PICK(ulVal, pulVal));
    case VT_INT:
      return Variant(static_cast<int32_t>(BV_PICK(intVal, pintVal)));
    case VT_UINT:
      return from_wide_integer(BV_PICK(uintVal, puintVal));
    case VT_I8:
      return from_wide_integer(BV_PICK(llVal, pllVal));
    case VT_UI8: {
      ULONGLONG u = BV_PICK(ullVal, pullVal);
      return u <= INT32_MAX ? Variant(static_cast<int32_t>(u)) : Variant(static_cast<double>(u));
    }
    case VT_DECIMAL: {
      double d = 0;
      DECIMAL dec = ref ? *v.pdecVal : v.decVal;
      if (FAILED(VarR8FromDec(&dec, &d))) throw ScriptError(kOverflow);
      return Variant(d);
    }
    default:
      break;
  }
#undef BV_PICK
  constexpr int kUnsupportedType = 458;
  throw ScriptError(kUnsupportedType, u"Variable uses an Automation type not supported in VBScript");
}

void to_variant(const Variant& v, VARIANT* out) {
  VariantInit(out);
  switch (v.type()) {
    case VarType::Empty:
      return;
    case VarType::Null:
      out->vt = VT_NULL;
      return;
    case VarType::Integer:
      out->vt = VT_I2;
      out->iVal = static_cast<SHORT>(v.raw_int());
      return;
    case VarType::Long:
      out->vt = VT_I4;
      out->lVal = static_cast<LONG>(v.raw_int());
      return;
    case VarType::Single:
      out->vt = VT_R4;
      out->fltVal = static_cast<float>(v.raw_double());
      return;
    case VarType::Double:
      out->vt = VT_R8;
      out->dblVal = v.raw_double();
      return;
    case VarType::Currency:
      out->vt = VT_CY;
      out->cyVal.int64 = v.raw_int();
      return;
    case VarType::Date:
      out->vt = VT_DATE;
      out->date = v.raw_double();
      return;
    case VarType::String:
      out->bstrVal = make_bstr(v.text()).detach();
      out->vt = VT_BSTR;
      return;
    case VarType::Error:
      out->vt = VT_ERROR;
      out->scode = static_cast<SCODE>(v.raw_int());
      return;
    case VarType::Boolean:
      out->vt = VT_BOOL;
      out->boolVal = v.raw_int() ? VARIANT_TRUE : VARIANT_FALSE;
      return;
    case VarType::Byte:
      out->vt = VT_UI1;
      out->bVal = static_cast<BYTE>(v.raw_int());
      return;
    case VarType::Object: {
      out->pdispVal = dispatch_for(v.object_or_null());  // Nothing stays Nothing
      out->vt = VT_DISPATCH;
      return;
    }
    case VarType::ByteArray: {
      const Bytes& b = v.bytes();
      SAFEARRAY* sa = make_vector(VT_UI1, b.size());
      if (!b.empty()) std::memcpy(sa->pvData, b.data(), b.size());
      out->parray = sa;
      out->vt = VT_ARRAY | VT_UI1;
      return;
    }
    case VarType::Array: {
      const VariantArray& a = v.array();
      SAFEARRAY* sa = make_vector(VT_VARIANT, a.size());
      out->parray = sa;
      out->vt = VT_ARRAY | VT_VARIANT;
      auto* elements = static_cast<VARIANT*>(sa->pvData);
      for (size_t i = 0; i < a.size(); ++i) to_variant(a[i], &elements[i]);
      return;
    }
    case VarType::Variant:
      break;
  }
  throw ScriptError(kTypeMismatch);
}

void write_back(const Variant& v, VARIANT& slot) {
  if (!(slot.vt & VT_BYREF) || !slot.byref) return;
  VariantList tmp(2);
  to_variant(v, &tmp.v[0]);
  if (slot.vt == (VT_BYREF | VT_VARIANT)) {
    VariantClear(slot.pvarVal);
    *slot.pvarVal = tmp.v[0];
    VariantInit(&tmp.v[0]);
    return;
  }
  const VARTYPE target = slot.vt & ~VT_BYREF;
  VARIANT* value = &tmp.v[0];
  if (value->vt != target) {
    if (FAILED(VariantChangeType(&tmp.v[1], &tmp.v[0], 0, target))) return;
    value = &tmp.v[1];
  }
  if (target & VT_ARRAY) {
    SafeArrayDestroy(*slot.pparray);
    *slot.pparray = value->parray;
  } else {
    switch (target) {
      case VT_BSTR:
        SysFreeString(*slot.pbstrVal);
        *slot.pbstrVal = value->bstrVal;
        break;
      case VT_DISPATCH:
      case VT_UNKNOWN:
        if (*slot.ppunkVal) (*slot.ppunkVal)->Release();
        *slot.ppunkVal = value->punkVal;
        break;
      case VT_I2:
      case VT_BOOL:
      case VT_UI2:
        *slot.piVal = value->iVal;
        break;
      case VT_I4:
      case VT_UI4:
      case VT_INT:
      case VT_UINT:
      case VT_ERROR:
      case VT_R4:
        *slot.plVal = value->lVal;
        break;
      case VT_R8:
      case VT_CY:
      case VT_DATE:
      case VT_I8:
      case VT_UI8:
        *slot.pllVal = value->llVal;
        break;
      case VT_UI1:
      case VT_I1:
        *slot.pbVal = value->bVal;
        break;
      case VT_DECIMAL:
        *slot.pdecVal = value->decVal;
        break;
      default:
        return;
    }
  }
  // Ownership moved into the caller's slot.
  VariantInit(value);
}

}  // namespace brevane::com
