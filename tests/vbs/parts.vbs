' Façade members that call the page's own objects back by name, and typed
' parameters converting as the script engine converts.

' A Request written in script: CommGetIp asks it for two server variables.
Class PageRequest
  Public Asked
  Public Forwarded
  Public Function ServerVariables(name)
    Asked = Asked & name & ";"
    If LCase(name) = "http_x_forwarded_for" Then
      ServerVariables = Forwarded
    ElseIf LCase(name) = "remote_addr" Then
      ServerVariables = "10.0.0.7"
    ElseIf LCase(name) = "http_user_agent" Then
      ServerVariables = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)"
    Else
      ServerVariables = ""
    End If
  End Function
End Class

' A Request that fails: its error must reach the page through the component.
Class BrokenRequest
  Public Function ServerVariables(name)
    Err.Raise 1001, "page", "no variables here"
  End Function
End Class

Dim c, probe, req, resp, srv, r, n
Set c = CreateObject("Brevane.BrevaneCls")
Set probe = CreateObject("BrevaneTest.Probe")

Set req = New PageRequest
req.Forwarded = ""
Check "CommGetIp falls back to Remote_Addr", c.CommGetIp(req), "10.0.0.7"
Check "CommGetIp asked by name", req.Asked, "Http_X_Forwarded_For;Remote_Addr;"
req.Forwarded = "192.168.1.9"
Check "CommGetIp prefers the forwarded address", c.CommGetIp(req), "192.168.1.9"
Set req = CreateObject("BrevaneTest.Request")
req.SetServerVariable "REMOTE_ADDR", "127.0.0.2"
Check "CommGetIp with the kit's Request", c.CommGetIp(req), "127.0.0.2"

' A refused ID writes the error page into the Response and ends it.
Set resp = CreateObject("BrevaneTest.Response")
Check "CommCheckIsID of a number", c.CommCheckIsID(resp, "42"), 42
Check "nothing written for a good ID", resp.Output, ""
Check "CommCheckIsID refuses text", c.CommCheckIsID(resp, "abc"), 0
Check "error page written", InStr(resp.Output, Txt("invalid_id")) > 0, True
Check "response ended", resp.Ended, True

Set srv = CreateObject("BrevaneTest.Server")
srv.Root = "C:\site"
Check "CommGetDataFullName maps through Server", c.CommGetDataFullName(srv), "C:\site\data\vote.asp"

' The system's classes count as installed.
Check "installed: system class", c.CommCheckIsObjInstalled(srv, "Scripting.Dictionary"), True
Check "installed: own class", c.CommCheckIsObjInstalled(srv, "Brevane.Zelto_Class_Md5"), True
Check "not installed", c.CommCheckIsObjInstalled(srv, "No.Such.Class"), False

' A byte array by reference.
r = probe.Bytes(1, 22, 255)
Check "CommJoin over a byte array", c.CommJoin(r, ","), "1,22,255"

' Optional argument left out on a façade member, and given.
Check "CommReplaceAt with its default delimiter", c.CommReplaceAt("a|b|c", 2, "X"), "a|X|c"
Check "CommReplaceAt with a delimiter", c.CommReplaceAt("a,b,c", 2, "X", ","), "a,X,c"

' Chinese through the system code page.
Check "display width", c.CommGetStringLength(Txt("mixed")), 10
Check "is Chinese", c.CommCheckIsChinese(Txt("zhongwen")), True

' Guards read the Request and refuse through the Response.
Set req = CreateObject("BrevaneTest.Request")
req.SetServerVariable "SERVER_NAME", "site.test"
req.SetServerVariable "HTTP_REFERER", "http://site.test/form.asp"
Set resp = CreateObject("BrevaneTest.Response")
c.CommCheckPost req, resp
Check "post from the same site passes", resp.Ended, False
req.SetServerVariable "HTTP_REFERER", "http://other.test/form.asp"
c.CommCheckPost req, resp
Check "post from another site refused", resp.Ended, True
Check "refusal writes the error page", Len(resp.Output) > 0, True

Set resp = CreateObject("BrevaneTest.Response")
n = "user"
c.CommCheckSession resp, n
Check "session name given", resp.Ended, False
Check "by-reference String untouched", n, "user"
n = ""
c.CommCheckSession resp, n
Check "empty session name refused", resp.Ended, True

Set req = New PageRequest
req.Forwarded = ""
Check "system from a script Request", c.CommCheckNetUserSystem(req), "Win XP"
Check "asked for the user agent", LCase(req.Asked), "http_user_agent;"

On Error Resume Next
r = c.CommGetStringLeft("abc", 40000)
CheckErr "overflow into an Integer parameter", 6
r = c.CommGetStringLeft("abc", "x")
CheckErr "type mismatch into an Integer parameter", 13
' (Wine's VBScript hands the number back without its text.)
r = c.CommGetIp(New BrokenRequest)
CheckErr "script error number passes through", 1001
r = c.CommGetIp(Nothing)
CheckErr "Nothing where a Request belongs", 424
r = c.CommGetIp(5)
CheckErr "a number where a Request belongs", 424
On Error GoTo 0

Finish
