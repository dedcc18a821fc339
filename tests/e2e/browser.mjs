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
