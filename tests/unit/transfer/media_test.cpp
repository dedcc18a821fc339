#include "transfer/media.h"

#include <gtest/gtest.h>

#include "kit/hostkit.h"

namespace brevane {
namespace {

using kit::FakeResponse;
using kit::var;

size_t count(TextView s, TextView what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != TextView::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

TEST(PlayMovie, RunSystemFromArgumentSchemeOrExtension) {
  struct Case {
    const char16_t *url, *given, *expected;
  };
  const Case cases[] = {
      {u"video/a.asf", u"", u"mms"},
      {u"video/a.WMV", u"", u"mms"},
      {u"a.wma", u"", u"mms"},
      {u"rtsp://media.example.com/a.wmv", u"", u"rtsp"},
      {u"MMS://media.example.com/a.rm", u"", u"mms"},
      {u"a.mp3", u"", u"rtsp"},
      {u"a.rmvb", u"", u"rtsp"},
      {u"a.mpeg", u"", u"rtsp"},
      {u"a.mp4", u"", u""},
      {u"noextension", u"", u""},
      {u"a.mp4", u"MMS", u"mms"},
      {u"http://example.com/a.mp4", u"", u"http"},
  };
  for (const Case& c : cases) EXPECT_EQ(movie_run_system(c.url, c.given), c.expected) << to_utf8(c.url);
}

TEST(PlayMovie, ThePageCarriesTheObjectsOfItsRunSystem) {
  Text rtsp = CommShowPlayMovie(u"rtsp://m.example.com/a.wmv", u"片名", u"");
  EXPECT_EQ(count(rtsp, u"classid='clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA'"), 3u);
  EXPECT_EQ(count(rtsp, u"<object id=video1 "), 2u);
  EXPECT_NE(rtsp.find(u"<param name='SRC' value='rtsp://m.example.com/a.wmv'>"), Text::npos);
  EXPECT_NE(rtsp.find(u"player.SetEnableContextMenu(false);player.SetWantErrors(true);"), Text::npos);
  EXPECT_NE(rtsp.find(u"您现在正在观看的是：<font color=red>片名</font>"), Text::npos);
  EXPECT_EQ(rtsp.find(u"MediaPlayer1 "), Text::npos);

  Text mms = CommShowPlayMovie(u"clips/a.asf", u"t", u"");
  EXPECT_NE(mms.find(u"<object id=MediaPlayer1 classid='clsid:22D6F312-B0F6-11D0-94AB-0080C74C7E95' width=464 "
                     u"height=380><param name='filename' value='clips/a.asf'><param name='AudioStream' value='-1'>"),
            Text::npos);
  EXPECT_NE(mms.find(u"<param name='Volume' value='-40'><param name='WindowlessVideo' value='0'>"), Text::npos);
  EXPECT_NE(mms.find(u"left:350px;top:413px"), Text::npos);
  EXPECT_EQ(mms.find(u"CFCDAA03"), Text::npos);
  EXPECT_EQ(mms.find(u"<video"), Text::npos);  // the browser cannot play asf

  // No plug-in for mp4: the frame with the browser's own player only.
  Text mp4 = CommShowPlayMovie(u"clips/a.mp4", u"t", u"");
  EXPECT_EQ(mp4.find(u"<object"), Text::npos);
  EXPECT_NE(mp4.find(u"<video id=html5player src='clips/a.mp4' width=464 height=380 controls autoplay></video>"),
            Text::npos);
  Text none = CommShowPlayMovie(u"clips/a.xyz", u"t", u"");
  EXPECT_EQ(none.find(u"<object"), Text::npos);
  EXPECT_EQ(none.find(u"<video"), Text::npos);
  EXPECT_TRUE(none.ends_with(u"</table></body></html>"));
}

TEST(PlayMovie, PlayableFormatsGetTheHtml5PlayerInsideTheObject) {
  Text mp3 = CommShowPlayMovie(u"music/a.mp3", u"t", u"");
  size_t object = mp3.find(u"<object id=player "), audio = mp3.find(u"<audio id=html5player src='music/a.mp3'"),
         close = mp3.find(u"</object>");
  ASSERT_NE(audio, Text::npos);
  EXPECT_LT(object, audio);
  EXPECT_LT(audio, close);
  EXPECT_NE(CommShowPlayMusic(u"a.wav", u"歌").find(u"<audio id=html5player src='a.wav'"), Text::npos);
  EXPECT_EQ(html5_media(u"rtsp://x.example.com/a.mp4", 1, 1), u"");
  EXPECT_NE(html5_media(u"a.MP4?x=1", 1, 1).find(u"<video"), Text::npos);
}

TEST(PlayPages, AddressesAndTitlesAreEscaped) {
  const Text url = u"a.mp4?x='><script>alert(1)</script>";
  const Text title = u"<b onmouseover=x>\"'";
  for (const Text& page : {CommShowPlayMovie(url, title, u"mms"), CommShowPlayMovie(url, title, u"rtsp"),
                           CommShowPlayMusic(url, title), CommShowPlayFlash(url, title, u"control"),
                           CommShowPlayFlash(url, title, u"FullScreen"), CommShowPlayImage(url, title)}) {
    EXPECT_EQ(page.find(u"<script>alert"), Text::npos);
    EXPECT_EQ(page.find(u"<b onmouseover"), Text::npos);
    EXPECT_EQ(page.find(u"x='>"), Text::npos);
  }
}

TEST(PlayFlash, PlayTypePicksTheLayout) {
  for (const char16_t* type : {u"Control", u"CONTROL", u"control"}) {
    Text page = CommShowPlayFlash(u"f/a.swf", u"标题", type);
    EXPECT_NE(page.find(u"【flash标题：标题】"), Text::npos);
    EXPECT_NE(page.find(u"#version=5,0,0,0' width=550 height=400>"), Text::npos);
    EXPECT_NE(page.find(u"<a href='?FileType=Flash&PlayType=FullScreen&Url=f/a.swf&Title=%B1%EA%CC%E2'>"
                        u"切换到全屏幕模式</a>"),
              Text::npos);
    EXPECT_NE(page.find(u"<table id=tb width=678 "), Text::npos);
  }
  for (const char16_t* type : {u"FullScreen", u"", u"other"}) {
    Text page = CommShowPlayFlash(u"f/a.swf", u"t", type);
    EXPECT_NE(page.find(u"#version=6,0,0,0' width='100%' height='100%'>"), Text::npos);
    EXPECT_NE(page.find(u"?FileType=Flash&PlayType=Control&Url=f/a.swf&Title=t'>切换到可控制模式</a>"), Text::npos);
    EXPECT_EQ(page.find(u"id=tb "), Text::npos);
  }
}

TEST(PlayImage, ThePageBindsDrawImageToTheSharedScript) {
  Text page = CommShowPlayImage(u"pics/a.png", u"图");
  EXPECT_NE(page.find(u"<img src='pics/a.png' border=0 onmousewheel='return cgimg(this);' "
                      u"onload='javascript:DrawImage(this);' title='按此在新窗口浏览图片'"),
            Text::npos);
  EXPECT_NE(page.find(u"function DownImage("), Text::npos);
  EXPECT_NE(page.find(u"function DrawImage("), Text::npos);
  EXPECT_NE(page.find(u"【图像标题：图】"), Text::npos);
}

TEST(PlayList, AsxAndSmilDocuments) {
  struct Case {
    const char16_t *system, *list, *type, *disposition, *body;
  };
  const Case cases[] = {
      {u"MMS", u"mms://a/1.asf|mms://a/2.asf|x&y\".wma", u"video/x-ms-asf", u"inline; filename=playlist.asx",
       u"<asx version=\"3.0\">\r\n<entry>\r\n<ref href=\"mms://a/1.asf\"/>\r\n</entry>\r\n<entry>\r\n"
       u"<ref href=\"mms://a/2.asf\"/>\r\n</entry>\r\n<entry>\r\n<ref href=\"x&amp;y&quot;.wma\"/>\r\n</entry>\r\n"
       u"</asx>"},
      {u"rtsp", u"rtsp://a/1.rm|b<2>.rm", u"application/smil", u"inline; filename=playlist.smil",
       u"<smil><head>\r\n</head>\r\n<body>\r\n<seq>\r\n<audio src=\"rtsp://a/1.rm\"/>\r\n"
       u"<audio src=\"b&lt;2&gt;.rm\"/>\r\n</seq>\r\n</body>\r\n</smil>"},
  };
  for (const Case& c : cases) {
    auto r = FakeResponse::make();
    Variant rv = var(r);
    CommShowPlayList(rv, c.system, c.list);
    EXPECT_EQ(r->output, c.body);
    EXPECT_EQ(r->properties[u"contenttype"].to_text(), c.type);
    ASSERT_EQ(r->headers.size(), 1u);
    EXPECT_EQ(r->headers[0].first, u"content-Disposition");
    EXPECT_EQ(r->headers[0].second, c.disposition);
  }
  auto r = FakeResponse::make();
  Variant rv = var(r);
  CommShowPlayList(rv, u"http", u"a|b");
  EXPECT_EQ(r->output, u"");
  EXPECT_TRUE(r->headers.empty());
  EXPECT_TRUE(r->properties.empty());
}

}  // namespace
}  // namespace brevane
