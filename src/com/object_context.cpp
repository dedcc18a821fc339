#include "com/object_context.h"

namespace brevane::com {

namespace {

Variant property(IContextProperties* props, const wchar_t* name) {
  BSTR key = SysAllocString(name);
  if (!key) return {};
  VARIANT v;
  VariantInit(&v);
  HRESULT hr = props->GetProperty(key, &v);
  SysFreeString(key);
  Variant out;
  // Only objects count: a page object that is not one cannot be called.
  if (SUCCEEDED(hr) && (v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN) && v.punkVal) {
    try {
      out = from_variant(v);
    } catch (...) {
      out = Variant();
    }
  }
  VariantClear(&v);
  return out.is_object() ? out : Variant();
}

}  // namespace

bool page_from_context(IUnknown* context, PageContext& out) {
  if (!context) return false;
  IContextProperties* props = nullptr;
  if (FAILED(context->QueryInterface(kIidGetContextProperties, reinterpret_cast<void**>(&props))) || !props)
    return false;
  out.request = property(props, L"Request");
  out.response = property(props, L"Response");
  out.server = property(props, L"Server");
  out.session = property(props, L"Session");
  out.application = property(props, L"Application");
  props->Release();
  return out.request.is_object() || out.response.is_object() || out.server.is_object();
}

bool page_from_object_context(PageContext& out) {
  IUnknown* context = nullptr;
  if (FAILED(CoGetObjectContext(IID_IUnknown, reinterpret_cast<void**>(&context))) || !context) return false;
  bool found = page_from_context(context, out);
  context->Release();
  return found;
}

}  // namespace brevane::com
