// The news edit form in new, edit and view modes, saved as a person would;
// the calendar links the new record's day and moves by month and year; the
// tab strip switches on mouse-over. Screenshots go to OUTPUT_DIR.
// Usage: node fields_browser.mjs BASE_URL OUTPUT_DIR
import { clickToLoad, withChromium } from './browser.mjs';
import { mkdirSync } from 'node:fs';
import { join } from 'node:path';

const [base, outDir] = process.argv.slice(2);
mkdirSync(outDir, { recursive: true });

let failed = false;
function check(ok, what, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${ok || !detail ? '' : `: ${detail}`}`);
  if (!ok) failed = true;
}
const pad = (n) => String(n).padStart(2, '0');
const now = new Date();
const today = `${now.getFullYear()}${pad(now.getMonth() + 1)}${pad(now.getDate())}`;
const months = ['一月', '二月', '三月', '四月', '五月', '六月', '七月', '八月', '九月', '十月', '十一月', '十二月'];

// Saves the form and answers the success alert; resolves with its text.
async function save(page) {
  const alert = new Promise((resolve) => page.once('dialog', async (d) => { const m = d.message(); await d.accept(); resolve(m); }));
  await page.click('#save', { noWaitAfter: true });
  const message = await Promise.race([alert, new Promise((r) => setTimeout(() => r('(no alert in 20 s)'), 20000))]);
  await page.waitForURL(/moden=view/, { timeout: 20000 }).catch(() => {});
  return message;
}
// The value cell after a label; its text without the leading no-break space.
const cell = async (page, title) => (await page.locator(`td:has-text("${title}：") + td`).first().innerText()).trim();

const finished = await withChromium(async (context) => {
  const page = await context.newPage();
  // ---- new
  await page.goto(`${base}/fields/edit.asp?moden=new`);
  await page.screenshot({ path: join(outDir, 'fields-new.png'), fullPage: true });
  check(await page.locator('select[name=kind] option').count() === 3, 'new: category list from the dictionary');
  check(await page.locator('select[name=dept] option').count() === 3, 'new: department list');
  check(await page.locator('select[name=part] option').count() === 2, 'new: group list');
  check(await page.locator('input[name=column][type=radio]').count() === 3 &&
        await page.locator('input[name=column]').first().isChecked(), 'new: radio group, first checked');
  const published = await page.inputValue('input[name=published]');
  check(published === `${today.slice(0, 4)}-${today.slice(4, 6)}-${today.slice(6)}`, 'new: date box starts today', published);
  for (const sel of ['input[name=checked][type=checkbox]', 'input[name=password][type=password]', 'textarea[name=summary]',
                     'iframe#editor', 'input[name=photo22][type=file]', 'input[name=attachment22][type=file]',
                     'input[name=author][readonly]', 'input[name=source][readonly]', 'input[name=postcard]', 'input[name=note]'])
    check(await page.locator(sel).count() === 1, `new: control ${sel}`);
  const title = `浏览器新建 <b>&'`;
  await page.fill('input[name=title]', title);
  await page.selectOption('select[name=kind]', '行业动态');
  await page.locator('input[name=column]').nth(1).check();
  await page.check('input[name=checked]');
  await page.fill('input[name=password]', 'pw');
  await page.fill('textarea[name=summary]', '摘要文字');
  await page.click('input[name=source]');  // its handler fills it in
  const editor = page.frameLocator('iframe#editor').locator('#edit');
  await editor.click();
  await page.keyboard.type('正文内容');
  let message = await save(page);
  check(message === '保存成功！', 'new: saved with the success alert', message);
  const id = new URL(page.url()).searchParams.get('id');
  check(/^\d+$/.test(id || ''), 'new: lands on the view page of the record', page.url());

  // ---- view
  await page.screenshot({ path: join(outDir, 'fields-view.png'), fullPage: true });
  check(await cell(page, '标题') === title, 'view: stored markup shows as text', await cell(page, '标题'));
  check(await cell(page, '类别') === '行业动态', 'view: category');
  check(await cell(page, '栏目') === '内页', 'view: radio choice');
  check(await cell(page, '已审核') === '√', 'view: check mark');
  check(await cell(page, '来源') === '本站原创', 'view: handler-filled box');
  check(await cell(page, '密码') === '', 'view: password hidden');
  check(await page.inputValue('textarea[name=content]') === '正文内容', 'view: editor text saved');
  check(await page.locator('input[name=title]').count() === 0, 'view: no inputs for read-only fields');

  // ---- edit
  await page.goto(`${base}/fields/edit.asp?moden=edit&id=${id}`);
  check(await page.inputValue('input[name=title]') === title, 'edit: stored value in the box, quotes intact');
  check(await page.inputValue('select[name=kind]') === '行业动态', 'edit: stored option selected');
  check(await page.locator('input[name=column]').nth(1).isChecked(), 'edit: stored radio checked');
  check(await page.isChecked('input[name=checked]'), 'edit: check box checked');
  check(await page.inputValue('input[name=password]') === '', 'edit: password never filled in');
  await page.fill('input[name=title]', '浏览器修改');
  message = await save(page);
  check(message === '保存成功！', 'edit: saved', message);
  check(await cell(page, '标题') === '浏览器修改', 'edit: new title shown');
  check(await page.inputValue('textarea[name=content]') === '正文内容', 'edit: text kept through the editor frame');

  // ---- calendar
  await page.goto(`${base}/fields/calendar.asp`);
  const heading = async () => (await page.locator('div.calendar b').innerText()).replace(/\s+/g, ' ');
  check(await heading() === `${months[now.getMonth()]} ${now.getFullYear()}`, 'calendar: this month', await heading());
  const dayLink = page.locator(`a[href^='?date=${today}']`);
  check(await dayLink.count() === 1, "calendar: today's records linked once");
  await page.screenshot({ path: join(outDir, 'fields-calendar.png'), fullPage: true });
  await dayLink.click();
  await page.waitForURL(new RegExp(`date=${today}`));
  check((await page.locator('ul.daynews').innerText()).includes('浏览器修改'), 'calendar: the day lists the record');
  await clickToLoad(page, "a[title='下一月']");
  const next = new Date(now.getFullYear(), now.getMonth() + 1, 1);
  check(await heading() === `${months[next.getMonth()]} ${next.getFullYear()}`, 'calendar: next month', await heading());
  await clickToLoad(page, "a[title='上一年']");
  check(await heading() === `${months[next.getMonth()]} ${next.getFullYear() - 1}`, 'calendar: previous year', await heading());

  // ---- tabs
  await page.goto(`${base}/fields/tabs.asp`);
  const shown = async (i) => page.locator(`#dTabcontent_${i}`).isVisible();
  check(await shown(0) && !(await shown(1)), 'tabs: first pane shown at first');
  await page.hover('#sTabmenu_1');
  check(!(await shown(0)) && await shown(1), 'tabs: mouse-over switches the pane');
  check((await page.getAttribute('#sTabmenu_1', 'class')) === 'current', 'tabs: the hovered tab is current');
  await page.screenshot({ path: join(outDir, 'fields-tabs.png'), fullPage: true });
});
process.exit(!finished || failed ? 1 : 0);
