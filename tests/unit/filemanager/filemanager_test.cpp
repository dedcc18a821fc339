#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "core/codepage.h"
#include "core/vbrt.h"
#include "filemanager/access.h"
#include "filemanager/listing.h"
#include "filemanager/operations.h"
#include "kit/hostkit.h"
#include "kit/tempdrive.h"

namespace brevane {
namespace {

using kit::FakeRequest;
using kit::FakeResponse;
using kit::FakeServer;
using kit::FakeStore;
using kit::TempDrive;
using kit::var;

size_t count(TextView s, TextView what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != TextView::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

// A shared folder on a temporary drive, with a logged-in full-share session.
class FileManager : public ::testing::Test {
 protected:
  FileManager() {
    (*app)[u"zelto_brevane_state"] = Variant(u"s1");
    (*app)[u"zelto_brevane_password_write"] = Variant(u"pw");
    (*session)[u"zelto_brevane_state"] = Variant(u"s1");
    (*session)[u"zelto_brevane_right"] = Variant(u"write");
    (*session)[u"zelto_brevane_password"] = Variant(u"pw");
    t.mkdir("share");
  }
  Text paste(TextView folder) {
    Variant sv = var(server), a = var(app), s = var(session), r = var(response), q = var(request);
    return CommSave(sv, a, s, r, q, 1, Text(folder), u"paste");
  }
  void copy_cut(TextView act, TextView folder) {
    Variant sv = var(server), s = var(session), r = var(response), q = var(request);
    CommCopyCut(sv, s, r, q, 1, Text(folder), Text(act));
  }
  Text list(int16_t style, TextView folder) {
    Variant sv = var(server);
    return CommShowFileList(sv, style, Text(folder));
  }
  void create_del(TextView folder, TextView name, TextView act) {
    Variant sv = var(server), r = var(response), q = var(request);
    CommCreateOrDel(sv, r, q, 1, Text(folder), Text(name), Text(act));
  }
  void rename(TextView folder, TextView act) {
    Variant sv = var(server), r = var(response), q = var(request);
    CommReName(sv, r, q, 1, Text(folder), Text(act));
  }

  TempDrive t;
  std::shared_ptr<FakeServer> server = FakeServer::make(t.path(u"share"));
  std::shared_ptr<FakeStore> app = FakeStore::make();
  std::shared_ptr<FakeStore> session = FakeStore::make();
  std::shared_ptr<FakeResponse> response = FakeResponse::make();
  std::shared_ptr<FakeRequest> request = FakeRequest::make();
};

// ---- access ----

TEST_F(FileManager, LoginAndLevelTests) {
  auto fresh = FakeStore::make();
  Variant r = var(response), s = var(fresh), a = var(FakeStore::make());
  CommCheckUserNormal(r, s, a);
  EXPECT_EQ(response->output, u"");  // nothing set by the site: nothing written
  Variant app_v = var(app);
  CommCheckUserNormal(r, s, app_v);
  EXPECT_EQ(response->output, u"<script>location.href='../brevane/login.asp'</script>");
  EXPECT_FALSE(response->ended);

  struct Case {
    const char16_t* vote;
    uint8_t need;
    bool refused;
  } cases[] = {{u"tom|x|3", 3, false}, {u"tom|x|3", 4, true}, {u"tom|x|3.9|y", 3, false}};
  for (const auto& c : cases) {
    auto out = FakeResponse::make();
    (*session)[u"zelto_vote"] = Variant(Text(c.vote));
    Variant ro = var(out), so = var(session), conn = var(kit::FakeConn::make()), rs = var(kit::FakeRs::make());
    CommCheckUserManager(ro, so, app_v, conn, rs, c.need);
    EXPECT_EQ(out->output.find(u"你没有足够的权限！") != Text::npos, c.refused) << to_utf8(c.vote);
    EXPECT_EQ(out->ended, c.refused);
  }
  (*session)[u"zelto_vote"] = Variant(u"tom|x");
  Variant so = var(session), conn = var(kit::FakeConn::make()), rs = var(kit::FakeRs::make());
  EXPECT_THROW(CommCheckUserManager(r, so, app_v, conn, rs, 1), ScriptError);
}

TEST_F(FileManager, WriteRightNeedsTheExactRightAndPassword) {
  struct Case {
    const char16_t *right, *password;
    bool write;
  } cases[] = {{u"write", u"pw", true}, {u"Write", u"pw", false}, {u"write", u"PW", false}, {u"read", u"pw", false}};
  for (const auto& c : cases) {
    (*session)[u"zelto_brevane_right"] = Variant(Text(c.right));
    (*session)[u"zelto_brevane_password"] = Variant(Text(c.password));
    EXPECT_EQ(fm_write_right(var(session), var(app)), c.write) << to_utf8(c.right) << to_utf8(c.password);
  }
}

TEST_F(FileManager, PasteWithoutWriteRightAnswersByWindow) {
  t.write("share/a/f.txt", "x");
  t.mkdir("share/b");
  copy_cut(u"copy", u"/a/");
  request->query->add(u"p_CopyType", u"1");
  (*session)[u"files"] = Variant(u"f.txt");
  (*session)[u"p_Act"] = Variant(u"copy");
  (*session)[u"SourceFolder"] = Variant(u"/a/");
  (*session)[u"zelto_brevane_right"] = Variant(u"read");
  request->server_variables[u"PATH_INFO"] = u"/brevane/netdrivers.asp";
  EXPECT_EQ(paste(u"/b/"), u"<script>alert('文件为只读共享，请勿越权使用！');history.go(-1)</script>");
  request->server_variables[u"PATH_INFO"] = u"/brevane/netdrivers_unzip.asp";
  EXPECT_EQ(paste(u"/b/"), u" <script>alert('文件为只读共享，请勿越权使用！');parent.window.close();</script>");
  EXPECT_FALSE(t.exists("share/b/f.txt"));
  (*session)[u"zelto_brevane_state"] = Variant(u"old");
  EXPECT_EQ(paste(u"/b/"), u"");
  EXPECT_EQ(response->redirected_to, u"index.asp");
}

TEST_F(FileManager, PageScriptCarriesNoPassword) {
  (*app)[u"zelto_brevane_password_write"] = Variant(u"secret-write");
  (*session)[u"zelto_brevane_password"] = Variant(u"secret-typed");
  Variant sv = var(server), a = var(app), s = var(session), r = var(response), q = var(request);
  Text script = CommSave(sv, a, s, r, q, 2, u"/", u"");
  EXPECT_EQ(script.find(u"secret"), Text::npos);
  EXPECT_NE(script.find(u"function check_allow_write(){if(false)"), Text::npos);
  EXPECT_NE(script.find(u"你所拥有的权限为只读共享，请勿越权使用！"), Text::npos);
  for (const char16_t* f :
       {u"about", u"help", u"upfile", u"down_file", u"zipunzip", u"viewfile", u"editfile", u"ReNameIt", u"create_it",
        u"copyfile", u"cutfile", u"pastefile", u"delbatch", u"delfile", u"selectall"})
    EXPECT_NE(script.find(u"function " + Text(f) + u"("), Text::npos) << to_utf8(f);
}

// ---- paths ----

TEST_F(FileManager, NamesAndFoldersFromRequestsStayInside) {
  struct Case {
    const char16_t* text;
    bool folder, name;
  } cases[] = {
      {u"/", true, false},         {u"/a/b/", true, false},
      {u"a/", false, false},       {u"/../", false, false},
      {u"/a/../b/", false, false}, {u"/a\\b/", false, false},
      {u"C:/x/", false, false},    {u"abc", false, true},
      {u"..", false, false},       {u"a b.txt", false, true},
      {u"x\ty", false, false},     {u"新建 文件.txt", false, true},
      {u"a/b", false, false},      {u"it's \"<&%.txt", false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fm_folder_is_safe(c.text), c.folder) << to_utf8(c.text);
    EXPECT_EQ(fm_name_is_safe(c.text), c.name) << to_utf8(c.text);
  }
  EXPECT_FALSE(fm_name_is_safe(Text(u"a\0b", 3)));
  t.mkdir("outside");
  t.write("outside/secret.txt", "s");
  ASSERT_EQ(symlink(t.native("outside").c_str(), t.native("share/link").c_str()), 0);
  EXPECT_FALSE(fm_target_is_safe(var(server), u"/link/", u"secret.txt"));
  EXPECT_FALSE(fm_target_is_safe(var(server), u"/", u"link"));
  EXPECT_TRUE(fm_target_is_safe(var(server), u"/", u"new.txt"));
  // Through a link the listing shows nothing and nothing is read or deleted.
  EXPECT_EQ(list(2, u"/link/").find(u"secret"), Text::npos);
  create_del(u"/link/", u"secret.txt", u"DelFile");
  EXPECT_TRUE(t.exists("outside/secret.txt"));
  Variant sv = var(server), r = var(response), q = var(request);
  CommFileEdit(sv, r, q, u"/link/secret.txt", u"");
  EXPECT_EQ(response->output.find(u"<textarea"), Text::npos);
}

// ---- listing ----

TEST_F(FileManager, GridPadsRowsToEightCells) {
  struct Case {
    int folders;
    size_t breaks, pads;
  } cases[] = {{0, 0, 8}, {8, 1, 8}, {9, 1, 7}};
  for (const auto& c : cases) {
    std::string dir = "share/g" + std::to_string(c.folders);
    t.mkdir(dir);
    for (int i = 0; i < c.folders; ++i) t.mkdir(dir + "/f" + std::to_string(i));
    Text out = list(1, from_utf8("/" + dir.substr(6) + "/"));
    EXPECT_EQ(count(out, u"</tr><tr><td colspan=8 height=20></td></tr><tr>"), c.breaks) << c.folders;
    EXPECT_EQ(count(out, u"<td width=95></td>"), c.pads) << c.folders;
    EXPECT_EQ(listing_counters().folders, c.folders);
  }
}

TEST_F(FileManager, ListingEscapesNamesAndCountsPerThread) {
  t.write("share/it's \"<b>&%.txt", "12345");
  t.mkdir("share/sub");
  t.write("share/sub/x.bin", std::string(2048, 'x'));
  Text out = list(2, u"/");
  EXPECT_EQ(out.find(u"<b>"), Text::npos);
  EXPECT_NE(out.find(u"value='it&#39;s &quot;&lt;b&gt;&amp;%.txt'"), Text::npos);
  EXPECT_NE(out.find(u"popMenu('txt','it%27s"), Text::npos);
  ListingCounters c = listing_counters();
  EXPECT_EQ(c.folders, 1);
  EXPECT_EQ(c.files, 1);
  EXPECT_EQ(c.folder_bytes, 2048);
  EXPECT_EQ(c.file_bytes, 5);
  std::thread([&] {
    EXPECT_EQ(listing_counters().files, 0);
    list(2, u"/sub/");
  }).join();
  EXPECT_EQ(listing_counters().files, 1);
  Variant q = var(request);
  Text bottom = CommShowBottom(q);
  EXPECT_NE(bottom.find(u"<span  title='文件夹：1\r\n文件：1'>2个对象</span>"), Text::npos);
  // A missing folder leaves the counters as they were and lists nothing.
  Text missing = list(2, u"/nope/");
  EXPECT_TRUE(missing.ends_with(u"</form></table></div></td></tr></table>"));
  EXPECT_EQ(listing_counters().files, 1);
}

// The names of a listing's check boxes, in order.
std::vector<Text> boxes(TextView out) {
  std::vector<Text> names;
  for (size_t at = out.find(u"type=checkbox name='"); at != TextView::npos;
       at = out.find(u"type=checkbox name='", at + 1)) {
    size_t v = out.find(u"value='", at) + 7;
    names.emplace_back(out.substr(v, out.find(u'\'', v) - v));
  }
  return names;
}

TEST_F(FileManager, SortAndSearchKeepToTheShare) {
  t.write("share/s/b.txt", "12");
  t.write("share/s/A.log", "1234");
  t.write("share/s/c.zip", "1");
  t.write("share/s/z/deep/Note-b.TXT", "123456");
  t.mkdir("share/s/y");
  t.write("outside/b-secret.txt", std::string(4096, 's'));
  ASSERT_EQ(symlink(t.native("outside").c_str(), t.native("share/s/out").c_str()), 0);
  using K = ListingView::Key;
  struct {
    ListingView view;
    std::vector<Text> names;
  } cases[] = {
      {{}, {u"out", u"y", u"z", u"A.log", u"b.txt", u"c.zip"}},
      {{K::Name, true, {}}, {u"z", u"y", u"out", u"c.zip", u"b.txt", u"A.log"}},
      // A link's folder counts nothing: its size is not walked.
      {{K::Size, false, {}}, {u"out", u"y", u"z", u"c.zip", u"b.txt", u"A.log"}},
      {{K::Size, true, {}}, {u"z", u"y", u"out", u"A.log", u"b.txt", u"c.zip"}},
      {{K::Type, false, {}}, {u"out", u"y", u"z", u"A.log", u"b.txt", u"c.zip"}},
      {{K::Name, false, u"B"}, {u"b.txt", u"z/deep/Note-b.TXT"}},
      {{K::Name, false, u"*.t?t"}, {u"b.txt", u"z/deep/Note-b.TXT"}},
      {{K::Name, false, u"de"}, {u"z/deep"}},
      {{K::Name, false, u"secret"}, {}},
  };
  Variant sv = var(server);
  for (const auto& c : cases) {
    for (int16_t style : {1, 2}) {
      Text out = fm_show_file_list(sv, style, u"/s/", c.view);
      EXPECT_EQ(boxes(out), c.names) << to_utf8(c.view.search) << static_cast<int>(c.view.key) << style;
    }
  }
  EXPECT_EQ(listing_counters().files + listing_counters().folders, 0);
  // A result below the folder opens from its own folder.
  Text found = fm_show_file_list(sv, 2, u"/s/", {K::Name, false, u"note"});
  EXPECT_NE(found.find(u"p_CurrentFile=%2Fs%2Fz%2Fdeep%2FNote%2Db%2ETXT&#39;"), Text::npos);
  EXPECT_NE(found.find(u"popMenu('txt','z%2Fdeep%2FNote%2Db%2ETXT')"), Text::npos);
  ListingView::Key key{};
  EXPECT_TRUE(fm_sort_key(u"TIME", key));
  EXPECT_EQ(key, K::Time);
  EXPECT_FALSE(fm_sort_key(u"owner", key));
}

TEST_F(FileManager, TreeWithALinkOutIsNotInside) {
  t.mkdir("outside");
  t.write("share/p/a.txt", "1");
  t.write("share/q/a.txt", "1");
  ASSERT_EQ(symlink(t.native("share/p").c_str(), t.native("share/q/in").c_str()), 0);
  Variant sv = var(server);
  EXPECT_TRUE(fm_tree_inside_share(sv, t.path(u"share\\q")));
  ASSERT_EQ(symlink(t.native("outside").c_str(), t.native("share/p/out").c_str()), 0);
  EXPECT_FALSE(fm_tree_inside_share(sv, t.path(u"share\\p")));
  EXPECT_FALSE(fm_tree_inside_share(sv, t.path(u"share\\q")));  // through the link in
  EXPECT_FALSE(fm_tree_inside_share(sv, t.path(u"outside")));
  ASSERT_EQ(unlink(t.native("share/p/out").c_str()), 0);
  ASSERT_EQ(symlink(t.native("share").c_str(), t.native("share/p/up").c_str()), 0);
  EXPECT_FALSE(fm_tree_inside_share(sv, t.path(u"share\\q")));  // a loop is no tree to pack
}

TEST_F(FileManager, NamesEncodeAlikeWhateverTheEncoderDoesWithSlashes) {
  // The test server writes U+4E2F as "%2F", as no real code page does: the
  // listing still gives each name its own encoding.
  t.write(to_utf8(u"share/e/\u4e2f.txt"), "1");
  t.write("share/e/x y.txt", "1");
  Text out = list(2, u"/e/");
  EXPECT_NE(out.find(u"popMenu('txt','%2F%2Etxt')"), Text::npos);
  EXPECT_NE(out.find(u"popMenu('txt','x+y%2Etxt')"), Text::npos);
}

TEST_F(FileManager, UpButtonIsPlainAtTheRoot) {
  Variant sv = var(server);
  Text root = CommShowMenuShort(sv, 2, u"/");
  EXPECT_NE(root.find(u"<td width=25><img src='../comm/image/menu/up.asp'"), Text::npos);
  Text deep = CommShowMenuShort(sv, 2, u"/a/b/");
  EXPECT_NE(deep.find(u"?p_CurrentFolder=%2Fa%2F&p_FileListStyle=2"), Text::npos);
  // Inside a javascript: link, which the browser percent-decodes first, a
  // name's other escapes are escaped again.
  Text odd = CommShowMenuShort(sv, 2, u"/a&b/\u4e2d/");
  EXPECT_NE(odd.find(u"?p_CurrentFolder=%2Fa%2526b%2F&p_FileListStyle=2"), Text::npos);
  EXPECT_TRUE(deep.ends_with(u"<td width=600></td></tr></table>") ||
              deep.find(u"<td width=600></td></tr></table>") != Text::npos);
}

// ---- operations ----

TEST_F(FileManager, ClipboardKeepsTabSeparatedNamesAndPastesTwice) {
  t.write("share/a/f1.txt", "1");
  t.write("share/a/f2.txt", "2");
  t.mkdir("share/a/d1");
  t.mkdir("share/b");
  t.mkdir("share/c");
  request->form->add(u"Folders", u"d1");
  request->form->add(u"files", u"f1.txt, f2.txt");
  request->query->add(u"p_CopyType", u"0");
  copy_cut(u"cut", u"/a/");
  EXPECT_EQ((*session)[u"files"].to_text(), u"f1.txt\tf2.txt");
  EXPECT_EQ((*session)[u"folders"].to_text(), u"d1");
  EXPECT_EQ((*session)[u"SourceFolder"].to_text(), u"/a/");
  paste(u"/b/");
  EXPECT_TRUE(t.exists("share/b/f1.txt") && t.exists("share/b/f2.txt") && t.is_folder("share/b/d1"));
  EXPECT_FALSE(t.exists("share/a/f1.txt"));
  response = FakeResponse::make();
  paste(u"/c/");  // the clipboard stays, its sources are gone: nothing changes
  EXPECT_FALSE(t.exists("share/c/f1.txt"));
  EXPECT_EQ((*session)[u"p_Act"].to_text(), u"cut");

  auto empty = FakeRequest::make();
  request = empty;
  request->query->add(u"p_CopyType", u"0");
  response = FakeResponse::make();
  copy_cut(u"copy", u"/a/");
  EXPECT_NE(response->output.find(u"alert('你没有选中任何文件和文件夹哦！');"), Text::npos);
  EXPECT_EQ((*session)[u"p_Act"].to_text(), u"");
  response = FakeResponse::make();
  copy_cut(u"move", u"/a/");
  EXPECT_NE(response->output.find(u"alert('操作失败，请返回重试！');"), Text::npos);
}

TEST_F(FileManager, PasteRefusesClipboardNamesThatLeave) {
  t.write("secret.txt", "s");
  t.mkdir("share/b");
  (*session)[u"files"] = Variant(u"../../secret.txt");
  (*session)[u"p_Act"] = Variant(u"copy");
  (*session)[u"SourceFolder"] = Variant(u"/");
  paste(u"/b/");
  EXPECT_EQ(t.tree(), (std::vector<std::string>{"secret.txt", "share/", "share/b/"}));
}

TEST_F(FileManager, RenameRefusalsAndMessages) {
  t.write("share/a.txt", "a");
  t.write("share/b.txt", "b");
  struct Case {
    const char16_t *folder, *old_name, *new_name, *act, *expect;
  } cases[] = {
      {u"/", u"a.txt", u"", u"ReNameFile", u"alert('指定的文件（夹）名称不能为空');"},
      {u"/", u"a.txt", u"x/y.txt", u"ReNameFile", u"alert('指定的路径或文件名称非法');"},
      {u"x/", u"a.txt", u"c.txt", u"ReNameFile", u"alert('指定的路径或文件名称非法');"},
      {u"/", u"a.txt", u"..", u"ReNameFile", u"alert('指定的路径或文件名称非法');"},
      {u"/", u"a.txt", u"b.txt", u"ReNameFile", u"重命名文件[a.txt] 失败，同名文件或文件夹已存在！"},
      {u"/", u"zz.txt", u"c.txt", u"ReNameFile", u"重命名文件 [zz.txt] 失败，文件[zz.txt] 不存在！"},
      {u"/", u"a.txt", u"c.txt", u"Other", u"命令参数错误！"},
      {u"/", u"a.txt", u"c.txt", u"ReNameFile", u"重命名文件 [a.txt] 为 [c.txt] 成功！"},
  };
  for (const auto& c : cases) {
    request = FakeRequest::make();
    response = FakeResponse::make();
    request->query->add(u"p_OldName", c.old_name);
    request->query->add(u"p_NewName", c.new_name);
    rename(c.folder, c.act);
    EXPECT_NE(response->output.find(c.expect), Text::npos) << to_utf8(c.expect) << "\n" << to_utf8(response->output);
  }
  EXPECT_TRUE(t.exists("share/c.txt"));
}

TEST_F(FileManager, CreateAndDeleteMessages) {
  struct Case {
    const char16_t *folder, *name, *act, *expect;
  } cases[] = {
      {u"/a?/", u"x", u"CreateFolder", u"alert('指定的文件名或路径中含有非法字符');"},
      {u"/", u"../x", u"CreateFolder", u"alert('指定的文件名或路径中含有非法字符');"},
      {u"/", u"n1/n2", u"CreateFolder", u"alert('文件夹创建成功！');"},
      {u"/", u"n1", u"CreateFolder", u"alert('你要创建的文件夹[n1]已经存在！');"},
      {u"/", u"新建.txt", u"CreateFile", u"alert('文本文件创建成功！');"},
      {u"/", u"新建.txt", u"CreateFile", u"alert('你要创建的文件[新建.txt]已经存在！');"},
      {u"/", u"gone.txt", u"DelFile", u"alert('你要删除的文件[gone.txt]没有找到！');"},
      {u"/", u"新建.txt", u"DelFile", u"alert('文件删除成功！');"},
      {u"/", u"n1", u"DelFolder", u"alert('文件夹删除成功！');"},
      {u"/", u"n1", u"Zap", u"alert('命令参数错误！');"},
  };
  for (const auto& c : cases) {
    response = FakeResponse::make();
    create_del(c.folder, c.name, c.act);
    EXPECT_NE(response->output.find(c.expect), Text::npos) << to_utf8(c.expect) << "\n" << to_utf8(response->output);
  }
  EXPECT_EQ(t.tree(), std::vector<std::string>{"share/"});
}

TEST_F(FileManager, BatchDeleteTakesTheListedNamesOnly) {
  t.write("share/d/a.txt", "a");
  t.write("share/d/b.txt", "b");
  t.write("share/d/keep.txt", "k");
  t.mkdir("share/d/sub");
  t.write("share/top.txt", "t");
  request->form->add(u"Folders", u"sub");
  request->form->add(u"Files", u"a.txt, b.txt, ../top.txt, missing.txt");
  Variant sv = var(server), r = var(response), q = var(request);
  CommDelBatch(sv, r, q, 2, u"d/", u"DelBatch");
  EXPECT_NE(response->output.find(u"alert('已删除!');"), Text::npos);
  EXPECT_TRUE(t.exists("share/d/a.txt"));  // the folder did not start with "/"
  CommDelBatch(sv, r, q, 2, u"/d/", u"DelBatch");
  EXPECT_EQ(t.tree(), (std::vector<std::string>{"share/", "share/d/", "share/d/keep.txt", "share/top.txt"}));
}

TEST_F(FileManager, EditorRoundTripsChineseAndRefusesClimbing) {
  Text chinese = u"中文内容，保存后不变。";
  t.write("share/note.txt", CodePage::ansi().encode(chinese));
  Variant sv = var(server), r = var(response), q = var(request);
  Text page = CommFileEdit(sv, r, q, u"/note.txt", u"");
  EXPECT_NE(page.find(u">" + chinese + u"</textarea>"), Text::npos);
  request->form->add(u"fcontent", u"新的<内容>&");
  page = CommFileEdit(sv, r, q, u"/note.txt", u"EditFile");
  EXPECT_NE(page.find(u"文件已成功保存"), Text::npos);
  EXPECT_EQ(CodePage::ansi().decode(t.read("share/note.txt")), u"新的<内容>&");
  page = CommFileEdit(sv, r, q, u"/note.txt", u"");
  EXPECT_NE(page.find(u"新的&lt;内容&gt;&amp;</textarea>"), Text::npos);

  response = FakeResponse::make();
  r = var(response);
  CommFileEdit(sv, r, q, u"/../note.txt", u"");
  EXPECT_NE(response->output.find(u"<center><font color=#ff3333>你要编辑的文件不存在</font></center>"), Text::npos);
  EXPECT_TRUE(response->ended);
  response = FakeResponse::make();
  r = var(response);
  CommFileEdit(sv, r, q, u"/../note.txt", u"EditFile");
  EXPECT_EQ(response->output,
            u"<script language='javascript'>alert('指定的文件名或路径中含有非法字符');window.close();</script>");
}

}  // namespace
}  // namespace brevane
