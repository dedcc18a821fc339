#!/usr/bin/env bash
# The field, calendar and tab demos in headless Chromium (fields_browser.mjs).
# Needs playwright-core (npm install at the repository root) and
# /usr/bin/chromium; skips without them.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
need_browser fields_browser
start_server
run_browser_test fields_browser fields_browser.mjs "$URL" "$REPO_ROOT/test-output"
finish
