// The upload progress bar in headless Chromium: a 200 MiB file sent with the
// demo upload form; the bar (fed by the host's /brevane-progress answers)
// must move through the middle up to 100 %, and the page must then report
// success. The upload is throttled so the bar is seen on its way; a
// screenshot of it half-way goes to OUTPUT_DIR/progress/.
// Usage: node progress_test.mjs BASE_URL OUTPUT_DIR
import { chromium } from 'playwright-core';
import { mkdtempSync, rmSync, mkdirSync, openSync, ftruncateSync, closeSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const [base, outDir] = process.argv.slice(2);
const shots = join(outDir, 'progress');
mkdirSync(shots, { recursive: true });
const profile = mkdtempSync(join(tmpdir(), 'brevane-chromium-'));
const upload = join(profile, 'big.bin');
const size = 200 * 1024 * 1024;
const fd = openSync(upload, 'w');
ftruncateSync(fd, size);
closeSync(fd);

const context = await chromium.launchPersistentContext(profile, {
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync'],
});
let failed = false;
const check = (name, cond, detail) => {
  console.log(`${cond ? 'ok  ' : 'FAIL'} ${name}${!cond && detail !== undefined ? ': ' + JSON.stringify(detail) : ''}`);
  if (!cond) failed = true;
};
try {
  const page = await context.newPage();
  const bad = await page.request.get(`${base}/brevane-progress?token=a%20b`);
  check('progress endpoint refuses a malformed token', bad.status() === 400, bad.status());
  const unknown = await (await page.request.get(`${base}/brevane-progress?token=nothing-yet`)).json();
  check('an unknown token is waiting', unknown.state === 'waiting' && unknown.received === 0, unknown);

  const cdp = await context.newCDPSession(page);
  await cdp.send('Network.enable');
  await cdp.send('Network.emulateNetworkConditions',
    { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: 50 * 1024 * 1024 });

  await page.goto(`${base}/upload/index.asp`);
  await page.setInputFiles('#parserform input[name=file1]', upload);
  let alert = null;
  page.on('dialog', async (d) => { alert = d.message(); await d.accept(); });
  await page.click('#submit1', { noWaitAfter: true });

  const seen = [];
  let shot = false;
  const deadline = Date.now() + 180000;
  while (alert === null && Date.now() < deadline) {
    let bar = null;
    try {
      bar = await page.evaluate(() => {
        const el = document.querySelector('.brevane-progress');
        return el && { percent: Number(el.dataset.percent), state: el.dataset.state,
                       text: el.querySelector('.brevane-progress-text').textContent };
      });
    } catch (e) {
      // The answer is replacing the page.
    }
    if (bar) {
      if (!seen.length || seen[seen.length - 1].percent !== bar.percent) seen.push(bar);
      if (!shot && bar.percent >= 30 && bar.percent <= 70) {
        shot = true;
        await page.locator('form#parserform').evaluate((f) => f.scrollIntoView());
        await page.screenshot({ path: join(shots, 'progress-bar.png') });
        console.log(`ok   screenshot at ${bar.percent} %: ${join(shots, 'progress-bar.png')} (${bar.text})`);
      }
    }
    await new Promise((r) => setTimeout(r, 100));
  }
  const percents = seen.map((b) => b.percent);
  console.log(`note bar values: ${percents.join(' ')}`);
  const middle = percents.filter((p) => p > 0 && p < 100);
  check('the bar moved through the middle', middle.length >= 3, percents);
  check('the bar never went back', percents.every((p, i) => i === 0 || p >= percents[i - 1]), percents);
  check('the bar reached 100 %', percents.includes(100), percents);
  const withSpeed = seen.find((b) => b.state === 'receiving' && /速度 .+\/s/.test(b.text) && /剩余 \d+:\d\d/.test(b.text));
  check('speed and time left are shown', withSpeed !== undefined, seen.slice(0, 3));
  check('a screenshot was taken half-way', shot);
  check('the page reports the upload saved', alert === '上传成功！', alert);
} catch (e) {
  console.log(`FAIL ${e.message}`);
  failed = true;
} finally {
  await context.close();
  rmSync(profile, { recursive: true, force: true });
}
process.exit(failed ? 1 : 0);
