#!/usr/bin/env bash
# A 1 GiB download through CommFileDownload: intact (checksum) while the
# host's peak resident memory (VmHWM) stays under 64 MiB. Slow: labelled
# "slow" and left out of the default test run.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lib.sh"
size_mib=${BREVANE_LARGE_MIB:-1024}
limit_kib=$((64 * 1024))
start_server

big=$DATA/DownFile/big.bin
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$big"
want=$(sha256sum <"$big" | cut -d' ' -f1)
before=$(awk '/VmHWM/ {print $2}' "/proc/$SERVER_PID/status")
stats=$(curl -s -o "$WORK/got" -w '%{http_code} %{time_total} %{speed_download}' \
  "$URL/download/get.asp?file=/DownFile/big.bin")
read -r status seconds speed <<<"$stats"
peak=$(awk '/VmHWM/ {print $2}' "/proc/$SERVER_PID/status")
got=$(sha256sum <"$WORK/got" | cut -d' ' -f1)
rm -f "$WORK/got"
mib_per_s=$(awk -v b="$speed" 'BEGIN {printf "%.1f", b / 1048576}')
report="download of ${size_mib} MiB: status $status, ${seconds}s, ${mib_per_s} MiB/s; host peak RSS ${peak} KiB (at start ${before} KiB)"
echo "$report"
mkdir -p "$root/test-output" && echo "$report" >"$root/test-output/large_download.txt"
((peak < limit_kib)) && ok "peak resident memory under 64 MiB" || bad "peak resident memory" "$peak KiB"
[[ $status == 200 && $got == "$want" ]] && ok "1 GiB file arrives intact" || bad "download checksum" "$status"
finish
