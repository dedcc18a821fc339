// The shared error page and the data-access helpers, reached by name through
// the façade as pages reach them.
#include "frame/errorpage.h"

#include <gtest/gtest.h>

#include "core/registry.h"
#include "frame/caption.h"
#include "frame/swapimage.h"
#include "kit/hostkit.h"

namespace brevane {
namespace {

using kit::var;

Variant facade() { return Variant(create_object(u"Brevane.BrevaneCls")); }

// Nothing: an object slot holding no object.
bool is_nothing(const Variant& v) { return v.is_object() && !v.object_or_null(); }

size_t pos_of(const Text& haystack, TextView needle) { return haystack.find(needle); }

TEST(ErrorPage, WrittenInOneWriteThenClosedThenEnded) {
  auto response = kit::FakeResponse::make();
  auto rs = kit::FakeRs::make();
  auto conn = kit::FakeConn::make();
  std::vector<Variant> args{var(response), var(rs), var(conn), Variant(u"参数错误")};
  invoke_by_name(facade(), u"CommShowErrorPage", kMethod, args);
  EXPECT_EQ(response->write_calls, 1);
  EXPECT_TRUE(response->ended);
  EXPECT_EQ(rs->close_calls, 1);
  EXPECT_TRUE(conn->closed);
  // The page's own variables now hold Nothing.
  EXPECT_TRUE(args[1].is_object());
  EXPECT_TRUE(is_nothing(args[1]));
}

TEST(ErrorPage, PiecesComeInOrder) {
  Text page = error_page_html(u"msg", false);
  EXPECT_EQ(page.rfind(CommScriptSwapImage(), 0), 0u);
  const TextView pieces[] = {
      u"</Script><title>",
      kComponentCaption,
      u"</title><body bgcolor='#FFFFFF' leftmargin='0' topmargin='0' onload=ZeltoPreloadImages(",
      u"<td width=348 height=23>&nbsp;<FONT face='Arial, Helvetica, sans-serif' color=#000000 style='font-size:9pt;'>",
      kComponentCaption,
      u"</FONT></td>",
      u"onmouseout=ZeltoSwapImgRestore() href='JavaScript:window.close()'><img height=18",
      u"name=errr1_c4></td></tr></table>",
      u"<blockquote><div id=base><font "
      u"style='font-size:9pt;'><br><br>出错原因：<ul><li>&nbsp;&nbsp;&nbsp;&nbsp;对不起，msg</ul>"
      u"<br><br></font></div></blockquote>",
      u"Zelto_Error_ButtonReturn2.asp',1) onmouseout=ZeltoSwapImgRestore()  href='JavaScript:history.back();'>",
      u"name=back></a></td></tr><tr><td height=2><img height=5 src='../Comm/Image/Zelto_Error_Bottom.asp' "
      u"width=400></td></tr></table></td></tr></table>",
  };
  size_t at = 0;
  for (TextView p : pieces) {
    size_t found = page.find(p, at);
    ASSERT_NE(found, Text::npos) << to_utf8(p);
    at = found + p.size();
  }
  EXPECT_EQ(at, page.size());
  EXPECT_EQ(page.find(u"<head>"), Text::npos);
  EXPECT_EQ(page.find_first_of(u"\r\n"), Text::npos);
}

TEST(ErrorPage, CloseParentAddsBaseTargetAndClosesInsteadOfGoingBack) {
  Text page = error_page_html(u"m", true);
  size_t head = pos_of(page, u"</Script><head><base target=\"_self\"></head><title>");
  EXPECT_NE(head, Text::npos);
  EXPECT_NE(page.find(u"onmouseout=ZeltoSwapImgRestore()  href='JavaScript:window.close()'><img height=20"),
            Text::npos);
  EXPECT_EQ(page.find(u"history.back"), Text::npos);
}

TEST(ErrorPage, MessageGoesInAsMarkupAndMayBeEmpty) {
  EXPECT_NE(error_page_html(u"", false).find(u"对不起，</ul>"), Text::npos);
  EXPECT_NE(error_page_html(u"<b>x</b>", false).find(u"对不起，<b>x</b></ul>"), Text::npos);
}

TEST(ErrorPage, CloseParentLeftOutMeansFalse) {
  auto response = kit::FakeResponse::make();
  std::vector<Variant> args{var(response), Variant(u""), Variant(u""), Variant(u"m")};
  invoke_by_name(facade(), u"CommShowErrorPage", kMethod, args);
  EXPECT_EQ(response->output, error_page_html(u"m", false));
  // Empty strings are passed over, not turned into Nothing.
  EXPECT_EQ(args[1].type(), VarType::String);
  EXPECT_TRUE(response->ended);
}

TEST(ErrorPage, CopiesLeaveTheCallersVariablesAlone) {
  auto response = kit::FakeResponse::make();
  auto rs = kit::FakeRs::make();
  const Variant rs_var = var(rs);
  show_error_page(var(response), rs_var, Variant(u""), u"m", false);
  EXPECT_EQ(rs->close_calls, 1);
  EXPECT_NO_THROW(rs_var.object());
}

TEST(CloseData, OnlyValuesAreClosedAndErrorsAreSwallowed) {
  auto rs = kit::FakeRs::make();
  rs->open = false;  // closing again raises 3704
  auto conn = kit::FakeConn::make();
  Variant r = var(rs), c = var(conn);
  CommCloseData(r, c);
  EXPECT_EQ(rs->close_calls, 1);
  EXPECT_EQ(conn->close_calls, 1);
  EXPECT_TRUE(is_nothing(r));

  struct {
    Variant value;
    bool cleared;
  } cases[] = {{Variant(), false},    {Variant::null(), false},    {Variant(u"   "), false},
               {Variant(u"x"), true}, {Variant(int16_t{0}), true}, {Variant(ObjectPtr()), true}};
  for (auto& k : cases) {
    Variant a = k.value, b = Variant();
    EXPECT_NO_THROW(CommCloseData(a, b));
    if (k.cleared)
      EXPECT_TRUE(is_nothing(a));  // Nothing
    else
      EXPECT_EQ(a.type(), k.value.type());
  }
}

TEST(DataAccess, ConnectionStringNamesTheDataFile) {
  auto server = kit::FakeServer::make(u"D:\\site");
  Variant s = var(server);
  EXPECT_EQ(call(facade(), u"CommGetDataFullName", {s}).to_text(), u"D:\\site\\data\\vote.asp");
  EXPECT_EQ(call(facade(), u"CommGetConnString", {s}).to_text(),
            u"DBQ=D:\\site\\data\\vote.asp;DefaultDir=;DRIVER={Microsoft Access Driver (*.Mdb)};");
}

TEST(DataAccess, InitAndSetConnTouchNothing) {
  auto response = kit::FakeResponse::make();
  auto conn = kit::FakeConn::make();
  Variant f = facade();
  call(f, u"CommDataInit",
       {var(response), var(kit::FakeRequest::make()), var(kit::FakeServer::make()), var(kit::FakeStore::make())});
  call(f, u"CommSetConn", {var(kit::FakeServer::make()), var(conn), var(response)});
  EXPECT_EQ(response->write_calls, 0);
  EXPECT_EQ(conn->close_calls, 0);
}

}  // namespace
}  // namespace brevane
