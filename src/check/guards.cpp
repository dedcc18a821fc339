#include "check/guards.h"

#include <array>

#include "check/validators.h"
#include "core/registry.h"
#include "core/vbrt.h"
#include "frame/errorpage.h"
#include "frame/host.h"

namespace brevane {

namespace {

constexpr char16_t kInjectMessage[] = u"请不要在参数中包含非法字符尝试注入！";
constexpr char16_t kPostMessage[] = u"您提交的数据不合法，请不要从外部提交数据。";
constexpr char16_t kSessionMessage[] = u"请不要从非法路径进入！";
constexpr char16_t kAllowMessage[] = u"本功能尚未开启，请联系管理员！";
constexpr char16_t kNoRecordMessage[] = u"没有该记录,可能原因是ID出错或从非法路径进入。";

// Matched inside words and in lower case only, exactly as listed.
constexpr std::array<TextView, 16> kInjectKeywords = {u"'",      u"and",      u"exec", u"insert", u"select", u"delete",
                                                      u"update", u"count",    u"*",    u"%",      u"chr",    u"mid",
                                                      u"master", u"truncate", u"char", u"declare"};

void reject(const Variant& response, TextView message, bool close_parent) {
  show_error_page(response, Variant(u""), Variant(u""), message, close_parent);
}

// Null and Empty count as empty text here.
Text text_or_empty(const Variant& v) {
  Variant value = v.value();
  return value.is_null() ? Text() : value.to_text();
}

bool starts_with_ignoring_case(TextView s, TextView prefix) {
  return s.size() >= prefix.size() && iequals_ascii(s.substr(0, prefix.size()), prefix);
}

}  // namespace

void CommCheckInject(Variant& Request, Variant& Response, bool p_CloseParent) {
  RequestRef request(Request);
  Variant query = request.query_string_collection();
  if (text_or_empty(query).empty()) return;
  for (const Variant& key : query.object()->enumerate()) {
    Text value = request.query_string(key.to_text());
    for (TextView word : kInjectKeywords) {
      if (value.find(word) != Text::npos) {
        reject(Response, kInjectMessage, p_CloseParent);
        return;
      }
    }
  }
}

void CommCheckPost(Variant& Request, Variant& Response, bool p_CloseParent) {
  RequestRef request(Request);
  Text referrer = request.server_variables(u"http_referer");
  Text server = request.server_variables(u"server_name");
  // The host part must be the server name itself, not merely begin with it:
  // "localhost.example.org" is another site.
  auto names_server = [&](TextView scheme) {
    if (!starts_with_ignoring_case(referrer, scheme)) return false;
    TextView rest = TextView(referrer).substr(scheme.size());
    if (server.empty() || rest.substr(0, server.size()) != server) return false;
    return rest.size() == server.size() || TextView(u"/:?#").find(rest[server.size()]) != TextView::npos;
  };
  if (names_server(u"http://") || names_server(u"https://")) return;
  reject(Response, kPostMessage, p_CloseParent);
}

void CommCheckSession(Variant& Response, Variant& p_SessionName, bool p_CloseParent) {
  if (text_or_empty(p_SessionName).empty()) reject(Response, kSessionMessage, p_CloseParent);
}

void CommCheckAllow(Variant& Response, Variant& Rs, Variant& Conn, int16_t p_AllowState, bool p_CloseParent) {
  if (p_AllowState != 1) show_error_page(Response, Rs, Conn, kAllowMessage, p_CloseParent);
}

void CommCheckInput(Variant& Request, Variant& Response, Text p_StringList, bool p_CloseParent) {
  if (p_StringList.empty()) return;
  RequestRef request(Request);
  for (const Text& item : vb::Split(p_StringList, u"$")) {
    std::vector<Text> field = item.empty() ? std::vector<Text>{} : vb::Split(item, u"|");
    if (field.size() < 3) throw ScriptError(kSubscriptOutOfRange);
    Variant value = request.item(field[0]);
    // A Null item is never equal to anything, so it never counts as missing.
    if (value.is_null()) continue;
    if (vb::Trim(value.to_text()) == field[2]) {
      reject(Response, u"请" + field[1] + u"！", p_CloseParent);
      return;
    }
  }
}

void CommCheckIsNoRecord(Variant& Response, Variant& Rs, Variant& Conn, Text p_ErrorMessage, bool p_CloseParent) {
  RecordsetRef rs(Rs);
  if (!rs.eof() && !rs.bof()) return;
  show_error_page(Response, Rs, Conn, p_ErrorMessage.empty() ? Text(kNoRecordMessage) : p_ErrorMessage, p_CloseParent);
}

bool CommCheckIsEof(Variant& Conn, Text p_Sql) {
  Variant rs(create_object(u"Adodb.RecordSet"));
  RecordsetRef ref(rs);
  ref.open(p_Sql, Conn, 1, 1);  // keyset cursor, read-only
  bool none = ref.eof() || ref.bof();
  // Only our own record set is closed; the caller's connection stays open.
  Variant no_conn(u"");
  CommCloseData(rs, no_conn);
  return none;
}

bool CommCheckEdit(Variant& Request) {
  Variant id = RequestRef(Request).item(u"ID");
  if (id.is_null()) return false;
  Text text = id.to_text();
  return !text.empty() && CommCheckIsNumeric(text);
}

bool CommCheckRead(Variant& Request) {
  Variant action = RequestRef(Request).item(u"action");
  return !action.is_null() && action.to_text().empty();
}

int16_t CommCheckState(Text p_Moden, Variant p_ID) {
  Variant id = p_ID.value();
  if (id.is_null() || id.is_empty() || vb::Trim(id.to_text()).empty()) return 1;
  Text mode = vb::LCase(vb::Trim(p_Moden));
  return (mode == u"edit" || mode == u"modify") ? 2 : 3;
}

Text CommCheckNetUserSystem(Variant& Request) {
  Text agent = vb::UCase(RequestRef(Request).server_variables(u"http_user_agent"));
  struct Row {
    std::array<TextView, 4> keys;  // unused entries stay empty
    const char16_t* label;
  };
  static const Row kRows[] = {
      {{u"WINDOWS NT 5.2"}, u"Win 2003"},
      {{u"WINDOWS NT 5.0"}, u"Win 2000"},
      {{u"WINDOWS NT 5.1"}, u"Win XP"},
      {{u"WINDOWS NT"}, u"Win Nt"},
      {{u"WINDOWS 9"}, u"Win 9x"},
      {{u"BSD", u"SUNOS", u"LINUX", u"UNIX"}, u"类Unix"},
      {{u"MAC"}, u"Mac"},
  };
  for (const Row& row : kRows)
    for (TextView key : row.keys)
      if (!key.empty() && agent.find(key) != Text::npos) return row.label;
  return u"其它";
}

Text CommCheckNetUserBrower(Variant& Request) {
  Text agent = vb::UCase(RequestRef(Request).server_variables(u"http_user_agent"));
  return agent.find(u"MSIE") != Text::npos ? u"IE" : u"其它";
}

}  // namespace brevane
