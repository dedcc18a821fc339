#!/bin/bash
# Routines that disagree with their declaration must not compile, and the
# error must name the member. Usage: mismatch_test.sh CXX SRC_DIR GEN_DIR
set -u
cxx=$1 src=$2 gen=$3
fail=0
try() {  # name, expected text in the error, routine declaration
  local file
  file=$(mktemp --suffix=.cpp)
  printf '#include "core/declared.h"\nnamespace brevane {\n%s\nBinding b = BREVANE_BIND(%s);\n}\n' "$3" "$1" >"$file"
  if out=$("$cxx" -std=c++20 -fsyntax-only -I"$src" -I"$gen" "$file" 2>&1); then
    [ "$2" = ok ] || { echo "FAIL: $1 compiled"; fail=1; }
  elif [ "$2" = ok ]; then
    echo "FAIL: $1 did not compile:"; echo "$out" | head -5; fail=1
  elif ! grep -q "decl::BrevaneCls::$1" <<<"$out" || ! grep -q "$2" <<<"$out"; then
    echo "FAIL: $1: error lacks the member or '$2':"; echo "$out" | grep error | head -3; fail=1
  fi
  rm -f "$file"
}
try CommGetDataFullName ok 'Text CommGetDataFullName(Variant& server);'
try CommGetDataFullName "ByRef parameter must be a Variant&" 'Text CommGetDataFullName(Variant server);'
try CommGetDataFullName "parameter count" 'Text CommGetDataFullName();'
try CommCheckIsRange "parameter type differs" 'int16_t CommCheckIsRange(Variant&, Text, int32_t, int16_t);'
try CommCheckIsRange ok 'int16_t CommCheckIsRange(Variant&, const Text&, int16_t, int16_t);'
try CommFileGetExt "not by non-const reference" 'Text CommFileGetExt(Text&, uint8_t);'
try CommCheckIsEmail "must return a value" 'void CommCheckIsEmail(Text);'
exit $fail
