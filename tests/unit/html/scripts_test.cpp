#include "html/scripts.h"

#include <gtest/gtest.h>

#include "core/registry.h"
#include "kit/hostkit.h"

namespace brevane {
namespace {

TEST(JsStringEscape, EscapesWhatCouldEndTheStringAttributeOrElement) {
  struct Case {
    Text in, out;
  } cases[] = {
      {u"", u""},
      {u"abc 中文", u"abc 中文"},
      {u"a\"b'c", u"a\\x22b\\x27c"},
      {u"c:\\dir\\f", u"c:\\\\dir\\\\f"},
      {u"</script><b>&amp;", u"\\x3C/script\\x3E\\x3Cb\\x3E\\x26amp;"},
      {u"l1\r\nl2\tx", u"l1\\r\\nl2\\tx"},
      {Text(u"\x01\x1f\x7f", 3), u"\\x01\\x1F\\x7F"},
      {u"\u2028\u2029", u"\\u2028\\u2029"},
  };
  for (const auto& c : cases) EXPECT_EQ(js_string_escape(c.in), c.out) << to_utf8(c.in);
}

size_t count(const Text& s, TextView what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != Text::npos; at = s.find(what, at + what.size())) ++n;
  return n;
}

// What other fragments and the pages call: each block defines these names,
// ids and texts, opens with one script element and closes it.
TEST(ScriptBlocks, DefineTheNamesIdsAndTextsOthersCall) {
  Variant c(create_object(u"Brevane.BrevaneCls"));
  auto request = kit::FakeRequest::make();
  struct Case {
    Text member;
    std::vector<Variant> args;
    std::vector<Text> must_hold;
  } cases[] = {
      {u"CommScriptNoInFrame", {}, {u"top.location.hostname!=window.location.hostname", u"catch(e)"}},
      {u"CommScriptNoInTop", {}, {u"if(top!=self){top.location=self.location;}"}},
      {u"CommScriptImage",
       {},
       {u"function DownImage(ImgD)",
        u"function DrawImage(ImgD)",
        u">500",
        u"function cgimg(o",
        u"wheelDelta",
        u"/12",
        u"function zelto_showpic(pic_url,pic_width,pic_height,pic_width_right,pic_height_right,pic_border_width,"
        u"pic_title,allow_open_windows)",
        u"'no_open'",
        u"../comm/zelto_FileView.asp?FileType=Image&Url=",
        u"&Title=",
        u"function dheight()",
        u"function xheight()",
        u"function dwidth()",
        u"function xwidth()",
        u"function photohy()",
        u"'photohight'",
        u"'photowidth'",
        u"'phototz'",
        u"'photo5'",
        u"'photo6'",
        u"'PhotoHeightMax'",
        u"'PhotoHeightMin'",
        u"'PhotoWidthMax'",
        u"'PhotoWidthMin'",
        u"'photofile'",
        u"'photohight1'",
        u"'photowidth1'"}},
      {u"CommScriptMouse",
       {kit::var(request)},
       {u"function NoContextMenu(", u"function NoRightClick(e)", u"function NoCtrlN(", u"k==114", u"k==115",
        u"function CancelLink(", u"function cform()", u"您确认删除该记录吗！", u"function killErrors()",
        u"window.onerror=killErrors", u"'contextmenu',NoContextMenu", u"'mousedown',NoRightClick", u"'keydown',NoCtrlN",
        u"'click',CancelLink"}},
      {u"CommScriptListMenu",
       {},
       {u"function initIt()", u"function expandIt(el)", u"var scores=new Array(20)", u"var numTotal=0", u"'Child'",
        u"' child '", u"'load',initIt"}},
      {u"CommScriptListMenuMove",
       {},
       {u"function heartBeat()", u"function grabIt(", u"function moveIt(", u"function dropIt(",
        u"function closeLoginForm()", u"function showLoginForm()", u"'floater'", u"'scroll1'", u"'scroll2'", u"/10",
        u"-20", u"-5"}},
      {u"CommScriptCheck",
       {},
       {u"function ZeltoRegCheckIsTelephone(p_String)", u"{7,18}", u"function ZeltoRegCheckIsEmail(p_String)",
        u"function ZeltoRegCheckIsInteger(p_String)", u"function ZeltoRegCheckIsAge(p_String)", u"now-60", u"now-18",
        u"function ZeltoRegCheckIsValidTrueName(p_String)", u"\\u4E00-\\u9FA5",
        u"function ZeltoRegCheckIsChinese(p_String)", u"function ZeltoRegCheckValidPasswd(p_String)", u"{6,16}",
        u"function ZeltoRegCheckIsNull(p_String)", u"function ZeltoRegCheckIsIP(p_String)", u">=256"}},
      {u"CommScriptCheckPostCard",
       {},
       {u"function isIdCardNo(objectname,num,level,autochange)", u"输入身份证号码长度不对！", u"错误的身份证号码！.",
        u"身份证中日期信息不正确！.", u"身份证效验位错误!正确为： ", u"[7,9,10,5,8,4,2,1,6,3,7,9,10,5,8,4,2]",
        u"function create_postcard(objectname,birthday,sex)", u"'99'", u"\"男\"", u"\"女\"", u"function checkDate(str)",
        u"now-25", u"now-10", u"d>29"}},
      {u"CommScriptOpenWindow",
       {},
       {u"function OpenWindowModalScroll(p_Url,p_Width,p_Height)",
        u"function OpenWindowModalNoScroll(p_Url,p_Width,p_Height)", u"function OpenWindowModalDate(obj)",
        u"'../comm/zelto_selectdate.asp?excel=yes',210,210", u"function OpenWindowFullScreen(p_Url)", u"availWidth-10",
        u"availHeight-30", u"'ScreenHeight='", u"'zelto'",
        u"function OpenWindowCenterScreen(p_Url,p_OpenName,p_Width,p_Height,p_Close)", u"p_Close==1",
        u"function OpenWindowQQNoScroll(p_Url,p_OpenName,p_Left,p_Top,p_Width,p_Height)",
        u"function OpenWindowQQScroll(p_Url,p_OpenName,p_Left,p_Top,p_Width,p_Height)",
        u"function OpenWindowResize(p_Url,p_Width,p_Height)", u"'OpenWindowResize'",
        u"function OpenWindow(p_Url,p_OpenName,p_Width,p_Height)", u"showModalDialog", u"help:no", u"status:no"}},
      {u"CommScriptPopWindow",
       {},
       {u"src=\"../comm/zelto_PopupClass.asp\"", u"function ShowIframe(title,contentUrl,width,height)",
        u"function ShowHtmlString(title,strHtml,width,height)",
        u"function ShowConfirm(title,confirmCon,id,str,width,height)", u"function ShowCallBack(para)",
        u"function ShowAlert(title,alertCon,width,height)", u"function ClosePop()", u"isReloadOnClose:false"}},
      {u"CommScriptPopSelect",
       {},
       {u"function PopSelectData(obj,selectname)", u"'../comm/zelto_selectdata.asp?zdm='", u",220,510,",
        u"function PopSelectDate(obj)", u"'../comm/zelto_selectdate.asp?excel=yes',210,210",
        u"function onKeyDownDefault(", u"document.myform", u"k==38", u"k==40", u"'TEXTAREA'", u"'submit'",
        u"function IsDigit(", u"k>=48&&k<=57"}},
      {u"CommScriptShowDateAndTime",
       {Variant(u"window.ticks=(window.ticks||0)+1;")},
       {u"function ShowDateAndTimeScript()", u"\"liveclock\"", u"\"年\"", u"\"月\"", u"\"日 \"",
        u"[\"星期日\",\"星期一\",\"星期二\",\"星期三\",\"星期四\",\"星期五\",\"星期六\"]", u"color=blue",
        u"window.ticks=(window.ticks||0)+1;", u"ShowDateAndTimeScript,1000"}},
      {u"CommScriptShowProcessBar",
       {},
       {u"function AddProcessbar()", u"系统正在处理中...", u"id=\"sbar\"", u"'IsShowProcessBar'", u"'true'", u",150)",
        u"0.025", u"0.98"}},
      {u"CommAjaxGet",
       {},
       {u"function ShowAjax(p_ObjectID,p_Url,p_PostStr)", u"XMLHttpRequest", u"\"Microsoft.XMLHTTP\"",
        u"readyState==4&&x.status==200", u"innerHTML=x.responseText", u"\"GET\""}},
      {u"CommAjaxPost",
       {},
       {u"function ShowAjax(p_ObjectID,p_Url,p_PostStr)", u"\"POST\"", u"\"Cache-Control\",\"no-cache\"",
        u"\"Content-Type\",\"application/x-www-form-urlencoded;\"", u"send(String(p_PostStr))"}},
      {u"CommScriptShowToolTipText",
       {},
       {u"function popwish(wish)", u"function kill()", u"'dek'", u"Yoffset=-113", u"width=\"200\"", u"color=\"red\"",
        u"../comm/image/Zelto_TipText_"}},
      {u"CommScriptShowCalendar",
       {},
       {u"function fPopUpCalendarDlg(ctrlobj,htmpath)",
        u"'../../calendar/CalendarDlg.htm'",
        u",197,210,",
        u"dx:-80",
        u"id=\"VicPopCal\"",
        u"z-index:100",
        u"value=\"<\"",
        u"i=1950;i<=2059",
        u"'年</option>'",
        u"'1月'",
        u"'12月'",
        u"value=\">\"",
        u"value=\"清空\"",
        u"value=\"选择: '",
        u"function fBuildCal(iYear,iMonth)",
        u"function fUpdateCal(iYear,iMonth)",
        u"gcGray='#808080'",
        u"'red'",
        u"'blue'",
        u"'black'",
        u"gcBG='#E9EACA'",
        u"gcToggle='#ffff00'",
        u"color:#990099",
        u"function fSetSelected(aCell)",
        u"v<15",
        u"function fSetDate(iYear,iMonth,iDay)",
        u"window.returnValue=text",
        u"function fPopCalendar(popCtrl,dateCtrl,mode,defDate)",
        u"=='2'",
        u"function fToggleTags(",
        u"==27",
        u"window.returnValue=null"}},
      {u"CommScriptScrollWindow",
       {},
       {u"function ZeltoScriptScrollWindow()", u"scrollBy(0,1)", u"zeltoScrollStep,1)", u"'dblclick'",
        u"'mousedown',zeltoScrollStop"}},
      {u"CommScriptScrollWindowFollow",
       {Variant(int32_t{120})},
       {u"#master{LEFT:120px;POSITION:absolute;TOP:10px;z-index:999}", u"id=\"master\"",
        u"../comm/image/zelto_gotop.asp", u"+10)+'px'", u"ZeltoScrollWindowFollow,100)"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(to_utf8(k.member));
    Text s = k.args.empty()       ? call(c, k.member).to_text()
             : k.args.size() == 1 ? call(c, k.member, {k.args[0]}).to_text()
                                  : Text();
    EXPECT_TRUE(s.ends_with(u"</script>"));
    EXPECT_NE(s.find(u"<script language=\"JavaScript\">"), Text::npos);
    EXPECT_EQ(count(s, u"</script>"), count(s, u"<script "));
    for (const Text& part : k.must_hold) EXPECT_NE(s.find(part), Text::npos) << to_utf8(part);
  }
}

TEST(ScriptBlocks, ProtectionIsOffForTheSpreadsheetExport) {
  for (Text excel : {u"yes", u"YES", u" Yes "}) {
    auto request = kit::FakeRequest::make();
    request->query->add(u"excel", excel);
    Variant r = kit::var(request);
    EXPECT_EQ(CommScriptMouse(r), u"");
  }
  auto request = kit::FakeRequest::make();
  request->query->add(u"excel", u"no");
  Variant r = kit::var(request);
  EXPECT_NE(CommScriptMouse(r).find(u"function NoContextMenu("), Text::npos);
}

TEST(ScriptBlocks, CheckFormTestsEachRuleInOrder) {
  struct Case {
    Text list;
    std::vector<Text> must_hold, must_not;
  } cases[] = {
      {u"", {u"function checkform(){", u"return true;}"}, {u"alert("}},
      {u"title|标题不能为空$pwd|密码不能为空|pwd2|两次密码不一致",
       {u"o=f[\"title\"];\nif(zeltoFormEmpty(o)){alert(\"标题不能为空\");",
        u"o=f[\"pwd\"];\nif(zeltoFormEmpty(o)){alert(\"密码不能为空\");",
        u"if(o&&o.value!=(f[\"pwd2\"]||{}).value){alert(\"两次密码不一致\");"},
       {u".length>"}},
      {u"memo|备注不能为空|50|备注不能超过50字",
       {u"if(o&&String(o.value).length>50){alert(\"备注不能超过50字\");"},
       {u".value!=("}},
      {u"Editor|内容不能为空", {u"zeltoEditorToContent(f);\no=f[\"content\"];", u"zeltoFocusField(f,\"Editor\""}, {}},
      {u"editor2|内容不能为空", {u"o=f[\"content\"];"}, {u"zeltoEditorToContent(f);"}},
      // Values are script-string escaped; a stray "$" is no rule.
      {u"a\"b|say \"hi\"</script>$",
       {u"o=f[\"a\\x22b\"];", u"alert(\"say \\x22hi\\x22\\x3C/script\\x3E\");"},
       {u"o=f[\"\"]"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(to_utf8(k.list));
    Text s = CommScriptCheckForm(k.list);
    EXPECT_EQ(count(s, u"</script>"), 1u);
    for (const Text& part : k.must_hold) EXPECT_NE(s.find(part), Text::npos) << to_utf8(part);
    for (const Text& part : k.must_not) EXPECT_EQ(s.find(part), Text::npos) << to_utf8(part);
  }
  // Two rules give one empty test for title and, for pwd, an empty test and an equality test.
  Text two = CommScriptCheckForm(u"title|标题不能为空$pwd|密码不能为空|pwd2|两次密码不一致");
  EXPECT_EQ(count(two, u"if(zeltoFormEmpty(o))"), 2u);
  EXPECT_EQ(count(two, u"o.value!="), 1u);
}

TEST(ScriptBlocks, ScrollFollowTakesOnlyALengthAndTheTitleLineIsLiteral) {
  EXPECT_NE(CommScriptScrollWindowFollow(Variant(u"10%")).find(u"LEFT:10%;"), Text::npos);
  EXPECT_NE(CommScriptScrollWindowFollow(Variant(u"-5")).find(u"LEFT:-5px;"), Text::npos);
  Text hostile = CommScriptScrollWindowFollow(Variant(u"1</script><b>"));
  EXPECT_EQ(count(hostile, u"</script>"), 1u);
  EXPECT_NE(hostile.find(u"LEFT:1scriptb;"), Text::npos);

  Variant c(create_object(u"Brevane.BrevaneCls"));
  EXPECT_EQ(call(c, u"CommShowScrollWindowTitle").to_text(),
            u"&nbsp;&nbsp;&nbsp;&nbsp;<font color='red'>（双击自动向上滚动，单击停止，点击"
            u"<img src='../comm/image/zelto_gotop.asp' border=0 align=absmiddle>回至顶部）</font>");
  EXPECT_NE(CommShowScrollWindowTitle(u"x'><b").find(u"<font color='x&#39;&gt;&lt;b'>"), Text::npos);
}

TEST(MenuScripts, PopupAndDropDownKeepTheirNamesEntriesAndNumbers) {
  Text pop = popup_menu_script();
  for (TextView part : {u"function popMenu(p_FileType,p_FileName)",
                        u"window.createPopup",
                        u"#0a246a",
                        u"width=\"150\"",
                        u"rows*19",
                        u"height=\"18\"",
                        u"../comm/image/menu/",
                        u"_small.asp",
                        u"t=='empty'",
                        u"t=='folder'",
                        u"t=='rar'||t=='zip'",
                        u"'新建文件夹'",
                        u"'全选文件夹'",
                        u"'取消全选'",
                        u"'新建文本文件'",
                        u"'上传文件'",
                        u"'全选文件'",
                        u"'剪切'",
                        u"'复制'",
                        u"'粘贴'",
                        u"'删除'",
                        u"'查看方式(图标)'",
                        u"'查看方式(详细资料)'",
                        u"'刷新'",
                        u"'打开'",
                        u"'重命名'",
                        u"'压缩'",
                        u"'下载'",
                        u"'编辑'",
                        u"'解压'",
                        u"['create_it',['CreateFolder']",
                        u"['delfile',['DelFolder',n]",
                        u"['ReNameIt',['ReNameFile',n]",
                        u"['zipunzip',['Unzip',n]",
                        u"['zipunzip',['ZipFile',n]",
                        u"['zipunzip',['ZipFolder',n]",
                        u"['cutfile',[2,n]",
                        u"['copyfile',[1,n]",
                        u"['down_file',[n]",
                        u"['editfile',[n,t]",
                        u"['viewfile',[n,t,0]",
                        u"['viewfile',[n,'folder',0]"})
    EXPECT_NE(pop.find(part), Text::npos) << to_utf8(part);
  Text drop = dropdown_menu_script();
  for (TextView part : {u"function ShowMenu(vMnuCode,tWidth)", u"function HideMenu()",
                        u"function makeRectangularDropShadow(el,color,size)", u"var topMar=1;", u"var leftMar=-2;",
                        u"var space=1;", u"'menuDiv'", u"leftMar+4", u"topMar+src.offsetHeight+space-2", u"'#999999',4",
                        u"1-i/(i+1)", u"el.offsetLeft+i"})
    EXPECT_NE(drop.find(part), Text::npos) << to_utf8(part);
}

}  // namespace
}  // namespace brevane
