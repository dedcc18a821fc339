#!/usr/bin/env bash
# The upload progress bar in headless Chromium against a fresh `brevane serve`
# (a 200 MiB upload through the demo form, 40 MiB through the file manager's
# upload window). Needs playwright-core and
# /usr/bin/chromium; skips without them.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lib.sh"
if [[ ! -d $root/node_modules/playwright-core || ! -x ${CHROMIUM:-/usr/bin/chromium} ]]; then
  skipped progress "playwright-core or chromium missing"; finish
fi
start_server
(cd "$root" && node "$here/progress_test.mjs" "$URL" "$root/test-output")
case $? in 0) ok progress ;; *) bad progress ;; esac
finish
