' File and folder operations as a server page calls them, through the
' registered DLL: create, rename, copy, move and delete with their result
' codes, and text files in the ANSI code page.
' Run: wine cscript //nologo files_ops.vbs   (after regsvr32 brevane.dll)
Option Explicit
Dim B, fso, base, passed, failed
passed = 0 : failed = 0
Set B = CreateObject("Brevane.BrevaneCls")
Set fso = CreateObject("Scripting.FileSystemObject")
base = fso.GetSpecialFolder(2) & "\brevane-vbs-files"
If fso.FolderExists(base) Then fso.DeleteFolder base, True

Sub Check(name, got, want)
  If got = want Then
    passed = passed + 1
  Else
    failed = failed + 1
    WScript.Echo "FAIL " & name & ": got [" & got & "], want [" & want & "]"
  End If
End Sub

' Create: every level, and an existing folder counts as done.
Check "create", B.CommFolderCreate(base & "\a\b\c"), True
Check "create-again", B.CommFolderCreate(base & "\a\b\c\"), True
Check "folder-exists", B.CommFolderExist(base & "\a\b"), True
Check "folder-is-no-file", B.CommFileExist(base & "\a\b"), False

' Text files: ANSI bytes, append or replace.
Check "save", B.CommSaveToTextFile(base & "\t\x.txt", "one"), True
Check "append", B.CommSaveToTextFile(base & "\t\x.txt", "two", 1), True
Check "read", B.CommReadFromTextFile(base & "\t\x.txt"), "onetwo"
Check "replace", B.CommSaveToTextFile(base & "\t\x.txt", "three", 2), True
Check "read-replaced", B.CommReadFromTextFile(base & "\t\x.txt"), "three"
Check "file-size", B.CommFileGetSize(base & "\t\x.txt"), 5
Check "folder-test-finds-file", B.CommFolderExist(base & "\t\x.txt"), True
Check "wildcard", B.CommFileExist(base & "\t\*.txt"), True
Check "empty-kept", B.CommFileCreateEmptyTxt(base & "\t\x.txt", "keep"), False
Check "empty-overwrite", B.CommFileCreateEmptyTxt(base & "\t\x.txt", "OverWrite"), True
Check "read-empty", B.CommReadFromTextFile(base & "\t\x.txt"), ""

' Rename: 2 missing source, 3 existing destination, 0 done.
B.CommSaveToTextFile base & "\t\y.txt", "y"
Check "rename-missing", B.CommFileRename(base & "\t\none.txt", base & "\t\z.txt"), 2
Check "rename-onto-existing", B.CommFileRename(base & "\t\x.txt", base & "\t\y.txt"), 3
Check "rename", B.CommFileRename(base & "\t\x.txt", base & "\t\z.txt"), 0
Check "renamed", fso.FileExists(base & "\t\z.txt"), True
Check "folder-rename", B.CommFolderRename(base & "\a\b\c", base & "\a\b\d"), 0
Check "folder-renamed", fso.FolderExists(base & "\a\b\d"), True

' Copy and move with the mode words.
Check "copy-exists", B.CommFileCopyMove(base & "\t\y.txt", base & "\t\z.txt", "copy", "no"), 3
Check "copy-overwrite", B.CommFileCopyMove(base & "\t\y.txt", base & "\t\z.txt", "Copy", "OverWrite"), 0
Check "copied", B.CommReadFromTextFile(base & "\t\z.txt"), "y"
Check "move", B.CommFileCopyMove(base & "\t\y.txt", base & "\t\m.txt", "move", ""), 0
Check "moved-away", fso.FileExists(base & "\t\y.txt"), False
Check "folder-copy", B.CommFolderCopyMove(base & "\t", base & "\t2", "copy", ""), 0
Check "folder-copied", fso.FileExists(base & "\t2\m.txt"), True
Check "list-folders", B.CommSearchPathFile(base, 1), "a|t|t2"
Check "list-files", B.CommSearchPathFile(base & "\t", 0), "m.txt|z.txt"

' Delete: permanent, and a missing target counts as done.
Check "delete-file", B.CommFileDelete(base & "\t\z.txt"), True
Check "deleted", fso.FileExists(base & "\t\z.txt"), False
Check "delete-missing", B.CommFileDelete(base & "\t\none.txt"), True
Check "delete-folder", B.CommFolderDelete(base), True
Check "deleted-folder", fso.FolderExists(base), False
Check "delete-missing-folder", B.CommFolderDelete(base), True

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
