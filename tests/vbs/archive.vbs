' Backups and archives through the registered DLL. The Windows build has no
' in-process ZIP and no rar.exe is installed under Wine, so the archive
' methods answer with their failure script; the backup runs for real.
Class PageServer
  Public Root
  Public Function MapPath(p)
    MapPath = Root & Replace(p, "/", "\")
  End Function
End Class

Dim B, fso, base, srv, resp, req, r, ok, failed
Set B = CreateObject("Brevane.BrevaneCls")
Set fso = CreateObject("Scripting.FileSystemObject")
base = fso.GetSpecialFolder(2) & "\brevane-vbs-archive"
If fso.FolderExists(base) Then fso.DeleteFolder base, True
Set srv = New PageServer
srv.Root = base
B.CommSaveToTextFile base & "\data\vote.asp", "votes", 2
B.CommSaveToTextFile base & "\data\news.mdb", "news", 2

' Backup: a folder named with the 14-digit time, the listed files copied.
r = B.CommFileBackup(resp, req, srv, "vote.asp|news.mdb", 1, "bk", "/backup")
Check "backup folder", Left(r, Len(base & "\backup\bk")), base & "\backup\bk"
Check "backup stamp", Len(r) - Len(base & "\backup\bk"), 14
Check "backup copied", B.CommReadFromTextFile(r & "\news.mdb"), "news"
Check "backup off", B.CommFileBackup(resp, req, srv, "vote.asp", 0, "off", "/backup"), ""
Check "backup stops at a missing file", B.CommFileBackup(resp, req, srv, "vote.asp|none.mdb", 1, "x", "/stop"), ""

' The archive methods: the opener-refresh script with the failure message.
ok = ChrW(25805) & ChrW(20316) & ChrW(25104) & ChrW(21151)
failed = ChrW(25805) & ChrW(20316) & ChrW(22833) & ChrW(36133)
r = B.CommUnZipWithXceedZip(srv, "/data", "vote.asp", "ZipFile")
Check "zip refreshes the opener", InStr(r, "parent.dialogArguments.location.href=parent.dialogArguments.location;window.close();") > 0, True
Check "zip without a library fails", InStr(r, "alert('" & failed & "')") > 0, True
Check "unknown action fails", InStr(B.CommUnZipWithXceedZip(srv, "/data", "vote.asp", "pack"), failed) > 0, True
Check "rar without an archiver fails", InStr(B.CommUnZipWithRar(srv, "/data", "a&b"" & echo x.txt", "zip"), failed) > 0, True
Check "nothing was packed", fso.FileExists(base & "\data\vote.RAR"), False

fso.DeleteFolder base, True
Finish
