// The fault hook of fs.h as the platform implementations consult it.
#pragma once

#include <string_view>

namespace brevane::fs {

// Non-zero: the error number the named call must fail with.
int injected_fault(std::string_view call, std::string_view native_path);

}  // namespace brevane::fs
