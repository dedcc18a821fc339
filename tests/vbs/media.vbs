' Remote picture copies, play lists, player pages and the footer through the
' DLL. No network: loopback is refused by default, so the fetch fails before
' any connection.

Dim c, srv, resp, html, r
Set c = CreateObject("Brevane.BrevaneCls")
Set srv = CreateObject("BrevaneTest.Server")
srv.Root = "C:\site"

Check "request object offered", c.CommCheckIsObjInstalled(srv, "Microsoft.XMLHTTP"), True
html = "<p>no remote pictures <img src='/a.gif'></p>"
Check "html without pictures unchanged", c.CommGetRemotefileUrl(srv, html, "/up"), html
html = "<img src=http://127.0.0.1:9/pics/a.png>"
Check "refused picture keeps its address", c.CommGetRemotefileUrl(srv, html, "/up"), html
On Error Resume Next
c.CommSaveRemoteFile srv, "C:\site\a.png", "http://127.0.0.1:9/pics/a.png"
CheckErr "single fetch of a refused address", &H800C0005
c.CommSaveRemoteFile srv, "C:\site\a.png", "file:///c:/windows/win.ini"
CheckErr "single fetch of a file address", &H800C0005
On Error GoTo 0

Set resp = CreateObject("BrevaneTest.Response")
c.CommShowPlayList resp, "MMS", "mms://a.example.com/1.asf|x&y.wma"
Check "asx play list", resp.Output, "<asx version=""3.0"">" & vbCrLf & "<entry>" & vbCrLf & _
  "<ref href=""mms://a.example.com/1.asf""/>" & vbCrLf & "</entry>" & vbCrLf & "<entry>" & vbCrLf & _
  "<ref href=""x&amp;y.wma""/>" & vbCrLf & "</entry>" & vbCrLf & "</asx>"
Check "asx content type", resp.ContentType, "video/x-ms-asf"
Set resp = CreateObject("BrevaneTest.Response")
c.CommShowPlayList resp, "other", "a|b"
Check "unknown run system writes nothing", resp.Output, ""

r = c.CommShowPlayMovie("clips/a.asf", "t")
Check "asf picks Windows Media", InStr(r, "<object id=MediaPlayer1 classid='clsid:22D6F312-B0F6-11D0-94AB-0080C74C7E95'") > 0, True
r = c.CommShowPlayMovie("rtsp://m.example.com/a.wmv", "t")
Check "rtsp picks RealPlayer", InStr(r, "clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA") > 0, True
r = c.CommShowPlayMovie("clips/a.mp4", "t")
Check "mp4 gets the HTML5 player", InStr(r, "<video id=html5player src='clips/a.mp4'") > 0, True
Check "flash control layout", InStr(c.CommShowPlayFlash("a.swf", "t", "CONTROL"), "#version=5,0,0,0") > 0, True
Check "flash full screen by default", InStr(c.CommShowPlayFlash("a.swf", "t"), "#version=6,0,0,0") > 0, True
Check "image viewer", InStr(c.CommShowPlayImage("a.png", "t"), "onload='javascript:DrawImage(this);'") > 0, True

Check "footer short form", c.CommShowCopyRight("", "", 1, 1), _
  "<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=50><td align=center>Brevane<br><br>" & _
  "Copyright &copy; Brevane</td></tr></table>"
Check "update page names the version", InStr(c.CommShowFormUpDate(), c.CommGetVersion()) > 0, True

Finish
