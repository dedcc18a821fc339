// Page chrome: alert scripts, window scripts, title bars, the dialog frame
// and the disk-space bar.
#include "html/chrome.h"

#include <gtest/gtest.h>

#include "core/registry.h"
#include "html/listpage.h"
#include "kit/hostkit.h"

namespace brevane {
namespace {

TEST(Chrome, SuccessNavigation) {
  struct Case {
    const char16_t *url, *expected;
  } cases[] = {
      {u"", u"<Script>{alert(\"已保存\");history.go(-1);}</Script>"},
      {u"close", u"<Script>{alert(\"已保存\");window.close();}</Script>"},
      {u"  list.asp ", u"<Script>{alert(\"已保存\");location.href=\"list.asp\";}</Script>"},
      {u"Close", u"<Script>{alert(\"已保存\");location.href=\"Close\";}</Script>"},
  };
  for (const Case& c : cases) EXPECT_EQ(CommShowSuccess(u"已保存", c.url), c.expected) << to_utf8(c.url);
}

TEST(Chrome, MessagesCannotLeaveTheScriptString) {
  EXPECT_EQ(script_string_body(u"保存成功 ok 1.5%"), u"保存成功 ok 1.5%");
  EXPECT_EQ(script_string_body(u"a\\b'c\"d\r\ne</script><!--"), u"a\\\\b\\'c\\\"d\\r\\ne<\\/script><\\!--");
  Text s = CommShowSuccess(u"\");alert(1);//</Script><script>alert(2)</script>", u"x\";alert(3);//");
  EXPECT_EQ(s.find(u"</Script><script>"), Text::npos);
  EXPECT_EQ(s,
            u"<Script>{alert(\"\\\");alert(1);//<\\/Script><script>alert(2)<\\/script>\");"
            u"location.href=\"x\\\";alert(3);//\";}</Script>");
  EXPECT_EQ(CommOpenerEditRefresh(u"it's", 0),
            u"<SCRIPT LANGUAGE=JavaScript>alert('it\\'s');"
            u"parent.dialogArguments.location.href=parent.dialogArguments.location;</SCRIPT>");
}

TEST(Chrome, WindowScripts) {
  EXPECT_EQ(CommOpenerEditRefresh(u"", 1),
            u"<SCRIPT LANGUAGE=JavaScript>parent.dialogArguments.location.href=parent.dialogArguments.location;"
            u"window.close();</SCRIPT>");
  EXPECT_EQ(CommOpenerRefresh(),
            u"<SCRIPT LANGUAGE=JavaScript>opener.location.href=opener.location;window.close();</SCRIPT>");
  Text current = CommCloseWindowCurrent().to_text();
  EXPECT_EQ(current.rfind(u"<center><iframe name=zelto_close_ModalDialog", 0), 0u);
  EXPECT_EQ(current.substr(current.size() - 18), u"</iframe></center>");
  Text quiet = CommCloseWindowNoMessagebox().to_text();
  EXPECT_NE(quiet.find(u"window.opener=null;"), Text::npos);
  EXPECT_NE(quiet.find(u"window.open('','_self');"), Text::npos);
  EXPECT_EQ(quiet.substr(quiet.size() - 15), u"window.close();");
  EXPECT_EQ(CommCloseTopWindowNoMessagebox().to_text().rfind(u"top.window.opener=null;", 0), 0u);
  EXPECT_EQ(CommCloseWindowModal(false).to_text(), u"<head><base target=\"_self\"></head>");
  EXPECT_NE(CommCloseWindowModal(true).to_text().find(
                u"onbeforeunload=\"dialogArguments.location.href=dialogArguments.location.href\""),
            Text::npos);
}

TEST(Chrome, DiskSpaceBarWidths) {
  struct Case {
    Variant max, current;
    const char16_t *used, *free;
  } cases[] = {
      {Variant(int32_t(1000)), Variant(int32_t(500)), u"40%", u"40%"},
      {Variant(int32_t(1000)), Variant(), u"0%", u"80%"},
      {Variant(int32_t(1000)), Variant(u""), u"0%", u"80%"},
      {Variant(int32_t(1000)), Variant::null(), u"0%", u"80%"},
      {Variant(int32_t(0)), Variant(int32_t(500)), u"80%", u"0%"},
      {Variant(u"3000"), Variant(int32_t(1000)), u"26%", u"53%"},
      {Variant(int32_t(1000)), Variant(int32_t(1500)), u"120%", u"-40%"},
  };
  for (const Case& c : cases) {
    Text bar = CommShowBar(c.max, c.current);
    size_t used = bar.find(u"已使用："), left = bar.find(u"尚剩余：");
    ASSERT_NE(used, Text::npos);
    ASSERT_NE(left, Text::npos);
    EXPECT_EQ(bar.find(u"width='" + Text(c.used) + u"'", used), bar.find(u"width='", used + 20)) << to_utf8(bar);
    EXPECT_NE(bar.find(u"width='" + Text(c.used) + u"'", used), Text::npos) << to_utf8(bar);
    EXPECT_NE(bar.find(u"width='" + Text(c.free) + u"'", left), Text::npos) << to_utf8(bar);
  }
  EXPECT_NE(CommShowBar(Variant(int32_t(1024)), Variant(int32_t(0)))
                .find(u"<tr class='titlebg'><td height='22' colspan=2 "
                      u"align=center><strong>我的上传文件管理</strong></td></tr>"),
            Text::npos);
}

TEST(Chrome, TitleHeaderLinksAreCaseSensitive) {
  struct Case {
    const char16_t* add;
    bool close, print;
  } cases[] = {{u"close", true, false}, {u"Close", false, false}, {u"print", false, true}, {u"closeprint", true, true}};
  for (const Case& c : cases) {
    for (Text h : {CommShowTitleHeader(u"标题", c.add, u"x"), CommShowHeader2(u"标题", c.add, u"x")}) {
      EXPECT_EQ(h.find(u"zelto_close.asp") != Text::npos, c.close) << to_utf8(c.add);
      EXPECT_EQ(h.find(u"window.print()") != Text::npos, c.print) << to_utf8(c.add);
      EXPECT_EQ(h.substr(h.size() - 18), u"</td></tr></table>");
    }
  }
  EXPECT_EQ(CommShowTitleSingle(u"80%", u"列表", u"新闻"), CommShowHeader1(u"80%", u"列表", u"新闻"));
  EXPECT_NE(CommShowTitleSingle(u"80%", u"列表", u"新闻")
                .find(u"<td class=searchbg>【新闻】&nbsp;&nbsp;列表</td></tr></table>"),
            Text::npos);
  EXPECT_NE(CommShowTitleSingle(u"80%", u"列表", u"").find(u"<td class=searchbg>列表</td>"), Text::npos);
}

TEST(Chrome, TitleTopFindsItsWindowOpener) {
  Text bar = CommShowTitleTop(u"单位", u"新闻列表", u"export.asp", 1, 1, u"98%", u"");
  size_t fallback = bar.find(u"if(typeof openwindow_resizable!='function')");
  size_t call = bar.find(u"openwindow_resizable(this.href,800,600)");
  ASSERT_NE(fallback, Text::npos);
  ASSERT_NE(call, Text::npos);
  EXPECT_LT(fallback, call);
  EXPECT_NE(bar.find(u"<br><font class=3dfont5>〖单位〗Brevane</font><br><br><font class=3dfont1>新闻列表</font>"),
            Text::npos);
  EXPECT_NE(bar.find(u"真的要退出【"), Text::npos);
  EXPECT_NE(bar.find(u"../comm/logout.asp"), Text::npos);
  // Nothing to open, nothing defined.
  Text plain = CommShowTitleTop(u"单位", u"新闻列表", u"", 0, 0, u"98%", u"");
  EXPECT_EQ(plain.find(u"<script"), Text::npos);
  EXPECT_EQ(plain.find(u"window.print()"), Text::npos);
  const Text tail = u"</td></tr></table>" + CommShowEmptyLine(16);
  EXPECT_EQ(plain.substr(plain.size() - tail.size()), tail);
}

TEST(Chrome, DialogFrame) {
  Variant none;
  Text form = CommShowForm(none, none, none, 308, 400, u"内容", true);
  EXPECT_EQ(form.rfind(u"<br><br><body leftmargin=0 topmargin=0><table width=308 height=400 ", 0), 0u);
  EXPECT_NE(form.find(u"<tr><td height=338 colspan=2 "), Text::npos);
  EXPECT_NE(form.find(u"href=\"javascript:window.opener=null;"), Text::npos);
  EXPECT_NE(CommShowForm(none, none, none, 300, 200, u"", false).find(u"href=\"../Brevane/Netdrivers.asp\""),
            Text::npos);
  Text login = CommShowLogin(none, none, none, u"<form id=login></form>", u"");
  EXPECT_NE(login.find(u".k {height:30px;}"), Text::npos);
  EXPECT_NE(login.find(u"版本号：03.05.01&nbsp;&nbsp;"), Text::npos);
  EXPECT_NE(login.find(u"<form id=login></form>"), Text::npos);
  Text about = CommShowAbout(none, none, none, u"unused", u"");
  EXPECT_EQ(about.find(u"unused"), Text::npos);
  EXPECT_EQ(about.find(u"<style"), Text::npos);
  EXPECT_NE(about.find(u"系统信息"), Text::npos);
}

TEST(Chrome, LoginPanelShowsTheComponentVersion) {
  Variant comm(create_object(u"Brevane.BrevaneCls")), none;
  Text version = call(comm, u"CommGetVersion").to_text();
  EXPECT_NE(CommShowLogin(none, none, none, u"", u"").find(u"版本号：" + version + u"&nbsp;&nbsp;"), Text::npos);
  Text titled = CommShowLogin(none, none, none, u"", u" title.gif ");
  EXPECT_NE(titled.find(u"<tr><td height=100 "), Text::npos);
  EXPECT_NE(titled.find(u"url('title.gif') no-repeat"), Text::npos);
  EXPECT_EQ(titled.find(u"zelto_lf.asp"), Text::npos);
}

TEST(Chrome, ClearCacheSetsTheResponse) {
  auto response = kit::FakeResponse::make();
  Variant r = kit::var(response);
  CommClearCache(r);
  EXPECT_EQ(response->properties[u"expires"].to_i32(), -1);
  EXPECT_EQ(response->properties[u"cachecontrol"].to_text(), u"no-cache");
  EXPECT_EQ(response->properties[u"expiresabsolute"].type(), VarType::Date);
}

}  // namespace
}  // namespace brevane
