// Platform services that component code creates by name, as a page would.
#include "core/registry.h"
#include "platform/dictionary.h"

namespace brevane {

void register_platform_classes(ClassRegistry& r) {
  // Dictionary (uploads, pinyin tables).
  r.add(u"Scripting.Dictionary", []() -> ObjectPtr { return Dictionary::make(); });
}

}  // namespace brevane
