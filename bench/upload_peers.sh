#!/usr/bin/env bash
# The multipart parser on its own against busboy and @fastify/busboy (npm,
# installed into build/bench-node/), on the same body files, interleaved:
#  big   one 256 MiB file part and three fields;
#  many  1000 files of 1 KiB and 1000 fields of 64 B.
# Ours runs twice: as `brevane serve` hands a body to GetData (host) and as
# a page reading it with Request.BinaryRead gets it (binaryread); see
# bench/upload_peers.cpp. The ratios are against the host figure.
# Not a timed test: the ratio within one run is what counts.
# Knobs: BENCH_ROUNDS, BENCH_REPS_BIG, BENCH_REPS_MANY.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${BENCH_ROUNDS:-3}
reps_big=${BENCH_REPS_BIG:-3}
reps_many=${BENCH_REPS_MANY:-30}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-/work}

cmake --preset release >/dev/null
cmake --build --preset release --target upload_peers >/dev/null
ours=$root/build/release/bench/upload_peers
command -v node >/dev/null || { echo "node is missing (scripts/setup installs it)"; exit 1; }
node_dir=$root/build/bench-node
if [[ ! -d $node_dir/node_modules/busboy || ! -d $node_dir/node_modules/@fastify/busboy ]]; then
  mkdir -p "$node_dir"
  # A project of its own, so npm does not install into the repository's.
  [[ -f $node_dir/package.json ]] || echo '{"private": true}' >"$node_dir/package.json"
  (cd "$node_dir" && npm install --silent --no-audit --no-fund busboy@1 @fastify/busboy@3 >/dev/null)
fi
versions=$(cd "$node_dir" && node -p "'busboy ' + require('busboy/package.json').version + ', @fastify/busboy ' + require('@fastify/busboy/package.json').version")

# Bodies and every temporary file on the build's file system.
work=$(mktemp -d "$root/build/bench-peers.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work
boundary=$("$ours" write big "$work/big.body")
"$ours" write many "$work/many.body" >/dev/null

node_run() {  # busboy|fastify, body, reps, disk|memory
  local module=$node_dir/node_modules/busboy
  [[ $1 == fastify ]] && module=$node_dir/node_modules/@fastify/busboy
  node "$root/bench/upload_peers_node.js" "$1" "$module" "$2" "$boundary" "$3" "$4" "$work" | cut -d' ' -f1
}
median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

echo "== multipart parsers, MB/s (10^6 bytes), median of each run's repetitions; $versions; node $(node --version)"
echo "   file parts: ours as the host stores a body (in memory up to 1 MiB, then a temporary file; a large part in a"
echo "   file of its own); node, big: each file part piped into a temporary file; node, many: file chunks kept in memory"
bad=0
for case in big many; do
  body=$work/$case.body
  reps=$reps_big store=disk
  [[ $case == many ]] && reps=$reps_many store=memory
  echo "-- $case: $(stat -c %s "$body") bytes, $reps repetitions per run, $rounds rounds"
  declare -A rates=()
  for r in $(seq "$rounds"); do
    line="round $r"
    for who in host binaryread busboy fastify; do
      sync
      if [[ $who == host || $who == binaryread ]]; then
        v=$("$ours" run "$body" "$boundary" "$reps" "$who") || { v=0; bad=1; }
      else
        v=$(node_run "$who" "$body" "$reps" "$store") || { v=0; bad=1; }
      fi
      rates[$who]="${rates[$who]:-} $v"
      line+=$(printf '  %s %s' "$who" "$v")
    done
    echo "$line"
  done
  h=$(median "${rates[host]}") br=$(median "${rates[binaryread]}")
  b=$(median "${rates[busboy]}") f=$(median "${rates[fastify]}")
  echo "median: ours host $h, ours binaryread $br, busboy $b, @fastify/busboy $f"
  echo "ratio ours host / @fastify/busboy $(ratio "$h" "$f")x, / busboy $(ratio "$h" "$b")x;" \
    "ours binaryread / @fastify/busboy $(ratio "$br" "$f")x, / busboy $(ratio "$br" "$b")x"
  unset rates
done
exit $bad
