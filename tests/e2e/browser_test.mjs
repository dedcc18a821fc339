// The demo site in headless Chromium: the upload form is filled in and sent
// as a person would, and the success alert must appear. A screenshot of the
// index goes to test-output/.
// Usage: node browser_test.mjs BASE_URL OUTPUT_DIR
import { chromium } from 'playwright-core';
import { mkdtempSync, rmSync, writeFileSync, mkdirSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const [base, outDir] = process.argv.slice(2);
mkdirSync(outDir, { recursive: true });
const profile = mkdtempSync(join(tmpdir(), 'brevane-chromium-'));
const upload = join(profile, 'photo.txt');
writeFileSync(upload, 'a file chosen in the browser\n');

const context = await chromium.launchPersistentContext(profile, {
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync'],
});
let failed = false;
let skipped = false;
try {
  const page = await context.newPage();
  await page.goto(`${base}/index.asp`);
  await page.screenshot({ path: join(outDir, 'index.png'), fullPage: true });
  console.log(`ok   screenshot ${join(outDir, 'index.png')}`);

  await page.goto(`${base}/upload/index.asp`);
  await page.setInputFiles('#parserform input[name=file1]', upload);
  const dialog = page.waitForEvent('dialog', { timeout: 15000 }).then((d) => ({ d }), (e) => ({ error: e }));
  // Until the upload classes are built the page says so instead of alerting.
  const note = page.waitForSelector('p.note', { timeout: 15000 }).then(() => ({ note: true }), () => new Promise(() => {}));
  await page.click('#submit1');
  const outcome = await Promise.race([dialog, note]);
  if (outcome.error) throw outcome.error;
  if (outcome.note) {
    console.log('skip upload alert: the upload classes are not available yet');
    skipped = true;
  } else {
    const message = outcome.d.message();
    await outcome.d.accept();
    if (message === '上传成功！') console.log('ok   success alert after choosing a file and submitting');
    else { console.log(`FAIL alert text: ${message}`); failed = true; }
  }
} catch (e) {
  console.log(`FAIL ${e.message}`);
  failed = true;
} finally {
  await context.close();
  rmSync(profile, { recursive: true, force: true });
}
process.exit(failed ? 1 : skipped ? 77 : 0);
