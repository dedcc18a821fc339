#!/usr/bin/env bash
# Conformance pages under Wine: builds brevane.dll and the test-kit DLL (the
# mingw preset), registers both in a throw-away Wine prefix, runs the
# adapter's GoogleTest executable and every page in this folder with cscript,
# then unregisters brevane.dll and checks that no registry entry is left. One prefix serves all pages (wineboot is the slow
# part). Exit 77 (skipped) when Wine or MinGW is not installed.
#
# A page prints "N passed, N failed" as its last line and exits non-zero on a
# failure; a page that cannot run here exits 77 (skipped). Anything skipped
# (a page, the adapter's tests or some of them) makes the whole run exit 77
# once nothing failed, so a skip is never reported as a pass. VBScript pages get harness.vbs put in front of them, JScript pages
# harness.js (unless a page defines its own Check); strings.txt is handed to
# them as UTF-16.
set -euo pipefail

src=$(cd "$(dirname "$0")/../.." && pwd)
here=$src/tests/vbs
for tool in wine wineboot wineserver x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-widl iconv; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool not installed, skipping"; exit 77; }
done

if [[ -z ${BREVANE_SKIP_MINGW_BUILD:-} ]]; then
  (cd "$src" && cmake --preset mingw >/dev/null && cmake --build --preset mingw -j2 >/dev/null) || {
    echo "run.sh: the mingw build failed"; (cd "$src" && cmake --build --preset mingw -j2 | tail -40); exit 1; }
fi
bin=$src/build/mingw

# Wine takes the system ANSI code page from the locale: 936 needs zh_CN.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
  if [[ ! -d $bin/locale/zh_CN.UTF-8 ]]; then
    mkdir -p "$bin/locale"
    localedef -i zh_CN -f UTF-8 "$bin/locale/zh_CN.UTF-8" >/dev/null 2>&1 || true
  fi
  export LOCPATH=$bin/locale
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/brevane-wine.XXXXXX")
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
       LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 DISPLAY=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

wineboot -i >/dev/null 2>&1
mkdir -p "$work/bin" "$work/pages"
cp "$bin/brevane.dll" "$bin/tests/comkit/brevane_test.dll" "$work/bin/"
iconv -f UTF-8 -t UTF-16 "$here/strings.txt" >"$work/pages/strings.txt"

failures=0 skips=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
skip() { echo "skip $*"; skips=$((skips + 1)); }

for dll in brevane.dll brevane_test.dll; do
  wine regsvr32 /s "$work/bin/$dll" >/dev/null 2>&1 || fail "regsvr32 $dll"
done

# ---- the registry after registration ----
lib_guid=$(awk '$1 == "library" {print $3}' "$src/src/component/members.decl")
mapfile -t classes < <(awk '$1 == "class" {print $2, $3, $4}' "$src/src/component/members.decl")
reg_has() { wine reg query "$@" >/dev/null 2>&1; }
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n {print $3}'; }
for entry in "${classes[@]}"; do
  read -r name clsid iid <<<"$entry"
  [[ $(reg_value "HKCR\\CLSID\\{$clsid}\\InprocServer32" ThreadingModel) == Apartment ]] ||
    fail "$name: InprocServer32 with ThreadingModel Apartment"
  reg_has "HKCR\\Brevane.$name\\CLSID" || fail "$name: ProgID Brevane.$name"
  reg_has "HKCR\\CLSID\\{$clsid}\\TypeLib" || fail "$name: TypeLib under its CLSID"
  reg_has "HKCR\\Interface\\{$iid}" || fail "$name: interface _$name"
done
reg_has "HKCR\\TypeLib\\{$lib_guid}\\1.0" || fail "type library 1.0 registered"

# ---- the adapter's own tests (GoogleTest built for Windows) ----
if [[ -f $bin/tests/comkit/com_tests.exe ]]; then
  cp "$bin/tests/comkit/com_tests.exe" "$work/bin/"
  set +e
  out=$(cd "$work/bin" && timeout 120 wine com_tests.exe 2>&1 | tr -d '\r')
  rc=$?
  set -e
  skipped_tests=$(printf '%s\n' "$out" | grep -E '^\[  SKIPPED \] [0-9]+ test' | tail -1 || true)
  if [[ $rc -eq 0 && -n $skipped_tests ]]; then
    skip "com_tests.exe: $skipped_tests"
  elif [[ $rc -eq 0 ]]; then
    echo "ok   com_tests.exe: $(printf '%s\n' "$out" | grep -E '^\[  PASSED  \]' | tail -1)"
  else
    fail "com_tests.exe (exit $rc)"
    printf '%s\n' "$out" | sed 's/^/     /'
  fi
else
  skip "com_tests.exe: not built"
fi

# ---- the pages ----
pages=("$here"/*.vbs "$here"/*.js)
for page in "${pages[@]}"; do
  base=$(basename "$page")
  [[ $base == harness.* ]] && continue
  # A page with its own Check routine stands alone; the rest get the harness.
  if grep -qiE '^[[:space:]]*(sub|function)[[:space:]]+check[[:space:]]*\(' "$page"; then
    cp "$page" "$work/pages/$base"
  else
    case $base in
      *.vbs) cat "$here/harness.vbs" "$page" >"$work/pages/$base" ;;
      *.js) cat "$here/harness.js" "$page" >"$work/pages/$base" ;;
    esac
  fi
  set +e
  out=$(cd "$work/pages" && timeout 120 wine cscript //nologo "$base" 2>&1 | tr -d '\r')
  rc=$?
  set -e
  summary=$(printf '%s\n' "$out" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -1 || true)
  if [[ $rc -eq 0 && $summary =~ ^[1-9][0-9]*\ passed,\ 0\ failed$ ]]; then
    echo "ok   $base: $summary"
  elif [[ $rc -eq 77 ]]; then
    skip "$base: $(printf '%s\n' "$out" | tail -1)"
  else
    # Wine's cscript stops silently on an uncaught script error: a missing
    # summary means the page did not run to its end.
    fail "$base (exit $rc): ${summary:-no summary, the page stopped early}"
    printf '%s\n' "$out" | sed 's/^/     /'
  fi
done

# ---- unregistration leaves nothing behind ----
wine regsvr32 /u /s "$work/bin/brevane.dll" >/dev/null 2>&1 || fail "regsvr32 /u brevane.dll"
for entry in "${classes[@]}"; do
  read -r name clsid iid <<<"$entry"
  ! reg_has "HKCR\\CLSID\\{$clsid}" || fail "$name: CLSID left after unregistration"
  ! reg_has "HKCR\\Brevane.$name" || fail "$name: ProgID left after unregistration"
  ! reg_has "HKCR\\Interface\\{$iid}" || fail "$name: interface left after unregistration"
done
! reg_has "HKCR\\TypeLib\\{$lib_guid}" || fail "type library left after unregistration"
if [[ -n $(wine reg query 'HKCR' 2>/dev/null | tr -d '\r' | grep -i '^HKEY_CLASSES_ROOT\\Brevane\.' || true) ]]; then
  fail "a Brevane ProgID is left under HKCR"
fi

if ((failures)); then
  echo "$failures failure(s), $skips skipped"
  exit 1
fi
if ((skips)); then
  echo "$skips skipped, the rest passed; unregistration left no entry"
  exit 77
fi
echo "all Wine pages passed; unregistration left no entry"
