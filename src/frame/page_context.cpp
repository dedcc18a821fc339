#include "frame/page_context.h"

namespace brevane {

namespace {
thread_local const PageContext* t_current = nullptr;
}

const PageContext* current_page_context() { return t_current; }

PageScope::PageScope(PageContext context) : context_(std::move(context)), previous_(t_current) { t_current = &context_; }

PageScope::~PageScope() { t_current = previous_; }

}  // namespace brevane
