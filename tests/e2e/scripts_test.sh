#!/usr/bin/env bash
# The client script blocks in headless Chromium against a fresh `brevane
# serve`. Needs playwright-core (npm install at the repository root) and
# /usr/bin/chromium; skips without them.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
need_browser scripts
start_server
run_browser_test scripts scripts_test.mjs "$URL"
finish
