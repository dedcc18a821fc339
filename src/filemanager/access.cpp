#include "filemanager/access.h"

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <system_error>

#include "core/vbrt.h"
#include "frame/errorpage.h"
#include "frame/host.h"
#include "platform/fs.h"

namespace brevane {

namespace {

constexpr char16_t kLoginScript[] = u"<script>location.href='../brevane/login.asp'</script>";
constexpr char16_t kLevelMessage[] = u"你没有足够的权限！";
constexpr char16_t kReadOnlyAlert[] = u"alert('文件为只读共享，请勿越权使用！');";

Text store_text(const Variant& store, TextView key) {
  Variant v = StoreRef(store).get(key).value();
  return v.is_empty() || v.is_null() ? Text() : v.to_text();
}

bool has_control(TextView s) {
  for (char16_t c : s)
    if (c < 0x20 || c == 0x7f) return true;
  return false;
}

#ifndef _WIN32
// The real location of `native`, or of its nearest existing parent with the
// rest appended, so a name about to be created is judged by where it lands.
std::optional<std::filesystem::path> real_location(const std::string& native) {
  namespace sfs = std::filesystem;
  std::error_code ec;
  sfs::path p(native);
  sfs::path rest;
  while (!p.empty()) {
    sfs::path real = sfs::canonical(p, ec);
    if (!ec) return rest.empty() ? real : real / rest;
    if (!p.has_relative_path() || p == p.parent_path()) break;
    rest = rest.empty() ? p.filename() : p.filename() / rest;
    p = p.parent_path();
  }
  return std::nullopt;
}
#endif

}  // namespace

bool fm_logged_in(const Variant& session, const Variant& application) {
  return store_text(application, u"zelto_brevane_state") == store_text(session, u"zelto_brevane_state");
}

bool fm_write_right(const Variant& session, const Variant& application) {
  return store_text(session, u"zelto_brevane_right") == u"write" &&
         store_text(session, u"zelto_brevane_password") == store_text(application, u"zelto_brevane_password_write");
}

Text fm_read_only_answer(const Variant& request) {
  Text path = RequestRef(request).server_variables(u"path_Info");
  for (TextView popup :
       {u"netdrivers_file_edit_include.asp", u"netdrivers_upload_file_include.asp", u"netdrivers_unzip.asp"})
    if (path.find(popup) != Text::npos) return Text(u" <script>") + kReadOnlyAlert + u"parent.window.close();</script>";
  return Text(u"<script>") + kReadOnlyAlert + u"history.go(-1)</script>";
}

void CommCheckUserNormal(Variant& Response, Variant& Session, Variant& Application) {
  if (!fm_logged_in(Session, Application)) ResponseRef(Response).write(kLoginScript);
}

void CommCheckUserManager(Variant& Response, Variant& Session, Variant& Application, Variant& Conn, Variant& Rs,
                          uint8_t p_RightLevel) {
  CommCheckUserNormal(Response, Session, Application);
  Variant record = StoreRef(Session).get(u"zelto_vote").value();
  if (record.is_empty() || record.is_null()) throw ScriptError(ErrorCode::TypeMismatch);
  std::vector<Text> fields = vb::Split(record.to_text(), u"|");
  if (fields.size() < 3) throw ScriptError(ErrorCode::SubscriptOutOfRange);
  // The integer part, as the script runtime's Int takes it; text that is no
  // number is a type mismatch raised to the page.
  double level = vb::Int(Variant(fields[2]).to_double());
  if (p_RightLevel > level) show_error_page(Response, Rs, Conn, kLevelMessage, false);
}

bool fm_folder_is_safe(TextView folder) {
  if (folder.empty() || folder[0] != u'/') return false;
  if (has_control(folder) || folder.find(u'\\') != TextView::npos || folder.find(u':') != TextView::npos) return false;
  for (const Text& part : vb::Split(folder, u"/"))
    if (part == u".." || part == u".") return false;
  return true;
}

bool fm_name_is_safe(TextView name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  if (has_control(name)) return false;
  for (char16_t c : name)
    if (c == u'/' || c == u'\\' || c == u':') return false;
  return true;
}

bool fm_inside_share(const Variant& server, TextView mapped) {
#ifdef _WIN32
  (void)server;
  (void)mapped;
  return true;  // MapPath itself keeps to the site; links are not followed here
#else
  ServerRef srv(server);
  auto root_native = fs::native_path(srv.map_path(u"/"));
  auto target_native = fs::native_path(mapped);
  if (!root_native || !target_native) return false;
  auto root = real_location(*root_native);
  auto target = real_location(*target_native);
  if (!root || !target) return false;
  auto r = root->lexically_normal().native();
  auto t = target->lexically_normal().native();
  while (r.size() > 1 && r.back() == '/') r.pop_back();
  while (t.size() > 1 && t.back() == '/') t.pop_back();
  return t == r || (t.size() > r.size() && t.compare(0, r.size(), r) == 0 && (r == "/" || t[r.size()] == '/'));
#endif
}

bool fm_target_is_safe(const Variant& server, TextView folder, TextView name) {
  if (!fm_folder_is_safe(folder)) return false;
  if (!name.empty() && !fm_name_is_safe(name)) return false;
  Text path = Text(folder) + u"/" + Text(name);
  return fm_inside_share(server, ServerRef(server).map_path(vb::Replace(path, u"//", u"/")));
}

bool fm_tree_inside_share(const Variant& server, TextView mapped) {
  if (!fm_inside_share(server, mapped)) return false;
#ifndef _WIN32
  namespace sfs = std::filesystem;
  auto native = fs::native_path(mapped);
  if (!native) return false;
  std::error_code ec;
  // Links are followed as a packer follows them, each judged by where it
  // leads. Each folder is entered through a link once at most: a second
  // way in (a link back up makes endless ones) is refused.
  std::set<std::string> entered{sfs::canonical(*native, ec).native()};
  for (auto it = sfs::recursive_directory_iterator(*native, sfs::directory_options::follow_directory_symlink, ec);
       !ec && it != sfs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code ignored;
    if (!it->is_symlink(ignored)) continue;
    auto where = fs::windows_path(it->path().native());
    if (!where || !fm_inside_share(server, *where)) return false;
    if (it->is_directory(ignored) && !entered.insert(sfs::canonical(it->path(), ignored).native()).second) return false;
  }
  if (ec) return false;
#endif
  return true;
}

}  // namespace brevane
