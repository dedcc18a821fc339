// Members of the façade through brevane.dll on Windows give what the Linux
// build gives (the expected values are its answers): the system code page
// 936, the standard regular expressions and the conversions behind them.
var c = new ActiveXObject("Brevane.BrevaneCls");

function call(name, a) {
  switch (a.length) {
    case 1: return c[name](a[0]);
    case 2: return c[name](a[0], a[1]);
    case 3: return c[name](a[0], a[1], a[2]);
    case 4: return c[name](a[0], a[1], a[2], a[3]);
    case 5: return c[name](a[0], a[1], a[2], a[3], a[4]);
  }
  throw new Error("too many arguments in the table");
}

var cases = [
  ["CommGetStringLength", ["\u4e2d\u6587abc"], 7],
  ["CommGetStringLength2", ["\u4e2d\u6587abc"], 7],
  ["CommGetStringLeft", ["\u4e2d\u6587abc", 3], "\u4e2d\u6587"],
  ["CommGetStringRight", ["\u4e2d\u6587abc", 3], "abc"],
  ["CommGetTopicStr", ["\u4e2d\u6587\u6d4b\u8bd5\u4e00\u4e0babc", 6], "\u4e2d\u6587\u6d4b\u2026"],
  ["CommGetString", ["\u4e2d\u6587\u6d4b\u8bd5abcdef", 5, 1], "\u6d4b"],
  ["CommGetPyChar", ["\u4e2d"], "Z"],
  ["CommGetPyString", ["\u4e2d\u6587"], "ZW"],
  ["CommGetQPyString", ["\u4e2d\u6587"], "zhongwen"],
  ["CommCheckIsChinese", ["\u4e2d\u6587"], true],
  ["CommCheckIsChinese", ["abc"], false],
  ["CommCheckIsEmail", ["a@b.com"], true],
  ["CommCheckIsEmail", ["a@b"], false],
  ["CommCheckIsTelephone", ["010-12345678"], true],
  ["CommCheckIsNumeric", ["1e3"], true],
  ["CommCheckIsNumeric", ["abc"], false],
  ["CommCheckIsInteger", ["12"], true],
  ["CommHtmlEncode", ["<a>\u4e2d&</a>"], "&lt;a&gt;\u4e2d&amp;&lt;/a&gt;"],
  ["CommNoHtml", ["<b>x</b>y"], " x y"],
  ["CommEncodeString", ["\u4e2d\u6587<>"], "\u4e2d\u6587&lt;&gt;"],
  ["CommDecToHex", [255], "FF"],
  ["CommDecToBin", [5], "101"],
  ["CommStringToNumeric", ["12.5"], 12.5],
  ["CommGetFileSize", ["2048"], "2K"],
  ["CommPutDate", ["20240102"], "2024-01-02"],
  ["CommReplaceAt", ["a|b|c", 2, "X"], "a|X|c"],
  ["CommReplaceAt", ["a,b,c", 3, "X", ","], "a,b,X"],
  ["CommReplaceExp", ["abc123", "\\d+", "X"], "abcX"],
  ["CommStrExtract", ["a[b]c[d]", "[", "]", 2, 0], "b"],
  ["CommGetSexFromPostcard", ["11010519491231002X"], "\u5973"]
];
for (var i = 0; i < cases.length; i++) {
  var name = cases[i][0] + "(" + cases[i][1].join(", ") + ")";
  try {
    check(name, call(cases[i][0], cases[i][1]), cases[i][2]);
  } catch (e) {
    check(name + " raised " + (e.number & 0xFFFF) + " " + e.description, false, true);
  }
}

// Conversions through the system's UTF-8 functions.
check("URL encoding as UTF-8", c.CommUrlEncode_GBToUtf8("\u4e2d\u6587a"), "%E4%B8%AD%E6%96%87a");
check("URL decoding", c.CommUrlDecode_GBToUtf8("%E4%B8%AD%E6%96%87a"), "\u4e2d\u6587a");
check("UTF-8 round trip", c.CommCodeUtf8ToUnicode(c.CommCodeUnicodeToUtf8("\u4e2d\u6587 abc")), "\u4e2d\u6587 abc");
check("bytes to text in code page 936", c.CommRsBinaryToString(new ActiveXObject("BrevaneTest.Probe").Bytes(0xD6, 0xD0, 65)), "\u4e2dA");

// Typed parameters convert as the script engine converts.
checkErr("overflow into an Integer parameter", function () { c.CommGetStringLeft("abc", 40000); }, 6);
checkErr("text into an Integer parameter", function () { c.CommGetStringLeft("abc", "x"); }, 13);
checkErr("Long overflow", function () { c.CommDecToBin(1e300); }, 6);

finish();
