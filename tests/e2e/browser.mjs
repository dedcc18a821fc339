// Headless Chromium as every browser test starts it: a fresh profile folder,
// nothing that reaches out on its own. Options go to Playwright as they are;
// extraArgs add command-line switches.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromium } from 'playwright-core';

function launchChromium(profile, options = {}, extraArgs = []) {
  return chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    ...options,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', ...extraArgs],
  });
}

// A click that loads another page, returning once that page has loaded: on a
// slow server (a sanitizer build) checks must not read a half-made page.
export function clickToLoad(page, selector) {
  return Promise.all([page.waitForNavigation({ timeout: 30000 }), page.click(selector)]);
}

// Runs one browser test: `body` gets a context on a fresh profile, made with
// `options` (Playwright's, plus `chromiumArgs`: extra switches), and the
// profile's folder (a scratch folder too). What it
// throws is reported as a failure; the browser and the profile go either
// way. True when `body` ran to its end.
export async function withChromium(options, body) {
  if (typeof options === 'function') [options, body] = [{}, options];
  const { chromiumArgs = [], ...contextOptions } = options;
  const profile = mkdtempSync(join(tmpdir(), 'brevane-chromium-'));
  const context = await launchChromium(profile, contextOptions, chromiumArgs);
  try {
    await body(context, profile);
    return true;
  } catch (e) {
    console.log(`FAIL ${e.stack || e.message}`);
    return false;
  } finally {
    await context.close();
    rmSync(profile, { recursive: true, force: true });
  }
}
