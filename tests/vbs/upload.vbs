' Uploads as a page runs them: a Request written in script hands a multipart
' body over through BinaryRead with its count by reference (the bytes come
' from the kit's Request, since this VBScript cannot build a byte array);
' then Forms, Files, FileCount, saving into a temporary folder, and the
' one-call upload's result text.

Class PageRequest
  Public Inner
  Public Reads
  Public Function TotalBytes()
    TotalBytes = Inner.TotalBytes
  End Function
  Public Function ServerVariables(name)
    ServerVariables = Inner.ServerVariables(name)
  End Function
  Public Function BinaryRead(ByRef count)
    Reads = Reads + 1
    BinaryRead = Inner.BinaryRead(count)
  End Function
End Class

Dim fso, probe, base, bnd, body, f, req, up, item, n, k, srv, c, r, b, i, want, other

Function Part(name, filename, data)
  Dim s
  s = "--" & bnd & vbCrLf & "Content-Disposition: form-data; name=""" & name & """"
  If Not IsNull(filename) Then s = s & "; filename=""" & filename & """" & vbCrLf & "Content-Type: application/octet-stream"
  Part = s & vbCrLf & vbCrLf & data & vbCrLf
End Function

' A POST from IIS 6 whose body the kit serves 7 bytes at a time.
Function NewRequest()
  Dim inner, pr
  Set inner = CreateObject("BrevaneTest.Request")
  inner.SetServerVariable "REQUEST_METHOD", "POST"
  inner.SetServerVariable "CONTENT_TYPE", "multipart/form-data; boundary=" & bnd
  inner.SetServerVariable "HTTP_CONTENT_TYPE", "multipart/form-data; boundary=" & bnd
  inner.SetServerVariable "SERVER_SOFTWARE", "Microsoft-IIS/6.0"
  inner.MaxRead = 7
  Set pr = New PageRequest
  Set pr.Inner = inner
  pr.Reads = 0
  Set NewRequest = pr
End Function

Function FileText(path)
  Dim t
  Set t = fso.OpenTextFile(path, 1)
  FileText = t.ReadAll
  t.Close
End Function

Set fso = CreateObject("Scripting.FileSystemObject")
Set probe = CreateObject("BrevaneTest.Probe")
base = fso.GetSpecialFolder(2) & "\brevane-vbs-upload"
If fso.FolderExists(base) Then fso.DeleteFolder base, True
fso.CreateFolder base
Set srv = CreateObject("BrevaneTest.Server")
srv.Root = base & "\site"

' ---- the body, written by the page and loaded by the kit ----
bnd = "----BrevaneWineBoundary7MA4"
body = Part("title", Null, "hello") & Part("tags", Null, "a") & Part("TAGS", Null, "b") & _
       Part("pic", "C:\My Docs\photo.v1.jpg", "line1" & vbCrLf & "line2") & Part("pic", "two.jpg", "22") & _
       Part("doc", "notes", "some notes") & Part("empty", "", "") & "--" & bnd & "--" & vbCrLf
Set f = fso.CreateTextFile(base & "\body.txt", True, False)
f.Write body
f.Close

Set req = NewRequest()
req.Inner.LoadBody base & "\body.txt"
Check "body length", req.TotalBytes, Len(body)
Set up = CreateObject("Brevane.Zelto_Class_UploadFile")
up.GetData req
Check "no error", up.ErrorID, 0
Check "body read in pieces", req.Reads > 50, True
Check "every piece through the script's BinaryRead", req.Inner.BinaryReads, req.Reads

' ---- Forms ----
Check "text field", up.Forms("title"), "hello"
Check "field names ignore case", up.Forms("TITLE"), "hello"
Check "repeated field joined with a comma", up.Forms("tags"), "a,b"
Check "absent field", up.Forms("nothing"), ""
Check "Forms(-1) is the dictionary", up.Forms("-1").Count, 2
Check "Forms(-1).Exists", up.Forms("-1").Exists("tags"), True
n = ""
For Each k In up.Forms("-1")
  n = n & k & ";"
Next
Check "For Each over the fields", n, "title;tags;"

' ---- Files ----
Check "FileCount (an empty file field gives none)", up.FileCount, 3
Set item = up.Files("pic")
Check "is a file", item.IsFile, True
Check "client folders dropped", item.FileName, "photo.v1.jpg"
Check "extension after the last dot", item.Extend, "jpg"
Check "size", item.Size, 12
Check "second file of a field", up.Files_Muti("PIC", 1).LocalName, "two.jpg"
Check "no third file", up.Files_Muti("pic", 2).IsFile, False
Check "empty file field", up.Files("empty").IsFile, False
Check "name without a dot", up.Files("doc").Extend, ""
n = 0
For Each k In up.Files("-1")
  n = n + 1
Next
Check "For Each over the files", n, 3

' ---- SavetoFile into a temporary folder ----
Check "save under the client's name", item.SavetoFile(srv, base & "\saved", 1, True), True
Check "saved where asked", fso.FileExists(base & "\saved\photo.v1.jpg"), True
Check "saved bytes", FileText(base & "\saved\photo.v1.jpg"), "line1" & vbCrLf & "line2"
Set f = fso.CreateTextFile(base & "\saved\photo.v1.jpg", True, False)
f.Write "keep me"
f.Close
Check "overwrite 1 is not true", item.SavetoFile(srv, base & "\saved", 1, 1), True
Check "next free name", item.FileName <> "photo.v1.jpg", True
Check "the next free file holds the upload", FileText(base & "\saved\" & item.FileName), "line1" & vbCrLf & "line2"
Check "the old file kept", FileText(base & "\saved\photo.v1.jpg"), "keep me"
Check "overwrite -1 replaces", item.SavetoFile(srv, base & "\saved", 1, True), True
Check "replaced", FileText(base & "\saved\photo.v1.jpg"), "line1" & vbCrLf & "line2"
Check "site path mapped by the Server", up.Files("doc").SavetoFile(srv, "/up", 1, True), True
Check "saved under the site", FileText(base & "\site\up\notes"), "some notes"
Set other = up.Files_Muti("pic", 1)
Check "generated name", other.SavetoFile(srv, base & "\gen", 0, True), True
Check "generated name keeps the extension", Right(other.FileName, 4), ".jpg"
Check "generated name is the time and digits", Len(other.FileName), 22
Check "saved under the generated name", FileText(base & "\gen\" & other.FileName), "22"

' ---- bytes that are not text ----
Set req = NewRequest()
req.Inner.AppendBody "--" & bnd & vbCrLf & "Content-Disposition: form-data; name=""bin""; filename=""b.dat""" & _
                     vbCrLf & "Content-Type: application/octet-stream" & vbCrLf & vbCrLf
