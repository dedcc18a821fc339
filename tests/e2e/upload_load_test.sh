#!/usr/bin/env bash
# 100 uploads at once through the demo's upload page, two files (1 KiB to
# 64 MiB, Chinese names) and two fields each: every saved file matches what
# its own upload sent, nothing is lost or mixed between uploads, and the
# host's peak resident memory stays under 128 MiB. Slow (about 700 MiB).
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
command -v python3 >/dev/null || { echo "no python3"; exit 77; }
count=${BREVANE_LOAD_UPLOADS:-100}
mkdir -p "$WORK/tmp"
export TMPDIR=$WORK/tmp
start_server
hostport=${URL#http://}

python3 "$here/upload_load.py" "${hostport%:*}" "${hostport##*:}" "$DATA/UploadFile" "$count" >"$WORK/results"
failed=$(grep -c '^FAIL' "$WORK/results")
((failed == 0)) && ok "$count concurrent uploads saved intact with their own fields" ||
  bad "concurrent uploads" "$failed failed: $(grep '^FAIL' "$WORK/results" | head -5)"
# Every saved name appears once: no two uploads wrote the same file.
names=$(awk '$1 == "ok" {print $3; print $4}' "$WORK/results" | sort)
[[ $(uniq <<<"$names" | wc -l) == $((2 * (count - failed))) ]] && ok "each file saved under its own name" ||
  bad "saved names shared" "$(uniq -d <<<"$names" | head -3)"
[[ -z $(find "$WORK/tmp" -type f | head -1) ]] && ok "no temporary file left" ||
  bad "temporary files left" "$(find "$WORK/tmp" -type f | head -3)"

peak=$(awk '/VmHWM/ {print $2}' "/proc/$SERVER_PID/status")
echo "host peak RSS ${peak} KiB"
((peak < 128 * 1024)) && ok "peak resident memory under 128 MiB" || bad "peak resident memory" "$peak KiB"
fetch --max-time 10 "$URL/index.asp"
[[ $STATUS == 200 ]] && ok "the host still serves" || bad "page after the load" "status $STATUS"
finish
