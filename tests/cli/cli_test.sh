#!/usr/bin/env bash
# The command-line front end as a user calls it: exact output and exit codes.
set -u
pass=0; fail=0
check() {  # name expected-output expected-status command...
  local name=$1 want=$2 want_rc=$3; shift 3
  local got rc
  got=$("$@" 2>&1); rc=$?
  if [[ "$got" == "$want" && $rc == "$want_rc" ]]; then pass=$((pass+1)); else
    fail=$((fail+1)); echo "FAIL $name: got [$got] rc=$rc, want [$want] rc=$want_rc"; fi
}
B=$BREVANE
check md5-abc 900150983CD24FB0D6963F7D28E17F72 0 "$B" call CommMd5 abc
check md5-empty-lowercase-name D41D8CD98F00B204E9800998ECF8427E 0 "$B" call commmd5 ""
check version 03.05.01 0 "$B" call CommGetVersion
check unknown-member "Error 438: Object doesn't support this property or method: 'NoSuchMethod'" 1 "$B" call NoSuchMethod
check too-many-args "Error 450: Wrong number of arguments or invalid property assignment" 1 "$B" call CommGetVersion x

# Serv-U: two letters b..z, then the digest of salt + password.
out=$("$B" call CommServU pw)
salt=${out:0:2}
if [[ ${#out} == 34 && $salt =~ ^[b-z]{2}$ && ${out:2} == $("$B" call CommMd5 "${salt}pw") ]]; then
  pass=$((pass+1)); else fail=$((fail+1)); echo "FAIL servu: $out"; fi

# Path helpers and file operations (a drive pointed at a scratch folder).
check ext-with-point .tar 0 "$B" call CommFileGetExt " a.b.TAR " 1
check ext-without-point tar 0 "$B" call CommFileGetExt " a.b.TAR " 0
check path-keeps-backslash 'C:\site\up\' 0 "$B" call CommFileGetPath 'C:\site\up\a.txt'
check fullname-backslash-wins z.doc 0 "$B" call CommFileGetFullName 'C:\x/y\z.doc'
scratch=$(mktemp -d)
export BREVANE_DRIVES="S=$scratch"
check save-text True 0 "$B" call CommSaveToTextFile 'S:\a\b\t.txt' '中文' 2
if [[ $(od -An -tx1 "$scratch/a/b/t.txt" | tr -d ' \n') == d6d0cec4 ]]; then pass=$((pass+1)); else
  fail=$((fail+1)); echo "FAIL save-text bytes: $(od -An -tx1 "$scratch/a/b/t.txt")"; fi
check read-text '中文' 0 "$B" call CommReadFromTextFile 'S:\a\b\t.txt'
check rename-onto-existing 3 0 "$B" call CommFileRename 'S:\a\b\t.txt' 'S:\a\b\t.txt'
check copy-folder 0 0 "$B" call CommFolderCopyMove 'S:\a' 'S:\c' Copy OverWrite
check list-folders 'a|c' 0 "$B" call CommSearchPathFile 'S:\' 1
check delete-missing True 0 "$B" call CommFileDelete 'S:\none.txt'
check folder-exist-for-file True 0 "$B" call CommFolderExist 'S:\c\b\t.txt'
rm -rf "$scratch"
unset BREVANE_DRIVES

echo "$pass passed, $fail failed"
[[ $fail == 0 ]]
