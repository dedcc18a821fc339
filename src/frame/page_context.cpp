#include "frame/page_context.h"

#include <atomic>

#include "core/script_error.h"

namespace brevane {

namespace {
thread_local const PageContext* t_current = nullptr;
std::atomic<PageContextSource> g_source{nullptr};

const Variant& pick(const PageContext& c, PageObject which) {
  switch (which) {
    case PageObject::Request:
      return c.request;
    case PageObject::Response:
      return c.response;
    case PageObject::Server:
      return c.server;
    case PageObject::Session:
      return c.session;
    case PageObject::Application:
      return c.application;
  }
  return c.request;
}

const char16_t* name_of(PageObject which) {
  switch (which) {
    case PageObject::Request:
      return u"Request";
    case PageObject::Response:
      return u"Response";
    case PageObject::Server:
      return u"Server";
    case PageObject::Session:
      return u"Session";
    case PageObject::Application:
      return u"Application";
  }
  return u"";
}

}  // namespace

void set_page_context_source(PageContextSource source) { g_source = source; }

Variant require_page_object(PageObject which, TextView member) {
  Text what = Text(member) + u" needs the page's " + name_of(which) + u": ";
  if (t_current) {
    const Variant& v = pick(*t_current, which);
    if (v.is_object()) return v;
    throw ScriptError(kObjectRequired, what + u"the running page has none");
  }
  PageContext found;
  if (PageContextSource source = g_source.load(); source && source(found)) {
    const Variant& v = pick(found, which);
    if (v.is_object()) return v;
    throw ScriptError(kObjectRequired, what + u"the web server's object context has none");
  }
  throw ScriptError(kObjectRequired, what + u"no page is running on this thread");
}

const PageContext* current_page_context() { return t_current; }

PageScope::PageScope(PageContext context) : context_(std::move(context)), previous_(t_current) {
  t_current = &context_;
}

PageScope::~PageScope() { t_current = previous_; }

}  // namespace brevane
