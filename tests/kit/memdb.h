// A page's open connection over an in-memory database, for routines that
// open record sets of their own on the caller's Conn (option lists, the
// calendar). Gone when the object goes.
#pragma once

#include "core/variant.h"

namespace brevane::kit {

class MemoryDb {
 public:
  MemoryDb();
  ~MemoryDb();
  MemoryDb(const MemoryDb&) = delete;
  MemoryDb& operator=(const MemoryDb&) = delete;

  // Statements separated by ";" are run one by one.
  void exec(TextView sql);
  // The connection as a page holds it, and a fresh closed record set.
  Variant& conn() { return conn_; }
  static Variant record_set();

 private:
  void close_quiet();
  Variant conn_;
};

}  // namespace brevane::kit
