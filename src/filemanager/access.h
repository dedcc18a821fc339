// Who may use the web file manager: the login test against the keys the
// site's login page stores, the level test, and the write right. Also the
// one place that decides whether a folder or name taken from a request
// stays inside the shared tree.
#pragma once

#include <cstdint>

#include "core/text.h"
#include "core/variant.h"

namespace brevane {

void CommCheckUserNormal(Variant& Response, Variant& Session, Variant& Application);
void CommCheckUserManager(Variant& Response, Variant& Session, Variant& Application, Variant& Conn, Variant& Rs,
                          uint8_t p_RightLevel);

// The session was logged in by the site and the login is still current.
bool fm_logged_in(const Variant& session, const Variant& application);
// Full share: the right is "write" and the password is the current write
// password (both compared exactly).
bool fm_write_right(const Variant& session, const Variant& application);
// The script paste answers with when the write right is missing; the pop-up
// pages (by their path) get the one that closes the window.
Text fm_read_only_answer(const Variant& request);

// A web folder as the pages pass it ("/", "/a/b/"): begins with "/", and
// no part is "..", nor holds "\", ":", NUL or a control character.
bool fm_folder_is_safe(TextView folder);
// One entry name: not empty, not "." or "..", no "/", "\", ":", NUL or
// control character.
bool fm_name_is_safe(TextView name);
// `mapped` (a physical path from Server.MapPath) resolves, through every
// link, to a place inside the shared tree (Server.MapPath("/")). A path
// that does not exist yet is judged by its nearest existing parent.
bool fm_inside_share(const Variant& server, TextView mapped);
// fm_folder_is_safe of the folder, fm_name_is_safe of the name (when not
// empty) and fm_inside_share of the mapped result.
bool fm_target_is_safe(const Variant& server, TextView folder, TextView name);
// fm_inside_share of `mapped` and of every link anywhere below it.
bool fm_tree_inside_share(const Variant& server, TextView mapped);

}  // namespace brevane
