#!/usr/bin/env bash
# The news list and the page chrome in headless Chromium against a fresh
# `brevane serve`. Skips without playwright-core or chromium.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lib.sh"
if [[ ! -d $root/node_modules/playwright-core || ! -x ${CHROMIUM:-/usr/bin/chromium} ]]; then
  skipped listpage_browser "playwright-core or chromium missing"; finish
fi
start_server
(cd "$root" && node "$here/listpage_browser_test.mjs" "$URL")
case $? in 0) ok listpage_browser ;; 77) skipped listpage_browser ;; *) bad listpage_browser ;; esac
finish
