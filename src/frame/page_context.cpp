#include "frame/page_context.h"

namespace brevane {

namespace {
thread_local const PageContext* t_current = nullptr;
}

const PageContext* current_page() { return t_current; }

PageScope::PageScope(const PageContext& context) : previous_(t_current) { t_current = &context; }

PageScope::~PageScope() { t_current = previous_; }

}  // namespace brevane
