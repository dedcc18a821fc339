#!/usr/bin/env bash
# The file manager's listing of a large folder: 10,000 files beside 10
# sub-folders holding 100,000 files in all (their sizes are summed, so the
# whole tree is walked). Times the main page in both styles through
# `brevane serve` against `ls -l` plus `du -s` of the same folder, in the
# same run (each the best of three), and prints the ratio.
# Usage: bench/listing.sh [path/to/brevane]   (default build/dev/brevane)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
BREVANE=${1:-$root/build/dev/brevane}
work=$(mktemp -d "${TMPDIR:-/tmp}/brevane-listing.XXXXXX")
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$work"' EXIT
"$BREVANE" serve --host 127.0.0.1 --port 0 --data "$work/data" >"$work/out" 2>"$work/log" &
pid=$!
for _ in $(seq 200); do url=$(grep -o 'http://[0-9.:]*' "$work/out" 2>/dev/null) && break; sleep 0.05; done
big=$work/data/brevane_share/big
mkdir -p "$big"
(cd "$big" && seq -f 'file%05g.txt' 1 10000 | xargs touch)
for d in $(seq 0 9); do
  mkdir -p "$big/sub$d"
  (cd "$big/sub$d" && seq -f 'f%05g.dat' 1 10000 | xargs touch)
done
jar=$work/cookies
curl -s -c "$jar" -b "$jar" -d password=admin888 "$url/brevane/login.asp?act=login" -o /dev/null

now() { date +%s.%N; }
# Best of three: the machine may be busy with other work.
time_it() {
  local best='' t0 t
  for _ in 1 2 3; do
    t0=$(now); "$@" >/dev/null 2>&1; t=$(echo "$(now) - $t0" | bc)
    if [[ -z $best ]] || (( $(echo "$t < $best" | bc) )); then best=$t; fi
  done
  echo "$best"
}
# CPU seconds as well: on a busy machine they vary far less than the clock.
tick=$(getconf CLK_TCK)
server_cpu() { awk -v t="$tick" '{printf "%.3f", ($14 + $15) / t}' "/proc/$pid/stat"; }
cpu_of_page() {
  local c0; c0=$(server_cpu); curl -s -b "$jar" "$1" >/dev/null; echo "$(server_cpu) - $c0" | bc
}
sync
tools=$(time_it sh -c "ls -l '$big' && du -s '$big'")
TIMEFORMAT='%3U %3S'
tools_cpu=$( { time sh -c "ls -l '$big' && du -s '$big'" >/dev/null 2>&1; } 2>&1 | awk '{print $1 + $2}')
grid=$(time_it curl -s -b "$jar" "$url/brevane/netdrivers.asp?p_FileListStyle=1&p_CurrentFolder=/big/")
details=$(time_it curl -s -b "$jar" "$url/brevane/netdrivers.asp?p_FileListStyle=2&p_CurrentFolder=/big/")
grid_cpu=$(cpu_of_page "$url/brevane/netdrivers.asp?p_FileListStyle=1&p_CurrentFolder=/big/")
details_cpu=$(cpu_of_page "$url/brevane/netdrivers.asp?p_FileListStyle=2&p_CurrentFolder=/big/")
ratio() { echo "$1 / $2" | bc -l; }
printf 'ls -l + du -s : %.3f s  cpu %.3f s\n' "$tools" "$tools_cpu"
printf 'icons listing : %.3f s  cpu %.3f s  (ratio %.2f, cpu %.2f)\n' "$grid" "$grid_cpu" "$(ratio "$grid" "$tools")" \
  "$(ratio "$grid_cpu" "$tools_cpu")"
printf 'details list  : %.3f s  cpu %.3f s  (ratio %.2f, cpu %.2f)\n' "$details" "$details_cpu" \
  "$(ratio "$details" "$tools")" "$(ratio "$details_cpu" "$tools_cpu")"
