// A JScript page hands the component its own plain object as Request: the
// byte count is a plain value (not a function), BinaryRead a function that
// serves the body a few bytes at a time. JScript cannot build a byte array,
// so the kit's Probe turns each piece of text into one.
var fso = new ActiveXObject("Scripting.FileSystemObject");
var probe = new ActiveXObject("BrevaneTest.Probe");
var base = fso.GetSpecialFolder(2) + "\\brevane-js-plain";
if (fso.FolderExists(base)) fso.DeleteFolder(base, true);
fso.CreateFolder(base);
var srv = new ActiveXObject("BrevaneTest.Server");
srv.Root = base + "\\site";

var bnd = "----BrevanePlainObject42";
function part(name, filename, data) {
  var s = "--" + bnd + "\r\nContent-Disposition: form-data; name=\"" + name + "\"";
  if (filename !== null) s += "; filename=\"" + filename + "\"\r\nContent-Type: text/plain";
  return s + "\r\n\r\n" + data + "\r\n";
}
var body = part("title", null, "plain object") + part("first", "C:\\docs\\one.txt", "first file\r\n--not a boundary") +
           part("second", "two.log", "second") + "--" + bnd + "--\r\n";

var variables = {
  REQUEST_METHOD: "POST",
  CONTENT_TYPE: "multipart/form-data; boundary=" + bnd,
  HTTP_CONTENT_TYPE: "multipart/form-data; boundary=" + bnd,
  SERVER_SOFTWARE: "Microsoft-IIS/6.0"
};
var pos = 0, reads = 0;
var req = {
  TotalBytes: body.length,
  ServerVariables: function (name) {
    var v = variables[String(name).toUpperCase()];
    return v === undefined ? "" : v;
  },
  BinaryRead: function (count) {
    reads++;
    var n = Math.min(Number(count), 9, body.length - pos);
    var piece = body.substr(pos, n);
    pos += n;
    return probe.TextBytes(piece);
  }
};

function fileText(path) {
  var t = fso.OpenTextFile(path, 1);
  var s = t.ReadAll();
  t.Close();
  return s;
}

var up = new ActiveXObject("Brevane.Zelto_Class_UploadFile");
try {
  up.GetData(req);
  check("GetData through a plain object", true, true);
} catch (e) {
  check("GetData raised " + (e.number >>> 0).toString(16) + " " + e.description, false, true);
}
check("no error", up.ErrorID, 0);
check("whole body read", pos, body.length);
check("read in pieces", reads > 5, true);
check("text field", up.Forms("title"), "plain object");
check("two files", up.FileCount, 2);

var one = up.Files("first"), two = up.Files("second");
check("first name", one.FileName, "one.txt");
check("second size", two.Size, 6);
check("first saved", one.SavetoFile(srv, base + "\\saved", 1, true), true);
check("second saved under the site", two.SavetoFile(srv, "/up", 1, true), true);
check("first bytes", fileText(base + "\\saved\\one.txt"), "first file\r\n--not a boundary");
check("second bytes", fileText(base + "\\site\\up\\two.log"), "second");

// A record set written as a plain object: EOF and BOF are values too.
var c = new ActiveXObject("Brevane.BrevaneCls");
var rs = { EOF: false, BOF: false }, conn = null, resp = {};
try {
  c.CommCheckIsNoRecord(resp, rs, conn, "none");
  check("plain EOF and BOF read", true, true);
} catch (e) {
  check("CommCheckIsNoRecord raised " + (e.number >>> 0).toString(16) + " " + e.description, false, true);
}

fso.DeleteFolder(base, true);
finish();
