// ---- harness.js: run.sh puts this in front of every JScript page. ----
var g_passed = 0, g_failed = 0;

function show(v) {
  if (v === null) return "null";
  if (typeof v === "undefined") return "undefined";
  if (typeof v === "unknown") return "(unknown)";
  return "[" + v + "] " + typeof v;
}

function check(name, actual, expected) {
  if (actual === expected) { g_passed++; return; }
  g_failed++;
  WScript.Echo("not ok: " + name + " -- got " + show(actual) + ", expected " + show(expected));
}

// fn must raise a run-time error with this number (in the 0x800A facility).
function checkErr(name, fn, number) {
  try {
    fn();
  } catch (e) {
    var got = e.number & 0xFFFF, facility = (e.number >>> 16) & 0x7FFF;
    if (got === number && facility === 0xA) { g_passed++; return; }
    g_failed++;
    WScript.Echo("not ok: " + name + " -- error " + (e.number >>> 0).toString(16) + " (" + e.description + "), expected " + number);
    return;
  }
  g_failed++;
  WScript.Echo("not ok: " + name + " -- no error, expected " + number);
}

function finish() {
  WScript.Echo(g_passed + " passed, " + g_failed + " failed");
  WScript.Quit(g_failed > 0 ? 1 : 0);
}
// ---- end of harness ----
