// The client script blocks at work: one page carrying every block with a
// small form or button for each, two tiny pages the AJAX helpers talk to,
// the page-protection block on a page of its own, the file manager menus,
// and the pick-list and date dialogs the pickers open.
#include "html/scripts.h"

#include <string>

#include "core/codepage.h"
#include "core/registry.h"
#include "frame/host.h"
#include "site/pages/common.h"
#include "site/pages/demo_site.h"

namespace brevane::site {

namespace {

using host::Page;

Text block(Variant& comm, TextView member) { return call(comm, member).to_text(); }

void fragment_start(Page& p) {
  ResponseRef(p.response()).set(u"CharSet", Variant(Text(CodePage::ansi().number() == 65001 ? u"utf-8" : u"gb2312")));
}

constexpr const char16_t* kValidators[] = {
    u"ZeltoRegCheckIsTelephone", u"ZeltoRegCheckIsEmail",         u"ZeltoRegCheckIsInteger",
    u"ZeltoRegCheckIsAge",       u"ZeltoRegCheckIsValidTrueName", u"ZeltoRegCheckIsChinese",
    u"ZeltoRegCheckValidPasswd", u"ZeltoRegCheckIsNull",          u"ZeltoRegCheckIsIP",
};

void scripts_page(Page& p) {
  Variant comm = component();
  page_start(p, u"客户端脚本");
  for (const char16_t* m :
       {u"CommScriptNoInTop", u"CommScriptNoInFrame", u"CommScriptImage", u"CommScriptListMenu", u"CommScriptCheck",
        u"CommScriptCheckPostCard", u"CommScriptOpenWindow", u"CommScriptPopWindow", u"CommScriptPopSelect",
        u"CommScriptSwapImage", u"CommScriptShowProcessBar", u"CommAjaxGet", u"CommAjaxPost",
        u"CommScriptShowToolTipText", u"CommScriptShowCalendar", u"CommScriptScrollWindow"})
    p.write(block(comm, m));
  p.write(
      call(comm, u"CommScriptShowDateAndTime", {Variant(u"window.clockTicks=(window.clockTicks||0)+1;")}).to_text());
  p.write(call(comm, u"CommScriptScrollWindowFollow", {Variant(int32_t{4})}).to_text());
  p.write(call(comm, u"CommScriptCheckForm",
               {Variant(u"title|标题不能为空$pwd|密码不能为空|pwd2|两次输入的密码不一致$memo|备注不能为空|10|"
                        u"备注不能超过10个字")})
              .to_text());

  p.write(u"<p>" + call(comm, u"CommShowScrollWindowTitle").to_text() + u"</p>");

  p.write(
      u"<h2>表单检查 checkform()</h2>"
      u"<form name=myform id=myform method=post action='index.asp' onsubmit='return checkform();'>"
      u"<p>标题 <input name=title onkeydown='onKeyDownDefault();'> 密码 <input type=password name=pwd "
      u"onkeydown='onKeyDownDefault();'> 确认 <input type=password name=pwd2 onkeydown='onKeyDownDefault();'></p>"
      u"<p>备注 <input name=memo onkeydown='onKeyDownDefault();'> 日期 <input name=day id=day readonly "
      u"title='点击左键会弹出日期选择框' onclick='PopSelectDate(document.myform.day)'> "
      u"类别 <input name=kind id=kind readonly title='点击左键会弹出选择菜单' "
      u"onclick='PopSelectData(document.myform.kind,\"学历\")'> "
      u"<input name=day2 id=day2 readonly onclick='OpenWindowModalDate(this)'></p>"
      u"<p><input type=submit value='提交'> <input type=button id=checkbtn value='检查' "
      u"onclick='document.getElementById(\"checkresult\").innerHTML=String(checkform())'> "
      u"<span id=checkresult></span></p></form>");

  p.write(u"<h2>校验函数</h2>");
  for (const char16_t* v : kValidators) {
    Text name(v);
    p.write(u"<form class=validator onsubmit='return false'><code>" + name + u"</code> <input id='in_" + name +
            u"'> <input type=button id='btn_" + name + u"' value='检查' onclick='document.getElementById(\"out_" +
            name + u"\").innerHTML=String(" + name + u"(document.getElementById(\"in_" + name +
            u"\").value))'> <span id='out_" + name + u"'></span></form>");
  }

  p.write(
      u"<h2>身份证号码</h2><form name=cardform onsubmit='return false'>号码 <input name=postcard id=postcard size=20> "
      u"级别 <select id=cardlevel><option>1<option>2<option>3<option selected>4</select> "
      u"<input type=button id=cardbtn value='检查' onclick='document.getElementById(\"cardresult\").innerHTML="
      u"String(isIdCardNo(document.cardform.postcard,document.cardform.postcard.value,"
      u"document.getElementById(\"cardlevel\").value,1))'> <span id=cardresult></span><br>"
      u"出生日期 <input id=birthday value=''> <input type=button id=makecard value='生成临时号码' "
      u"onclick='create_postcard(document.cardform.postcard,document.getElementById(\"birthday\").value,\"女\")'>"
      u"</form>");

  p.write(
      u"<h2>窗口</h2><p class=openers>"
      u"<input type=button id=o_ModalScroll value='ModalScroll' "
      u"onclick='OpenWindowModalScroll(\"popup.asp?by=ModalScroll\",400,300)'> "
      u"<input type=button id=o_ModalNoScroll value='ModalNoScroll' "
      u"onclick='OpenWindowModalNoScroll(\"popup.asp?by=ModalNoScroll\",400,300)'> "
      u"<input type=button id=o_FullScreen value='FullScreen' "
      u"onclick='OpenWindowFullScreen(\"popup.asp?by=FullScreen\")'> "
      u"<input type=button id=o_CenterScreen value='CenterScreen' "
      u"onclick='OpenWindowCenterScreen(\"popup.asp?by=CenterScreen\",\"center\",400,300,1)'> "
      u"<input type=button id=o_QQNoScroll value='QQNoScroll' "
      u"onclick='OpenWindowQQNoScroll(\"popup.asp?by=QQNoScroll\",\"qq1\",10,10,300,200)'> "
      u"<input type=button id=o_QQScroll value='QQScroll' "
      u"onclick='OpenWindowQQScroll(\"popup.asp?by=QQScroll\",\"qq2\",20,20,300,200)'> "
      u"<input type=button id=o_Resize value='Resize' onclick='OpenWindowResize(\"popup.asp?by=Resize\",400,300)'> "
      u"<input type=button id=o_OpenWindow value='OpenWindow' "
      u"onclick='OpenWindow(\"popup.asp?by=OpenWindow\",\"plain\",400,300)'></p>"
      u"<p class=pops><input type=button id=p_iframe value='ShowIframe' "
      u"onclick='ShowIframe(\"框架\",\"popup.asp?by=ShowIframe\",400,250)'> "
      u"<input type=button id=p_html value='ShowHtmlString' "
      u"onclick='ShowHtmlString(\"文字\",\"<b id=pophtml>一段文字</b>\",300,150)'> "
      u"<input type=button id=p_confirm value='ShowConfirm' "
      u"onclick='ShowConfirm(\"确认\",\"真的要继续吗？\",\"confirmtarget\",\"\",300,150)'> "
      u"<input type=button id=p_alert value='ShowAlert' onclick='ShowAlert(\"提示\",\"操作已完成\",300,150)'> "
      u"<input type=button id=confirmtarget value='(被点击)' "
      u"onclick='this.setAttribute(\"data-clicked\",\"yes\")'></p>"
      u"<p>日历 <input id=calbox size=12> <input type=button id=calbtn value='选择日期' "
      u"onclick='fPopCalendar(this,document.getElementById(\"calbox\"),\"1\",\"\")'></p>");

  p.write(
      u"<h2>时钟与处理条</h2><p>现在 <span id=liveclock></span></p><script>ShowDateAndTimeScript();</script>"
      u"<script>AddProcessbar();</script>"
      u"<div IsShowProcessBar='True'><input type=button id=busybtn value='开始处理'></div>");

  p.write(
      u"<h2>异步请求 ShowAjax</h2>"
      u"<p><input type=button id=ajaxgetbtn value='GET' onclick='ShowAjax(\"ajaxget\",\"ajax_get.asp?who=demo\")'> "
      u"<span id=ajaxget>(空)</span></p>"
      u"<p><input type=button id=ajaxpostbtn value='POST' "
      u"onclick='ShowAjax(\"ajaxpost\",\"ajax_post.asp\",\"name=zhangsan&n=2\")'> "
      u"<span id=ajaxpost>(空)</span></p>");

  p.write(
      u"<h2>图片</h2><p><a href='#' onmouseout='ZeltoSwapImgRestore()' "
      u"onmouseover=\"ZeltoSwapImage('swapimg','','../Comm/Image/Zelto_Error_ButtonClose2.asp',1)\">"
      u"<img name=swapimg id=swapimg src='../Comm/Image/Zelto_Error_ButtonClose1.asp' border=0></a> "
      u"<img id=bigimg src='../Comm/Image/zelto_tab_title1.asp' onload='javascript:DrawImage(this);' "
      u"onmousewheel='return cgimg(this);'></p>"
      u"<p><span id=tiptarget onmouseover='popwish(\"这是提示文字\")' onmouseout='kill()'>提示文字</span></p>"
      u"<div id=m1 onclick='expandIt(\"m1\")' style='cursor:pointer'>展开菜单一</div>"
      u"<div id=m1Child class=child>子菜单一</div>"
      u"<div id=m2 onclick='expandIt(\"m2\")' style='cursor:pointer'>展开菜单二</div>"
      u"<div id=m2Child class=child>子菜单二</div>"
      u"<p><a href='mouse.asp'>页面保护</a> · <a href='menus.asp'>文件管理菜单</a></p>");
  page_end(p);
}

void ajax_get(Page& p) {
  fragment_start(p);
  p.write(u"<b class=ajaxanswer>GET 已收到: " + html(RequestRef(p.request()).query_string(u"who")) + u"</b>");
}

void ajax_post(Page& p) {
  fragment_start(p);
  RequestRef r(p.request());
  p.write(u"<b class=ajaxanswer>POST 已收到: " + html(r.form(u"name")) + u" " + html(r.form(u"n")) + u"</b>");
}

void popup_page(Page& p) {
  page_start(p, u"新窗口");
  // Shown in a dialog it must stay there, even though it refuses frames.
  p.write(call(component(), u"CommScriptNoInTop").to_text());
  p.write(u"<p id=popped>由 " + html(RequestRef(p.request()).query_string(u"by")) + u" 打开</p>");
  page_end(p);
}

void mouse_page(Page& p) {
  Variant comm = component();
  page_start(p, u"页面保护");
  p.write(call(comm, u"CommScriptMouse", {p.request()}).to_text());
  p.write(
      u"<p><a id=plainlink href='#'>链接</a></p><form onsubmit='return cform()'><input type=submit id=delbtn "
      u"value='删除'></form><p><a href='?excel=yes'>excel=yes 时不保护</a></p>");
  page_end(p);
}

// The file manager's menus with stand-in actions that log what they were asked.
void menus_page(Page& p) {
  page_start(p, u"文件管理菜单");
  p.write(popup_menu_script() + dropdown_menu_script());
  p.write(
      u"<script>var menuLog=[];function logit(n,a){menuLog.push(n+'('+Array.prototype.slice.call(a).join(',')+')');"
      u"document.getElementById('menulog').innerHTML=menuLog.join(' ');}");
  for (const char* f : {"create_it", "selectall", "upfile", "cutfile", "copyfile", "pastefile", "delbatch", "viewfile",
                        "down_file", "editfile", "delfile", "ReNameIt", "zipunzip", "help", "about", "update_online"})
    p.write(T(std::string("function ") + f + "(){logit('" + f + "',arguments);}"));
  p.write(
      u"var menu1=\"<a href='javascript:create_it(\\\"CreateFolder\\\")' id=mi_newfolder>新建文件夹</a><br>"
      u"<a href='javascript:create_it(\\\"CreateFile\\\")'>新建文本文件</a><br>"
      u"<a href='javascript:delbatch()'>删除</a>\";</script>"
      u"<div id=menuDiv style='visibility:hidden;position:absolute;background:#fff;border:1px solid #666'></div>"
      u"<table><tr><td id=bar_file width=100 onmouseover='ShowMenu(menu1,100)'>文件</td></tr></table>"
      u"<div id=files style='margin-top:30px'>"
      u"<a href='#' id=f_folder oncontextmenu=\"popMenu('folder','docs');return false;\">docs</a> "
      u"<a href='#' id=f_zip oncontextmenu=\"popMenu('zip','a.zip');return false;\">a.zip</a> "
      u"<a href='#' id=f_txt oncontextmenu=\"popMenu('txt','b.txt');return false;\">b.txt</a></div>"
      u"<div id=emptyarea style='height:80px;background:#f4f4f4' oncontextmenu=\"popMenu('empty','');return false;\">"
      u"(空白处)</div><p>记录: <span id=menulog></span></p>");
  page_end(p);
}

// The dialogs the pickers open. The date dialog is the calendar block in its
// dialog role: a chosen day becomes the dialog's answer.
void select_date_page(Page& p) {
  page_start(p, u"选择日期");
  p.write(call(component(), u"CommScriptShowCalendar").to_text());
  p.write(
      u"<input type=hidden id=picked><input type=button id=pickbtn value='日历' style='font-size:9px'>"
      u"<script>fPopCalendar(document.getElementById('pickbtn'),document.getElementById('picked'),'2','');</script>");
  page_end(p);
}

void select_data_page(Page& p) {
  page_start(p, u"选择");
  Text kind = RequestRef(p.request()).query_string(u"zdm");
  p.write(u"<p id=zdm>" + html(kind) + u"</p><ul>");
  int i = 0;
  for (const char16_t* item : {u"小学", u"初中", u"高中", u"大学"}) {
    p.write(u"<li><a href='#' id=item" + num(i++) + u" onclick='window.returnValue=\"" + js_string_escape(item) +
            u"\";window.close();return false;'>" + Text(item) + u"</a></li>");
  }
  p.write(u"</ul>");
  page_end(p);
}

}  // namespace

void register_scripts_pages(host::PageRegistry& pages) {
  pages.add("/scripts/index.asp", scripts_page);
  pages.add("/scripts/ajax_get.asp", ajax_get);
  pages.add("/scripts/ajax_post.asp", ajax_post);
  pages.add("/scripts/popup.asp", popup_page);
  pages.add("/scripts/mouse.asp", mouse_page);
  pages.add("/scripts/menus.asp", menus_page);
  pages.add("/comm/zelto_selectdate.asp", select_date_page);
  pages.add("/comm/zelto_selectdata.asp", select_data_page);
}

}  // namespace brevane::site
