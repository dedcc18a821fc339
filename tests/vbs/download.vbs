' Download and view through the registered DLL with the kit's page objects:
' the file goes out by BinaryWrite and Flush in pieces with its headers,
' scripts are refused whatever their case, and View writes its opener.
Option Explicit
Dim B, fso, base, f, srv, req, resp

Set B = CreateObject("Brevane.BrevaneCls")
Set fso = CreateObject("Scripting.FileSystemObject")
base = fso.GetSpecialFolder(2) & "\brevane-vbs-down"
If fso.FolderExists(base) Then fso.DeleteFolder base, True
fso.CreateFolder base
Set f = fso.CreateTextFile(base & "\a.txt", True)
f.Write String(300000, "x") & "end"
f.Close
fso.CreateTextFile(base & "\x.ASP", True).Write "<% secret %>"
Set srv = CreateObject("BrevaneTest.Server")
srv.Root = base
Set req = CreateObject("BrevaneTest.Request")

' Larger than one piece: every byte arrives, the headers as written.
Set resp = CreateObject("BrevaneTest.Response")
B.CommFileDownload resp, srv, "/a.txt", False
Check "download bytes", LenB(resp.BinaryOutput), 300003
Check "download ended", resp.Ended, True
Check "disposition", resp.Header("Content-Disposition"), "attachment;  FileName=a.txt"
Check "length", resp.Header("Content-Length"), "300003"
Check "nosniff", resp.Header("X-Content-Type-Options"), "nosniff"
Check "content type", resp.ContentType, "text/plain"
Check "charset", resp.CharSet, "UTF-8"

' A physical path is used as it stands; the extension is lower-cased first.
Set resp = CreateObject("BrevaneTest.Response")
B.CommFileDownload resp, srv, base & "\x.ASP", True
Check "script refused", InStr(resp.Output, Txt("download_refused")) > 0, True
Check "script not sent", LenB(resp.BinaryOutput), 0
Check "refused ends", resp.Ended, True

Set resp = CreateObject("BrevaneTest.Response")
B.CommFileDownload resp, srv, "/none.txt"
Check "missing file", InStr(resp.Output, Txt("download_missing")) > 0, True

' View: the 800 x 600 window for a text file; lower-case "download" redirects.
Set resp = CreateObject("BrevaneTest.Response")
B.CommFileView srv, resp, req, "/a.txt", "View"
Check "view script", resp.Output, _
  "<script language='javascript'>OpenWindow('/a.txt','Show',800,600);setTimeout('parent.window.close();',0);</script>"
Set resp = CreateObject("BrevaneTest.Response")
B.CommFileView srv, resp, req, "/a.txt", "download"
Check "lower-case download redirects", resp.RedirectedTo, "/a.txt"

fso.DeleteFolder base, True
Finish
