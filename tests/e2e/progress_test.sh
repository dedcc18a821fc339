#!/usr/bin/env bash
# The upload progress bar in headless Chromium against a fresh `brevane serve`
# (a 200 MiB upload through the demo form, 40 MiB through the file manager's
# upload window). Needs playwright-core and
# /usr/bin/chromium; skips without them.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
need_browser progress
start_server
run_browser_test progress progress_test.mjs "$URL" "$REPO_ROOT/test-output"
finish
