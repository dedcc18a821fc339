#!/usr/bin/env bash
# The web file manager in headless Chromium against a fresh `brevane serve`:
# both listing styles, folders, create, edit, rename, copy, cut, paste, batch
# delete, upload and download through the tool bar and both menus; compress
# and uncompress; sort and search; a read-only login and crafted requests are
# refused. Screenshots go to
# test-output/filemanager/. Skips without playwright-core or chromium.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lib.sh"
if [[ ! -d $root/node_modules/playwright-core || ! -x ${CHROMIUM:-/usr/bin/chromium} ]]; then
  skipped filemanager "playwright-core or chromium missing"; finish
fi
start_server
# Links that lead out of the shared folder: search and compress keep out.
mkdir -p "$WORK/outside" "$DATA/brevane_share/含链"
echo secret >"$WORK/outside/secret-乙.txt"
ln -s "$WORK/outside" "$DATA/brevane_share/外链"
ln -s "$WORK/outside" "$DATA/brevane_share/含链/out"
(cd "$root" && node "$here/filemanager_test.mjs" "$URL" "$root/test-output/filemanager")
case $? in 0) ok filemanager ;; 77) skipped filemanager ;; *) bad filemanager ;; esac
finish
