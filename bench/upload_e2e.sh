#!/usr/bin/env bash
# Uploads end to end, `brevane serve` (release build) against a Node.js
# server of the usual kind (http + busboy piping each file part to disk),
# both on loopback, in the same run:
#  1. one large random file (1 GiB) posted with curl to each in turn, three
#     rounds: MiB/s, the ratio, each server's peak RSS, the saved file's
#     SHA-256 checked every time;
#  2. many small uploads: 64 clients posting 64 KiB files for 10 s to each:
#     requests/s, every saved file checked.
# Not a timed test: the figures depend on what else the machine does; the
# ratio of the two servers in one run is what counts.
# Knobs: BENCH_UPLOAD_MIB, BENCH_ROUNDS, BENCH_CLIENTS, BENCH_SECONDS,
# BREVANE (a built program instead of the release build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
size_mib=${BENCH_UPLOAD_MIB:-1024}
rounds=${BENCH_ROUNDS:-3}
clients=${BENCH_CLIENTS:-64}
seconds=${BENCH_SECONDS:-10}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-/work}

if [[ -z ${BREVANE:-} ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target brevane >/dev/null
  BREVANE=$root/build/release/brevane
fi
command -v node >/dev/null || { echo "node is missing (scripts/setup installs it)"; exit 1; }
node_dir=$root/build/bench-node
if [[ ! -d $node_dir/node_modules/busboy ]]; then
  mkdir -p "$node_dir"
  # A project of its own, so npm does not install into the repository's.
  [[ -f $node_dir/package.json ]] || echo '{"private": true}' >"$node_dir/package.json"
  (cd "$node_dir" && npm install --silent --no-audit --no-fund busboy@1 >/dev/null)
fi

# Everything on the build's file system: the servers' temporary files and
# their saved files side by side, as a site would keep them.
work=$(mktemp -d "$root/build/bench-upload.XXXXXX")
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/tmp" "$work/data" "$work/node-saved"

cat >"$work/server.js" <<'JS'
// The usual Node.js upload handler: each file part piped into a file.
const http = require('http'), fs = require('fs'), path = require('path');
const Busboy = require(process.argv[4]);
const dir = process.argv[2];
let seq = 0;
http.createServer((req, res) => {
  if (req.method !== 'POST') { res.end('ok'); return; }
  const bb = Busboy({ headers: req.headers });
  const saved = [];
  let open = 1;
  const done = () => {
    if (--open) return;
    const body = saved.map((s) => `<li class=file>${s}</li>`).join('') + '\n';
    res.writeHead(200, { 'Content-Type': 'text/html', 'Content-Length': Buffer.byteLength(body) });
    res.end(body);
  };
  bb.on('file', (field, file, info) => {
    open++;
    const name = `${process.pid}-${++seq}${path.extname(info.filename)}`;
    const out = fs.createWriteStream(path.join(dir, name));
    file.pipe(out);
    out.on('close', () => { saved.push(`${field}|${info.filename}|${name}`); done(); });
  });
  bb.on('close', done);
  req.pipe(bb);
}).listen(Number(process.argv[3]), '127.0.0.1');
JS

port() { echo $((20000 + RANDOM % 40000)); }
wait_up() {
  for _ in $(seq 200); do curl -s -o /dev/null "$1" && return 0; sleep 0.05; done
  echo "server at $1 did not start"; exit 1
}
b_port=$(port)
TMPDIR=$work/tmp "$BREVANE" serve --host 127.0.0.1 --port "$b_port" --data "$work/data" >"$work/brevane.out" 2>&1 &
b_pid=$!; pids+=("$b_pid")
n_port=$(port)
while [[ $n_port == "$b_port" ]]; do n_port=$(port); done
node "$work/server.js" "$work/node-saved" "$n_port" "$node_dir/node_modules/busboy" >"$work/node.out" 2>&1 &
n_pid=$!; pids+=("$n_pid")
b_url=http://127.0.0.1:$b_port/upload/save.asp
n_url=http://127.0.0.1:$n_port/upload
wait_up "http://127.0.0.1:$b_port/upload/index.asp"
wait_up "$n_url"

saved_path() {  # server, response file: the saved file's path
  local name
  name=$(grep -ao '<li class=file>[^<]*' "$2" | head -1 | cut -d'|' -f3)
  [[ -n $name ]] || return 1
  if [[ $1 == brevane ]]; then echo "$work/data/UploadFile/$name"; else echo "$work/node-saved/$name"; fi
}

# Each upload starts from the same memory state. On a virtual machine with
# free page reporting (virtio-balloon) the guest hands freed pages back to
# the host after a second or two, and touching them again costs the host a
# fault each. An upload's saved file then runs at whatever speed the host
# re-backs 1 GiB of page cache, not at the server's own speed, and only the
# faster server ever reaches that limit. Writing and deleting a file of the
# same size first leaves freshly backed free pages for either server.
warm_page_cache() {
  dd if=/dev/zero of="$work/warm.bin" bs=1M count="$size_mib" status=none
  rm -f "$work/warm.bin"
}

big=$work/big.bin
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$big"
want=$(sha256sum <"$big" | cut -d' ' -f1)
echo "== ${size_mib} MiB upload, $rounds rounds, alternating (curl, loopback)"
declare -A total=([brevane]=0 [node]=0) rates=()
bad=0
for r in $(seq "$rounds"); do
  order="brevane node"
  ((r % 2)) || order="node brevane"  # neither always goes first
  for server in $order; do
    url=$b_url; [[ $server == node ]] && url=$n_url
    warm_page_cache
    sync
    speed=$(curl -s -o "$work/resp" -w '%{speed_upload}' -e "http://127.0.0.1:$b_port/upload/index.asp" \
      -F title=large -F "file1=@$big;filename=big.bin" "$url")
    mibs=$(awk -v b="$speed" 'BEGIN {printf "%.1f", b / 1048576}')
    check="saved file intact"
    if ! file=$(saved_path "$server" "$work/resp"); then
      check="NOT SAVED: $(head -c 200 "$work/resp")"; bad=1
    elif [[ $(sha256sum <"$file" | cut -d' ' -f1) != "$want" ]]; then
      check="SAVED FILE DIFFERS"; bad=1
    fi
    rm -f "${file:-/nonexistent}"
    printf 'round %d  %-8s %8s MiB/s  %s\n' "$r" "$server" "$mibs" "$check"
    total[$server]=$(awk -v a="${total[$server]}" -v b="$mibs" 'BEGIN {print a + b}')
    rates[$server]="${rates[$server]:-} $mibs"
  done
done
b_avg=$(awk -v t="${total[brevane]}" -v n="$rounds" 'BEGIN {printf "%.1f", t / n}')
n_avg=$(awk -v t="${total[node]}" -v n="$rounds" 'BEGIN {printf "%.1f", t / n}')
echo "mean: brevane $b_avg MiB/s, node+busboy $n_avg MiB/s, ratio $(awk -v a="$b_avg" -v b="$n_avg" 'BEGIN {printf "%.2f", a / b}')x"
# The median too: one round disturbed by the rest of the machine moves the mean a lot.
median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
b_med=$(median "${rates[brevane]}")
n_med=$(median "${rates[node]}")
echo "median: brevane $b_med MiB/s, node+busboy $n_med MiB/s, ratio $(awk -v a="$b_med" -v b="$n_med" 'BEGIN {printf "%.2f", a / b}')x"
hwm() { awk '/VmHWM/ {printf "%.1f MiB", $2 / 1024}' "/proc/$1/status"; }
echo "peak RSS after the large uploads: brevane $(hwm "$b_pid"), node+busboy $(hwm "$n_pid")"
rm -f "$big"

echo "== small uploads: $clients clients, 64 KiB files, ${seconds}s each server"
for server in brevane node; do
  if [[ $server == brevane ]]; then
    python3 "$root/bench/upload_load.py" "127.0.0.1" "$b_port" /upload/save.asp "$work/data/UploadFile" "$clients" "$seconds" "$server" || bad=1
  else
    python3 "$root/bench/upload_load.py" "127.0.0.1" "$n_port" /upload "$work/node-saved" "$clients" "$seconds" "$server" || bad=1
  fi
done
echo "peak RSS at the end: brevane $(hwm "$b_pid"), node+busboy $(hwm "$n_pid")"
left=$(find "$work/tmp" -type f | wc -l)
echo "temporary files left by brevane: $left"
((left == 0)) || bad=1
exit $bad
