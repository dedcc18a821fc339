#include "com/object_context.h"

namespace brevane::com {

namespace {

Variant property(IContextProperties* props, const wchar_t* name) {
  Bstr key(SysAllocString(name));
  if (!key.get()) return {};
  VariantHolder holder;
  VARIANT& v = holder.v;
  HRESULT hr = props->GetProperty(key.get(), &v);
  Variant out;
  // Only objects count: a page object that is not one cannot be called.
  if (SUCCEEDED(hr) && (v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN) && v.punkVal) {
    try {
      out = from_variant(v);
    } catch (...) {
      out = Variant();
    }
  }
  return out.is_object() ? out : Variant();
}

}  // namespace

bool page_from_context(IUnknown* context, PageContext& out) {
  if (!context) return false;
  auto props = query<IContextProperties>(context, kIidGetContextProperties);
  if (!props) return false;
  out.request = property(props.get(), L"Request");
  out.response = property(props.get(), L"Response");
  out.server = property(props.get(), L"Server");
  out.session = property(props.get(), L"Session");
  out.application = property(props.get(), L"Application");
  return out.request.is_object() || out.response.is_object() || out.server.is_object();
}

bool page_from_object_context(PageContext& out) {
  ComPtr<IUnknown> context;
  if (FAILED(CoGetObjectContext(IID_IUnknown, context.put_void())) || !context) return false;
  return page_from_context(context.get(), out);
}

}  // namespace brevane::com
