// JScript pages reach the component the same way; its \u escapes give
// Chinese text directly, and its objects stand in for host objects too.
var c = new ActiveXObject("Brevane.BrevaneCls");
var m = new ActiveXObject("Brevane.Zelto_Class_Md5");
var probe = new ActiveXObject("BrevaneTest.Probe");
var d = new ActiveXObject("BrevaneTest.Declared");
var req = new ActiveXObject("BrevaneTest.Request");
req.AddQueryString("p", "1");
req.AddQueryString("q", "2");

check("version", c.CommGetVersion(), "03.05.01");
check("md5 ascii", c.CommMd5("abc"), "900150983CD24FB0D6963F7D28E17F72");
check("md5 chinese", c.CommMd5("\u4e2d\u6587"), "F3B679619B195BEBA139FCBB4B486630");
check("md5 mixed", m.ZeltoMd5("abc\u4e2d\u6587123"), "63087DA86C450A000F8F32B36FC70DCE");
check("md5 full width", c.CommMd5("\uff21\uff22\uff23\uff0c\u3002"), "89B88A413819C38328A1371B53022AA0");
check("md5 of a number", c.CommMd5(123), c.CommMd5("123"));

// Values round-trip through the adapter with their automation types.
check("string", probe.Echo("\u6d4b\u8bd5"), "\u6d4b\u8bd5");
check("empty string", probe.Echo(""), "");
check("integer", probe.Echo(42), 42);
check("double", probe.Echo(1.25), 1.25);
check("boolean", probe.Echo(true), true);
check("null", probe.Echo(null), null);
check("null type", probe.TypeOf(null), 1);
check("undefined is Empty", probe.TypeOf(undefined), 0);
check("string type", probe.TypeOf("x"), 8);
check("double type", probe.TypeOf(1.5), 5);
check("boolean type", probe.TypeOf(false), 11);
check("object type", probe.TypeOf(c), 9);
var bytes = probe.Bytes(1, 2, 255);
check("byte array from the component", probe.ByteCount(bytes), 3);
check("byte array type", probe.TypeOf(bytes), 8209);
check("byte value", probe.ByteAt(probe.Echo(bytes), 2), 255);
var arr = probe.Echo(probe.Items(req.QueryString));
check("array of variants", probe.TypeOf(arr), 8204);
check("array elements", new VBArray(arr).toArray().join(","), "p,q");
check("our object comes back as itself", probe.Echo(c).CommGetVersion(), "03.05.01");
check("optional defaults", d.Pad("ab"), "ab***");

// A JScript object as the Request: members found by name through IDispatchEx.
var fakeRequest = {
  ServerVariables: function (name) { return "js " + name.toLowerCase(); },
  Form: function (name) { return "form " + name; }
};
check("script object called back", probe.ServerVariable(fakeRequest, "HTTP_HOST"), "js http_host");
check("second member", probe.FormValue(fakeRequest, "a"), "form a");

// Collections enumerate.
var keys = [];
for (var e = new Enumerator(req.QueryString); !e.atEnd(); e.moveNext()) keys.push(e.item());
check("enumerator", keys.join(","), "p,q");

// Errors carry the run-time numbers.
checkErr("unknown member", function () { c.NoSuchMember(); }, 438);
checkErr("overflow", function () { d.Half(40000); }, 6);
checkErr("type mismatch", function () { d.Half("abc"); }, 13);
checkErr("missing argument", function () { c.CommMd5(); }, 449);
checkErr("raised number", function () { probe.Raise(9, "subscript"); }, 9);
try {
  probe.Raise(5, "\u4e2d\u6587 description");
} catch (e) {
  check("Chinese description", e.description, "\u4e2d\u6587 description");
}

finish();
