' CommMd5, CommServU and the hash engine, ASCII and Chinese.
Dim c, m, h, salt, cases, i
Set c = CreateObject("Brevane.BrevaneCls")
Set m = CreateObject("Brevane.Zelto_Class_Md5")

cases = Array( _
  "", "D41D8CD98F00B204E9800998ECF8427E", _
  "abc", "900150983CD24FB0D6963F7D28E17F72", _
  "message digest", "F96B697D7CB7938D525A2F31AAF161D0", _
  String(80, "a"), "B15AF9CDABBAEA0516866A33D8FD0F98")
For i = 0 To UBound(cases) Step 2
  Check "CommMd5 " & Left(cases(i), 16), c.CommMd5(cases(i)), cases(i + 1)
  Check "ZeltoMd5 " & Left(cases(i), 16), m.ZeltoMd5(cases(i)), cases(i + 1)
Next

' Chinese text hashes its characters' codes in the system code page (936).
Check "Asc in code page 936", Asc(Txt("zhongwen")), -10544
cases = Array("zhongwen", "F3B679619B195BEBA139FCBB4B486630", _
              "ceshi", "41D5431075ECABDE9D8D09D1D7410FC1", _
              "mixed", "63087DA86C450A000F8F32B36FC70DCE", _
              "fullwidth", "89B88A413819C38328A1371B53022AA0")
For i = 0 To UBound(cases) Step 2
  Check "CommMd5 " & cases(i), c.CommMd5(Txt(cases(i))), cases(i + 1)
  Check "ZeltoMd5 " & cases(i), m.ZeltoMd5(Txt(cases(i))), cases(i + 1)
Next

' Numbers reach the String parameter as their text.
Check "number argument", c.CommMd5(123), c.CommMd5("123")

' Serv-U: two salt letters, then the MD5 of salt and password.
For Each salt In Array("abc", "zhongwen", "ceshi")
  If salt = "abc" Then
    h = c.CommServU("abc")
    Check "ServU hash of abc", Mid(h, 3), c.CommMd5(Left(h, 2) & "abc")
  Else
    h = c.CommServU(Txt(salt))
    Check "ServU hash of " & salt, Mid(h, 3), c.CommMd5(Left(h, 2) & Txt(salt))
  End If
  Check "ServU length", Len(h), 34
  Check "ServU salt is lower case", Left(h, 2) = LCase(Left(h, 2)), True
  Check "ServU salt letters", Left(h, 1) >= "a" And Left(h, 1) <= "z" And Mid(h, 2, 1) >= "a" And Mid(h, 2, 1) <= "z", True
Next
h = m.ZeltoServU("abc")
Check "ZeltoServU", Mid(h, 3), m.ZeltoMd5(Left(h, 2) & "abc")

Finish
