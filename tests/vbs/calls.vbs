' Calling conventions through the adapter: optional arguments, by-reference
' write-back, and run-time errors as Err.Number shows them.
Dim c, m, d, probe, req, n, s, r
Set c = CreateObject("Brevane.BrevaneCls")
Set m = CreateObject("Brevane.Zelto_Class_Md5")
Set d = CreateObject("BrevaneTest.Declared")
Set probe = CreateObject("BrevaneTest.Probe")

' Omitted optional arguments take their declared defaults, trailing or not.
Check "all optionals left out", d.Pad("ab"), "ab***"
Check "last optional left out", d.Pad("ab", 4), "ab**"
Check "middle optional left out", d.Pad("ab", , "-"), "ab---"
Check "all given", d.Pad("ab", 3, "-"), "ab-"
Check "optional Boolean defaulting to True", d.Flag(), -1
Check "optional Boolean given", d.Flag(False), 0
' An omitted argument arrives as a missing argument where nothing is declared.
Check "missing argument seen", probe.IsMissing(), True
Check "given argument seen", probe.IsMissing(1), False

' Arguments convert to the declared types.
Check "text to Integer", d.Half("10"), 5
Check "Double to Integer rounds to even", d.Half(6.5), 3
Check "result type", TypeName(d.Half(4)), "Integer"

' By-reference arguments are written back.
n = 21
d.Twice n
Check "by-reference Long written back", n, 42
Check "by-reference Long keeps its type", TypeName(n), "Long"
s = "before"
probe.Assign s, "after"
Check "by-reference Variant written back", s, "after"
probe.Assign s, 7
Check "by-reference Variant takes the new type", TypeName(s), "Integer"

' Run-time errors keep their numbers.
On Error Resume Next
r = c.NoSuchMember()
CheckErr "unknown member of BrevaneCls", 438
r = m.NoSuchMember("x")
CheckErr "unknown member of Zelto_Class_Md5", 438
r = c.CommMd5()
CheckErr "required argument left out", 449
r = c.CommMd5("a", "b")
CheckErr "too many arguments", 450
r = d.Half(40000)
CheckErr "overflow converting to Integer", 6
r = d.Half(-40000)
CheckErr "negative overflow converting to Integer", 6
n = 3000000000
d.Twice n
CheckErr "overflow converting a by-reference Long", 6
r = d.Half("abc")
CheckErr "type mismatch converting to Integer", 13
r = probe.ToInteger(32768)
CheckErr "overflow in a kit member", 6
probe.Raise 5, "custom text"
Check "description travels", Err.Description, "custom text"
Check "source names the component", Err.Source, "BrevaneTest"
CheckErr "raised number", 5
probe.Raise 1234, "x"
CheckErr "any run-time number", 1234
' An error raised in one component while another calls it by name reaches
' the page unchanged: CommMd5 reads the default member of the object given.
Set req = CreateObject("BrevaneTest.Request")
r = c.CommMd5(req)
CheckErr "error from a called-back object", 449
On Error GoTo 0

' Component code creates the system's classes by name, as a page would.
Dim dict
Set dict = probe.CreateByName("Scripting.Dictionary")
dict.Add "a", 1
Check "system class created by name", dict.Count, 1
Check "own class created by name", probe.CreateByName("BrevaneTest.Declared").Half(8), 4
On Error Resume Next
Set dict = probe.CreateByName("No.Such.Class")
CheckErr "unknown class", 429
On Error GoTo 0

' Nothing raised: Err stays clear after a good call.
On Error Resume Next
r = c.CommGetVersion()
CheckErr "no error", 0
On Error GoTo 0

Finish
