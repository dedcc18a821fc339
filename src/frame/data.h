// Where the site's database file lives and how to connect to it.
#pragma once

#include "core/variant.h"

namespace brevane {

// Site folder of the database file, and the list of data files ("|"
// between names) whose first entry is the database.
constexpr char16_t kDataFolder[] = u"/data";
constexpr char16_t kDataFileList[] = u"vote.asp";

Text CommGetDataFullName(Variant& Server);
Text CommGetConnString(Variant& Server);
// Kept for pages written against them: they accept their objects and do
// nothing.
void CommDataInit(Variant& Response, Variant& Request, Variant& Server, Variant& Application);
void CommSetConn(Variant& Server, Variant& Conn, Variant& Response);

}  // namespace brevane
