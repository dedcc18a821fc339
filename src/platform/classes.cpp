// Platform services that component code creates by name, as a page would.
#include "core/registry.h"
#include "platform/adodb.h"

namespace brevane {

void register_platform_classes(ClassRegistry& r) {
  // Record sets and connections (ADODB.Connection, ADODB.Recordset).
  register_record_set_classes(r);
}

}  // namespace brevane
