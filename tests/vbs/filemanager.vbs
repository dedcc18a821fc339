' The file manager's members through the DLL on a folder made here: the
' login redirect, both listing styles with the grid's padding, sizes of a
' sub-folder's tree, the status bar's counters, the up button at "/", a
' page script without passwords, and paste refused to a read-only session.
Dim c, probe, fso, base, f, i, srv, sess, app, resp, req, s, folderLabel, objects
Set c = CreateObject("Brevane.BrevaneCls")
Set probe = CreateObject("BrevaneTest.Probe")
Set fso = CreateObject("Scripting.FileSystemObject")
base = fso.GetSpecialFolder(2) & "\brevane-vbs-fm"
If fso.FolderExists(base) Then fso.DeleteFolder base, True
fso.CreateFolder base
fso.CreateFolder base & "\sub"
fso.CreateFolder base & "\sub\deeper"
Set f = fso.CreateTextFile(base & "\a.txt") : f.Write "12345" : f.Close
s = "xxxxxxxx"
For i = 1 To 8 : s = s & s : Next
Set f = fso.CreateTextFile(base & "\sub\deeper\b.bin") : f.Write s : f.Close

Set srv = CreateObject("BrevaneTest.Server")
srv.Root = base
Set sess = CreateObject("BrevaneTest.Session")
Set app = CreateObject("BrevaneTest.Application")
Set resp = CreateObject("BrevaneTest.Response")
Set req = CreateObject("BrevaneTest.Request")

probe.StoreSet app, "zelto_brevane_state", "s1"
probe.StoreSet app, "zelto_brevane_password_write", "pw"
c.CommCheckUserNormal resp, sess, app
Check "not logged in: sent to the login page", resp.Output, "<script>location.href='../brevane/login.asp'</script>"
probe.StoreSet sess, "zelto_brevane_state", "s1"
probe.StoreSet sess, "zelto_brevane_right", "write"
probe.StoreSet sess, "zelto_brevane_password", "pw"
Set resp = CreateObject("BrevaneTest.Response")
c.CommCheckUserNormal resp, sess, app
Check "logged in: nothing written", resp.Output, ""

s = c.CommShowFileList(srv, 2, "/")
Check "details list the folder", InStr(s, "name='folders' value='sub'") > 0, True
Check "details list the file", InStr(s, "name='files' value='a.txt'") > 0, True
Check "the folder comes first", InStr(s, "value='sub'") < InStr(s, "value='a.txt'"), True
' The counters of the last listing: one folder of 2048 bytes below it, one file.
folderLabel = Txt("fm_folder_label")
objects = Txt("fm_objects")
s = c.CommShowBottom(req)
Check "status bar counts", InStr(s, ">2" & objects & "</span>") > 0, True
Check "the sub-folder's tree is summed", InStr(s, "title='" & folderLabel & c.CommGetFileSize("2048")) > 0, True
s = c.CommShowFileList(srv, 1, "/")
Check "icons: six cells pad the row", (Len(s) - Len(Replace(s, "<td width=95></td>", ""))) / 18, 6

Check "no up button at the root", InStr(c.CommShowMenuShort(srv, 1, "/"), "<td width=25><img src='../comm/image/menu/up.asp'") > 0, True
Check "an up button below it", InStr(c.CommShowMenuShort(srv, 1, "/sub/"), "title='") > 0, True

s = c.CommSave(srv, app, sess, resp, req, 1, "/", "")
Check "page script", InStr(s, "function zipunzip(p_Act,fname)") > 0, True
Check "no password in the page", InStr(s, "pw>") = 0 And InStr(s, "if(true)return true;") > 0, True

probe.StoreSet sess, "zelto_brevane_right", "read"
probe.StoreSet sess, "p_Act", "copy"
probe.StoreSet sess, "SourceFolder", "/sub/"
probe.StoreSet sess, "folders", "deeper"
Set resp = CreateObject("BrevaneTest.Response")
s = c.CommSave(srv, app, sess, resp, req, 1, "/", "paste")
Check "read-only paste refused", Right(s, 23), "history.go(-1)</script>"
Check "read-only paste ends the page", resp.Ended, True
Check "nothing pasted", fso.FolderExists(base & "\deeper"), False

fso.DeleteFolder base, True
Finish
