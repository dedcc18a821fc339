' ---- harness.vbs: run.sh puts this in front of every VBScript page (Wine's
' VBScript has neither ExecuteGlobal nor .wsf includes). ----
Dim g_passed, g_failed, g_texts
g_passed = 0
g_failed = 0

Sub Pass()
  g_passed = g_passed + 1
End Sub

Sub Fail(name, detail)
  g_failed = g_failed + 1
  WScript.Echo "not ok: " & name & " -- " & detail
End Sub

Function Show(v)
  If IsObject(v) Then
    Show = "(" & TypeName(v) & ")"
  ElseIf IsNull(v) Then
    Show = "Null"
  ElseIf IsArray(v) Then
    Show = "(" & TypeName(v) & ")"
  Else
    Show = "[" & CStr(v) & "] " & TypeName(v)
  End If
End Function

Sub Check(name, actual, expected)
  Dim same
  If IsNull(actual) Or IsNull(expected) Then
    same = IsNull(actual) And IsNull(expected)
  Else
    same = (actual = expected)
  End If
  If same Then
    Pass
  Else
    Fail name, "got " & Show(actual) & ", expected " & Show(expected)
  End If
End Sub

' Call right after a statement run under On Error Resume Next.
Sub CheckErr(name, number)
  If Err.Number = number Then
    Pass
  Else
    Fail name, "Err.Number " & Err.Number & " (" & Err.Description & "), expected " & number
  End If
  Err.Clear
End Sub

' Non-ASCII texts by key: Wine's VBScript reads page files byte by byte, so
' they come from strings.txt, which run.sh writes as UTF-16.
Function Txt(key)
  Dim fso, f, line, at
  If IsEmpty(g_texts) Then
    Set g_texts = CreateObject("Scripting.Dictionary")
    Set fso = CreateObject("Scripting.FileSystemObject")
    Set f = fso.OpenTextFile(fso.BuildPath(fso.GetParentFolderName(WScript.ScriptFullName), "strings.txt"), 1, False, -1)
    Do While Not f.AtEndOfStream
      line = f.ReadLine
      at = InStr(line, "=")
      If at > 1 And Left(line, 1) <> "#" Then g_texts.Add Left(line, at - 1), Mid(line, at + 1)
    Loop
    f.Close
  End If
  If Not g_texts.Exists(key) Then Fail "Txt", "no text " & key
  Txt = g_texts.Item(key)
End Function

' The summary line run.sh looks for; the exit code says the same.
Sub Finish()
  WScript.Echo g_passed & " passed, " & g_failed & " failed"
  If g_failed > 0 Then WScript.Quit 1
  WScript.Quit 0
End Sub
' ---- end of harness ----