want = Array(0, 255, 13, 10, 45, 45, 13, 10, 128, 7, 0)
req.Inner.AppendBody probe.Bytes(0, 255, 13, 10, 45, 45, 13, 10, 128, 7, 0)
req.Inner.AppendBody vbCrLf & "--" & bnd & "--" & vbCrLf
Set up = CreateObject("Brevane.Zelto_Class_UploadFile")
up.GetData req
Check "binary body parsed", up.FileCount, 1
Set item = up.Files("bin")
Check "binary size", item.Size, 11
Check "binary save", item.SavetoFile(srv, base & "\bin", 1, True), True
b = probe.ReadFile(base & "\bin\b.dat")
Check "saved byte count", probe.ByteCount(b), 11
n = 0
For i = 0 To 10
  If probe.ByteAt(b, i) <> want(i) Then n = n + 1
Next
Check "saved bytes exactly", n, 0
b = item.GetBytes()
Check "GetBytes count", probe.ByteCount(b), 11
Check "GetBytes last but one", probe.ByteAt(b, 9), 7

' ---- Chinese names and values, in the system code page (GB2312) ----
Set req = NewRequest()
req.Inner.SetBody Part("memo", Null, Txt("ceshi")) & Part("f", "D:\" & Txt("zhongwen") & "\" & Txt("mixed") & ".txt", "x") & _
                  "--" & bnd & "--" & vbCrLf
Set up = CreateObject("Brevane.Zelto_Class_UploadFile")
up.GetData req
Check "Chinese value", up.Forms("memo"), Txt("ceshi")
Set item = up.Files("f")
Check "Chinese file name", item.FileName, Txt("mixed") & ".txt"
Check "saved under the Chinese name", item.SavetoFile(srv, base & "\zh", 1, True), True
Check "Chinese name on disk", FileText(base & "\zh\" & Txt("mixed") & ".txt"), "x"

' ---- the one-call upload ----
Set c = CreateObject("Brevane.BrevaneCls")
Set req = NewRequest()
req.Inner.LoadBody base & "\body.txt"
r = c.CommFileUpload(srv, req, "", 1, 1, "/one", 1, True, "title|tags")
Check "CommFileUpload result", r, "Success|photo.v1.jpg|photo.v1.jpg|12$Success|two.jpg|two.jpg|2$Success|notes|notes|10$#hello|a,b"
Check "CommFileUpload saved", FileText(base & "\site\one\two.jpg"), "22"
Set req = NewRequest()
req.Inner.LoadBody base & "\body.txt"
Check "CommFileUpload refusing a type", c.CommFileUpload(srv, req, "jpg|gif", 1, 1, "/two", 1, True, "title"), Txt("upload_exe_error")
Set req = NewRequest()
req.Inner.LoadBody base & "\body.txt"
On Error Resume Next
r = c.CommFileUpload(srv, req, "", 2048, 0, "/three")
CheckErr "megabytes beyond 32 bits", 6
On Error GoTo 0

' ---- the image parser needs a page ----
' No web server runs the script, so there is no page to read; the class
' factory refuses and the script engine reports it cannot create the object.
On Error Resume Next
Set up = CreateObject("Brevane.Zelto_UploadImage")
CheckErr "image parser outside a page", 429
On Error GoTo 0

fso.DeleteFolder base, True
Finish
