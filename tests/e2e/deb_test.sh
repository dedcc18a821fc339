#!/usr/bin/env bash
# The Debian packages CPack makes of the build BREVANE belongs to: their
# contents and control data, the systemd unit (systemd-analyze), and the
# program unpacked into an empty root serving the demo index from there, as
# an unprivileged user where the test runs as root, with /usr read-only to it.
source "$(dirname "$0")/lib.sh"
BUILD=$(dirname "$BREVANE")
command -v dpkg-deb >/dev/null || { echo "skip: no dpkg-deb"; exit 77; }

cpack -G DEB -B "$WORK/pkg" --config "$BUILD/CPackConfig.cmake" >"$WORK/cpack.log" 2>&1 ||
  { cat "$WORK/cpack.log"; exit 1; }
deb=$(ls "$WORK"/pkg/brevane_*.deb) && dev=$(ls "$WORK"/pkg/libbrevane-dev_*.deb) || { ls "$WORK/pkg"; exit 1; }

# ---- control data ----
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libcurl4 libarchive13 libsqlite3-0 libpcre2-16-0 libcpp-httplib0.11; do
  [[ $depends == *"$lib"* ]] && ok "depends on $lib" || bad "depends on $lib" "$depends"
done
dpkg-deb --ctrl-tarfile "$deb" | tar -tv >"$WORK/control.list"
grep -q '^-rwxr-xr-x.* \./postinst$' "$WORK/control.list" && ok "postinst, executable" || bad postinst "$(cat "$WORK/control.list")"
dpkg-deb -c "$deb" | awk '{print $6}' >"$WORK/files"
for f in ./usr/bin/brevane ./usr/share/man/man1/brevane.1.gz ./usr/lib/systemd/system/brevane.service \
         ./usr/lib/sysusers.d/brevane.conf ./usr/share/brevane/site/data/schema.sql; do
  grep -qx -- "$f" "$WORK/files" && ok "brevane has $f" || bad "brevane has $f"
done
grep -q '^\./usr/\(include\|lib/libbrevane\)' "$WORK/files" && bad "library files in the program's package" || ok "program package has no library files"
dpkg-deb -c "$dev" | awk '{print $6}' >"$WORK/devfiles"
for f in ./usr/lib/libbrevane.a ./usr/include/brevane/core/registry.h ./usr/lib/cmake/Brevane/BrevaneConfig.cmake \
         ./usr/lib/pkgconfig/brevane.pc; do
  grep -qx -- "$f" "$WORK/devfiles" && ok "libbrevane-dev has $f" || bad "libbrevane-dev has $f"
done

# ---- unpacked into an empty root ----
ROOT=$WORK/root
dpkg -x "$deb" "$ROOT"
unit=$ROOT/usr/lib/systemd/system/brevane.service
grep -q '^ExecStart=/usr/bin/brevane serve --site /usr/share/brevane/site --data /var/lib/brevane ' "$unit" &&
  ok "unit runs the packaged program" || bad "unit command" "$(grep ExecStart "$unit")"
for line in User=brevane StateDirectory=brevane ProtectSystem=strict NoNewPrivileges=yes PrivateTmp=yes \
            ReadWritePaths=/var/lib/brevane; do
  grep -qx "$line" "$unit" && ok "unit: $line" || bad "unit: $line"
done
if command -v systemd-analyze >/dev/null; then
  # verify checks that ExecStart's program exists, so it looks under the
  # root, which gets the system's own units to depend on (the man page is
  # checked by the install test).
  cp -rn /usr/lib/systemd/system/. "$ROOT/usr/lib/systemd/system/" 2>/dev/null
  if out=$(systemd-analyze verify --man=no --root="$ROOT" "$unit" 2>&1) && [[ -z $out ]]; then ok "systemd-analyze verify"
  else bad "systemd-analyze verify" "$out"; fi
  exposure=$(systemd-analyze security --offline=true --root="$ROOT" "$unit" 2>/dev/null | grep -o 'exposure level[^:]*: [0-9.]*' | grep -o '[0-9.]*$')
  echo "exposure $exposure"
  [[ -n $exposure ]] && awk -v e="$exposure" 'BEGIN { exit !(e < 2.5) }' && ok "unit exposure $exposure below 2.5" ||
    bad "unit exposure" "$exposure"
else
  skipped "systemd-analyze" "not installed"
fi

# The maintainer script's user, made inside the root (dpkg's DPKG_ROOT), twice.
if command -v systemd-sysusers >/dev/null; then
  dpkg-deb -e "$deb" "$WORK/control"
  mkdir -p "$ROOT/etc"
  for run in 1 2; do DPKG_ROOT=$ROOT sh "$WORK/control/postinst" configure >/dev/null 2>&1 || bad "postinst run $run"; done
  [[ $(grep -c '^brevane:' "$ROOT/etc/passwd") == 1 ]] &&
    grep -q '^brevane:x:[0-9]*:[0-9]*:[^:]*:/var/lib/brevane:/usr/sbin/nologin$' "$ROOT/etc/passwd" &&
    ok "postinst makes the system user once" || bad "postinst user" "$(cat "$ROOT/etc/passwd")"
else
  skipped "postinst" "no systemd-sysusers"
fi

mkdir -p "$WORK/var"
run=()
if [[ $(id -u) == 0 ]]; then
  chmod 755 "$WORK"
  chown nobody "$WORK/var"
  run=(setpriv --reuid=nobody --regid=nogroup --clear-groups --no-new-privs)
fi
"${run[@]}" "$ROOT/usr/bin/brevane" serve --host 127.0.0.1 --port 0 --data "$WORK/var" >"$WORK/serve.out" 2>"$WORK/serve.log" &
SERVER_PID=$!
for _ in $(seq 200); do
  URL=$(grep -o 'http://[0-9.:]*' "$WORK/serve.out" 2>/dev/null) && break
  sleep 0.05
done
[[ -n ${URL:-} ]] || { echo "server did not start"; cat "$WORK/serve.log"; exit 1; }
grep -q "^Brevane serving $ROOT/usr/share/brevane/site " "$WORK/serve.out" && ok "serves the packaged site" ||
  bad "site folder" "$(cat "$WORK/serve.out")"
fetch "$URL/"
[[ $STATUS == 200 ]] && grep -q '03.05.01' "$WORK/body" && ok "demo index from the unpacked package" || bad "demo index" "$STATUS"
fetch "$URL/md5.asp"
[[ $STATUS == 200 ]] && ok "md5 page" || bad "md5 page" "$STATUS"
[[ -f $WORK/var/data/vote.asp ]] && ok "database in the data folder" || bad "database in the data folder"
finish
