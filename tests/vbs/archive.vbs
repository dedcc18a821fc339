' Packing and unpacking through the DLL as the file manager's pages call it:
' a folder and a file with Chinese names packed into the ".RAR"-named ZIP,
' unpacked elsewhere with their names and bytes, and the failure script for
' an unknown action, a missing archive and a name that climbs out.
Dim c, fso, base, srv, f, zh, s, done, failed
Set c = CreateObject("Brevane.BrevaneCls")
Set fso = CreateObject("Scripting.FileSystemObject")
base = fso.GetSpecialFolder(2) & "\brevane-vbs-zip"
If fso.FolderExists(base) Then fso.DeleteFolder base, True
zh = Txt("zhongwen")
done = Txt("zip_done")
failed = Txt("zip_failed")
fso.CreateFolder base
fso.CreateFolder base & "\" & zh
fso.CreateFolder base & "\" & zh & "\sub"
fso.CreateFolder base & "\" & zh & "\empty"
Set f = fso.CreateTextFile(base & "\" & zh & "\" & zh & ".txt") : f.Write "hello zip" : f.Close
s = "0123456789abcdef"
For i = 1 To 12 : s = s & s : Next
Set f = fso.CreateTextFile(base & "\" & zh & "\sub\big.txt") : f.Write s : f.Close
Set f = fso.CreateTextFile(base & "\note.txt") : f.Write "just one" : f.Close
fso.CreateFolder base & "\out"
fso.CreateFolder base & "\out2"

Set srv = CreateObject("BrevaneTest.Server")
srv.Root = base

Function Says(script, text)
  Says = InStr(script, "alert('" & text & "')") > 0
End Function

' ---- a folder: its contents, sub-folders included ----
s = c.CommUnZipWithXceedZip(srv, "/", zh, "zipfolder")
Check "zipfolder succeeds", Says(s, done), True
Check "zipfolder refreshes the window that opened it", InStr(s, "parent.dialogArguments.location.href") > 0, True
Check "archive named .RAR", fso.FileExists(base & "\" & zh & ".RAR"), True
fso.CopyFile base & "\" & zh & ".RAR", base & "\out\"
s = c.CommUnZipWithXceedZip(srv, "/out", zh & ".RAR", "unzip")
Check "unzip succeeds", Says(s, done), True
Check "Chinese name kept", fso.FileExists(base & "\out\" & zh & ".txt"), True
If fso.FileExists(base & "\out\" & zh & ".txt") Then
  Check "bytes kept", fso.OpenTextFile(base & "\out\" & zh & ".txt").ReadAll, "hello zip"
End If
Check "sub-folder kept", fso.FileExists(base & "\out\sub\big.txt"), True
If fso.FileExists(base & "\out\sub\big.txt") Then
  Check "compressed file unpacked whole", fso.GetFile(base & "\out\sub\big.txt").Size, 65536
End If
Check "compressed well", fso.GetFile(base & "\" & zh & ".RAR").Size < 4096, True

' ---- one file ----
s = c.CommUnZipWithXceedZip(srv, "/", "note.txt", "zipfile")
Check "zipfile succeeds", Says(s, done), True
Check "file archive named .RAR", fso.FileExists(base & "\note.RAR"), True
fso.CopyFile base & "\note.RAR", base & "\out2\"
s = c.CommUnZipWithXceedZip(srv, "/out2", "note.RAR", "unzip")
Check "file unzip succeeds", Says(s, done), True
Check "file unpacked", fso.FileExists(base & "\out2\note.txt"), True

' ---- failures ----
s = c.CommUnZipWithXceedZip(srv, "/", "note.txt", "shred")
Check "unknown action fails", Says(s, failed), True
s = c.CommUnZipWithXceedZip(srv, "/", "missing.RAR", "unzip")
Check "missing archive fails", Says(s, failed), True
s = c.CommUnZipWithXceedZip(srv, "/out", "..\note.RAR", "unzip")
Check "a name that climbs out fails", Says(s, failed), True
Set f = fso.CreateTextFile(base & "\broken.RAR") : f.Write "PK not really" : f.Close
s = c.CommUnZipWithXceedZip(srv, "/", "broken.RAR", "unzip")
Check "a broken archive fails", Says(s, failed), True

fso.DeleteFolder base, True
Finish
