#!/usr/bin/env bash
# `cmake --install` of the build BREVANE belongs to into a fresh prefix: the
# installed program serves its own copy of the demo site, and a program built
# outside the tree (examples/call_by_name) against the installed library, once
# through find_package and once through pkg-config, calls CommMd5 by name.
source "$(dirname "$0")/lib.sh"
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(dirname "$BREVANE")
PREFIX=$WORK/prefix
want=900150983CD24FB0D6963F7D28E17F72   # MD5 of "abc"

cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log" 2>&1 || { cat "$WORK/install.log"; exit 1; }

for f in bin/brevane lib/libbrevane.a include/brevane/core/registry.h include/brevane/decl/members.h \
         lib/cmake/Brevane/BrevaneConfig.cmake lib/cmake/Brevane/BrevaneTargets.cmake lib/pkgconfig/brevane.pc \
         share/brevane/site/data/schema.sql share/man/man1/brevane.1.gz lib/systemd/system/brevane.service; do
  [[ -f $PREFIX/$f ]] && ok "installs $f" || bad "installs $f"
done
[[ ! -e $PREFIX/share/brevane/site/pages ]] && ok "page sources stay out" || bad "page sources installed"
grep -q "^ExecStart=$PREFIX/bin/brevane serve --site $PREFIX/share/brevane/site " "$PREFIX/lib/systemd/system/brevane.service" &&
  ok "unit names the install's paths" || bad "unit paths" "$(grep ExecStart "$PREFIX/lib/systemd/system/brevane.service")"
warnings=$(MANWIDTH=80 man --warnings -l "$PREFIX/share/man/man1/brevane.1.gz" 2>&1 >/dev/null)
[[ -z $warnings ]] && ok "man page renders cleanly" || bad "man page" "$warnings"
page=$(MANWIDTH=200 man -l "$PREFIX/share/man/man1/brevane.1.gz" 2>/dev/null)
missing=$("$PREFIX/bin/brevane" serve --help 2>&1 | grep -o -- '--[a-z][a-z-]*' | sort -u |
  while read -r option; do grep -q -- "$option" <<<"$page" || echo "$option"; done)
[[ -z $missing ]] && ok "man page names every serve option" || bad "man page lacks" "$missing"

out=$("$PREFIX/bin/brevane" call CommMd5 abc)
[[ $out == "$want" ]] && ok "installed program calls CommMd5" || bad "installed program" "$out"

# The installed program, given no --site, serves the installed site.
BREVANE=$PREFIX/bin/brevane
start_server
grep -q "^Brevane serving $PREFIX/share/brevane/site " "$WORK/serve.out" && ok "serves the installed site" ||
  bad "site folder" "$(cat "$WORK/serve.out")"
fetch "$URL/"
[[ $STATUS == 200 ]] && grep -q '03.05.01' "$WORK/body" && ok "installed demo index" || bad "installed demo index" "$STATUS"

# find_package(Brevane) and Brevane::brevane.
export CCACHE_DISABLE=1
if cmake -S "$SRC/examples/call_by_name" -B "$WORK/example" -G Ninja -DCMAKE_PREFIX_PATH="$PREFIX" >"$WORK/example.log" 2>&1 &&
   cmake --build "$WORK/example" >>"$WORK/example.log" 2>&1; then
  out=$("$WORK/example/call_by_name" CommMd5 abc)
  [[ $out == "$want" ]] && ok "find_package example calls CommMd5" || bad "find_package example" "$out"
  out=$("$WORK/example/call_by_name" NoSuchMethod 2>&1)
  [[ $out == "Error 438:"* ]] && ok "example reports an unknown member" || bad "unknown member" "$out"
else
  bad "find_package example builds" "$(tail -20 "$WORK/example.log")"
fi

# pkg-config brevane, with nothing but the compiler.
export PKG_CONFIG_PATH=$PREFIX/lib/pkgconfig
# shellcheck disable=SC2046
if c++ -std=c++20 -o "$WORK/pc_example" "$SRC/examples/call_by_name/main.cpp" $(pkg-config --cflags --libs brevane) \
     >"$WORK/pc.log" 2>&1; then
  out=$("$WORK/pc_example" CommMd5 abc)
  [[ $out == "$want" ]] && ok "pkg-config example calls CommMd5" || bad "pkg-config example" "$out"
else
  bad "pkg-config example builds" "$(tail -20 "$WORK/pc.log")"
fi
finish
