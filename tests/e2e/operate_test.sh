#!/usr/bin/env bash
# Running the host as an operator would: a configuration file with command-line
# overrides, HTTPS with a self-signed certificate, gzip, the JSON access log,
# /healthz and /metrics, a refused oversized body, and SIGTERM while an
# upload is under way (the upload finishes, the program exits 0).
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

stop() { kill "$SERVER_PID" 2>/dev/null; wait "$SERVER_PID" 2>/dev/null; SERVER_PID=; }

file_port=$((20000 + RANDOM % 40000))
cat >"$WORK/brevane.toml" <<EOF
port = $file_port
metrics = true
[log]
format = "json"
file = "$WORK/access.log"
[upload]
max_body = 2000000
[proxy]
trusted = ["10.0.0.0/8"]
EOF

# ---- configuration file, the command line winning ----
start_server --config "$WORK/brevane.toml" --port 0 --trusted-proxy 127.0.0.1
[[ $URL != *":$file_port" ]] && ok "--port on the command line wins over the file" || bad "port from the file" "$URL"

fetch "$URL/healthz"
[[ $STATUS == 200 && $(cat "$WORK/body") == ok ]] && ok "/healthz answers ok" || bad "/healthz" "$STATUS"

# ---- gzip for text answers the client accepts compressed ----
curl -s -o "$WORK/plain" "$URL/md5.asp"
curl -s -D "$WORK/headers" -o "$WORK/zipped" -H 'Accept-Encoding: gzip' "$URL/md5.asp"
if grep -qi '^Content-Encoding: gzip' "$WORK/headers" && gunzip -c "$WORK/zipped" | cmp -s - "$WORK/plain"; then
  ok "a page comes gzip-compressed and unpacks to the plain answer"
else
  bad "gzip" "$(head -c 300 "$WORK/headers")"
fi
curl -s -D "$WORK/headers" -o /dev/null "$URL/"
grep -qi '^Content-Encoding' "$WORK/headers" && bad "compressed for a client that did not ask" || ok "plain without Accept-Encoding"
css=$here/../../site/Comm/filemanager.css
curl -s -D "$WORK/headers" -o "$WORK/zipped" -H 'Accept-Encoding: gzip' "$URL/Comm/filemanager.css"
grep -qi '^Content-Encoding: gzip' "$WORK/headers" && gunzip -c "$WORK/zipped" | cmp -s - "$css" &&
  ok "a static style sheet too" || bad "gzip of a static file" "$(head -c 300 "$WORK/headers")"
range=$(curl -s -D "$WORK/headers" -H 'Accept-Encoding: gzip' -r 0-9 "$URL/Comm/filemanager.css" | tr -d '\0')
[[ $range == "$(head -c 10 "$css")" ]] && head -1 "$WORK/headers" | grep -q ' 206 ' &&
  grep -qi "^Content-Range: bytes 0-9/$(stat -c %s "$css")" "$WORK/headers" &&
  ok "a byte range of it is answered 206, uncompressed" || bad "range" "$range $(head -c 300 "$WORK/headers")"
[[ $(curl -s -o /dev/null -w '%{http_code}' -r 999999- "$URL/Comm/filemanager.css") == 416 ]] &&
  ok "a range past its end is answered 416" || bad "range past the end" "not 416"

# ---- the JSON access log, with the client behind a trusted proxy ----
curl -s -o /dev/null -H 'X-Forwarded-For: 6.6.6.6, 198.51.100.7' -A 'e2e "agent"' "$URL/healthz?probe=1"
if python3 - "$WORK/access.log" <<'EOF'; then
import json, sys
lines = [json.loads(l) for l in open(sys.argv[1], encoding="utf-8")]
probe = [l for l in lines if l["query"] == "probe=1"]
assert len(probe) == 1, lines
p = probe[0]
assert p["remote"] == "198.51.100.7", p
assert (p["method"], p["path"], p["status"], p["user_agent"]) == ("GET", "/healthz", 200, 'e2e "agent"'), p
assert p["bytes_out"] == 3 and p["ms"] >= 0 and p["time"].endswith("Z"), p
EOF
  ok "one JSON object a line; the proxy's X-Forwarded-For names the client"
else
  bad "JSON access log" "$(tail -3 "$WORK/access.log")"
fi

# ---- a body over the configured limit is refused ----
head -c 3000000 /dev/zero >"$WORK/big.bin"
status=$(curl -s -o /dev/null -w '%{http_code}' -F "file1=@$WORK/big.bin" "$URL/upload/save.asp")
[[ $status == 413 ]] && ok "a body over upload.max_body gets 413" || bad "oversized body" "$status"

# ---- /metrics ----
head -c 100000 /dev/urandom >"$WORK/small.bin"
curl -s -o /dev/null -e "$URL/upload/index.asp" -F "title=m" -F "file1=@$WORK/small.bin" "$URL/upload/save.asp"
curl -s -o "$WORK/metrics" "$URL/metrics"
if grep -Eq '^brevane_requests_total\{status="200"\} [0-9]+$' "$WORK/metrics" &&
  grep -q '^brevane_requests_total{status="413"} 1$' "$WORK/metrics" &&
  grep -q '^brevane_upload_bytes_bucket{le="1000000"} 1$' "$WORK/metrics" &&
  grep -q '^brevane_active_connections 1$' "$WORK/metrics" &&
  awk '/^brevane_received_bytes_total/ {exit !($2 >= 100000)}' "$WORK/metrics"; then
  ok "/metrics counts statuses, bytes, the upload and this connection"
