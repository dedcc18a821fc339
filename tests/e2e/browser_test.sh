#!/usr/bin/env bash
# Runs the browser test against a fresh `brevane serve`. Needs playwright-core
# (npm install at the repository root) and /usr/bin/chromium; skips without them.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
need_browser browser
start_server
run_browser_test browser browser_test.mjs "$URL" "$REPO_ROOT/test-output"
finish
