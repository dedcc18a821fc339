// Files dropped on the file manager's listing are uploaded into the current
// folder with a progress bar, and a folder's right-click menu downloads it
// as a ZIP; a read-only login uploads nothing. Headless Chromium.
// Usage: node fm_transfer_test.mjs BASE_URL SHARE_DIR OUTPUT_DIR
import { withChromium } from './browser.mjs';
import { readFileSync, existsSync, mkdirSync } from 'node:fs';
import { createHash } from 'node:crypto';
import { join } from 'node:path';

const [site, share, outDir] = process.argv.slice(2);
const base = `${site}/brevane`;
mkdirSync(outDir, { recursive: true });
let failures = 0;
const ok = (name) => console.log(`ok   ${name}`);
const bad = (name, why) => { failures++; console.log(`FAIL ${name}${why ? ': ' + why : ''}`); };
const check = (cond, name, why) => (cond ? ok(name) : bad(name, why));
const sha = (b) => createHash('sha256').update(b).digest('hex');
const names = async (page) => page.$$eval('input[name=files],input[name=folders]', (b) => b.map((x) => x.value));
const messages = [];

async function login(page, password) {
  await page.goto(`${base}/login.asp?act=logout`);
  await page.fill('#password', password);
  await Promise.all([page.waitForNavigation(), page.click('#loginbtn')]);
  await page.waitForURL(/netdrivers\.asp/);
}
// Opens a folder of the listing by its link (the link carries the name in
// the site's code page, which a typed URL would not).
async function open(page, name) {
  await page.evaluate((n) => {
    for (const b of document.querySelectorAll('input[name=folders]'))
      if (b.value === n) b.nextElementSibling.id = 'fm-target';
  }, name);
  await Promise.all([page.waitForNavigation(), page.click('#fm-target')]);
}
// The files, built in the page, dropped on the listing; the progress texts
// shown are kept in window.__seen.
async function drop(page, files) {
  await page.evaluate((list) => {
    const seen = [];
    const dt = new DataTransfer();
    for (const f of list) {
      const bytes = new Uint8Array(f.size);
      for (let i = 0; i < bytes.length; i++) bytes[i] = (i * 31 + f.seed) & 255;
      dt.items.add(new File([bytes], f.name, { type: 'application/octet-stream' }));
    }
    const zone = document.querySelector('div.listing table');
    new MutationObserver(() => {
      const t = document.getElementById('fm_drop_text');
      if (t && seen[seen.length - 1] !== t.textContent) seen.push(t.textContent);
    }).observe(document.body, { subtree: true, childList: true, characterData: true });
    for (const type of ['dragenter', 'dragover', 'drop'])
      zone.dispatchEvent(new DragEvent(type, { dataTransfer: dt, bubbles: true, cancelable: true }));
    window.__seen = seen;
  }, files);
}

const files = [
  { name: '拖放上传-大文件.bin', size: 24 * 1024 * 1024, seed: 7 },
  { name: 'drop small.txt', size: 1000, seed: 3 },
  { name: '报告 (2026).doc', size: 70000, seed: 11 },
];
const expected = (f) => {
  const b = Buffer.alloc(f.size);
  for (let i = 0; i < f.size; i++) b[i] = (i * 31 + f.seed) & 255;
  return sha(b);
};

const finished = await withChromium({ acceptDownloads: true, viewport: { width: 1000, height: 640 } }, async (context, profile) => {
  const page = await context.newPage();
  page.on('dialog', async (d) => { messages.push(d.message()); await d.accept(); });
  await login(page, 'admin888');
  await open(page, '项目资料');
  check((await names(page)).includes('计划.txt'), 'opens the folder');

  // ---- drop to upload ----
  const reloaded = page.waitForNavigation({ timeout: 120000 });
  await drop(page, files);
  await page.waitForSelector('#fm_drop_progress', { timeout: 10000 });
  // Read in one go: the listing reloads a moment after the end.
  const end = await (await page.waitForFunction(() => {
    const text = document.getElementById('fm_drop_text').textContent;
    if (!/上传完成|上传失败/.test(text)) return null;
    return { text, width: document.getElementById('fm_drop_bar').style.width, seen: window.__seen.slice() };
  }, null, { timeout: 120000 })).jsonValue();
  await page.screenshot({ path: join(outDir, 'drop-upload.png') }).catch(() => {});
  check(end.text.includes('上传完成，共 3 个文件'), 'the drop uploads every file', end.text);
  check(end.seen.some((t) => /^100%/.test(t)) && end.seen.some((t) => /^\d+%/.test(t)),
    'the progress bar reaches 100 %', end.seen.slice(-3).join(' | '));
  check(end.width === '100%', 'the bar is full at the end', end.width);
  await reloaded;
  await page.waitForLoadState('load');
  const listed = await names(page);
  for (const f of files) {
    check(listed.includes(f.name), `listed after the drop: ${f.name}`, listed.join(','));
    const path = join(share, '项目资料', f.name);
    check(existsSync(path) && sha(readFileSync(path)) === expected(f), `arrives intact: ${f.name}`);
  }

  // ---- folder download from the right-click menu ----
  await page.goto(`${base}/netdrivers.asp`);
  await page.evaluate(() => {
    for (const b of document.querySelectorAll('input[name=folders]'))
      if (b.value === '项目资料') b.nextElementSibling.id = 'fm-folder';
  });
  await page.click('#fm-folder', { button: 'right' });
  const item = page.locator('#zeltoPopMenu tr.zeltoPopItem', { hasText: '打包下载' }).first();
  const [download] = await Promise.all([page.waitForEvent('download', { timeout: 60000 }), item.click()]);
  const saved = join(profile, 'folder.zip');
  await download.saveAs(saved);
  const zip = readFileSync(saved);
  check(download.suggestedFilename() === '项目资料.zip', 'the ZIP is named after the folder', download.suggestedFilename());
  check(zip.subarray(0, 4).toString('latin1') === 'PK\x03\x04' &&
        zip.includes(Buffer.from('项目资料/2026/')) && zip.includes(Buffer.from('项目资料/drop small.txt')),
        'the folder menu downloads the folder as a ZIP');

  // ---- read-only ----
  await login(page, 'guest');
  await open(page, '项目资料');
  const before = messages.length;
  const told = page.waitForEvent('dialog');
  await drop(page, [{ name: 'readonly-drop.txt', size: 100, seed: 1 }]);
  await told;
  check(messages.length > before && messages[messages.length - 1].includes('只读共享'),
    'a read-only login is told and uploads nothing', messages.slice(before).join('|'));
  check(!existsSync(join(share, '项目资料', 'readonly-drop.txt')), 'nothing lands for a read-only login');
});
process.exit(!finished || failures ? 1 : 0);
