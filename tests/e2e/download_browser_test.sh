#!/usr/bin/env bash
# Chromium saves a download with a Chinese name under that name. Needs
# playwright-core (npm install at the repository root) and /usr/bin/chromium;
# skips without them.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lib.sh"
if [[ ! -d $root/node_modules/playwright-core || ! -x ${CHROMIUM:-/usr/bin/chromium} ]]; then
  skipped download_browser "playwright-core or chromium missing"; finish
fi
start_server
(cd "$root" && node "$here/download_browser_test.mjs" "$URL" "$DATA/DownFile")
case $? in 0) ok download_browser ;; 77) skipped download_browser ;; *) bad download_browser ;; esac
finish
