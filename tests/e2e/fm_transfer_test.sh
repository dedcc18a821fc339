#!/usr/bin/env bash
# Drag and drop upload and the folder menu's ZIP download of the file
# manager in headless Chromium (fm_transfer_test.mjs); a screenshot of the
# progress bar goes to test-output/fm_transfer/. Skips without
# playwright-core or chromium.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
need_browser fm_transfer
start_server
run_browser_test fm_transfer fm_transfer_test.mjs "$URL" "$DATA/brevane_share" "$REPO_ROOT/test-output/fm_transfer"
finish
