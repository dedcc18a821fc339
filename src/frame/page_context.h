// The page objects of the request the current thread is serving. A host sets
// them for the length of a page; code that is not handed the objects by its
// caller (a page's helpers, diagnostics) finds them here.
#pragma once

#include "core/variant.h"

namespace brevane {

struct PageContext {
  Variant request, response, server, session, application;
};

// nullptr when no page runs on this thread.
const PageContext* current_page();

// Makes `context` current until the scope ends; scopes nest.
class PageScope {
 public:
  explicit PageScope(const PageContext& context);
  ~PageScope();
  PageScope(const PageScope&) = delete;
  PageScope& operator=(const PageScope&) = delete;

 private:
  const PageContext* previous_;
};

}  // namespace brevane
