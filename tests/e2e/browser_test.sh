#!/usr/bin/env bash
# Runs the browser test against a fresh `brevane serve`. Needs playwright-core
# (npm install at the repository root) and /usr/bin/chromium; skips without them.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lib.sh"
if [[ ! -d $root/node_modules/playwright-core || ! -x ${CHROMIUM:-/usr/bin/chromium} ]]; then
  skipped browser "playwright-core or chromium missing"; finish
fi
start_server
(cd "$root" && node "$here/browser_test.mjs" "$URL" "$root/test-output")
case $? in 0) ok browser ;; 77) skipped browser ;; *) bad browser ;; esac
finish
