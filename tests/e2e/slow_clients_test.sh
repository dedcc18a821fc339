#!/usr/bin/env bash
# The host under clients that hold their connections: 200 that trickle a
# request body must not keep a page from answering, and a client that drops
# in the middle of an upload leaves no temporary file and no stuck worker.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
command -v python3 >/dev/null || { echo "no python3"; exit 77; }
mkdir -p "$WORK/tmp"
export TMPDIR=$WORK/tmp
start_server
hostport=${URL#http://}
host=${hostport%:*} port=${hostport##*:}

python3 "$here/slow_clients.py" trickle "$host" "$port" 200 20 &
trickler=$!
sleep 3
fetch --max-time 10 "$URL/index.asp"
[[ $STATUS == 200 ]] && ok "a page answers beside 200 trickling clients" || bad "page beside trickling clients" "status $STATUS"
kill "$trickler" 2>/dev/null; wait "$trickler" 2>/dev/null

python3 "$here/slow_clients.py" drop "$host" "$port" $((200 << 20)) $((32 << 20))
left=
for _ in $(seq 50); do
  left=$(find "$WORK/tmp" -type f | head -3)
  [[ -z $left ]] && break
  sleep 0.2
done
[[ -z $left ]] && ok "a dropped upload leaves no temporary file" || bad "temporary files left" "$left"

printf 'after the drop' >"$WORK/small.txt"
fetch --max-time 10 -e "$URL/upload/index.asp" -F "file1=@$WORK/small.txt" "$URL/upload/save.asp"
name=$(grep -o '<li class=file>[^<]*' "$WORK/body" | head -1 | cut -d'|' -f3)
[[ $STATUS == 200 && -n $name ]] && cmp -s "$WORK/small.txt" "$DATA/UploadFile/$name" &&
  ok "the next upload works" || bad "upload after the drop" "status $STATUS $(head -c 300 "$WORK/body")"
finish
