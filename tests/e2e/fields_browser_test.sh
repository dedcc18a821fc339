#!/usr/bin/env bash
# The field, calendar and tab demos in headless Chromium (fields_browser.mjs).
# Needs playwright-core (npm install at the repository root) and
# /usr/bin/chromium; skips without them.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lib.sh"
if [[ ! -d $root/node_modules/playwright-core || ! -x ${CHROMIUM:-/usr/bin/chromium} ]]; then
  skipped fields_browser "playwright-core or chromium missing"; finish
fi
start_server
(cd "$root" && node "$here/fields_browser.mjs" "$URL" "$root/test-output")
case $? in 0) ok fields_browser ;; 77) skipped fields_browser ;; *) bad fields_browser ;; esac
finish
