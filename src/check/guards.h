// Request guards and classifiers. A failing guard writes the error page,
// closes what it was given and ends the response; a passing guard writes
// nothing. Callers on the native host check the response's ended state after
// a guard and return.
#pragma once

#include <cstdint>

#include "core/variant.h"

namespace brevane {

void CommCheckInject(Variant& Request, Variant& Response, bool p_CloseParent);
// Passes only a referrer of the plain or secure web scheme whose host part
// starts with the server name exactly, followed by the end, "/", ":", "?" or "#".
void CommCheckPost(Variant& Request, Variant& Response, bool p_CloseParent);
void CommCheckSession(Variant& Response, Variant& p_SessionName, bool p_CloseParent);
void CommCheckAllow(Variant& Response, Variant& Rs, Variant& Conn, int16_t p_AllowState, bool p_CloseParent);
// Items "name|label|missing-value" joined by "$"; error 9 for an item with
// fewer than three fields.
void CommCheckInput(Variant& Request, Variant& Response, Text p_StringList, bool p_CloseParent);
void CommCheckIsNoRecord(Variant& Response, Variant& Rs, Variant& Conn, Text p_ErrorMessage, bool p_CloseParent);
// Runs the query on the caller's connection and leaves the connection open.
bool CommCheckIsEof(Variant& Conn, Text p_Sql);
bool CommCheckEdit(Variant& Request);
bool CommCheckRead(Variant& Request);
// 1 new (no ID), 2 edit or modify, 3 any other mode.
int16_t CommCheckState(Text p_Moden, Variant p_ID);
Text CommCheckNetUserSystem(Variant& Request);
Text CommCheckNetUserBrower(Variant& Request);

}  // namespace brevane
