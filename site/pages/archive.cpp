// Backup and archives: a demo folder under /UploadFile packed into a ZIP
// (named .RAR, as the file manager's pages name it), unpacked again, and
// the data files backed up. The result script each method returns is shown
// as text: it expects to run in a pop-up that a file list opened.
#include "core/registry.h"
#include "core/vbrt.h"
#include "frame/host.h"
#include "site/pages/common.h"
#include "site/pages/demo_site.h"

namespace brevane::site {

namespace {

using host::Page;

constexpr char16_t kDemoFolder[] = u"/UploadFile/ArchiveDemo";

// The demo folder with a few files, one of them with a Chinese name.
void lay_out_demo(const Variant& comm, const ServerRef& server) {
  Text root = server.map_path(kDemoFolder);
  auto save = [&](TextView rel, TextView text) {
    call(comm, u"CommFolderCreate", {Variant(call(comm, u"CommFileGetPath", {Variant(root + u"\\" + Text(rel))}))});
    call(comm, u"CommSaveToTextFile", {Variant(root + u"\\" + Text(rel)), Variant(Text(text)), Variant(uint8_t(2))});
  };
  save(u"demo\\readme.txt", u"archive demo");
  save(u"demo\\说明.txt", u"中文文件名");
  save(u"demo\\sub\\deep.txt", u"nested");
  call(comm, u"CommFolderCreate", {Variant(root + u"\\demo\\empty")});
  Text vote = server.map_path(u"/data/vote.asp");
  if (!call(comm, u"CommFileExist", {Variant(vote)}).to_bool())
    call(comm, u"CommSaveToTextFile", {Variant(vote), Variant(Text(u"vote data")), Variant(uint8_t(2))});
}

// Every file and folder below `physical`, one per line, folders ending in "/".
void walk(const Variant& comm, const Text& physical, const Text& rel, Text& out) {
  auto names = [&](int16_t type) {
    Text list = call(comm, u"CommSearchPathFile", {Variant(physical), Variant(type)}).to_text();
    return list.empty() ? std::vector<Text>{} : vb::Split(list, u"|");
  };
  for (const Text& f : names(0)) out += rel + f + u"\n";
  for (const Text& d : names(1)) {
    out += rel + d + u"/\n";
    walk(comm, physical + u"\\" + d, rel + d + u"/", out);
  }
}

void list_folder(Page& p, const Variant& comm, const ServerRef& server) {
  Text listing;
  walk(comm, server.map_path(kDemoFolder), u"", listing);
  p.write(u"<h3>" + Text(kDemoFolder) + u"</h3><pre id=listing>" + html(listing) + u"</pre>");
}

void archive_page(Page& p) {
  Variant comm = component();
  ServerRef server(p.server());
  Text act = RequestRef(p.request()).query_string(u"act");
  page_start(p, u"备份与压缩");
  try {
    lay_out_demo(comm, server);
    Text result;
    if (act == u"ZipFolder" || act == u"ZipFile" || act == u"Unzip") {
      Text folder = act == u"ZipFile" ? Text(kDemoFolder) + u"/demo" : Text(kDemoFolder);
      Text file = act == u"ZipFolder" ? u"demo" : act == u"ZipFile" ? u"readme.txt" : u"demo.RAR";
      result =
          call(comm, u"CommUnZipWithXceedZip", {p.server(), Variant(folder), Variant(file), Variant(act)}).to_text();
    } else if (act == u"RarUnzip") {
      result = call(comm, u"CommUnZipWithRar",
                    {p.server(), Variant(Text(kDemoFolder)), Variant(u"demo.RAR"), Variant(u"unzip")})
                   .to_text();
    } else if (act == u"Backup") {
      Text folder = call(comm, u"CommFileBackup",
                         {p.response(), p.request(), p.server(), Variant(u"vote.asp"), Variant(uint8_t(1)),
                          Variant(u"demo"), Variant(u"/UploadFile/AutoBackup")})
                        .to_text();
      result = folder.empty() ? Text(u"备份失败") : u"备份到 " + folder;
    }
    if (!result.empty()) p.write(u"<h3>结果</h3><pre id=result>" + html(result) + u"</pre>");
    p.write(
        u"<ul><li><a id=zipfolder href='?act=ZipFolder'>打包文件夹 demo</a> — CommUnZipWithXceedZip ZipFolder</li>"
        u"<li><a id=zipfile href='?act=ZipFile'>打包文件 demo/readme.txt</a> — ZipFile</li>"
        u"<li><a id=unzip href='?act=Unzip'>解压 demo.RAR</a> — Unzip</li>"
        u"<li><a id=rarunzip href='?act=RarUnzip'>用 RAR 解压 demo.RAR</a> — CommUnZipWithRar（无 RAR 时由库解压）</li>"
        u"<li><a id=backup href='?act=Backup'>备份数据文件</a> — CommFileBackup</li></ul>");
    list_folder(p, comm, server);
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
    not_available(p, e);
  }
  page_end(p);
}

}  // namespace

void register_archive_pages(host::PageRegistry& pages) { pages.add("/archive/index.asp", archive_page); }

}  // namespace brevane::site
