// The page objects of a request the web server runs in a COM+ object
// context: ASP hands its intrinsics ("Request", "Server", ...) to components
// as properties of that context.
#pragma once

#include "com/com_support.h"
#include "frame/page_context.h"

namespace brevane::com {

// The context's property bag. mingw's headers declare the interface but not
// its IID, so both are spelled out here as documented.
inline constexpr IID kIidGetContextProperties = {
    0x51372af4, 0xcae7, 0x11cf, {0xbe, 0x81, 0x00, 0xaa, 0x00, 0xa2, 0xfa, 0x25}};

struct IContextProperties : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Count(LONG* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetProperty(BSTR name, VARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumNames(IUnknown** names) = 0;
};

// Fills `out` from an object context (anything that answers the property
// bag); false when it offers no page object at all.
bool page_from_context(IUnknown* context, PageContext& out);

// The calling thread's object context; false outside a web server's page
// (no COM+ context, or one without the intrinsics). The DLL installs it as
// the page context source.
bool page_from_object_context(PageContext& out);

}  // namespace brevane::com
