// The page objects of the request the current thread is serving. The host
// sets them while a page runs, so that classes a page creates without
// arguments (the image upload parser) and members that are not handed the
// objects (QuickSave) can still reach them.
#pragma once

#include "core/variant.h"

namespace brevane {

struct PageContext {
  Variant request, response, server, session, application;
};

// nullptr when no page is running on this thread.
const PageContext* current_page_context();
inline const PageContext* current_page() { return current_page_context(); }

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
