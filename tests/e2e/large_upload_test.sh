#!/usr/bin/env bash
# A 1 GiB upload through the demo's upload page: saved intact (checksum)
# while the host's peak resident memory (VmHWM) stays under 64 MiB. Slow:
# labelled "slow" and left out of the default test run.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lib.sh"
size_mib=${BREVANE_LARGE_MIB:-1024}
limit_kib=$((64 * 1024))
start_server

big=$WORK/big.bin
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$big"
want=$(sha256sum <"$big" | cut -d' ' -f1)
before=$(awk '/VmHWM/ {print $2}' "/proc/$SERVER_PID/status")

stats=$(curl -s -o "$WORK/raw" -w '%{http_code} %{time_total} %{speed_upload}' -e "$URL/upload/index.asp" \
  -F "title=large" -F "file1=@$big" "$URL/upload/save.asp")
utf8 <"$WORK/raw" >"$WORK/body"
read -r status seconds speed <<<"$stats"
peak=$(awk '/VmHWM/ {print $2}' "/proc/$SERVER_PID/status")
mib_per_s=$(awk -v b="$speed" 'BEGIN {printf "%.1f", b / 1048576}')
report="upload of ${size_mib} MiB: status $status, ${seconds}s, ${mib_per_s} MiB/s; host peak RSS ${peak} KiB (at start ${before} KiB)"
echo "$report"
mkdir -p "$root/test-output" && echo "$report" >"$root/test-output/large_upload.txt"

((peak < limit_kib)) && ok "peak resident memory under 64 MiB" || bad "peak resident memory" "$peak KiB"
if not_available; then
  bad "saved intact" "$(grep -o 'not available yet[^<]*' "$WORK/body")"
else
  name=$(grep -o '<li class=file>[^<]*' "$WORK/body" | head -1 | cut -d'|' -f3)
  got=$( [[ -n $name ]] && sha256sum <"$DATA/UploadFile/$name" | cut -d' ' -f1)
  [[ $got == "$want" ]] && ok "1 GiB file saved intact" || bad "saved file checksum" "$name $(head -c 300 "$WORK/body")"
fi
finish
