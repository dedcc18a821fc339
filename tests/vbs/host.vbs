' Host objects passed in and called back by name: VBScript class objects
' (reached through IDispatchEx) and the test kit's page objects.

' A Request whose members are script: the adapter must find them by name and
' get the by-reference count written back. Bytes come from the kit's Request,
' since this VBScript cannot build a byte array.
Class ScriptRequest
  Public Inner
  Public Reads
  Public LastName
  Public Function TotalBytes()
    TotalBytes = Inner.TotalBytes
  End Function
  Public Function ServerVariables(name)
    LastName = name
    ServerVariables = "value of " & UCase(name)
  End Function
  Public Function BinaryRead(ByRef count)
    Reads = Reads + 1
    BinaryRead = Inner.BinaryRead(count)
  End Function
  Public Default Property Get Item(key)
    Item = "item " & key
  End Property
End Class

' A stand-in for a text value: its default member is what CStr sees.
Class Word
  Public Text
  Public Default Property Get Value()
    Value = Text
  End Property
End Class

Dim c, m, probe, kit, fake, body, w, resp, srv, sess, app, keys, k, dict, n, b
Set c = CreateObject("Brevane.BrevaneCls")
Set m = CreateObject("Brevane.Zelto_Class_Md5")
Set probe = CreateObject("BrevaneTest.Probe")

Set kit = CreateObject("BrevaneTest.Request")
kit.SetBody "0123456789"
Set fake = New ScriptRequest
Set fake.Inner = kit
fake.Reads = 0

Check "server variable through IDispatchEx", probe.ServerVariable(fake, "http_referer"), "value of HTTP_REFERER"
Check "argument reached the script", fake.LastName, "http_referer"
body = probe.ReadBody(fake, 4)
Check "body read in chunks", probe.ByteCount(body), 10
Check "chunks with counts written back", fake.Reads, 3
Check "first byte", probe.ByteAt(body, 0), 48
Check "last byte", probe.ByteAt(body, 9), 57
Check "kit saw the same reads", kit.BinaryReads, 3

' The component calls back an object passed by reference.
Set w = New Word
w.Text = "abc"
Check "CommMd5 calls the default member back", c.CommMd5(w), "900150983CD24FB0D6963F7D28E17F72"
Check "ZeltoMd5 with a by-reference object", m.ZeltoMd5(w), "900150983CD24FB0D6963F7D28E17F72"
Check "object untouched", w.Text, "abc"
w.Text = Txt("zhongwen")
Check "Chinese through a called-back object", c.CommMd5(w), "F3B679619B195BEBA139FCBB4B486630"

' The kit's Request: byte arrays and a by-reference count.
kit.SetBody "abcdef"
n = 100
b = kit.BinaryRead(n)
Check "count written back", n, 6
Check "real byte array", probe.ByteCount(b), 6
Check "byte array type", probe.TypeOf(b), 8209
n = 4
b = kit.BinaryRead(n)
Check "nothing left", n, 0
kit.SetServerVariable "Http_Host", "example.test"
Check "server variables ignore case", kit.ServerVariables("HTTP_HOST"), "example.test"
kit.AddForm "name", "x"
kit.AddForm "age", "3"
keys = ""
For Each k In kit.Form
  keys = keys & k & ";"
Next
Check "For Each over a kit collection", keys, "name;age;"
Check "form value", kit.Form("age"), "3"
Check "form value through a caller", probe.FormValue(kit, "name"), "x"

' For Each through the adapter over another component's collection.
Set dict = CreateObject("Scripting.Dictionary")
dict.Add "k1", 1
dict.Add "k2", 2
keys = ""
For Each k In probe.Items(dict)
  keys = keys & k & ";"
Next
Check "enumerating a foreign collection", keys, "k1;k2;"

' Response: writes recorded, End stops later output.
Set resp = CreateObject("BrevaneTest.Response")
resp.Write "one"
probe.WriteTo resp, "two"
resp.End
resp.Write "three"
Check "response output", resp.Output, "onetwo"
Check "response ended", resp.Ended, True
Check "write calls", resp.WriteCalls, 3
resp.ContentType = "text/plain"
Check "response property", resp.ContentType, "text/plain"

' Server maps site paths under its folder.
Set srv = CreateObject("BrevaneTest.Server")
srv.Root = "C:\site"
Check "MapPath", srv.MapPath("/up/a.txt"), "C:\site\up\a.txt"
Check "MapPath through a caller", probe.MapPath(srv, "/b/c.txt"), "C:\site\b\c.txt"

' Session and Application: indexed by key, Empty when absent.
Set sess = CreateObject("BrevaneTest.Session")
Set app = CreateObject("BrevaneTest.Application")
sess("User") = "admin"
Check "session value", sess("user"), "admin"
probe.StoreSet sess, "Count", 3
Check "session value set by a caller", sess("count"), 3
Check "absent key is Empty", IsEmpty(app("missing")), True
Check "application read by a caller", IsEmpty(probe.StoreGet(app, "missing")), True

Finish
