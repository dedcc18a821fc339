// The news list pages, searches and sorts as a person would use it; a
// crafted keyword stays data; every alert of the chrome page fires with its
// text, and the window scripts open and close windows.
// Usage: node listpage_browser_test.mjs BASE_URL
import { clickToLoad, withChromium } from './browser.mjs';

const [base] = process.argv.slice(2);
let failed = false;
const check = (ok, what, detail = '') => {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${ok || !detail ? '' : `: ${detail}`}`);
  if (!ok) failed = true;
};
const ids = (page) => page.$$eval('table.news tr.row td.id', (tds) => tds.map((td) => Number(td.textContent)));
const titles = (page) => page.$$eval('table.news tr.row td.title', (tds) => tds.map((td) => td.textContent));
const range = (from, to) => Array.from({ length: Math.abs(to - from) + 1 }, (_, i) => (from < to ? from + i : from - i));
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);
// Resolves with the next dialog's text (on a page or the whole context) (accepted) or null after `ms`.
const nextDialog = (target, ms = 10000) => new Promise((resolve) => {
  const handler = async (d) => { clearTimeout(timer); const m = d.message(); await d.accept(); resolve(m); };
  const timer = setTimeout(() => { target.off('dialog', handler); resolve(null); }, ms);
  target.once('dialog', handler);
});

const finished = await withChromium(async (context) => {
  const page = await context.newPage();
  const dialogs = [];
  page.on('dialog', async (d) => { dialogs.push(d.message()); });

  // ---- paging ----
  await page.goto(`${base}/news/list.asp`);
  check(!(await page.$('p.note')), 'list page has every piece it needs');
  check(same(await ids(page), range(320, 311)), 'first page: newest ten', JSON.stringify(await ids(page)));
  check((await page.content()).includes('[总数<b>320</b>] [共<b>32</b>页] [第1页]'), 'counts on the bar');
  await clickToLoad(page, 'a:text-is("下一页")');
  check(same(await ids(page), range(310, 301)), 'next page', JSON.stringify(await ids(page)));
  await clickToLoad(page, 'a:text-is("尾 页")');
  check(same(await ids(page), range(10, 1)), 'last page', JSON.stringify(await ids(page)));
  check(!(await page.$('a:text-is("下一页")')), 'no next link on the last page');
  await clickToLoad(page, 'a:text-is("上一页")');
  check(same(await ids(page), range(20, 11)), 'previous page', JSON.stringify(await ids(page)));
  await page.fill('input[name=page][type=text]', '5');
  await clickToLoad(page, 'input[value=Goto]');
  check(same(await ids(page), range(280, 271)), 'Goto page 5', JSON.stringify(await ids(page)));

  // ---- search and sort ----
  await page.goto(`${base}/news/list.asp`);
  await page.selectOption('select[name=moden]', 'title');
  await page.fill('input[name=keyword]', '科技');
  await clickToLoad(page, '#search');
  let t = await titles(page);
  check(t.length === 10 && t.every((s) => s.includes('科技')), 'search by title keyword', JSON.stringify(t));
  check(same(t, [...t].sort()), 'sorted by the searched column', JSON.stringify(t));
  check((await page.content()).includes('[总数<b>64</b>]'), 'matching rows counted');
  await clickToLoad(page, 'a:text-is("下一页")');
  t = await titles(page);
  check(t.every((s) => s.includes('科技')) && t[0] > 'B', 'filter carried to the next page', JSON.stringify(t));
  check(await page.$eval('select[name=moden]', (s) => s.value) === 'title', 'chosen column stays selected');

  await page.selectOption('select[name=moden]', 'id');
  await page.fill('input[name=keyword]', '');
  await clickToLoad(page, '#search');
  check(same(await ids(page), range(320, 311)), 'sort by id descends', JSON.stringify(await ids(page)));
  await page.selectOption('select[name=moden]', 'content');
  await page.fill('input[name=keyword]', '网站改版');
  await clickToLoad(page, '#search');
  const contentIds = await ids(page);
  check(contentIds.length === 10 && same(contentIds, [...contentIds].sort((a, b) => a - b)) && contentIds[0] % 3 === 1,
    'content search sorts by id', JSON.stringify(contentIds));

  await page.goto(`${base}/news/list.asp?moden=title&keyword=${encodeURIComponent('没有这条')}`);
  check((await page.textContent('body')).includes('没有符合条件的数据。'), 'empty-list row when nothing matches');

  // ---- hostile keywords ----
  const hostile = [`x'"><script>window.__pwned=1;alert('pwned')</script>`, `' or '1'='1`, `'`, `]`];
  for (const keyword of hostile) {
    dialogs.length = 0;
    await page.goto(`${base}/news/list.asp?moden=title&keyword=${encodeURIComponent(keyword)}`);
    const body = await page.textContent('body');
    const pwned = await page.evaluate(() => window.__pwned === 1);
    check(body.includes('没有符合条件的数据。') && !pwned && dialogs.length === 0,
      `crafted keyword stays data: ${keyword}`, body.slice(0, 200));
    check(await page.$eval('input[name=keyword]', (i) => i.value) === keyword, `keyword box shows it back: ${keyword}`);
    const next = await page.$('a:text-is("下一页")');
    check(!next, `no rows, no paging: ${keyword}`);
  }
  // A crafted column name cannot leave its brackets.
  dialogs.length = 0;
  const resp = await page.goto(`${base}/news/list.asp?moden=${encodeURIComponent('title] from news;--')}`);
  check(resp.status() >= 400 || (await page.textContent('body')).includes('没有符合条件'), 'crafted column is not SQL');

  // ---- chrome: alerts ----
  page.removeAllListeners('dialog');
  const expected = {
    success: '保存成功！',
    back: '已返回上一页',
    quote: `含"引号"与'撇号'\\及</script><script>alert(1)</script>`,
    edit: '修改成功',
  };
  for (const [key, text] of Object.entries(expected)) {
    await page.goto(`${base}/chrome/index.asp`);
    const got = nextDialog(page);
    await page.click(`#alert-${key}`, { noWaitAfter: true });
    const message = await got;
    check(message === text, `alert ${key}`, String(message));
    // After the alert the script goes on: to the page, or back to it.
    if (key !== 'edit') {
      const back = await page.waitForURL(/\/chrome\/index\.asp$/, { timeout: 10000 }).then(() => true, () => false);
      check(back, `navigation after alert ${key}`, page.url());
    }
    if (key === 'quote') check((await nextDialog(page, 1500)) === null, 'no second alert from the crafted message');
  }
  {
    await page.goto(`${base}/chrome/index.asp`);
    const popupPromise = context.waitForEvent('page');
    // The new window alerts as it loads: listen on the context before it exists.
    const messagePromise = nextDialog(context);
    await page.click('#alert-close', { noWaitAfter: true });
    const popup = await popupPromise;
    const closed = popup.waitForEvent('close', { timeout: 10000 }).then(() => true, () => false);
    const message = await messagePromise;
    check(message === '窗口将关闭', 'alert close', String(message));
    check(await closed, 'window closed after the alert');
  }

  // ---- chrome: title bar export through the window opener ----
  {
    await page.goto(`${base}/chrome/index.asp`);
    const errors = [];
    page.on('pageerror', (e) => errors.push(e.message));
    const popupPromise = context.waitForEvent('page', { timeout: 10000 });
    await page.click('a:has(img[alt="导出至excel"]) >> nth=0');
    const popup = await popupPromise.catch(() => null);
    check(popup !== null && errors.length === 0, 'export link opens its window', errors.join('; '));
    // The export page is the popup page: its close frame shuts it.
    if (popup) {
      const closed = popup.isClosed() ||
        await popup.waitForEvent('close', { timeout: 10000 }).then(() => true, () => popup.isClosed());
      check(closed, 'close frame shuts the window it sits in');
    }
    check(page.url().endsWith('/chrome/index.asp'), 'the list page itself stays');
  }
  {
    await page.goto(`${base}/chrome/index.asp?show=login`);
    check(await page.$('form#login') !== null && (await page.content()).includes('版本号：'), 'login panel');
    await page.goto(`${base}/chrome/index.asp?show=form`);
    check(await page.$('#formcontent') !== null, 'dialog frame');
  }
});
process.exit(!finished || failed ? 1 : 0);