else
  bad "/metrics" "$(grep -v '^#' "$WORK/metrics" | head -20)"
fi
stop

# ---- sessions and Application in SQLite outlive a restart ----
# The index page counts this session's visits and the site's.
visits() {
  fetch -b "$WORK/jar" -c "$WORK/jar" "$URL/"
  grep -o '第 [0-9]* 次访问，站点共 [0-9]* 次' "$WORK/body" | tr -dc '0-9 ' | tr -s ' ' | sed 's/^ //; s/ $//'
}
start_server --store sqlite
visits >/dev/null
stop
start_server --store sqlite
[[ $(visits) == "2 2" ]] && ok "session and Application values from SQLite after a restart" || bad "SQLite store" "$(visits)"
stop
start_server
[[ $(visits) == "1 1" ]] && ok "in memory (the default) they start afresh" || bad "memory store" "$(visits)"
stop

# ---- HTTPS with a certificate made here ----
if command -v openssl >/dev/null; then
  openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=localhost -days 2 \
    -keyout "$WORK/key.pem" -out "$WORK/cert.pem" 2>/dev/null
  start_server --cert "$WORK/cert.pem" --key "$WORK/key.pem"
  fetch --cacert "$WORK/cert.pem" --resolve "localhost:${URL##*:}:127.0.0.1" "https://localhost:${URL##*:}/healthz"
  [[ $URL == https://* && $STATUS == 200 ]] && ok "HTTPS with the configured certificate" || bad "HTTPS" "$URL $STATUS"
  https_url="https://localhost:${URL##*:}"
  conns=$(curl -s --cacert "$WORK/cert.pem" --resolve "localhost:${URL##*:}:127.0.0.1" -o /dev/null -o /dev/null \
    -w '%{num_connects} ' "$https_url/healthz" "$https_url/md5.asp")
  [[ $conns == "1 0 " ]] && ok "the second request reuses the connection (keep-alive)" || bad "keep-alive" "$conns"
  status=$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:${URL##*:}/healthz")
  [[ $status != 200 ]] && ok "no plain HTTP on the HTTPS port" || bad "plain HTTP answered on the HTTPS port"
  stop
else
  skipped "HTTPS" "no openssl"
fi

# Returns once the host is reading the body of the upload that carries
# progress token $1 (a connection accepted but not yet read is not a running
# request: a stop signal then closes it unanswered).
upload_under_way() {
  local answer
  for _ in $(seq 400); do
    answer=$(curl -s "$URL/brevane-progress?token=$1")
    grep -q '"received":[1-9]' <<<"$answer" && return
    sleep 0.05
  done
  bad "upload $1 seen under way" "$answer"
}

# ---- SIGTERM during an upload: the upload finishes, then the program exits 0 ----
start_server --metrics
head -c 3000000 /dev/urandom >"$WORK/slow.bin"
want=$(sha256sum <"$WORK/slow.bin" | cut -d' ' -f1)
curl -s -o "$WORK/raw" -w '%{http_code}' --limit-rate 1000k -e "$URL/upload/index.asp" -H 'X-Brevane-Progress: term1' \
  -F "title=slow" -F "file1=@$WORK/slow.bin" "$URL/upload/save.asp" >"$WORK/status" &
curl_pid=$!
upload_under_way term1
kill -TERM "$SERVER_PID"
wait "$curl_pid"
wait "$SERVER_PID"
code=$?
SERVER_PID=
utf8 <"$WORK/raw" >"$WORK/body"
name=$(grep -o '<li class=file>[^<]*' "$WORK/body" | head -1 | cut -d'|' -f3)
got=$([[ -n $name ]] && sha256sum <"$DATA/UploadFile/$name" | cut -d' ' -f1)
[[ $(cat "$WORK/status") == 200 && $got == "$want" ]] && ok "the upload under way when SIGTERM came was saved whole" ||
  bad "upload during shutdown" "$(cat "$WORK/status") $name"
[[ $code == 0 ]] && ok "the program then exited 0" || bad "exit status after SIGTERM" "$code"

# ---- ... but not past the grace time ----
start_server --metrics --shutdown-grace 1
# 30 s at this rate: still under way however long noticing it took.
curl -s -o /dev/null --limit-rate 100k -e "$URL/upload/index.asp" -H 'X-Brevane-Progress: term2' \
  -F "file1=@$WORK/slow.bin" "$URL/upload/save.asp" &
curl_pid=$!
upload_under_way term2
kill -TERM "$SERVER_PID"
wait "$SERVER_PID"
code=$?
SERVER_PID=
kill "$curl_pid" 2>/dev/null
wait "$curl_pid" 2>/dev/null
[[ $code == 1 ]] && grep -q 'still running' "$WORK/serve.log" && ok "an upload outlasting --shutdown-grace is left; exit 1" ||
  bad "shutdown grace" "exit $code; $(tail -2 "$WORK/serve.log"); $(curl -s "$URL/brevane-progress?token=term2")"

finish
