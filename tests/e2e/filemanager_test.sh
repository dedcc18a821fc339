#!/usr/bin/env bash
# The web file manager in headless Chromium against a fresh `brevane serve`:
# both listing styles, folders, create, edit, rename, copy, cut, paste, batch
# delete, upload and download through the tool bar and both menus; compress
# and uncompress; sort and search; a read-only login and crafted requests are
# refused. Screenshots go to
# test-output/filemanager/. Skips without playwright-core or chromium.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
need_browser filemanager
start_server
# Links that lead out of the shared folder: search and compress keep out.
mkdir -p "$WORK/outside" "$DATA/brevane_share/含链"
echo secret >"$WORK/outside/secret-乙.txt"
ln -s "$WORK/outside" "$DATA/brevane_share/外链"
ln -s "$WORK/outside" "$DATA/brevane_share/含链/out"
run_browser_test filemanager filemanager_test.mjs "$URL" "$REPO_ROOT/test-output/filemanager"
finish
