// Every script block the component writes parses as JavaScript, and the
// functions other fragments call are defined at the top level of its block.
// Runs without a browser. Usage: node scripts_syntax_test.js BREVANE_BINARY
'use strict';
const { execFileSync } = require('child_process');

const calls = [
  ['CommScriptNoInFrame'], ['CommScriptNoInTop'], ['CommScriptImage', 'DownImage', 'DrawImage', 'cgimg', 'zelto_showpic', 'dheight', 'photohy'],
  ['CommScriptListMenu', 'initIt', 'expandIt'], ['CommScriptListMenuMove', 'heartBeat', 'grabIt', 'moveIt', 'dropIt', 'closeLoginForm', 'showLoginForm'],
  ['CommScriptCheck', 'ZeltoRegCheckIsIP'], ['CommScriptCheckPostCard', 'isIdCardNo', 'create_postcard', 'checkDate'],
  ['CommScriptOpenWindow', 'OpenWindow', 'OpenWindowModalScroll'], ['CommScriptPopWindow', 'ShowIframe', 'ShowConfirm', 'ClosePop'],
  ['CommScriptPopSelect', 'PopSelectData', 'onKeyDownDefault', 'IsDigit'], ['CommScriptShowProcessBar', 'AddProcessbar'],
  ['CommAjaxGet', 'ShowAjax'], ['CommAjaxPost', 'ShowAjax'], ['CommScriptShowToolTipText', 'popwish', 'kill'],
  ['CommScriptShowCalendar', 'fPopCalendar', 'fSetDate', 'fBuildCal'], ['CommScriptScrollWindow', 'ZeltoScriptScrollWindow'],
  ['CommScriptSwapImage', 'ZeltoSwapImage'],
];
const withArgs = [
  [['CommScriptCheckForm', 'title|a$pwd|b|pwd2|c$memo|d|10|e$editor|f'], 'checkform'],
  [['CommScriptShowDateAndTime', 'var x=1;'], 'ShowDateAndTimeScript'],
  [['CommScriptScrollWindowFollow', '12'], 'ZeltoScrollWindowFollow'],
];
let failed = 0;
function run(args, names) {
  const out = execFileSync(process.argv[2], ['call', ...args]).toString();
  const re = /<script[^>]*>([\s\S]*?)<\/script>/gi;
  let m, code = '';
  while ((m = re.exec(out))) code += m[1] + '\n';
  try {
    new Function(code);
    for (const n of names) {
      if (!new RegExp(`(^|[;}\\n])function ${n}\\(`).test(code)) throw new Error(`${n} not defined`);
    }
  } catch (e) {
    failed++;
    console.log(`FAIL ${args[0]}: ${e.message}`);
  }
}
for (const [member, ...names] of calls) run([member], names);
for (const [args, name] of withArgs) run(args, [name]);
console.log(`${calls.length + withArgs.length - failed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
