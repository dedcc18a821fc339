#include "transfer/download.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "kit/hostkit.h"
#include "kit/tempdrive.h"
#include "platform/fs.h"

namespace brevane {
namespace {

using kit::var;

TEST(DownloadNames, RefusedHoweverWritten) {
  struct Case {
    const char16_t* name;
    bool refused;
  } cases[] = {
      {u"x.asp", true},        {u"x.ASP", true},        {u"x.Asa", true},    {u"x.aspx", true},     {u"x.asax", true},
      {u"x.php", true},        {u"asp", true},          {u"x.asp.", true},   {u"x.asp. . ", true},  {u"x.asp ", true},
      {u"x.asp::$DATA", true}, {u"x.ASP:stream", true}, {u"vote.mdb", true}, {u"web.config", true}, {u"a.inc", true},
      {u"a.cer", true},        {u"a.cdx", true},        {u"a.ascx", true},   {u"a.ashx", true},     {u"a.asmx", true},
      {u"a.shtml", true},      {u"a.phtml", true},      {u"a.php3", true},   {u"a.PHP5", true},     {u"a.jsp", true},
      {u"x.aspx.txt", false},  {u"x.asp.txt", false},   {u"readme", false},  {u"报告.doc", false},  {u"x.aspq", false},
      {u"x.php6", false},      {u"x.", false},
  };
  for (const auto& c : cases) EXPECT_EQ(download_refused(c.name), c.refused) << to_utf8(c.name);
}

TEST(DownloadNames, ContentTypeByLowerCasedExtension) {
  struct Case {
    const char16_t* name;
    const char16_t* type;
  } cases[] = {
      {u"a.asf", u"video/x-ms-asf"},
      {u"a.avi", u"video/avi"},
      {u"a.rm", u"application/vnd.rn-realmedia"},
      {u"a.doc", u"application/vnd.ms-word"},
      {u"a.ZIP", u"application/zip"},
      {u"a.xls", u"application/vnd.ms-excel"},
      {u"a.gif", u"image/gif"},
      {u"a.JPG", u"image/jpeg"},
      {u"a.jpeg", u"image/jpeg"},
      {u"a.wav", u"audio/wav"},
      {u"a.mp3", u"audio/mpeg3"},
      {u"a.mpg", u"video/mpeg"},
      {u"a.mpeg", u"video/mpeg"},
      {u"a.rtf", u"application/rtf"},
      {u"a.htm", u"text/html"},
      {u"a.html", u"text/html"},
      {u"a.txt", u"text/plain"},
      {u"x.aspx.txt", u"text/plain"},
      {u"README", u"application/octet-stream"},
      {u"a.rmvb", u"application/octet-stream"},
  };
  for (const auto& c : cases) EXPECT_EQ(download_content_type(download_extension(c.name)), c.type) << to_utf8(c.name);
}

TEST(DownloadNames, DispositionKeepsPlainNameAndAddsUtf8Form) {
  EXPECT_EQ(download_disposition(u"report 1.txt"), u"attachment;  FileName=report 1.txt");
  EXPECT_EQ(download_disposition(u"中文 a.txt"),
            u"attachment;  FileName=中文 a.txt; filename*=UTF-8''%E4%B8%AD%E6%96%87%20a.txt");
}

TEST(ViewScript, RowsInOrderFirstMatchWins) {
  const Text end = u"setTimeout('parent.window.close();',0);</script>";
  EXPECT_EQ(view_script(u"pdf", u"/f/a.PDF", u"t"),
            u"<script language='javascript'>OpenWindow('/f/a.PDF','Show',800,600);" + end);
  EXPECT_EQ(
      view_script(u"mp3", u"/f/歌.mp3", u"歌"),
      u"<script language='javascript'>OpenWindow('../comm/zelto_FileView.asp?FileType=Wav&Url=/f/歌.mp3&Title=歌',"
      u"'ShowMp3',305,142);" +
          end);
  EXPECT_EQ(view_script(u"rmvb", u"a.rmvb", u"a"),
            u"<script language='javascript'>OpenWindow('../comm/zelto_FileView.asp?FileType=Movie&RunSystem=rtsp&Url="
            u"a.rmvb&Title=a','ShowAvi',500,501);" +
                end);
  // asf is a download type of its own but opens with mms here.
  EXPECT_EQ(view_script(u"asf", u"a.asf", u"a"),
            u"<script language='javascript'>OpenWindow('../comm/zelto_FileView.asp?FileType=Movie&RunSystem=mms&Url="
            u"a.asf&Title=a','ShowAvi',500,501);" +
                end);
  EXPECT_EQ(view_script(u"swf", u"a.swf", u"a"),
            u"<script language='javascript'>OpenWindowResize('../comm/zelto_FileView.asp?FileType=Flash&"
            u"PlayTypePlayType=FullScreen&Url=a.swf&Title=a',700,540);" +
                end);
  for (const char16_t* ext : {u"gif", u"tiff", u"pcx", u"png"})
    EXPECT_EQ(
        view_script(ext, u"i", u"t"),
        u"<script language='javascript'>OpenWindowResize('../comm/zelto_FileView.asp?FileType=Image&Url=i&Title=t',"
        u"700,540);" +
            end);
  EXPECT_EQ(view_script(u"exe", u"a.exe", u"a"), u"");
  EXPECT_EQ(view_script(u"", u"a", u"a"), u"");
}

TEST(ViewScript, ValuesCannotLeaveTheScript) {
  Text s = view_script(u"jpg", u"a'+alert(1)+'.jpg", u"</script><b>");
  EXPECT_EQ(s.find(u"'+alert"), Text::npos);
  EXPECT_EQ(s.find(u"</script><b>"), Text::npos);
  EXPECT_NE(s.find(u"a\\x27+alert(1)+\\x27.jpg&Title=\\x3c/script>\\x3cb>"), Text::npos);
}

// A site on a temporary drive, with the kit's page objects.
class DownloadTest : public ::testing::Test {
 protected:
  kit::TempDrive drive_;
  std::shared_ptr<kit::FakeResponse> response_ = kit::FakeResponse::make();
  std::shared_ptr<kit::FakeServer> server_ = kit::FakeServer::make(drive_.path(u"site"));
  Variant response_var_ = var(response_), server_var_ = var(server_), request_var_ = var(kit::FakeRequest::make());

