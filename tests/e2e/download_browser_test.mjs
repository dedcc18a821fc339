// The downloads page in headless Chromium: clicking the link of a file with a
// Chinese name starts a download the browser names after the file, with the
// file's bytes.
// Usage: node download_browser_test.mjs BASE_URL DEMO_FOLDER
import { withChromium } from './browser.mjs';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

const [base, folder] = process.argv.slice(2);
let failed = false;
const finished = await withChromium({ acceptDownloads: true }, async (context) => {
  const page = await context.newPage();
  await page.goto(`${base}/download/index.asp`);
  for (const [name, link] of [['说明.txt', 'a.get'], ['报表 2026.xls', 'a.viewget']]) {
    const row = page.locator('#files tr', { has: page.locator('td.name', { hasText: name }) });
    const [download] = await Promise.all([page.waitForEvent('download'), row.locator(link).click()]);
    const suggested = download.suggestedFilename();
    const saved = readFileSync(await download.path());
    const same = Buffer.compare(saved, readFileSync(join(folder, name))) === 0;
    if (suggested === name && same) {
      console.log(`ok   ${link} saves ${name} under its own name`);
    } else {
      console.log(`FAIL ${link}: suggested "${suggested}", content ${same ? 'same' : 'differs'}`);
      failed = true;
    }
  }
});
process.exit(!finished || failed ? 1 : 0);
