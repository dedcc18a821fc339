// The client script blocks on the demo's scripts page, driven as a person
// would in headless Chromium: forms checked, windows and dialogs opened,
// pickers answered, AJAX answers shown, menus opened and run. Every page
// must get through without a script error.
// Usage: node scripts_test.mjs BASE_URL
import { withChromium } from './browser.mjs';

const [base] = process.argv.slice(2);

let failures = 0;
const errors = [];
const alerts = [];
let confirmAnswer = true;
function watch(page) {
  page.on('pageerror', (e) => errors.push(`${page.url()}: ${e.message}`));
  page.on('dialog', async (d) => {
    alerts.push(d.message());
    if (d.type() === 'confirm') await (confirmAnswer ? d.accept() : d.dismiss());
    else await d.accept();
  });
}
async function check(name, f) {
  try {
    await f();
    console.log(`ok   ${name}`);
  } catch (e) {
    failures++;
    console.log(`FAIL ${name}: ${e.message.split('\n')[0]}`);
  }
}
function expect(cond, what) { if (!cond) throw new Error(what); }
function eq(got, want, what) { if (got !== want) throw new Error(`${what}: got ${JSON.stringify(got)}, want ${JSON.stringify(want)}`); }
const takeAlerts = () => alerts.splice(0, alerts.length);

// An 18-digit card number for someone `age` years old, its check character
// computed by the national standard's weights; `wantX` picks a sequence
// number whose check character is X.
function cardNumber(age, wantX) {
  const w = [7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2];
  const year = new Date().getFullYear() - age;
  for (let seq = 100; seq < 1000; seq++) {
    const s17 = `110105${year}0612${seq}`;
    let sum = 0;
    for (let i = 0; i < 17; i++) sum += Number(s17[i]) * w[i];
    const r = 12 - (sum % 11);
    const c = r === 10 ? 'X' : r === 11 ? '0' : r === 12 ? '1' : String(r);
    if ((c === 'X') === wantX) return s17 + c;
  }
  throw new Error('no number');
}

