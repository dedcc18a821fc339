// On Windows the system's own ADODB.Connection and ADODB.Recordset answer.
#include "platform/adodb.h"

namespace brevane {

void register_record_set_classes(ClassRegistry&) {}

}  // namespace brevane
