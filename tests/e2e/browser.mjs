// Headless Chromium as every browser test starts it: a fresh profile folder,
// nothing that reaches out on its own. Options go to Playwright as they are;
// extraArgs add command-line switches.
import { chromium } from 'playwright-core';

export function launchChromium(profile, options = {}, extraArgs = []) {
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