const finished = await withChromium(async (context) => {
  context.setDefaultTimeout(10000);
  context.on('page', watch);
  const page = await context.newPage();
  await page.goto(`${base}/scripts/index.asp`);
  await page.waitForLoadState('load');

  await check('checkform: empty field, password confirmation, length limit, then passes', async () => {
    takeAlerts();
    const run = () => page.evaluate(() => checkform());
    eq(await run(), false, 'empty title');
    eq(takeAlerts().join('|'), '标题不能为空', 'alert');
    eq(await page.evaluate(() => document.activeElement.name), 'title', 'focused field');
    await page.fill('input[name=title]', '一个标题');
    await page.fill('input[name=pwd]', 'secret1');
    await page.fill('input[name=pwd2]', 'secret2');
    eq(await run(), false, 'passwords differ');
    eq(takeAlerts().join('|'), '两次输入的密码不一致', 'alert');
    await page.fill('input[name=pwd2]', 'secret1');
    await page.fill('input[name=memo]', '12345678901');
    eq(await run(), false, 'memo too long');
    eq(takeAlerts().join('|'), '备注不能超过10个字', 'alert');
    await page.fill('input[name=memo]', '1234567890');
    eq(await run(), true, 'all fine');
    eq(takeAlerts().length, 0, 'no alert');
    await page.fill('input[name=memo]', '0');
    eq(await run(), false, 'the value 0 counts as empty');
    eq(takeAlerts().join('|'), '备注不能为空', 'alert');
    await page.fill('input[name=memo]', 'ok');
  });

  await check('isIdCardNo levels 1 to 4, check character, lower-case x corrected', async () => {
    takeAlerts();
    const card = (num, level, auto) => page.evaluate(([n, l, a]) => {
      const o = { value: n };
      return [isIdCardNo(o, n, l, a), o.value];
    }, [num, level, auto]);
    const good = cardNumber(15, false);
    eq((await card('abc', 1, 1))[0], true, 'level 1 accepts any text');
    eq((await card('abc', 2, 1))[0], false, 'level 2 length');
    eq(takeAlerts().join('|'), '输入身份证号码长度不对！', 'length alert');
    eq((await card('11010520100612A23X', 2, 1))[0], false, 'level 2 digits');
    eq(takeAlerts().join('|'), '错误的身份证号码！.', 'digit alert');
    eq((await card('110105201013451234', 3, 1))[0], false, 'level 3 date');
    eq(takeAlerts().join('|'), '身份证中日期信息不正确！.', 'date alert');
    eq((await card(good, 4, 1))[0], true, 'a correct number');
    const wrong = good.slice(0, 17) + (good[17] === '1' ? '2' : '1');
    const [ok, fixed] = await card(wrong, 4, 1);
    eq(ok, false, 'wrong check character');
    eq(takeAlerts().join('|'), `身份证效验位错误!正确为： ${good[17]}`, 'check alert');
    eq(fixed, good, 'auto-corrected field');
    eq((await card(wrong, 4, 0))[1], wrong, 'left alone without autochange');
    takeAlerts();
    const withX = cardNumber(16, true);
    const [okx, fixedx] = await card(withX.slice(0, 17) + 'x', 4, 1);
    eq(okx, true, 'lower-case x passes');
    eq(fixedx, withX, 'and is written as X');
    eq(takeAlerts().length, 0, 'no alert');
    // Through the page's form, as a user does.
    await page.fill('#postcard', good);
    await page.click('#cardbtn');
    eq(await page.textContent('#cardresult'), 'true', 'form result');
    await page.fill('#birthday', `${new Date().getFullYear() - 12}0301`);
    await page.click('#makecard');
    const made = await page.inputValue('#postcard');
    expect(/^99\d{4}\d{8}\d{2}[02468]\d?[0-9X]$/.test(made) && made.length === 18, `placeholder ${made}`);
    eq((await card(made, 4, 0))[0], true, 'placeholder passes the full check');
  });

  await check('each ZeltoRegCheck validator on passing and failing input', async () => {
    const year = new Date().getFullYear();
    const cases = {
      ZeltoRegCheckIsTelephone: ['010-12345678', '12345'],
      ZeltoRegCheckIsEmail: ['zhang.san@mail.example.com.cn', 'zhang@example'],
      ZeltoRegCheckIsInteger: ['-42', '4.2'],
      ZeltoRegCheckIsAge: [String(year - 30), String(year - 10)],
      ZeltoRegCheckIsValidTrueName: ['张三 ZHANG', 'zhang'],
      ZeltoRegCheckIsChinese: ['中文', '中文a'],
      ZeltoRegCheckValidPasswd: ['abc123', 'abc'],
      ZeltoRegCheckIsNull: ['   ', ' x '],
      ZeltoRegCheckIsIP: ['192.168.1.255', '192.168.1.256'],
    };
    for (const [name, [pass, fail]] of Object.entries(cases)) {
      for (const [input, want] of [[pass, 'true'], [fail, 'false']]) {
        await page.fill(`#in_${name}`, input);
        await page.click(`#btn_${name}`);
        eq(await page.textContent(`#out_${name}`), want, `${name}(${input})`);
      }
    }
    eq(await page.evaluate(() => ZeltoRegCheckIsIP('')), false, 'empty IP');
  });

  await check('ShowAjax GET and POST fill their elements', async () => {
    await page.click('#ajaxgetbtn');
    await page.waitForFunction(() => document.getElementById('ajaxget').textContent.includes('GET 已收到: demo'));
    await page.click('#ajaxpostbtn');
    await page.waitForFunction(() => document.getElementById('ajaxpost').textContent.includes('POST 已收到: zhangsan 2'));
  });

  await check('each OpenWindow opener shows a new page or an in-page dialog', async () => {
    for (const by of ['ModalScroll', 'ModalNoScroll', 'FullScreen', 'CenterScreen', 'QQNoScroll', 'QQScroll', 'Resize',
                      'OpenWindow']) {
      const popup = context.waitForEvent('page', { timeout: 3000 }).catch(() => null);
      await page.click(`#o_${by}`);
      const dialog = page.locator('.zeltoDialog iframe');
      const win = await Promise.race([popup, dialog.waitFor({ timeout: 3000 }).then(() => 'dialog', () => null)]);
      expect(win, `${by}: nothing opened`);
      if (win === 'dialog') {
        const text = await page.frameLocator('.zeltoDialog iframe').locator('#popped').textContent();
        eq(text, `由 ${by} 打开`, `${by} dialog`);
        await page.keyboard.press('Escape');
        await page.locator('.zeltoDialogMask').waitFor({ state: 'detached' });
      } else {
        await win.waitForLoadState();
        eq(await win.textContent('#popped'), `由 ${by} 打开`, `${by} window`);
        await win.close();
      }
    }
    // The opened page refuses frames, yet as a dialog it stays in its box.
    eq(new URL(page.url()).pathname, '/scripts/index.asp', 'the page itself stays');
  });

  await check('pickers: date and pick-list dialogs answer into their fields', async () => {
    await page.click('#day');
    const frame = page.frameLocator('.zeltoDialog iframe');
    await frame.locator('#VicPopCal').waitFor({ state: 'visible' });
    await frame.locator('#cellText17').click();
    await page.locator('.zeltoDialogMask').waitFor({ state: 'detached' });
    expect(/^\d{4}-\d{2}-\d{2}$/.test(await page.inputValue('#day')), 'date in yyyy-mm-dd');
    await page.click('#kind');
    await page.frameLocator('.zeltoDialog iframe').locator('#item2').click();
    await page.locator('.zeltoDialogMask').waitFor({ state: 'detached' });
    eq(await page.inputValue('#kind'), '高中', 'pick-list answer');
    await page.click('#day2');
    await page.frameLocator('.zeltoDialog iframe').locator('#VicPopCal').waitFor({ state: 'visible' });
    await page.keyboard.press('Escape');
    await page.locator('.zeltoDialogMask').waitFor({ state: 'detached' });
    eq(await page.inputValue('#day2'), '', 'Escape answers nothing');
  });

  await check('calendar on the page: grid, colours, a day picked', async () => {
    await page.click('#calbtn');
    await page.locator('#VicPopCal').waitFor({ state: 'visible' });
    const now = new Date();
    eq(await page.inputValue('#tbSelYear'), String(now.getFullYear()), 'year list');
    eq(await page.evaluate(() => getComputedStyle(document.getElementById('cellText0')).color === 'rgb(128, 128, 128)' ||
        fBuildCal(giYear, giMonth)[0][0] > 0), true, 'other month grey');
    const first = await page.evaluate(() => fBuildCal(giYear, giMonth)[0].indexOf(1));
    await page.click(`#cellText${first + 9}`);
    await page.locator('#VicPopCal').waitFor({ state: 'hidden' });
    const m = String(now.getMonth() + 1).padStart(2, '0');
    eq(await page.inputValue('#calbox'), `${now.getFullYear()}-${m}-10`, 'picked day');
  });

  await check('pop-up boxes: alert and confirm clicking the given element', async () => {
    await page.click('#p_alert');
    await page.locator('.zeltoPop', { hasText: '操作已完成' }).waitFor();
    await page.click('.zeltoPop input[value=确定]');
    await page.click('#p_confirm');
    await page.locator('.zeltoPop', { hasText: '真的要继续吗？' }).waitFor();
    await page.click('.zeltoPop input[value=确定]');
    eq(await page.getAttribute('#confirmtarget', 'data-clicked'), 'yes', 'callback clicked the element');
    eq(await page.locator('.zeltoPop').count(), 0, 'closed');
    await page.click('#p_iframe');
    await page.frameLocator('.zeltoPop iframe').locator('#popped').waitFor();
    await page.evaluate(() => ClosePop());
  });

  await check('image swap and restore, image sizing', async () => {
    await page.hover('#swapimg');
    expect((await page.getAttribute('#swapimg', 'src')).includes('ButtonClose2'), 'swapped');
    await page.mouse.move(0, 0);
    await page.waitForFunction(() => document.getElementById('swapimg').src.includes('ButtonClose1'));
    eq(await page.evaluate(() => document.getElementById('bigimg').width), 93, 'natural width kept under 500');
  });

  await check('live clock ticks', async () => {
    const re = /^\d{4}年\d{1,2}月\d{1,2}日 星期[日一二三四五六] \d{1,2}:\d\d:\d\d$/;
    const t1 = await page.textContent('#liveclock');
    expect(re.test(t1), `clock text ${t1}`);
    const n1 = await page.evaluate(() => window.clockTicks);
    await page.waitForFunction((n) => window.clockTicks > n + 1, n1, { timeout: 5000 });
    expect(await page.textContent('#liveclock') !== t1, 'time moved');
  });

  await check('busy bar shows and grows', async () => {
    await page.click('#busybtn');
    await page.locator('#zeltoProcessBox', { hasText: '系统正在处理中...' }).waitFor({ state: 'visible' });
    const w1 = await page.evaluate(() => document.getElementById('sbar').width);
    await page.waitForFunction((w) => document.getElementById('sbar').width > w + 5, w1, { timeout: 5000 });
  });

  await check('tool tip and expanding menu', async () => {
    await page.hover('#tiptarget');
    await page.locator('#dek', { hasText: '这是提示文字' }).waitFor({ state: 'visible' });
    await page.mouse.move(0, 0);
    await page.locator('#dek').waitFor({ state: 'hidden' });
    eq(await page.isVisible('#m1Child'), false, 'children start hidden');
    await page.click('#m1');
    eq(await page.isVisible('#m1Child'), true, 'm1 shown');
    await page.click('#m2');
    eq(await page.isVisible('#m2Child'), true, 'm2 shown');
    eq(await page.isVisible('#m1Child'), false, 'm1 hidden again');
  });

  await check('page protection: context menu cancelled, cform asks, excel=yes leaves it out', async () => {
    const p = await context.newPage();
    await p.goto(`${base}/scripts/mouse.asp`);
    eq(await p.evaluate(() => !document.getElementById('plainlink').dispatchEvent(
      new MouseEvent('contextmenu', { bubbles: true, cancelable: true }))), true, 'context menu cancelled');
    eq(await p.evaluate(() => !document.dispatchEvent(
      new KeyboardEvent('keydown', { key: 'n', keyCode: 78, ctrlKey: true, bubbles: true, cancelable: true }))), true, 'Ctrl+N swallowed');
    takeAlerts();
    confirmAnswer = false;
    await p.click('#delbtn');
    confirmAnswer = true;
    eq(takeAlerts().join('|'), '您确认删除该记录吗！', 'confirm text');
    eq(new URL(p.url()).pathname, '/scripts/mouse.asp', 'declined: stays');
    await p.goto(`${base}/scripts/mouse.asp?excel=yes`);
    eq(await p.evaluate(() => typeof NoContextMenu), 'undefined', 'no protection for the export');
    await p.close();
  });

  await check('file manager menus: pop-up and drop-down open, highlight and run', async () => {
    const p = await context.newPage();
    await p.goto(`${base}/scripts/menus.asp`);
    await p.click('#f_folder', { button: 'right' });
    const menu = p.locator('#zeltoPopMenu');
    await menu.waitFor({ state: 'visible' });
    const labels = await menu.locator('tr.zeltoPopItem').allTextContents();
    eq(labels.join(','), '打开,剪切,复制,删除,重命名,压缩', 'folder entries');
    const row = menu.locator('tr.zeltoPopItem', { hasText: '重命名' });
    await row.hover();
    eq(await row.evaluate((r) => getComputedStyle(r).backgroundColor), 'rgb(10, 36, 106)', 'highlight');
    await row.click();
    await menu.waitFor({ state: 'hidden' });
    eq(await p.textContent('#menulog'), 'ReNameIt(ReNameFolder,docs)', 'entry ran');
    await p.click('#f_zip', { button: 'right' });
    await menu.locator('tr.zeltoPopItem', { hasText: '解压' }).click();
    await p.click('#f_txt', { button: 'right' });
    await menu.locator('tr.zeltoPopItem', { hasText: '编辑' }).click();
    await p.click('#emptyarea', { button: 'right' });
    eq((await menu.locator('tr.zeltoPopItem').allTextContents()).length, 14, 'background entries');
    await menu.locator('tr.zeltoPopItem', { hasText: '新建文件夹' }).click();
    eq(await p.textContent('#menulog'),
       'ReNameIt(ReNameFolder,docs) zipunzip(Unzip,a.zip) editfile(b.txt,txt) create_it(CreateFolder)', 'entries ran');
    await p.click('#emptyarea', { button: 'right' });
    await menu.waitFor({ state: 'visible' });
    await p.mouse.click(5, 5);
    await menu.waitFor({ state: 'hidden' });

    await p.hover('#bar_file');
    await p.locator('#menuDiv').waitFor({ state: 'visible' });
    eq(await p.locator('.zeltoMenuShadow').count(), 4, 'four shadow layers');
    await p.hover('#mi_newfolder');
    eq(await p.evaluate(() => getComputedStyle(document.getElementById('mi_newfolder')).backgroundColor),
       'rgb(10, 36, 106)', 'drop-down highlight');
    await p.click('#mi_newfolder');
    await p.locator('#menuDiv').waitFor({ state: 'hidden' });
    expect((await p.textContent('#menulog')).endsWith('create_it(CreateFolder) create_it(CreateFolder)'), 'drop-down entry ran');
    await p.hover('#bar_file');
    await p.locator('#menuDiv').waitFor({ state: 'visible' });
    await p.mouse.move(600, 400);
    await p.locator('#menuDiv').waitFor({ state: 'hidden' });
    eq(await p.locator('.zeltoMenuShadow').count(), 0, 'shadows gone');
    await p.close();
  });

  await check('no script error on any page', async () => {
    eq(errors.join('\n'), '', 'page errors');
  });
});
process.exit(!finished || failures ? 1 : 0);
