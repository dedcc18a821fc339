#include "kit/memdb.h"

#include "core/registry.h"
#include "core/vbrt.h"

namespace brevane::kit {

MemoryDb::MemoryDb() : conn_(create_object(u"ADODB.Connection")) { call(conn_, u"Open", {Variant(Text(u""))}); }

MemoryDb::~MemoryDb() { close_quiet(); }

void MemoryDb::close_quiet() {
  try {
    if (get(conn_, u"State").to_i32() == 1) call(conn_, u"Close");
  } catch (const ScriptError&) {
    // A test may have closed it through the routine under test.
  }
}

void MemoryDb::exec(TextView sql) {
  for (const Text& statement : vb::Split(sql, u";"))
    if (!vb::Trim(statement).empty()) call(conn_, u"Execute", {Variant(statement)});
}

Variant MemoryDb::record_set() { return Variant(create_object(u"ADODB.Recordset")); }

}  // namespace brevane::kit
