// The page objects of the request the current thread is serving. The host
// sets them while a page runs, so that classes a page creates without
// arguments (the image upload parser) and members that are not handed the
// objects (QuickSave) can still reach them.
#pragma once

#include "core/text.h"
#include "core/variant.h"

namespace brevane {

struct PageContext {
  Variant request, response, server, session, application;
};

// nullptr when no page is running on this thread.
const PageContext* current_page_context();
inline const PageContext* current_page() { return current_page_context(); }

// Where the page objects come from when no scope is set on the thread: the
// Windows DLL asks the web server's object context. Answers false when there
// is no page there either.
using PageContextSource = bool (*)(PageContext& out);
void set_page_context_source(PageContextSource source);

enum class PageObject { Request, Response, Server, Session, Application };

// One object of the running page, for `member` (named in the error): the
// thread's scope first, then the source. Raises 424 when no page is running
// or the page has no such object, rather than letting the member quietly do
// nothing.
Variant require_page_object(PageObject which, TextView member);

// Makes `context` current for the thread for the scope's lifetime; scopes
// nest, the previous context comes back at the end.
class PageScope {
 public:
  explicit PageScope(PageContext context);
  ~PageScope();
  PageScope(const PageScope&) = delete;
  PageScope& operator=(const PageScope&) = delete;

 private:
  PageContext context_;
  const PageContext* previous_;
};

}  // namespace brevane
