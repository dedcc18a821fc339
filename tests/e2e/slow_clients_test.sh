#!/usr/bin/env bash
# The host under clients that hold their connections: 200 that trickle a
# request body and 200 that send nothing must not keep a page from
# answering, and are closed after the time-out while the host's threads and
# memory stay bounded; a client that drops in the middle of an upload leaves
# no temporary file, no partial saved file and no stuck worker.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
command -v python3 >/dev/null || { echo "no python3"; exit 77; }
mkdir -p "$WORK/tmp"
export TMPDIR=$WORK/tmp
start_server --timeout 4
hostport=${URL#http://}
host=${hostport%:*} port=${hostport##*:}
status() { awk -v k="$1:" '$1 == k {print $2}' "/proc/$SERVER_PID/status"; }

python3 "$here/slow_clients.py" trickle "$host" "$port" 200 15 >"$WORK/trickle" &
trickler=$!
for _ in $(seq 300); do grep -q ready "$WORK/trickle" && break; sleep 0.1; done
sleep 1
fetch --max-time 10 "$URL/index.asp"
[[ $STATUS == 200 ]] && ok "a page answers beside 400 silent and trickling clients" ||
  bad "page beside trickling clients" "status $STATUS"
threads=$(status Threads) rss=$(status VmRSS)
echo "host with 400 held connections: $threads threads, $rss KiB resident"
((threads <= 512 + 8)) && ok "threads bounded by the workers" || bad "threads" "$threads"
# Sanitizer builds carry their own shadow memory.
if ldd "$BREVANE" | grep -q 'lib[at]san'; then echo "memory not checked under a sanitizer"
elif ((rss < 64 * 1024)); then ok "memory bounded"; else bad "resident memory" "$rss KiB"; fi
wait "$trickler"
read -r _ _ trickling _ idle < <(grep closed: "$WORK/trickle")
[[ $trickling == 200/200 && $idle == 200/200 ]] && ok "trickling and idle connections closed after the time-out" ||
  bad "connections closed" "$(cat "$WORK/trickle")"
grep -q ' 408 .*body too slow' "$WORK/serve.log" && ok "a trickled body is answered 408" ||
  bad "408 for a trickled body" "$(tail -3 "$WORK/serve.log")"

saved_before=$(find "$DATA/UploadFile" -type f | wc -l)
python3 "$here/slow_clients.py" drop "$host" "$port" $((200 << 20)) $((32 << 20))
left=
for _ in $(seq 50); do
  left=$(find "$WORK/tmp" -type f | head -3)
  [[ -z $left ]] && grep -q 'POST /upload/save.asp 4[0-9][0-9]' "$WORK/serve.log" && break
  sleep 0.2
done
[[ -z $left ]] && ok "a dropped upload leaves no temporary file" || bad "temporary files left" "$left"
grep -q 'POST /upload/save.asp 4[0-9][0-9]' "$WORK/serve.log" && ok "the dropped upload's worker finished" ||
  bad "dropped upload still held" "$(tail -3 "$WORK/serve.log")"
[[ $(find "$DATA/UploadFile" -type f | wc -l) == "$saved_before" ]] && ok "no partial file saved" ||
  bad "partial file saved" "$(ls -t "$DATA/UploadFile" | head -2)"

printf 'after the drop' >"$WORK/small.txt"
fetch --max-time 10 -e "$URL/upload/index.asp" -F "file1=@$WORK/small.txt" "$URL/upload/save.asp"
name=$(grep -o '<li class=file>[^<]*' "$WORK/body" | head -1 | cut -d'|' -f3)
[[ $STATUS == 200 && -n $name ]] && cmp -s "$WORK/small.txt" "$DATA/UploadFile/$name" &&
  ok "the next upload works" || bad "upload after the drop" "status $STATUS $(head -c 300 "$WORK/body")"
finish
