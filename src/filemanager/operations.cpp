#include "filemanager/operations.h"

#include <vector>

#include "core/vbrt.h"
#include "filemanager/access.h"
#include "filemanager/listing.h"
#include "files/fileops.h"
#include "files/paths.h"
#include "frame/host.h"
#include "html/chrome.h"
#include "html/escape.h"
#include "html/scripts.h"

namespace brevane {

namespace {

Text num(int64_t n) { return Variant(static_cast<double>(n)).to_text(); }

Text store_text(const Variant& store, TextView key) {
  Variant v = StoreRef(store).get(key).value();
  return v.is_empty() || v.is_null() ? Text() : v.to_text();
}

Text request_text(const RequestRef& request, TextView key) {
  Variant v = request.item(key).value();
  return v.is_empty() || v.is_null() ? Text() : v.to_text();
}

Text form_text(const RequestRef& request, TextView key) { return request.form(key); }

// The return script: an alert, then back to the main page.
void return_script(const ResponseRef& response, TextView message, TextView url) {
  response.write(u"<script language='javascript'>");
  response.write(u"alert('" + js_string_escape(message) + u"');");
  response.write(u"window.location.href='" + js_string_escape(url) + u"';");
  response.write(u"</script>");
}

void refuse(const ResponseRef& response, TextView open, TextView message, TextView then, TextView close) {
  response.write(open);
  response.write(u"alert('" + Text(message) + u"');");
  if (!then.empty()) response.write(then);
  response.write(close);
}

Text joined(TextView folder, TextView name) { return vb::Replace(Text(folder) + u"/" + Text(name), u"//", u"/"); }

// Every entry of a tab- or comma-separated selection, without empty ones.
std::vector<Text> names_of(TextView list, TextView separator) {
  std::vector<Text> out;
  for (Text& n : vb::Split(list, separator))
    if (!n.empty()) out.push_back(std::move(n));
  return out;
}

constexpr char16_t kIllegalPath[] = u"指定的路径或文件名称非法";
constexpr char16_t kIllegalChars[] = u"指定的文件名或路径中含有非法字符";

}  // namespace

Text CommSave(Variant& Server, Variant& Application, Variant& Session, Variant& Response, Variant& Request,
              int16_t p_FileListStyle, Text p_CurrentFolder, Text p_Act) {
  ServerRef server(Server);
  ResponseRef response(Response);
  const Text clip_act = store_text(Session, u"p_Act");
  const Text source = store_text(Session, u"SourceFolder");
  const bool paste = p_Act == u"paste" && fm_folder_is_safe(p_CurrentFolder) &&
                     CommFolderExist(server.map_path(p_CurrentFolder)) && !source.empty() &&
                     (clip_act == u"copy" || clip_act == u"cut");
  if (paste) {
    if (!fm_logged_in(Session, Application)) {
      response.redirect(u"index.asp");
      response.end();
      return Text();
    }
    if (!fm_write_right(Session, Application)) {
      Text answer = fm_read_only_answer(Request);
      response.end();
      return answer;
    }
    const Text mode = clip_act == u"copy" ? u"copy" : u"move";
    // A clipboard is only ever filled from a listed folder; one pointing
    // elsewhere (an older session, a crafted value) pastes nothing.
    if (fm_target_is_safe(Server, source, u"") && fm_target_is_safe(Server, p_CurrentFolder, u"")) {
      for (const Text& name : names_of(store_text(Session, u"folders"), u"\t")) {
        if (!fm_target_is_safe(Server, source, name) || !fm_target_is_safe(Server, p_CurrentFolder, name)) continue;
        Text from = server.map_path(joined(source, name));
        Text to = server.map_path(joined(p_CurrentFolder, name));
        if (CommFolderExist(from) && !CommFolderExist(to)) CommFolderCopyMove(from, to, mode, u"overright");
      }
      for (const Text& name : names_of(store_text(Session, u"files"), u"\t")) {
        if (!fm_target_is_safe(Server, source, name) || !fm_target_is_safe(Server, p_CurrentFolder, name)) continue;
        Text from = server.map_path(joined(source, name));
        Text to = server.map_path(joined(p_CurrentFolder, name));
        if (CommFileExist(from) && !CommFileExist(to)) CommFileCopyMove(from, to, mode, u"overright");
      }
    }
    response.redirect(u"index.asp");
    response.end();
    return Text();
  }

  // The page script. The write right is decided here and only its outcome
  // reaches the browser: neither password is written into the page.
  const Text folder = js_string_escape(server.url_encode(p_CurrentFolder));
  const Text style = num(p_FileListStyle);
  const Text token = js_string_escape(server.url_encode(store_text(Session, kFmTokenKey)));
  const bool write = fm_logged_in(Session, Application) && fm_write_right(Session, Application);
  Text s = u"<script language='javascript'>";
  s += u"var fm_folder='" + folder + u"',fm_style='" + style + u"',fm_tk='" + token + u"';";
  s += u"function fm_t(){return fm_tk?'&fm_token='+fm_tk:'';}";
  // Typed names keep their other characters as they are, so the browser
  // sends them in the page's own code page, as the server reads them.
  s += u"function fm_enc(s){return String(s).replace(/[%&#+=?;\\/\\\\\"'<> ]/g,function(c){var h=c.charCodeAt(0)"
       u".toString(16).toUpperCase();return '%'+(h.length<2?'0':'')+h;});}";
  s += u"function fm_dec(s){try{return decodeURIComponent(String(s).replace(/\\+/g,' '));}catch(e){return '';}}";
  s += Text(u"function check_allow_write(){if(") + (write ? u"true" : u"false") +
       u")return true;alert('你所拥有的权限为只读共享，请勿越权使用！');return false;}";
  s += u"function about(){window.location.href='netdrivers_about.asp';}";
  s += u"function help(){OpenWindowModalScroll('netdrivers_help.asp',500,450);}";
  s += u"function update_online(){window.location.href='../comm/zelto_update.asp';}";
  s += u"function upfile(){if(check_allow_write()){OpenWindowModalScroll('netdrivers_upload.asp?p_FileListStyle='+"
       u"fm_style+'&p_CurrentFolder='+fm_folder+fm_t(),610,440);}}";
  s += u"function down_file(fname){window.location.href='?p_Act=download&p_FileListStyle='+fm_style+"
       u"'&p_CurrentFile='+fm_folder+fname;}";
  s += u"function zipunzip(p_Act,fname){if(check_allow_write()){OpenWindow('netdrivers_unzip.asp?stamp=" +
       CommFileGetRndName(20) +
       u"&p_Act='+p_Act+'&p_CurrentFolder='+fm_folder+'&p_CurrentFile='+fname+fm_t(),'',"
       u"420,200);}}";
  s += u"function viewfile(fname,filetype,p_FileListStyle){if(filetype=='folder'){if(p_FileListStyle==0)"
       u"p_FileListStyle=fm_style;window.location.href='?p_CurrentFolder='+fm_folder+fname+'&p_FileListStyle='+"
       u"p_FileListStyle;}else{OpenWindow('netdrivers_view.asp?p_Act=View&p_CurrentFile='+fm_folder+fname,'',420,"
       u"200);}}";
  s += u"function editfile(fname,filetype){if(!check_allow_write())return;var t='|'+String(filetype).toLowerCase()+"
       u"'|';var u='netdrivers_edit.asp?p_CurrentFile='+fm_folder+fname+fm_t();"
       u"if('|txt|bat|c|htm|html|css|js|vbs|inc|stm|shtm|shtml|asp|asa|aspx|asax|ascx|asmx|aspa|php|php3|php4|jsp|"
       u"cgi|'.indexOf(t)>=0){OpenWindow(u,'',800,550);}"
       u"else if('|zip|rar|tar|exe|gif|jpg|jpe|jpeg|png|bmp|psd|mdb|doc|ppt|xls|mid|mp3|avi|chm|'.indexOf(t)>=0){"
       u"alert('该类型文件为非ASCII文件，无法编辑！');}"
       u"else if(confirm('你确定该文件为ASCII类型文件，并编辑它吗？')){OpenWindow(u,'',800,550);}}";
  s += u"function ReNameIt(p_Act,p_OldName){if(!check_allow_write())return;var n=prompt('请输入文件(夹)的新名称：',"
       u"fm_dec(p_OldName));if(n==null)return;window.location.href="
       u"'netdrivers_rename.asp?p_Act='+p_Act+'&p_CurrentFolder='+fm_folder+'&p_FileListStyle='+fm_style+"
       u"'&p_OldName='+p_OldName+'&p_NewName='+fm_enc(n)+fm_t();}";
  s += u"function create_it(p_Act){if(!check_allow_write())return;var n=prompt('请输入要创建的文件(夹)的名称：','');"
       u"if(n==null)return;window.location.href='netdrivers_create_del.asp?p_Act='+p_Act+'&p_FileListStyle='+"
       u"fm_style+'&p_CurrentFolder='+fm_folder+'&p_CurrentFile='+fm_enc(n)+fm_t();}";
  s += u"function fm_clip(act,p_CopyType,p_CurrentFile){if(!check_allow_write())return;var f=document.delthis;"
       u"f.action='netdrivers_copy.asp?p_CurrentFolder='+fm_folder+'&p_FileListStyle='+fm_style+'&p_CurrentFile='+"
       u"p_CurrentFile+'&p_CopyType='+p_CopyType+fm_t();f.p_Act.value=act;f.submit();}";
  s += u"function copyfile(p_CopyType,p_CurrentFile){fm_clip('copy',p_CopyType,p_CurrentFile);}";
  s += u"function cutfile(p_CopyType,p_CurrentFile){fm_clip('cut',p_CopyType,p_CurrentFile);}";
  s += u"function pastefile(){if(check_allow_write()){window.location.href='?p_Act=paste&p_CurrentFolder='+fm_folder+"
       u"'&p_FileListStyle='+fm_style+fm_t();}}";
  s += u"function delbatch(){if(check_allow_write()&&confirm('你真的要删除该文件或目录吗？')){var f=document.delthis;"
       u"f.action='netdrivers_del_batch.asp?p_FileListStyle='+fm_style+'&p_CurrentFolder='+fm_folder+fm_t();"
       u"f.p_Act.value='DelBatch';f.submit();}}";
  s += u"function delfile(p_Act,fname){if(check_allow_write()&&confirm('你真的要删除该文件或目录吗？')){"
       u"window.location.href='netdrivers_create_del.asp?p_Act='+p_Act+'&p_FileListStyle='+fm_style+"
       u"'&p_CurrentFolder='+fm_folder+'&p_CurrentFile='+fname+fm_t();}}";
  s +=
      u"function selectall(objtype,p_Act){var n=objtype=='files'?'files':'folders';var b=document.getElementsByName(n);"
      u"if(!b||b.length==0){alert('对不起，当前目录下没有文件（夹）可选择/清除');return;}"
      u"for(var i=0;i<b.length;i++)b[i].checked=p_Act;}";
  s += u"</script>";
  return s;
}

void CommReName(Variant& Server, Variant& Response, Variant& Request, int16_t p_FileListStyle, Text p_CurrentFolder,
                Text p_Act) {
  ServerRef server(Server);
  ResponseRef response(Response);
  RequestRef request(Request);
  const Text old_name = vb::Trim(request_text(request, u"p_OldName"));
  const Text new_name = vb::Trim(request_text(request, u"p_NewName"));
  if (new_name.empty()) {
    refuse(response, u"<Script language='javascript'>", u"指定的文件（夹）名称不能为空", u"window.history.go(-1);",
           u"</Script>");
    response.end();
    return;
  }
  if (p_CurrentFolder.empty() || p_CurrentFolder[0] != u'/' || old_name.find(u'*') != Text::npos ||
      new_name.find(u'*') != Text::npos || !fm_target_is_safe(Server, p_CurrentFolder, old_name) ||
      !fm_target_is_safe(Server, p_CurrentFolder, new_name)) {
    refuse(response, u"<Script language='javascript'>", kIllegalPath, u"window.history.go(-1);", u"</Script>");
    response.end();
    return;
  }
  Text message;
  Text kind;
  int16_t code = -1;
  Text from = server.map_path(p_CurrentFolder + u"\\" + old_name);
  Text to = server.map_path(p_CurrentFolder + u"\\" + new_name);
  if (p_Act == u"ReNameFolder") {
    kind = u"文件夹";
    code = CommFolderRename(from, to);
  } else if (p_Act == u"ReNameFile") {
    kind = u"文件";
    code = CommFileRename(from, to);
  }
  switch (code) {
    case 0:
      message = u"重命名" + kind + u" [" + old_name + u"] 为 [" + new_name + u"] 成功！";
      break;
    case 1:
      message = u"重命名" + kind + u" [" + old_name + u"] 失败！";
      break;
    case 2:
      message = u"重命名" + kind + u" [" + old_name + u"] 失败，" + kind + u"[" + old_name + u"] 不存在！";
      break;
    case 3:
      message = u"重命名" + kind + u"[" + old_name + u"] 失败，同名文件或文件夹已存在！";
      break;
    default:
      message = u"命令参数错误！";
  }
  return_script(response, message,
                u"netdrivers.asp?p_CurrentFolder=" + server.url_encode(p_CurrentFolder) + u"&p_FileListStyle=" +
                    num(p_FileListStyle));
}

void CommCreateOrDel(Variant& Server, Variant& Response, Variant& Request, int16_t p_FileListStyle,
                     Text p_CurrentFolder, Text p_CurrentFile, Text p_Act) {
  (void)Request;
  ServerRef server(Server);
  ResponseRef response(Response);
  bool bad = p_CurrentFolder.empty();
  for (char16_t c : {u':', u'\\', u'?', u'*'}) bad = bad || p_CurrentFolder.find(c) != Text::npos;
  // A name may hold "/" (nested folders are created), but every part of it
  // must stay inside the shared tree.
  if (!bad) {
    Text folder = p_CurrentFolder;
    Text name = p_CurrentFile;
    int64_t slash = vb::InStrRev(name, u"/");
    if (slash > 0) {
      folder = joined(folder, vb::Left(name, slash - 1));
      name = vb::Mid(name, slash + 1);
    }
    bad = !fm_target_is_safe(Server, folder + (folder.ends_with(u'/') ? u"" : u"/"), name);
  }
  if (bad) {
    refuse(response, u"<script language='javascript'>", kIllegalChars, u"window.history.go(-1);", u"</script>");
    response.end();
    return;
  }
  const Text target = server.map_path(joined(p_CurrentFolder, p_CurrentFile));
  const Text& name = p_CurrentFile;
  Text message;
  if (p_Act == u"DelFolder") {
    message = !CommFolderExist(target)   ? u"你要删除的文件夹[" + name + u"]没有找到！"
              : CommFolderDelete(target) ? Text(u"文件夹删除成功！")
                                         : Text(u"文件夹删除失败！");
  } else if (p_Act == u"DelFile") {
    message = !CommFileExist(target)   ? u"你要删除的文件[" + name + u"]没有找到！"
              : CommFileDelete(target) ? Text(u"文件删除成功！")
                                       : Text(u"文件删除失败！");
  } else if (p_Act == u"CreateFolder") {
    message = CommFolderExist(target)    ? u"你要创建的文件夹[" + name + u"]已经存在！"
              : CommFolderCreate(target) ? Text(u"文件夹创建成功！")
                                         : Text(u"文件夹创建失败！");
  } else if (p_Act == u"CreateFile") {
    message = CommFileExist(target)                 ? u"你要创建的文件[" + name + u"]已经存在！"
              : CommFileCreateEmptyTxt(target, u"") ? Text(u"文本文件创建成功！")
                                                    : Text(u"文本文件创建失败！");
  } else {
    message = u"命令参数错误！";
  }
  return_script(response, message,
                u"netdrivers.asp?p_FileListStyle=" + num(p_FileListStyle) + u"&p_CurrentFolder=" +
                    server.url_encode(p_CurrentFolder));
}

void CommDelBatch(Variant& Server, Variant& Response, Variant& Request, int16_t p_FileListStyle, Text p_CurrentFolder,
                  Text p_Act) {
  ServerRef server(Server);
  RequestRef request(Request);
  if (p_Act == u"DelBatch" && fm_folder_is_safe(p_CurrentFolder)) {
    for (const Text& name : names_of(vb::Replace(form_text(request, u"Folders"), u", ", u","), u",")) {
      if (!fm_target_is_safe(Server, p_CurrentFolder, name)) continue;
      CommFolderDelete(server.map_path(joined(p_CurrentFolder, name)));
    }
    for (const Text& name : names_of(vb::Replace(form_text(request, u"Files"), u", ", u","), u",")) {
      if (!fm_target_is_safe(Server, p_CurrentFolder, name)) continue;
      CommFileDelete(server.map_path(joined(p_CurrentFolder, name)));
    }
  }
  return_script(ResponseRef(Response), u"已删除!",
                u"netdrivers.asp?p_FileListStyle=" + num(p_FileListStyle) + u"&p_CurrentFolder=" +
                    server.url_encode(CommFileGetPath(p_CurrentFolder)));
}

void CommCopyCut(Variant& Server, Variant& Session, Variant& Response, Variant& Request, int16_t p_FileListStyle,
                 Text p_CurrentFolder, Text p_Act) {
  ServerRef server(Server);
  ResponseRef response(Response);
  RequestRef request(Request);
  StoreRef session(Session);
  if ((p_Act == u"cut" || p_Act == u"copy") && !p_CurrentFolder.empty() && p_CurrentFolder[0] == u'/') {
    session.set(u"folders", Variant(u""));
    session.set(u"files", Variant(u""));
    Text folders, files;
    int type = static_cast<int>(vb::Int(vb::Val(request_text(request, u"p_CopyType"))));
    if (type == 0) {
      folders = vb::Replace(form_text(request, u"Folders"), u", ", u"\t");
      files = vb::Replace(form_text(request, u"files"), u", ", u"\t");
    } else if (type == 1) {
      files = request_text(request, u"p_CurrentFile");
    } else if (type == 2) {
      folders = request_text(request, u"p_CurrentFile");
    }
    session.set(u"folders", Variant(folders));
    session.set(u"files", Variant(files));
    if (!folders.empty() || !files.empty()) {
      session.set(u"p_Act", Variant(p_Act));
      session.set(u"SourceFolder", Variant(p_CurrentFolder));
    } else {
      session.set(u"p_Act", Variant(u""));
      session.set(u"SourceFolder", Variant(u""));
      refuse(response, u"<script language='javascript'>", u"你没有选中任何文件和文件夹哦！", u"", u"</script>");
    }
  } else {
    refuse(response, u"<script language='javascript'>", u"操作失败，请返回重试！", u"", u"</script>");
  }
  response.write(u"<script language='javascript'>");
  response.write(u"window.location.href='netdrivers.asp?p_FileListStyle=" + num(p_FileListStyle) +
                 u"&p_CurrentFolder=" + js_string_escape(server.url_encode(CommFileGetPath(p_CurrentFolder))) + u"';");
  response.write(u"</script>");
}

Text CommFileEdit(Variant& Server, Variant& Response, Variant& Request, Text p_CurrentFile, Text p_Act) {
  ServerRef server(Server);
  ResponseRef response(Response);
  RequestRef request(Request);
  Text out =
      u"<style type=\"text/css\">body{background-color:#d6d3cc;margin:6px}td{font-size:9pt}"
      u"a{color:#000000;text-decoration:none}.button1{font-size:9pt;border:1px solid #808080;background:#ece9d8;"
      u"height:22px;padding:0 8px}</style>";
  // Only a file inside the shared tree is read or written.
  Text folder = CommFileGetPath(p_CurrentFile);
  Text name = CommFileGetFullName(p_CurrentFile);
  const bool legal = !p_CurrentFile.empty() && p_CurrentFile.find(u"..") == Text::npos &&
                     p_CurrentFile.find(u'\\') == Text::npos && p_CurrentFile.find(u':') == Text::npos &&
                     fm_target_is_safe(Server, folder.empty() ? Text(u"/") : folder, name);
  if (legal && !CommFileExist(server.map_path(p_CurrentFile))) {
    response.write(u"<Script language='javascript'>");
    response.write(u"alert('找不到指定的文件，可能该文件已经被删除!');");
    response.write(u"window.close();");
    response.write(u"</Script>");
    response.end();
    return out;
  }
  if (p_Act != u"EditFile") {
    out +=
        u"<table width=100% border=0><tr><td><form method=post action='?' style='margin:0'>位置：<input type=text "
        u"name='p_CurrentFile' size=100 value='" +
        markup::escape_attr(p_CurrentFile) +
        u"'> <input type=submit value='读文件' class=button1></form></td></tr></table>";
    if (legal) {
      Text text = CommReadFromTextFile(server.map_path(p_CurrentFile));
      out += u"<form name=editform method=post action='?p_CurrentFile=" +
             markup::escape_attr(server.url_encode(p_CurrentFile)) +
             u"' style='margin:0'><input type=hidden name='p_Act' value='EditFile'><input type=hidden "
             u"name='p_CurrentFile' value='" +
             markup::escape_attr(p_CurrentFile) + u"'>" + u"<textarea name='fcontent' cols=122 rows=31>" +
             markup::escape_attr(text) +
             u"</textarea><br><center><input type=submit value='保存编辑' class=button1> <input type=reset "
             u"value='复原' class=button1> <input type=button value='关闭' class=button1 "
             u"onclick='window.close()'></center></form>";
    } else {
      out += u"<center><font color=#ff3333>你要编辑的文件不存在</font></center>";
      response.write(out);
      response.end();
      return Text();
    }
    return out;
  }
  if (!legal) {
    refuse(response, u"<script language='javascript'>", kIllegalChars, u"window.close();", u"</script>");
    response.end();
    return out;
  }
  Text path = p_CurrentFile;
  if (path.size() >= 2 && path.back() == u'/') path.pop_back();
  bool saved = CommSaveToTextFile(server.map_path(path), form_text(request, u"fcontent"), 2);
  out += CommOpenerEditRefresh(saved ? u"文件已成功保存" : u"文件保存失败", 1);
  return out;
}

}  // namespace brevane
