// The upload progress bar in headless Chromium: a 200 MiB file sent with the
// demo upload form; the bar (fed by the host's /brevane-progress answers)
// must move through the middle up to 100 %, and the page must then report
// success; the file manager's upload window shows the same bar. The upload
// is throttled so the bar is seen on its way; a
// screenshot of it half-way goes to OUTPUT_DIR/progress/.
// Usage: node progress_test.mjs BASE_URL OUTPUT_DIR
import { withChromium } from './browser.mjs';
import { mkdirSync, openSync, ftruncateSync, closeSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

const [base, outDir] = process.argv.slice(2);
const shots = join(outDir, 'progress');
mkdirSync(shots, { recursive: true });
const size = 200 * 1024 * 1024;

let failed = false;
const check = (name, cond, detail) => {
  console.log(`${cond ? 'ok  ' : 'FAIL'} ${name}${!cond && detail !== undefined ? ': ' + JSON.stringify(detail) : ''}`);
  if (!cond) failed = true;
};
const finished = await withChromium(async (context, profile) => {
  const upload = join(profile, 'big.bin');
  const fd = openSync(upload, 'w');
  ftruncateSync(fd, size);
  closeSync(fd);
  const page = await context.newPage();
  const bad = await page.request.get(`${base}/brevane-progress?token=a%20b`);
  check('progress endpoint refuses a malformed token', bad.status() === 400, bad.status());
  const unknown = await (await page.request.get(`${base}/brevane-progress?token=nothing-yet`)).json();
  check('an unknown token is waiting', unknown.state === 'waiting' && unknown.received === 0, unknown);

  const cdp = await context.newCDPSession(page);
  await cdp.send('Network.enable');
  await cdp.send('Network.emulateNetworkConditions',
    { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: 50 * 1024 * 1024 });

  // Every change of the bar is reported from the page as it happens: the
  // page is busy sending its form, and an evaluate would wait for the answer.
  const seen = [];
  let current = seen;
  let shot = null;
  await page.exposeFunction('brevaneBar', (bar) => {
    if (current !== seen) {
      if (!current.length || current[current.length - 1].percent !== bar.percent) current.push(bar);
      return;
    }
    if (!seen.length || seen[seen.length - 1].percent !== bar.percent) seen.push(bar);
    if (!shot && bar.percent >= 30 && bar.percent <= 70) {
      // Straight through the protocol: the page's own screenshot waits for
      // the navigation the form has started.
      shot = cdp.send('Page.captureScreenshot', { format: 'png' }).then((r) => {
        writeFileSync(join(shots, 'progress-bar.png'), Buffer.from(r.data, 'base64'));
        console.log(`note screenshot at ${bar.percent} %: ${join(shots, 'progress-bar.png')} (${bar.text})`);
        return true;
      }, (e) => { console.log(`note screenshot: ${e.message}`); return false; });
    }
  });
  await page.goto(`${base}/upload/index.asp`);
  // The bar is the element the script puts right after the form.
  const observe = (form) => {
    const el = form.nextElementSibling;
    new MutationObserver(() => {
      const text = el.querySelector('.brevane-progress-text');
      window.brevaneBar({ percent: Number(el.dataset.percent), state: el.dataset.state, text: text ? text.textContent : '',
                          action: form.getAttribute('action') });
    }).observe(el, { attributes: true, subtree: true, childList: true, characterData: true });
  };
  await page.locator('form#parserform').evaluate(observe);
  await page.setInputFiles('#parserform input[name=file1]', upload);
  const alert = new Promise((resolve) => page.once('dialog', async (d) => { resolve(d.message()); await d.accept(); }));
  await page.click('#submit1', { noWaitAfter: true });
  const message = await Promise.race([alert, new Promise((r) => setTimeout(() => r(null), 180000))]);
  const shotTaken = shot ? await shot : false;
  const percents = seen.map((b) => b.percent);
  console.log(`note bar values: ${percents.join(' ')}`);
  const middle = percents.filter((p) => p > 0 && p < 100);
  check('the bar moved through the middle', middle.length >= 3, percents);
  check('the bar never went back', percents.every((p, i) => i === 0 || p >= percents[i - 1]), percents);
  // The host's own count once the page has answered: every byte, done.
  const token = seen.length ? (seen[seen.length - 1].action.match(/brevane_progress=([\w-]+)/) || [])[1] : undefined;
  const final = token ? await (await page.request.get(`${base}/brevane-progress?token=${token}`)).json() : {};
  check('the host counted the whole body', final.state === 'done' && final.received === final.total &&
        final.total > size, final);
  // On a busy machine the answer can replace the page between the last two
  // polls: the bar then stops just short, and the host's count (above) has
  // the rest.
  const nearEnd = (ps) => ps.includes(100) || Math.max(...ps) >= 90;
  check('the bar reached 100 %', percents.includes(100) || (nearEnd(percents) && final.state === 'done'), percents);
  const withSpeed = seen.find((b) => b.state === 'receiving' && /速度 .+\/s/.test(b.text) && /剩余 \d+:\d\d/.test(b.text));
  check('speed and time left are shown', withSpeed !== undefined, seen.slice(0, 3));
  check('a screenshot was taken half-way', shotTaken);
  check('the page reports the upload saved', message === '上传成功！', message);

  // The file manager's upload window (a frame over the listing) has the same bar.
  const fmSeen = [];
  current = fmSeen;
  const fmFile = join(profile, 'fm-progress.bin');
  const fd2 = openSync(fmFile, 'w');
  ftruncateSync(fd2, 40 * 1024 * 1024);
  closeSync(fd2);
  await cdp.send('Network.emulateNetworkConditions',
    { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: 10 * 1024 * 1024 });
  await page.goto(`${base}/brevane/netdrivers.asp`);
  await page.fill('#password', 'admin888');
  await Promise.all([page.waitForNavigation(), page.click('#loginbtn')]);
  await page.click('a[title="上传文件"]');
  const frame = await (await page.waitForSelector('iframe', { timeout: 15000 })).contentFrame();
  await frame.waitForSelector('#file1');
  await frame.locator('form').first().evaluate(observe);
  await frame.setInputFiles('#file1', fmFile);
  await frame.click('#uploadbtn', { noWaitAfter: true });
  const fmEnd = Date.now() + 60000;
  while (Date.now() < fmEnd && !fmSeen.some((b) => b.percent === 100)) await new Promise((r) => setTimeout(r, 100));
  const fmPercents = fmSeen.map((b) => b.percent);
  console.log(`note file manager bar values: ${fmPercents.join(' ')}`);
  check('the file manager upload window shows the bar moving to 100 %',
        fmPercents.filter((p) => p > 0 && p < 100).length >= 2 && nearEnd(fmPercents), fmPercents);
});
process.exit(!finished || failed ? 1 : 0);
