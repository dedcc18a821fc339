#!/usr/bin/env bash
# The news list and the page chrome in headless Chromium against a fresh
# `brevane serve`. Skips without playwright-core or chromium.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
need_browser listpage_browser
start_server
run_browser_test listpage_browser listpage_browser_test.mjs "$URL"
finish
