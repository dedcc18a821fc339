# Shared by the end-to-end scripts: starts `brevane serve` on a free loopback
# port with a fresh data folder and stops it on exit.
# Needs BREVANE (the program). Sets URL, SERVER_PID, DATA, WORK.
set -u
WORK=$(mktemp -d "${TMPDIR:-/tmp}/brevane-e2e.XXXXXX")
DATA=$WORK/data
pass=0; fail=0; skip=0

start_server() {  # extra arguments go to `brevane serve`
  URL=
  # Gone before the start: a restarted server's output file could otherwise
  # still show the last one's address when it is first read.
  rm -f "$WORK/serve.out"
  "$BREVANE" serve --host 127.0.0.1 --port 0 --data "$DATA" "$@" >"$WORK/serve.out" 2>"$WORK/serve.log" &
  SERVER_PID=$!
  for _ in $(seq 600); do  # 30 s: a debug build starts slowly on a loaded machine
    URL=$(grep -o 'https\?://[0-9.:]*' "$WORK/serve.out" 2>/dev/null) && break
    kill -0 "$SERVER_PID" 2>/dev/null || break
    sleep 0.05
  done
  [[ -n ${URL:-} ]] || { echo "FAIL server did not start"; cat "$WORK/serve.log"; exit 1; }
}

stop_server() {
  if [[ -n ${SERVER_PID:-} ]]; then kill "$SERVER_PID" 2>/dev/null; wait "$SERVER_PID" 2>/dev/null; fi
  rm -rf "$WORK"
}
trap stop_server EXIT

ok() { pass=$((pass+1)); echo "ok   $1"; }
bad() { fail=$((fail+1)); echo "FAIL $1${2:+: $2}"; }
skipped() { skip=$((skip+1)); echo "skip $1${2:+: $2}"; }
# Pages answer in the site's code page; tests compare in UTF-8.
utf8() { iconv -f GBK -t UTF-8 -c; }
# GET a page: body (UTF-8) into $WORK/body, status into STATUS.
fetch() { STATUS=$(curl -s -o "$WORK/raw" -w '%{http_code}' "$@"); utf8 <"$WORK/raw" >"$WORK/body"; }
not_available() { grep -q 'not available yet' "$WORK/body"; }

finish() {
  # A sanitizer build of the host reports to its log.
  if grep -q 'Sanitizer' "$WORK/serve.log" 2>/dev/null; then cat "$WORK/serve.log"; bad "sanitizer report"; fi
  echo "$pass passed, $fail failed, $skip skipped"
  ((fail == 0)) || exit 1
  ((skip == 0)) || exit 77
  exit 0
}

# ---- browser tests (playwright-core driving the system Chromium) ----
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
REPO_ROOT=$(cd "$E2E_DIR/../.." && pwd)
browser_available() { [[ -d $REPO_ROOT/node_modules/playwright-core && -x ${CHROMIUM:-/usr/bin/chromium} ]]; }
# Ends the script as skipped (under NAME) when no browser can be driven.
need_browser() { browser_available || { skipped "$1" "playwright-core or chromium missing"; finish; }; }
# Runs tests/e2e/SCRIPT with the given arguments from the repository root and
# records its exit status under NAME (77: skipped).
run_browser_test() {
  local name=$1 script=$2
  shift 2
  (cd "$REPO_ROOT" && node "$E2E_DIR/$script" "$@")
  case $? in 0) ok "$name" ;; 77) skipped "$name" ;; *) bad "$name" ;; esac
}
