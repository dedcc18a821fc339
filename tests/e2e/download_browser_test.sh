#!/usr/bin/env bash
# Chromium saves a download with a Chinese name under that name. Needs
# playwright-core (npm install at the repository root) and /usr/bin/chromium;
# skips without them.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
need_browser download_browser
start_server
run_browser_test download_browser download_browser_test.mjs "$URL" "$DATA/DownFile"
finish
