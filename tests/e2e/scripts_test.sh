#!/usr/bin/env bash
# The client script blocks in headless Chromium against a fresh `brevane
# serve`. Needs playwright-core (npm install at the repository root) and
# /usr/bin/chromium; skips without them.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lib.sh"
if [[ ! -d $root/node_modules/playwright-core || ! -x ${CHROMIUM:-/usr/bin/chromium} ]]; then
  skipped scripts "playwright-core or chromium missing"; finish
fi
start_server
(cd "$root" && node "$here/scripts_test.mjs" "$URL")
case $? in 0) ok scripts ;; 77) skipped scripts ;; *) bad scripts ;; esac
finish