  void download(Text path, bool close_parent = false) {
    CommFileDownload(response_var_, server_var_, std::move(path), close_parent);
  }
  void view(Text file, Text act, Text title = Text()) {
    CommFileView(server_var_, response_var_, request_var_, std::move(file), std::move(act), std::move(title));
  }
  Text header(TextView name) const {
    for (const auto& [k, v] : response_->headers)
      if (k == name) return v;
    return u"(none)";
  }
  bool shows_error(TextView message) const {
    return response_->ended && response_->binary.empty() && response_->output.find(message) != Text::npos;
  }
};

TEST_F(DownloadTest, SendsTheFileInPiecesWithItsHeaders) {
  std::string data(kDownloadPiece * 2 + 1234, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 251);
  drive_.write("site/files/数据.TXT", data);
  download(u"/files/数据.TXT");
  EXPECT_EQ(response_->binary, data);
  EXPECT_EQ(response_->binary_write_calls, 3);
  EXPECT_EQ(response_->flush_calls, 3);
  EXPECT_TRUE(response_->ended);
  EXPECT_TRUE(response_->cleared);
  EXPECT_EQ(header(u"Content-Disposition"), u"attachment;  FileName=数据.TXT; filename*=UTF-8''%E6%95%B0%E6%8D%AE.TXT");
  EXPECT_EQ(header(u"Content-Length"), T(std::to_string(data.size())));
  EXPECT_EQ(header(u"X-Content-Type-Options"), u"nosniff");
  EXPECT_EQ(response_->properties[u"contenttype"].to_text(), u"text/plain");
  EXPECT_EQ(response_->properties[u"charset"].to_text(), u"UTF-8");
  EXPECT_TRUE(response_->properties[u"buffer"].to_bool());
}

TEST_F(DownloadTest, PhysicalPathUsedAsItStandsAndEmptyFileSent) {
  drive_.write("elsewhere/empty", "");
  download(drive_.path(u"elsewhere\\empty"));
  EXPECT_TRUE(response_->ended);
  EXPECT_EQ(response_->binary, "");
  EXPECT_EQ(header(u"Content-Length"), u"0");
  EXPECT_EQ(response_->properties[u"contenttype"].to_text(), u"application/octet-stream");
}

TEST_F(DownloadTest, MissingFileOrFolderShowsErrorPage) {
  drive_.mkdir("site/folder.txt");
  for (const char16_t* path : {u"/nothing.txt", u"/folder.txt"}) {
    response_ = kit::FakeResponse::make();
    response_var_ = var(response_);
    download(path, true);
    EXPECT_TRUE(shows_error(u"文件不存在！")) << to_utf8(path);
    EXPECT_NE(response_->output.find(u"href='JavaScript:window.close()'><img height=20"), Text::npos);
  }
}

TEST_F(DownloadTest, ScriptsRefusedUnderAnySpelling) {
  drive_.write("site/x.ASP", "<% secret %>");
  drive_.write("site/x.asp.", "<% secret %>");
  drive_.write("site/db/vote.mdb", "Standard Jet DB");
  drive_.write("site/real.asp", "<% secret %>");
  ASSERT_EQ(::symlink(drive_.native("site/real.asp").c_str(), drive_.native("site/innocent.txt").c_str()), 0);
  for (const char16_t* path : {u"/x.ASP", u"/x.asp.", u"/db/vote.mdb", u"/innocent.txt"}) {
    response_ = kit::FakeResponse::make();
    response_var_ = var(response_);
    download(path);
    EXPECT_TRUE(shows_error(u"不允许该类文件下载！")) << to_utf8(path);
    EXPECT_TRUE(response_->headers.empty());
  }
}

TEST_F(DownloadTest, UnreadableFileIsAnUnknownError) {
  drive_.write("site/locked.txt", "x");
  fs::set_fault_hook_for_testing([](std::string_view call, std::string_view) { return call == "open" ? EACCES : 0; });
  download(u"/locked.txt");
  fs::set_fault_hook_for_testing(nullptr);
  EXPECT_TRUE(shows_error(u"未知错误！"));
}

TEST_F(DownloadTest, ViewOfMissingFileAlertsAndCloses) {
  view(u"/none.pdf", u"View");
  EXPECT_EQ(response_->output, u"<Script language='javascript'>alert('文件不存在!');window.close();</Script>");
  EXPECT_EQ(response_->write_calls, 4);
  EXPECT_TRUE(response_->ended);
}

TEST_F(DownloadTest, ViewActions) {
  drive_.write("site/f/a.PDF", "%PDF");
  drive_.write("site/f/a.exe", "MZ");
  drive_.write("site/f/b.txt", "text");
  view(u"/f/a.PDF", u"View");
  EXPECT_EQ(response_->output, view_script(u"pdf", u"/f/a.PDF", u"a.PDF"));
  EXPECT_FALSE(response_->ended);

  response_ = kit::FakeResponse::make();
  response_var_ = var(response_);
  view(u"/f/a.exe", u"View");
  EXPECT_EQ(response_->redirected_to, u"/f/a.exe");

  // The action word is compared exactly: lower-case "download" redirects.
  response_ = kit::FakeResponse::make();
  response_var_ = var(response_);
  view(u"/f/b.txt", u"download");
  EXPECT_EQ(response_->redirected_to, u"/f/b.txt");
  EXPECT_EQ(response_->binary, "");

  response_ = kit::FakeResponse::make();
  response_var_ = var(response_);
  view(u"/f/b.txt", u"DownLoad");
  EXPECT_EQ(response_->binary, "text");
  EXPECT_EQ(header(u"Content-Disposition"), u"attachment;  FileName=b.txt");
}

TEST_F(DownloadTest, EmptyTitleBecomesTheFileName) {
  drive_.write("site/f/歌.mp3", "ID3");
  view(u"/f/歌.mp3", u"View");
  EXPECT_NE(response_->output.find(u"&Title=歌.mp3'"), Text::npos);
  response_ = kit::FakeResponse::make();
  response_var_ = var(response_);
  view(u"/f/歌.mp3", u"View", u"一首歌");
  EXPECT_NE(response_->output.find(u"&Title=一首歌'"), Text::npos);
}

}  // namespace
}  // namespace brevane
