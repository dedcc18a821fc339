' The seven public classes: creation by ProgID, names, type information.
Dim probe, names, i, obj, c
Set probe = CreateObject("BrevaneTest.Probe")

' Zelto_UploadImage reads the running page's Request when it is created, so
' outside a web server it cannot be created (upload.vbs checks that).
names = Array("BrevaneCls", "Zelto_Class_UploadFile", "Zelto_Class_UploadFileEx", "Zelto_Class_UploadFileEmpty", _
              "Zelto_UpLoadImageData", "Zelto_Class_Md5")
For i = 0 To UBound(names)
  Set obj = Nothing
  On Error Resume Next
  Set obj = CreateObject("Brevane." & names(i))
  CheckErr "create Brevane." & names(i), 0
  On Error GoTo 0
  Check "created " & names(i), IsObject(obj) And Not (obj Is Nothing), True
  If Not (obj Is Nothing) Then
    Check "type info of " & names(i), probe.TypeInfoName(obj), "_" & names(i)
    Check "class info of " & names(i), probe.ClassInfoName(obj), names(i)
  End If
Next

' ProgIDs are not case-sensitive.
Set c = CreateObject("brevane.brevanecls")
Check "version", c.CommGetVersion(), "03.05.01"
Check "version without parentheses", c.CommGetVersion, "03.05.01"
Check "member names ignore case", c.COMMGETVERSION(), "03.05.01"
Check "version type", TypeName(c.CommGetVersion()), "String"

' The embedded type library: parameter types, by-reference flags, defaults.
Check "CommMd5", probe.Describe(c, "CommMd5"), "CommMd5(p_String:8):8"
Check "optional Integer with default", probe.Describe(c, "CommFileGetRndName"), "CommFileGetRndName(p_Length:2?=20):8"
Check "by-reference Variants, optional Boolean", probe.Describe(c, "CommCheckIsNoRecord"), _
      "CommCheckIsNoRecord(Response:12&, Rs:12&, Conn:12&, p_ErrorMessage:8?, p_CloseParent:11?=0):24"
Check "byte array by reference", probe.Describe(c, "CommJoin"), "CommJoin(p_Array:8209&, p_Delimiter:8):8"
Check "empty text default", probe.Describe(c, "CommShowPlayMovie"), "CommShowPlayMovie(p_Url:8, p_Title:8, p_RunSystem:8?=):8"
Check "by-reference Integer with default", probe.Describe(c, "CommShowCopyRight"), _
      "CommShowCopyRight(Conn:12&, Rs:12&, p_ShowType:2?=2, p_ShowLine:2&?=1):8"
Check "hash engine", probe.Describe(CreateObject("Brevane.Zelto_Class_Md5"), "ZeltoMd5"), "ZeltoMd5(sMessage:12&):8"

Finish
