// The demo site in headless Chromium: the upload form is filled in and sent
// as a person would, and the success alert must appear. A screenshot of the
// index goes to test-output/.
// Usage: node browser_test.mjs BASE_URL OUTPUT_DIR
import { withChromium } from './browser.mjs';
import { writeFileSync, mkdirSync } from 'node:fs';
import { join } from 'node:path';

const [base, outDir] = process.argv.slice(2);
mkdirSync(outDir, { recursive: true });

let failed = false;
let skipped = false;
const finished = await withChromium(async (context, profile) => {
  const upload = join(profile, 'photo.txt');
  writeFileSync(upload, 'a file chosen in the browser\n');
  const page = await context.newPage();
  await page.goto(`${base}/index.asp`);
  await page.screenshot({ path: join(outDir, 'index.png'), fullPage: true });
  console.log(`ok   screenshot ${join(outDir, 'index.png')}`);

  await page.goto(`${base}/upload/index.asp`);
  await page.setInputFiles('#parserform input[name=file1]', upload);
  // The alert blocks the page's loading, so it is answered the moment it shows.
  const dialog = new Promise((resolve) => {
    page.once('dialog', async (d) => {
      const message = d.message();
      await d.accept();
      resolve({ message });
    });
  });
  // A page whose feature is missing says so in a note instead of alerting.
  const note = page.waitForSelector('p.note', { timeout: 30000 }).then(() => ({ note: true }), () => new Promise(() => {}));
  const timeout = new Promise((resolve) => setTimeout(() => resolve({ timeout: true }), 30000));
  await page.click('#submit1', { noWaitAfter: true });
  const outcome = await Promise.race([dialog, note, timeout]);
  if (outcome.timeout) {
    console.log('FAIL no alert within 30 s');
    failed = true;
  } else if (outcome.note) {
    console.log('FAIL the upload page says a feature is not available');
    failed = true;
  } else if (outcome.message === '上传成功！') {
    console.log('ok   success alert after choosing a file and submitting');
  } else {
    console.log(`FAIL alert text: ${outcome.message}`);
    failed = true;
  }
});
process.exit(!finished || failed ? 1 : skipped ? 77 : 0);
