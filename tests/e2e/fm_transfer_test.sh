#!/usr/bin/env bash
# Drag and drop upload and the folder menu's ZIP download of the file
# manager in headless Chromium (fm_transfer_test.mjs); a screenshot of the
# progress bar goes to test-output/fm_transfer/. Skips without
# playwright-core or chromium.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lib.sh"
if [[ ! -d $root/node_modules/playwright-core || ! -x ${CHROMIUM:-/usr/bin/chromium} ]]; then
  skipped fm_transfer "playwright-core or chromium missing"; finish
fi
start_server
(cd "$root" && node "$here/fm_transfer_test.mjs" "$URL" "$DATA/brevane_share" "$root/test-output/fm_transfer")
case $? in 0) ok fm_transfer ;; 77) skipped fm_transfer ;; *) bad fm_transfer ;; esac
finish
