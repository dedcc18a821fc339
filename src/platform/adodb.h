// Database connections and record sets that component code (and the native
// host's pages) create by name: "ADODB.Connection" and "ADODB.Recordset".
// On Linux they run over an SQLite database file; on Windows the system's
// own objects answer to the same names.
#pragma once

#include <string>

#include "core/registry.h"

namespace brevane {

// Registers ADODB.Connection and ADODB.Recordset where this platform builds
// them itself; does nothing where the system provides them.
void register_record_set_classes(ClassRegistry& r);

// The error numbers a page sees from the data objects (they reach scripts as
// Err.Number, so they are the provider's own).
enum DataError : int {
  kDataInvalidArgument = 3001,  // arguments of the wrong type or out of range
  kDataBofOrEof = 3021,         // no current record
  kDataNotSupported = 3251,     // the record set cannot do that
  kDataItemNotFound = 3265,     // no field of that name or ordinal
  kDataConversion = 3421,       // a value of the wrong type for the operation
  kDataClosed = 3704,           // the object is closed
  kDataAlreadyOpen = 3705,      // the object is open
  kDataBadConnection = 3709,    // no usable connection
  kDataProvider = -2147467259,  // the database refused (0x80004005)
};

}  // namespace brevane
