// Request guards: a failing guard writes the whole error page with its
// message, closes what it was given and ends the response; a passing guard
// writes nothing. Then the classifiers, which only answer.
#include "check/guards.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/registry.h"
#include "frame/data.h"
#include "frame/errorpage.h"
#include "kit/expect.h"
#include "kit/hostkit.h"

namespace brevane {
namespace {

using kit::FakeConn;
using kit::FakeRequest;
using kit::FakeResponse;
using kit::FakeRs;
using kit::var;

using kit::error_of;
using kit::raised;

struct Page {
  std::shared_ptr<FakeRequest> request = FakeRequest::make();
  std::shared_ptr<FakeResponse> response = FakeResponse::make();
  Variant req = var(request), resp = var(response);

  void expect_passed() const {
    EXPECT_EQ(response->write_calls, 0);
    EXPECT_FALSE(response->ended);
  }
  void expect_rejected(TextView message, bool close_parent = false) const {
    EXPECT_EQ(response->write_calls, 1);
    EXPECT_EQ(response->output, error_page_html(message, close_parent));
    EXPECT_TRUE(response->ended);
  }
};

constexpr char16_t kInject[] = u"请不要在参数中包含非法字符尝试注入！";
constexpr char16_t kPost[] = u"您提交的数据不合法，请不要从外部提交数据。";

// ---- CommCheckInject

struct InjectCase {
  const char16_t* value;
  bool rejected;
};

TEST(CheckInject, KeywordsMatchInsideWordsAndOnlyInLowerCase) {
  for (const auto& c : {InjectCase{u"candy", true}, InjectCase{u"it's", true}, InjectCase{u"50%", true},
                        InjectCase{u"a*b", true}, InjectCase{u"midnight", true}, InjectCase{u"declare", true},
                        InjectCase{u"Select", false}, InjectCase{u"SELECT", false}, InjectCase{u"AND", false},
                        InjectCase{u"12", false}, InjectCase{u"中文", false}}) {
    Page p;
    p.request->query->add(u"id", u"1");
    p.request->query->add(u"q", c.value);
    CommCheckInject(p.req, p.resp, false);
    if (c.rejected)
      p.expect_rejected(kInject);
    else
      p.expect_passed();
  }
}

TEST(CheckInject, OnlyTheQueryStringIsExamined) {
  Page p;
  p.request->form->add(u"q", u"select * from t");
  p.request->cookies->add(u"c", u"'");
  CommCheckInject(p.req, p.resp, false);
  p.expect_passed();
  Page none;
  CommCheckInject(none.req, none.resp, true);
  none.expect_passed();
}

TEST(CheckInject, CloseParentReachesTheErrorPage) {
  Page p;
  p.request->query->add(u"q", u"'");
  CommCheckInject(p.req, p.resp, true);
  p.expect_rejected(kInject, true);
}

// ---- CommCheckPost

struct PostCase {
  const char16_t* referrer;
  bool rejected;
};

TEST(CheckPost, RefererMustNameThisServerExactly) {
  for (const auto& c :
       {PostCase{u"http://www.site.cn/admin/edit.asp", false}, PostCase{u"https://www.site.cn/admin/edit.asp", false},
        PostCase{u"http://www.site.cn", false}, PostCase{u"http://www.site.cn:8080/a", false},
        PostCase{u"http://www.site.cn?x", false}, PostCase{u"http://WWW.SITE.CN/admin", true},
        PostCase{u"http://evil.cn/www.site.cn", true}, PostCase{u"http://www.site.cn.evil.cn/", true},
        PostCase{u"ftp://www.site.cn/", true}, PostCase{u"xxxxxxxwww.site.cn/", true}, PostCase{u"", true}}) {
    Page p;
    p.request->server_variables[u"SERVER_NAME"] = u"www.site.cn";
    if (*c.referrer) p.request->server_variables[u"HTTP_REFERER"] = c.referrer;
    CommCheckPost(p.req, p.resp, false);
    if (c.rejected)
      p.expect_rejected(kPost);
    else
      p.expect_passed();
  }
}

// ---- CommCheckSession

TEST(CheckSession, EmptyValueIsRefused) {
  for (const Variant& v : {Variant(u""), Variant(), Variant::null()}) {
    Page p;
    Variant value = v;
    CommCheckSession(p.resp, value, false);
    p.expect_rejected(u"请不要从非法路径进入！");
  }
  Page p;
  Variant user(u"admin");
  CommCheckSession(p.resp, user, false);
  p.expect_passed();
}

// ---- CommCheckAllow and CommCheckIsNoRecord close the caller's objects

TEST(CheckAllow, OnlyOnePassesAndARefusalClosesTheCallersObjects) {
  for (int16_t state : {0, 2, -1}) {
    Page p;
    auto rs = FakeRs::make();
    auto conn = FakeConn::make();
    Variant r = var(rs), c = var(conn);
    CommCheckAllow(p.resp, r, c, state, false);
    p.expect_rejected(u"本功能尚未开启，请联系管理员！");
    EXPECT_EQ(rs->close_calls, 1);
    EXPECT_TRUE(conn->closed);
  }
  Page p;
  auto conn = FakeConn::make();
  Variant r(u""), c = var(conn);
  CommCheckAllow(p.resp, r, c, 1, false);
  p.expect_passed();
  EXPECT_FALSE(conn->closed);
}

TEST(CheckIsNoRecord, EofOrBofRefusesWithTheGivenOrDefaultMessage) {
  struct Case {
    bool has_rows;
    const char16_t* message;
    const char16_t* shown;
  };
  for (const auto& k : {Case{false, u"", u"没有该记录,可能原因是ID出错或从非法路径进入。"},
                        Case{false, u"文章不存在", u"文章不存在"}, Case{true, u"", nullptr}}) {
    Page p;
    auto rs = FakeRs::make();
    rs->columns = {u"id"};
    if (k.has_rows) rs->rows = {{Variant(1)}};
    auto conn = FakeConn::make();
    Variant r = var(rs), c = var(conn);
    CommCheckIsNoRecord(p.resp, r, c, k.message, false);
    if (k.shown) {
      p.expect_rejected(k.shown);
      EXPECT_TRUE(conn->closed);
      EXPECT_EQ(rs->close_calls, 1);
    } else {
      p.expect_passed();
      EXPECT_FALSE(conn->closed);
    }
  }
}

// ---- CommCheckInput

TEST(CheckInput, FirstItemWhoseTrimmedValueEqualsItsMarkerRefuses) {
  Page p;
  p.request->form->add(u"title", u"hello");
  p.request->form->add(u"body", u"   ");
  CommCheckInput(p.req, p.resp, u"title|标题|$body|内容|$author|作者|", false);
  p.expect_rejected(u"请内容！");
}

TEST(CheckInput, MarkerNeedNotBeEmpty) {
  Page p;
  p.request->query->add(u"sort", u"0");
  CommCheckInput(p.req, p.resp, u"sort|分类|0", false);
  p.expect_rejected(u"请分类！");
  Page ok;
  ok.request->query->add(u"sort", u"3");
  CommCheckInput(ok.req, ok.resp, u"sort|分类|0", false);
  ok.expect_passed();
  Page empty;
  CommCheckInput(empty.req, empty.resp, u"", false);
  empty.expect_passed();
}

TEST(CheckInput, ItemWithFewerThanThreeFieldsIsASubscriptError) {
  for (auto list : {u"title|标题", u"title", u"title|标题|$", u"a|b|$c|d"}) {
    Page p;
    p.request->form->add(u"title", u"x");
    p.request->form->add(u"a", u"x");
    EXPECT_EQ(error_of([&] { CommCheckInput(p.req, p.resp, list, false); }), raised(kSubscriptOutOfRange))
        << to_utf8(list);
    p.expect_passed();
  }
  // Items after a refusal are never looked at.
  Page p;
  CommCheckInput(p.req, p.resp, u"title|标题|$broken", false);
  p.expect_rejected(u"请标题！");
}

// ---- CommCheckIsEof over a real database

TEST(CheckIsEof, AnswersOnTheSitesDatabaseAndLeavesTheConnectionOpen) {
  // The site's root maps to a temporary folder; the connection string is the
  // one the component builds for the site's data file.
  auto root = std::filesystem::temp_directory_path() / "brevane_iseof_site";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "data");
  Text win_root = u"C:" + from_utf8(root.string());
  for (auto& ch : win_root)
    if (ch == u'/') ch = u'\\';
  Variant server = var(kit::FakeServer::make(win_root));
  Variant conn(create_object(u"ADODB.Connection"));
  call(conn, u"Open", {Variant(CommGetConnString(server))});
  EXPECT_TRUE(std::filesystem::exists(root / "data" / "vote.asp"));
  call(conn, u"Execute", {Variant(u"create table [user] ([id] integer, [name] text)")});
  call(conn, u"Execute", {Variant(u"insert into [user] values (1, 'a')")});
  EXPECT_FALSE(CommCheckIsEof(conn, u"select * from [user] where [id]=1"));
  EXPECT_TRUE(CommCheckIsEof(conn, u"select * from [user] where [id]=2"));
  EXPECT_EQ(get(conn, u"State").to_i32(), 1);
  EXPECT_NE(error_of([&] { CommCheckIsEof(conn, u"select * from nowhere"); }).number, 0);
  call(conn, u"Close");
  std::filesystem::remove_all(root);
}

// ---- classifiers

TEST(CheckEditAndRead, ReadTheRequestItems) {
  struct Case {
    const char16_t* id;  // nullptr: absent
    bool edit;
  };
  for (const auto& c : {Case{nullptr, false}, Case{u"", false}, Case{u"12", true}, Case{u" 12 ", true},
                        Case{u"1.5", true}, Case{u"abc", false}}) {
    auto r = FakeRequest::make();
    if (c.id) r->query->add(u"ID", c.id);
    Variant req = var(r);
    EXPECT_EQ(CommCheckEdit(req), c.edit) << (c.id ? to_utf8(c.id) : "absent");
  }
  auto r = FakeRequest::make();
  Variant req = var(r);
  EXPECT_TRUE(CommCheckRead(req));
  r->form->add(u"action", u"");
  EXPECT_TRUE(CommCheckRead(req));
  auto w = FakeRequest::make();
  w->query->add(u"action", u"save");
  Variant wreq = var(w);
  EXPECT_FALSE(CommCheckRead(wreq));
}

TEST(CheckState, NewEditOrOther) {
  struct Case {
    const char16_t* mode;
    Variant id;
    int16_t state;
  };
  for (const auto& c : {Case{u"edit", Variant(), 1}, Case{u"edit", Variant::null(), 1},
                        Case{u"edit", Variant(u"   "), 1}, Case{u"  Edit ", Variant(u"5"), 2},
                        Case{u"MODIFY", Variant(5), 2}, Case{u"view", Variant(u"5"), 3}, Case{u"", Variant(u"5"), 3}})
    EXPECT_EQ(CommCheckState(c.mode, c.id), c.state) << to_utf8(c.mode);
}

struct AgentCase {
  const char16_t* agent;
  const char16_t* system;
  const char16_t* browser;
};

TEST(NetUser, SystemAndBrowserByTableOrder) {
  for (const auto& c : {AgentCase{u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)", u"Win XP", u"IE"},
                        AgentCase{u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.2)", u"Win 2003", u"IE"},
                        AgentCase{u"Mozilla/4.0 (compatible; MSIE 5.0; Windows NT 5.0)", u"Win 2000", u"IE"},
                        AgentCase{u"Mozilla/5.0 (Windows NT 6.1; Win64; x64)", u"Win Nt", u"其它"},
                        AgentCase{u"Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)", u"Win 9x", u"IE"},
                        AgentCase{u"Mozilla/5.0 (X11; Linux x86_64)", u"类Unix", u"其它"},
                        AgentCase{u"Mozilla/5.0 (Macintosh; Intel Mac OS X)", u"Mac", u"其它"},
                        AgentCase{u"curl/8.0", u"其它", u"其它"}, AgentCase{u"", u"其它", u"其它"}}) {
    auto r = FakeRequest::make();
    r->server_variables[u"HTTP_USER_AGENT"] = c.agent;
    Variant req = var(r);
    EXPECT_EQ(CommCheckNetUserSystem(req), c.system) << to_utf8(c.agent);
    EXPECT_EQ(CommCheckNetUserBrower(req), c.browser) << to_utf8(c.agent);
  }
}

// ---- through the façade

TEST(GuardFacade, OptionalCloseParentDefaultsToFalse) {
  Variant c(create_object(u"Brevane.BrevaneCls"));
  Page p;
  p.request->query->add(u"q", u"1 and 1=1");
  call(c, u"CommCheckInject", {p.req, p.resp});
  p.expect_rejected(kInject, false);
  Page s;
  Variant empty(u"");
  std::vector<Variant> args{s.resp, empty, Variant(true)};
  invoke_by_name(c, u"CommCheckSession", kMethod, args);
  s.expect_rejected(u"请不要从非法路径进入！", true);
  EXPECT_EQ(call(c, u"CommCheckState", {Variant(u"edit"), Variant(u"3")}).to_i32(), 2);
}

}  // namespace
}  // namespace brevane
