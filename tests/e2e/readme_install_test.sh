#!/usr/bin/env bash
# Follows the README's install section word for word: its command lines, in a
# clean copy of the tree, with a home folder of their own.
source "$(dirname "$0")/lib.sh"
SRC=$(cd "$(dirname "$0")/../.." && pwd)
CLEAN=$WORK/clean/brevane
mkdir -p "$CLEAN" "$WORK/home"
git -C "$SRC" ls-files -z --cached --others --exclude-standard | (cd "$SRC" && xargs -0 tar -cf - --no-recursion) |
  tar -xf - -C "$CLEAN"
sed -n '/^<!-- install:/,/^<!-- \/install -->/p' "$SRC/README.md" | grep '^    ' | sed 's/^    //' >"$WORK/steps.sh"
[[ $(wc -l <"$WORK/steps.sh") -ge 3 ]] && ok "README has install steps" || { bad "README install steps"; finish; }
# Later runs reuse the compiler cache: paths under the copy count as relative.
export CCACHE_BASEDIR=$WORK/clean
# The cache stays where it was: the steps' own home folder would start an empty one.
CCACHE_DIR=$(ccache -k cache_dir 2>/dev/null) && export CCACHE_DIR
(cd "$CLEAN" && HOME=$WORK/home bash -e "$WORK/steps.sh") >"$WORK/steps.out" 2>&1 &&
  ok "install steps run" || bad "install steps" "$(tail -30 "$WORK/steps.out")"
[[ $(tail -1 "$WORK/steps.out") == 900150983CD24FB0D6963F7D28E17F72 ]] && ok "installed program answers" ||
  bad "installed program" "$(tail -1 "$WORK/steps.out")"
[[ -f $WORK/home/.local/lib/pkgconfig/brevane.pc && -f $WORK/home/.local/share/brevane/site/data/schema.sql ]] &&
  ok "library and site in ~/.local" || bad "library and site in ~/.local"
finish
