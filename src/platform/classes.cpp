// Platform services that component code creates by name, as a page would.
#include "platform/classes.h"

#include "core/registry.h"
#include "platform/adodb.h"
#include "platform/dictionary.h"
#include "platform/regexp.h"

namespace brevane {

void register_platform_classes(ClassRegistry& r) {
  // Regular expressions (PCRE2 underneath on POSIX).
  r.add(u"VBScript.RegExp", &make_regexp_object);
  // Record sets and connections (ADODB.Connection, ADODB.Recordset).
  register_record_set_classes(r);
  // Dictionary (uploads, pinyin tables).
  r.add(u"Scripting.Dictionary", []() -> ObjectPtr { return Dictionary::make(); });
}

}  // namespace brevane
