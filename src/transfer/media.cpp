#include "transfer/media.h"

#include <utility>

#include "core/vbrt.h"
#include "files/paths.h"
#include "frame/host.h"
#include "html/escape.h"
#include "html/scripts.h"

namespace brevane {

namespace {

using markup::escape_attr;
using markup::escape_query;
using markup::escape_xml;

constexpr char16_t kRealClassId[] = u"CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA";
constexpr char16_t kMediaClassId[] = u"22D6F312-B0F6-11D0-94AB-0080C74C7E95";
constexpr char16_t kFlashClassId[] = u"D27CDB6E-AE6D-11cf-96B8-444553540000";
constexpr char16_t kFlashCab[] = u"https://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=";
constexpr char16_t kCrLf[] = u"\r\n";

Text num(int n) { return T(std::to_string(n)); }

Text param(TextView name, TextView value) {
  return u"<param name='" + Text(name) + u"' value='" + escape_attr(value) + u"'>";
}

Text object_open(TextView id, TextView class_id, TextView width, TextView height) {
  return u"<object id=" + Text(id) + u" classid='clsid:" + Text(class_id) + u"' width=" + Text(width) + u" height=" +
         Text(height) + u">";
}

// ---- video page ----

constexpr char16_t kMovieHead[] =
    u"<html><head><meta http-equiv='Content-Type' content='text/html'>"
    u"<script language=JavaScript>"
    // Keys that would open a window, go back, search or close the player.
    u"function noctrln(e){e=e||window.event;if(!e)return true;var k=e.keyCode;"
    u"if((e.ctrlKey&&k==78)||k==8||k==114){try{e.keyCode=0;}catch(x){}e.returnValue=false;"
    u"if(e.preventDefault)e.preventDefault();return false;}"
    u"if(e.altKey&&k==115){if(window.showModelessDialog)window.showModelessDialog('about:blank',window,"
    u"'dialogWidth:0px;dialogHeight:0px;dialogHide:yes');e.returnValue=false;"
    u"if(e.preventDefault)e.preventDefault();return false;}return true;}"
    u"function cancelLink(e){e=e||window.event;if(!e)return true;var t=e.target||e.srcElement;"
    u"if(e.shiftKey&&t&&(t.tagName=='A'||t.tagName=='IMG')){e.returnValue=false;"
    u"if(e.preventDefault)e.preventDefault();return false;}return true;}"
    u"document.onkeydown=noctrln;document.onclick=cancelLink;"
    u"</script>"
    u"<script language=JavaScript>"
    u"function SetFullScreen(){var p=document.getElementById('player');"
    u"if(p&&p.SetFullScreen){p.SetFullScreen();return;}"
    u"var v=document.getElementById('html5player');if(v&&v.requestFullscreen)v.requestFullscreen();}"
    u"function ShowFull(){var m=document.getElementById('MediaPlayer1');if(m){m.DisplaySize=3;"
    u"var v=document.getElementById('html5player');if(v&&v.requestFullscreen&&!m.SetFullScreen)"
    u"v.requestFullscreen();}}"
    u"</script>"
    u"<style type='text/css'>"
    u"body{margin:0px;}"
    u"td{font-size:9pt;}"
    u"a:link,a:visited{color:#FFFF00;text-decoration:none;}"
    u"a:hover{color:red;}"
    u".m_01{font-size:1px;}"
    u".m_12{font-size:12px;font-family:Arial;}"
    u".m_12r{font-size:12px;color:#FFFFFF;font-family:Arial;letter-spacing:6px;}"
    u"</style>"
    u"<title>Brevane 视频播放器 - Copyright &copy; Brevane</title></head>"
    u"<body topmargin=0 leftmargin=0>"
    u"<table width=500 height=500 border=0 cellpadding=0 cellspacing=0 align=center>"
    u"<tr><td height=70 valign=top background='../comm/image/play_movie/playpage_1.png'>"
    u"<table width='100%' border=0 cellpadding=0 cellspacing=0>"
    u"<tr><td height=40 align=center class=m_12r>Brevane 视频播放器</td></tr>"
    u"<tr><td height=30 class=m_12 style='padding-left:20px'>您现在正在观看的是：<font color=red>";

constexpr char16_t kMovieBodyStart[] =
    u"</font></td></tr></table></td></tr>"
    u"<tr><td height=10 class=m_01 background='../comm/image/play_movie/playpage_2.png'>&nbsp;</td></tr>"
    u"<tr><td height=382 align=center valign=top background='../comm/image/play_movie/playpage_3.png'>"
    u"<table width=464 border=0 cellpadding=0 cellspacing=0><tr><td width=464 bgcolor='#FFFFFF' id=playercell>";

constexpr char16_t kMovieClose[] =
    u"</td></tr></table></td></tr>"
    u"<tr><td height=38 background='../comm/image/play_movie/playpage_4.png'>&nbsp;</td></tr>"
    u"</table></body></html>";

// Windows Media Player parameters, in the order the control has always been given them.
constexpr std::pair<const char16_t*, const char16_t*> kMediaPlayerParams[] = {
    {u"AudioStream", u"-1"},
    {u"AutoSize", u"0"},
    {u"AutoStart", u"-1"},
    {u"AnimationAtStart", u"-1"},
    {u"AllowScan", u"-1"},
    {u"AllowChangeDisplaySize", u"-1"},
    {u"AutoRewind", u"0"},
    {u"Balance", u"0"},
    {u"BaseURL", u""},
    {u"BufferingTime", u"5"},
    {u"CaptioningID", u""},
    {u"ClickToPlay", u"-1"},
    {u"CursorType", u"0"},
    {u"CurrentPosition", u"-1"},
    {u"CurrentMarker", u"0"},
    {u"DefaultFrame", u""},
    {u"DisplayBackColor", u"0"},
    {u"DisplayForeColor", u"16777215"},
    {u"DisplayMode", u"0"},
    {u"DisplaySize", u"2"},
    {u"Enabled", u"-1"},
    {u"EnableContextMenu", u"0"},
    {u"EnablePositionControls", u"-1"},
    {u"EnableFullScreenControls", u"0"},
    {u"Enabletracker", u"-1"},
    {u"InvokeURLs", u"-1"},
    {u"Language", u"-1"},
    {u"Mute", u"0"},
    {u"PlayCount", u"1"},
    {u"PreviewMode", u"0"},
    {u"Rate", u"1"},
    {u"SAMILang", u""},
    {u"SAMIStyle", u""},
    {u"SAMIFileName", u""},
    {u"SelectionStart", u"-1"},
    {u"SelectionEnd", u"-1"},
    {u"SendOpenStateChangeEvents", u"-1"},
    {u"SendWarningEvents", u"-1"},
    {u"SendErrorEvents", u"-1"},
    {u"SendKeyboardEvents", u"0"},
    {u"SendMouseClickEvents", u"0"},
    {u"SendMouseMoveEvents", u"0"},
    {u"SendPlayStateChangeEvents", u"-1"},
    {u"ShowCaptioning", u"0"},
    {u"ShowControls", u"-1"},
    {u"ShowAudioControls", u"-1"},
    {u"ShowDisplay", u"0"},
    {u"ShowGotoBar", u"0"},
    {u"ShowPositionControls", u"-1"},
    {u"ShowStatusBar", u"-1"},
    {u"Showtracker", u"-1"},
    {u"transparentAtStart", u"0"},
    {u"VideoBorderWidth", u"0"},
    {u"VideoBorderColor", u"0"},
    {u"VideoBorder3D", u"0"},
    {u"Volume", u"-40"},
    {u"WindowlessVideo", u"0"},
};

Text real_player(TextView url) {
  Text out = object_open(u"player", kRealClassId, u"464", u"320");
  out += param(u"CONTROLS", u"ImageWindow") + param(u"CONSOLE", u"Clip1") + param(u"SRC", url) +
         param(u"AUTOSTART", u"true") + param(u"SHUFFLE", u"false") + param(u"PREFETCH", u"false") +
         param(u"NOLABELS", u"true") + param(u"LOOP", u"false") + param(u"CENTER", u"false") +
         param(u"MAINTAINASPECT", u"false") + param(u"BACKGROUNDCOLOR", u"#000000");
  out += html5_media(url, 464, 320) + u"</object>";
  out += object_open(u"video1", kRealClassId, u"443", u"30") + param(u"CONTROLS", u"ControlPanel") +
         param(u"CONSOLE", u"Clip1") + u"</object>";
  out += object_open(u"video1", kRealClassId, u"464", u"30") + param(u"CONTROLS", u"statusbar") +
         param(u"CONSOLE", u"Clip1") + u"</object>";
  out +=
      u"<div style='position:absolute;left:460px;top:399px;width:22px;height:32px;'>"
      u"<a href='javascript:SetFullScreen();' title='全屏'><img src='../comm/image/play_movie/full-rm.png' width=22 "
      u"height=32 border=0 alt='全屏'></a></div>"
      u"<script language=JavaScript>try{player.SetEnableContextMenu(false);player.SetWantErrors(true);}catch(e){}"
      u"</script>";
  return out;
}

Text media_player(TextView url) {
  Text out = object_open(u"MediaPlayer1", kMediaClassId, u"464", u"380");
  out += param(u"filename", url);
  for (const auto& [name, value] : kMediaPlayerParams) out += param(name, value);
  out += html5_media(url, 464, 380) + u"</object>";
  out +=
      u"<div style='position:absolute;left:350px;top:413px;width:22px;height:21px;'>"
      u"<a href='javascript:ShowFull();' title='全屏'><img src='../comm/image/play_movie/full-1.png' width=22 "
      u"height=21 border=0 alt='全屏'></a></div>";
  return out;
}

// ---- Flash page ----

constexpr char16_t kFlashHead[] =
    u"<html><head><meta http-equiv='Content-Type' content='text/html'>"
    // Tool tips for alt and title texts: wait, fade in, hide after a while.
    u"<script language=JavaScript>"
    u"var popTimeBegin=50,popTimeShow=6000,popOpacityStep=20,popOpacityMax=95;"
    u"var popTimer=null,popHide=null,popOpacity=0,popSource=null;"
    u"function dypopShow(){var l=document.getElementById('dypopLayer');if(!l)return;"
    u"popOpacity=Math.min(popOpacityMax,popOpacity+popOpacityStep);l.style.opacity=popOpacity/100;"
    u"l.style.filter='alpha(opacity='+popOpacity+')';l.style.display='block';"
    u"if(popOpacity<popOpacityMax)popTimer=setTimeout(dypopShow,popTimeBegin);}"
    u"function dypopOff(){var l=document.getElementById('dypopLayer');if(l)l.style.display='none';"
    u"clearTimeout(popTimer);clearTimeout(popHide);popOpacity=0;}"
    u"function showPopupText(e){e=e||window.event;var o=e.target||e.srcElement;"
    u"while(o&&o.getAttribute&&!o.getAttribute('title')&&!o.getAttribute('alt'))o=o.parentNode;"
    u"if(!o||!o.getAttribute){dypopOff();return;}"
    u"var t=o.getAttribute('title')||o.getAttribute('alt');if(o.getAttribute('title')){o.dypop=t;"
    u"o.removeAttribute('title');}t=o.dypop||t;var l=document.getElementById('dypopLayer');if(!l||!t)return;"
    u"if(popSource==o)return;popSource=o;dypopOff();l.innerHTML='';l.appendChild(document.createTextNode(t));"
    u"l.style.left=(e.clientX+document.documentElement.scrollLeft+12)+'px';"
    u"l.style.top=(e.clientY+document.documentElement.scrollTop+12)+'px';"
    u"popTimer=setTimeout(dypopShow,popTimeBegin);popHide=setTimeout(dypopOff,popTimeShow);}"
    u"document.onmouseover=showPopupText;"
    u"</script>"
    // The seek bar over the movie: a 271 pixel track 189 pixels from the left of table tb.
    u"<script language=JavaScript>"
    u"var trackLeft=189,trackWidth=271,dragging=false,quickTimer=null;"
    u"function movieObj(){return document.getElementById('movie');}"
    u"function totalFrames(){var m=movieObj();try{return m.TotalFrames();}catch(e){try{return m.TotalFrames;}"
    u"catch(x){return 0;}}}"
    u"function currentFrame(){var m=movieObj();try{return m.CurrentFrame();}catch(e){return 0;}}"
    u"function gotoRatio(r){var n=totalFrames();if(n<=0)return;r=Math.max(0,Math.min(1,r));"
    u"try{movieObj().GotoFrame(Math.floor(r*(n-1)));}catch(e){}}"
    u"function barX(e){var tb=document.getElementById('tb');var x=e.clientX-(tb?tb.getBoundingClientRect().left:0)"
    u"-trackLeft;return x/trackWidth;}"
    u"function barDown(e){dragging=true;gotoRatio(barX(e||window.event));}"
    u"function barMove(e){if(dragging)gotoRatio(barX(e||window.event));}"
    u"function barUp(){dragging=false;}"
    u"function flash8(cmd){var m=movieObj();try{if(cmd=='Play')m.Play();else if(cmd=='Rewind')m.Rewind();"
    u"else if(cmd=='StopPlay')m.StopPlay();}catch(e){}}"
    u"function oQuick(step){clearInterval(quickTimer);if(!step)return;quickTimer=setInterval(function(){"
    u"var n=totalFrames();if(n<=0)return;var f=currentFrame()+step*Math.max(1,Math.floor(n/20));"
    u"try{movieObj().GotoFrame(Math.max(0,Math.min(n-1,f)));}catch(e){}},1000);}"
    u"function togglePlay(){var m=movieObj();try{if(m.IsPlaying())m.StopPlay();else m.Play();}catch(e){}}"
    u"function stopMovie(){var m=movieObj();try{m.StopPlay();m.Rewind();}catch(e){}oQuick(0);}"
    u"setInterval(function(){var b=document.getElementById('posbar');var n=totalFrames();if(!b||n<=1||dragging)"
    u"return;b.style.left=Math.round(currentFrame()/(n-1)*trackWidth)+'px';},100);"
    u"document.onmouseup=barUp;"
    u"</script>"
    u"<style type='text/css'>"
    u"body{margin:0px;}"
    u"td{font-size:9pt;}"
    u"a:link,a:visited{color:#188EAC;text-decoration:none;}"
    u"a:hover{color:red;}"
    u".content_border{border:1px solid #188EAC;}"
    u".content_border_re{border:1px solid #f7f7f7;}"
    u"#dypopLayer{position:absolute;z-index:1000;display:none;padding:4px;color:#333333;"
    u"background-color:#f7f7f7;border:1px solid #188EAC;font-size:9pt;}"
    u"</style>"
    u"<title>Brevane Flash 播放器 - Copyright &copy; Brevane【flash标题：";

Text flash_object(TextView url, TextView width, TextView height, TextView version, bool with_menu) {
  Text out = u"<object id=movie classid='clsid:" + Text(kFlashClassId) + u"' codebase='" + Text(kFlashCab) +
             Text(version) + u"' width=" + Text(width) + u" height=" + Text(height) + u">";
  out += param(u"movie", url) + param(u"quality", u"high");
  if (with_menu) out += param(u"menu", u"false");
  out += param(u"wmode", u"transparent");
  out += u"<embed name=movie src='" + escape_attr(url) + u"' quality=high" + (with_menu ? u" menu=false" : u"") +
         u" wmode=transparent width=" + Text(width) + u" height=" + Text(height) +
         u" type='application/x-shockwave-flash' pluginspage='https://www.macromedia.com/go/getflashplayer'>";
  out += html5_media(url, 550, 400) + u"</embed></object>";
  return out;
}

Text flash_switch(TextView play_type, TextView url, TextView title) {
  return u"?FileType=Flash&PlayType=" + Text(play_type) + u"&Url=" + escape_query(url) + u"&Title=" +
         escape_query(title);
}

Text flash_button(int n, TextView action, TextView alt) {
  Text d = u"../comm/image/play_flash/d" + num(n) + u".png";
  Text h = u"../comm/image/play_flash/h" + num(n) + u".png";
  return u"<img src='" + d + u"' border=0 style='cursor:pointer' alt='" + Text(alt) + u"' onmouseover=\"this.src='" +
         h + u"'\" onmouseout=\"this.src='" + d + u"'\" onclick=\"" + Text(action) + u"\">";
}

// ---- the HTML5 side ----

bool one_of(TextView ext, std::initializer_list<TextView> list) {
  for (TextView e : list)
    if (ext == e) return true;
  return false;
}

}  // namespace

Text html5_media(TextView url, int width, int height) {
  Text path(url.substr(0, url.find_first_of(u"?#")));
  Text ext = vb::LCase(CommFileGetExt(path, 0));
  // Streaming schemes (rtsp, mms) are for the plug-ins only.
  Text lower = vb::LCase(path);
  if (lower.find(u"://") != Text::npos && !(lower.starts_with(u"http://") || lower.starts_with(u"https://"))) return {};
  if (one_of(ext, {u"mp4", u"m4v", u"webm", u"ogv", u"mov"}))
    return u"<video id=html5player src='" + escape_attr(url) + u"' width=" + num(width) + u" height=" + num(height) +
           u" controls autoplay></video>";
  if (one_of(ext, {u"mp3", u"wav", u"ogg", u"oga", u"m4a", u"aac", u"flac", u"opus"}))
    return u"<audio id=html5player src='" + escape_attr(url) + u"' style='width:" + num(width) +
           u"px' controls autoplay></audio>";
  return {};
}

Text movie_run_system(TextView url, TextView run_system) {
  if (!run_system.empty()) return vb::LCase(run_system);
  size_t scheme = url.find(u"://");
  if (scheme != TextView::npos) return vb::LCase(url.substr(0, scheme));
  Text ext = CommFileGetExt(Text(url), 0);
  if (one_of(ext, {u"rm", u"avi", u"rmvb", u"mp3", u"ram", u"mpg", u"mpeg"})) return u"rtsp";
  if (one_of(ext, {u"wmv", u"asf", u"wma"})) return u"mms";
  return {};
}

void CommShowPlayList(Variant& Response, Text p_RunSystem, Text p_UrlList) {
  ResponseRef response(Response);
  Text system = vb::LCase(p_RunSystem);
  if (system == u"mms") {
    response.set(u"ContentType", Variant(u"video/x-ms-asf"));
    response.add_header(u"content-Disposition", u"inline; filename=playlist.asx");
    response.write(Text(u"<asx version=\"3.0\">") + kCrLf);
    for (const Text& url : split_at(p_UrlList, u'|')) {
      response.write(Text(u"<entry>") + kCrLf);
      response.write(u"<ref href=\"" + escape_xml(url) + u"\"/>" + kCrLf);
      response.write(Text(u"</entry>") + kCrLf);
    }
    response.write(u"</asx>");
  } else if (system == u"rtsp") {
    response.set(u"ContentType", Variant(u"application/smil"));
    response.add_header(u"content-Disposition", u"inline; filename=playlist.smil");
    response.write(u"<smil>");
    for (const char16_t* tag : {u"<head>", u"</head>", u"<body>", u"<seq>"}) response.write(Text(tag) + kCrLf);
    for (const Text& url : split_at(p_UrlList, u'|'))
      response.write(u"<audio src=\"" + escape_xml(url) + u"\"/>" + kCrLf);
    response.write(Text(u"</seq>") + kCrLf);
    response.write(Text(u"</body>") + kCrLf);
    response.write(u"</smil>");
  }
}

Text CommShowPlayMovie(Text p_Url, Text p_Title, Text p_RunSystem) {
  Text system = movie_run_system(p_Url, p_RunSystem);
  Text out = Text(kMovieHead) + escape_attr(p_Title) + kMovieBodyStart;
  if (system == u"rtsp")
    out += real_player(p_Url);
  else if (system == u"mms")
    out += media_player(p_Url);
  else
    out += html5_media(p_Url, 464, 380);  // no plug-in for it; the browser may still play it
  return out + kMovieClose;
}

Text CommShowPlayMusic(Text p_Url, Text p_MusicInfo) {
  Text out =
      u"<html><head><meta http-equiv='Content-Type' content='text/html'>"
      u"<title>Brevane 音乐播放器 - Copyright &copy; Brevane</title>"
      u"<style type='text/css'>body{margin:0px;}td{font-size:9pt;}</style></head>"
      u"<body background='../comm/image/play_music/bg1.png' topmargin=0 leftmargin=0 "
      u"onkeydown=\"var e=event||window.event;if(e.ctrlKey&&e.keyCode==78){e.returnValue=false;"
      u"if(e.preventDefault)e.preventDefault();return false;}\">"
      u"<table width=306 border=0 cellpadding=0 cellspacing=0 align=center>"
      u"<tr><td colspan=3><img src='../comm/image/play_music/pad_top.png' width=306 height=40 border=0></td></tr>"
      u"<tr><td width=15 background='../comm/image/play_music/pad_left.png'></td>"
      u"<td width=276 align=center bgcolor='#000000'>"
      u"<marquee id=scrollArea direction=left scrolldelay=200 scrollamount=2 "
      u"style='font-size:9pt;color:green;width:275px'>";
  out += escape_attr(p_MusicInfo) + u"</marquee>";
  out += object_open(u"player", kRealClassId, u"275", u"60") + param(u"SRC", p_Url) +
         param(u"CONTROLS", u"controlPanel,StatusBar") + param(u"CONSOLE", u"zool") + param(u"AUTOSTART", u"true") +
         param(u"LOOP", u"true") + html5_media(p_Url, 275, 60) + u"</object>";
  out +=
      u"</td><td width=15 background='../comm/image/play_music/pad_right.png'></td></tr>"
      u"<tr><td colspan=3><img src='../comm/image/play_music/pad_bottom1.png' width=306 height=20 border=0></td></tr>"
      u"<tr><td colspan=3 align=right background='../comm/image/play_music/pad_bottom2.png'>"
      u"<a href='javascript:window.close();'><img src='../comm/image/play_music/pad_exit.png' width=40 height=20 "
      u"border=0 alt='退出'></a></td></tr>"
      u"</table></body></html>";
  return out;
}

Text CommShowPlayFlash(Text p_Url, Text p_Title, Text p_PlayType) {
  Text out = Text(kFlashHead) + escape_attr(p_Title) + u"】</title></head><body><div id=dypopLayer></div>";
  if (vb::LCase(p_PlayType) == u"control") {
    out +=
        u"<table id=tb width=678 border=0 cellpadding=0 cellspacing=0 align=center class=content_border "
        u"background='../comm/image/play_flash/bg_test.png'>"
        u"<tr><td align=center height=410>";
    out += flash_object(p_Url, u"550", u"400", u"5,0,0,0", true);
    out +=
        u"</td></tr><tr><td height=30 style='position:relative'>"
        u"<div id=track style='position:absolute;left:189px;top:8px;width:271px;height:14px;"
        u"background:url(../comm/image/play_flash/bg.png)' onmousedown='barDown(event)' "
        u"onmousemove='barMove(event)'>"
        u"<img id=posbar src='../comm/image/play_flash/posbar.png' style='position:absolute;left:0px;top:0px' "
        u"border=0></div></td></tr><tr><td align=center height=30>";
    out += flash_button(2, u"flash8('Rewind')", u"回到开头") + flash_button(1, u"oQuick(-1)", u"后退") +
           flash_button(3, u"flash8('Play')", u"播放") + flash_button(6, u"oQuick(1)", u"前进") +
           flash_button(4, u"togglePlay()", u"暂停/继续") + flash_button(5, u"stopMovie()", u"停止");
    out +=
        u"<img src='../comm/image/play_flash/notes.png' border=0 "
        u"alt='说明：进度条和快进快退只对帧动画有效；由脚本控制的影片可能无法定位。'></td></tr>"
        u"<tr><td align=right><a href='" +
        flash_switch(u"FullScreen", p_Url, p_Title) + u"'>切换到全屏幕模式</a></td></tr></table>";
  } else {
    out += u"<table width='100%' height='100%' border=0 cellpadding=0 cellspacing=0><tr><td align=center>";
    out += flash_object(p_Url, u"'100%'", u"'100%'", u"6,0,0,0", false);
    out += u"</td></tr></table><div style='position:absolute;right:8px;top:8px'><a href='" +
           flash_switch(u"Control", p_Url, p_Title) + u"'>切换到可控制模式</a></div>";
  }
  return out + u"</body></html>";
}

Text CommShowPlayImage(Text p_Url, Text p_Title) {
  // The viewer's image calls DrawImage on load; the shared image script
  // defines it as its shrink-to-fit DownImage, so the picture scales.
  return Text(u"<html><head><meta http-equiv='Content-Type' content='text/html'>") + CommScriptImage() +
         u"<style type='text/css'>"
         u"td{font-size:9pt;}"
         u"table{border:1px solid #63CFDE;background-color:#E7FFFF;}"
         u"</style>"
         u"<title>Brevane 图像浏览器 - Copyright &copy; Brevane【图像标题：" +
         escape_attr(p_Title) +
         u"】</title></head><body>"
         u"<table width='100%' height='100%' border=0 cellpadding=0 cellspacing=0><tr><td align=center>"
         u"<img src='" +
         escape_attr(p_Url) +
         u"' border=0 onmousewheel='return cgimg(this);' onload='javascript:DrawImage(this);' "
         u"title='按此在新窗口浏览图片' style='cursor:pointer;cursor:hand' onclick='window.open(this.src);'>"
         u"<br><br></td></tr></table></body></html>";
}

}  // namespace brevane
