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

# URL escapes: "+" and "%" escaped, blanks kept; a bad escape is error 13.
check url-encode 'a b%2Bc%25' 0 "$B" call CommUrlEncode_GBToUtf8 "a b+c%"
check url-decode '中 xA' 0 "$B" call CommUrlDecode_GBToUtf8 "%E4%B8%AD+x%41"
check url-decode-bad "Error 13: Type mismatch" 1 "$B" call CommUrlDecode_GBToUtf8 "%G1"
# Record state: no ID is new, edit/modify with an ID is 2, anything else 3.
check state-new 1 0 "$B" call CommCheckState edit "  "
check state-edit 2 0 "$B" call CommCheckState " Edit " 3
check state-view 3 0 "$B" call CommCheckState view 3

# Serv-U: two letters b..z, then the digest of salt + password.
out=$("$B" call CommServU pw)
salt=${out:0:2}
if [[ ${#out} == 34 && $salt =~ ^[b-z]{2}$ && ${out:2} == $("$B" call CommMd5 "${salt}pw") ]]; then
  pass=$((pass+1)); else fail=$((fail+1)); echo "FAIL servu: $out"; fi

# Validators, numbers and formatters, error page and regular expressions.
check email-ok True 0 "$B" call CommCheckIsEmail a@x.cn
check email-long-label False 0 "$B" call CommCheckIsEmail a@x.info
check filesize-k 1.5K 0 "$B" call CommGetFileSize 1536
check filesize-b 1023B 0 "$B" call CommGetFileSize 1023
check filesize-not-number "Error 13: Type mismatch" 1 "$B" call CommGetFileSize abc
check dectohex FF 0 "$B" call CommDecToHex 255
check dectobin 101 0 "$B" call CommDecToBin 5
check dectobin-overflow "Error 6: Overflow" 1 "$B" call CommDecToBin 2147483648
check stringtonumeric 12.5 0 "$B" call CommStringToNumeric 12.5
check putdatetime "2026-12-06 09:05:07" 0 "$B" call CommPutDateTime 20261206090507
check validstring "-" 0 "$B" call CommCheckIsValidString a-b=c
check telephone True 0 "$B" call CommCheckIsTelephone 010-1234
check reg-chinese True 0 "$B" call CommCheckReg '^[\u4e00-\u9fa5]+$' 中文
check reg-bad-pattern "Error 5020: Expected ')' in regular expression" 1 "$B" call CommCheckReg '(a' x
check empty-spaces True 0 "$B" call CommCheckIsEmpty "   "
check obj-installed True 0 "$B" call CommCheckIsObjInstalled "" VBScript.RegExp
check obj-unknown False 0 "$B" call CommCheckIsObjInstalled "" No.Such.Class
check errorpage-needs-response "Error 424: Object required" 1 "$B" call CommShowErrorPage "" "" "" msg
date_out=$("$B" call CommGetDate)
if [[ $date_out =~ ^[0-9]{8}$ ]]; then pass=$((pass+1)); else fail=$((fail+1)); echo "FAIL getdate: $date_out"; fi
swap=$("$B" call CommScriptSwapImage)
if [[ $swap == '<Script Language="JavaScript">function ZeltoSwapImgRestore()'*'</Script>' && $(printf '%s' "$swap" | wc -l) == 0 ]]; then
  pass=$((pass+1)); else fail=$((fail+1)); echo "FAIL swapimage"; fi
# Text encoders, pinyin, measuring and identity cards.
check qpy-zhongguo zhongguo 0 "$B" call CommGetQPyString 中国
check py-initials ZG2008 0 "$B" call CommGetPyString 中国2008
check py-char-empty "Error 5: Invalid procedure call or argument" 1 "$B" call CommGetPyChar ""
check html-encode-spaces "a&nbsp;&nbsp;b&lt;" 0 "$B" call CommHtmlEncode "a  b<"
check no-html "x y " 0 "$B" call CommNoHtml "x<b>y</b>"
check join-char "list.asp?x=1&" 0 "$B" call CommJoinChar "list.asp?x=1"
check width 6 0 "$B" call CommGetStringLength 中国ab
check left-overshoot 中文 0 "$B" call CommGetStringLeft 中文字 3
check topic "&lt;b&gt;粗…" 0 "$B" call CommGetTopicStr "&lt;b&gt;粗体" 5
check extract "[x" 0 "$B" call CommStrExtract "a[x]b" "[" "]" 1 4
check replace-at "a|b|c||X" 0 "$B" call CommReplaceAt "a|b|c" 5 X
check replace-exp "06/12/2026" 0 "$B" call CommReplaceExp 2026-12-06 '(\d+)-(\d+)-(\d+)' '$3/$2/$1'
check idcard-lower-x "身份证校验位错误！正确应为X" 0 "$B" call CommCheckPostCard 11010519491231002x 4
check idcard-ok "" 0 "$B" call CommCheckPostCard 11010519491231002X 4
check idcard-length "身份证号共有 15 码或18位" 0 "$B" call CommCheckPostCard 1234 2
check idcard-birthday 12/31/1949 0 "$B" call CommGetBirthdayFromPostcard 11010519491231002X
check idcard-sex 女 0 "$B" call CommGetSexFromPostcard 11010519491231002X

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

# serve: options are checked before anything listens.
"$B" serve --bogus x >/dev/null 2>&1; rc=$?
if [[ $rc == 2 ]]; then pass=$((pass+1)); else fail=$((fail+1)); echo "FAIL serve-bad-option rc=$rc"; fi
out=$("$B" serve --site /nonexistent/site 2>&1); rc=$?
if [[ $rc == 1 && $out == *"no site folder"* ]]; then pass=$((pass+1)); else fail=$((fail+1)); echo "FAIL serve-no-site: $out"; fi

# One-call upload: the megabyte limits are checked before the request is
# touched; without host objects the request is missing.
check upload-overflow "Error 6: Overflow" 1 "$B" call CommFileUpload srv req "" 2048 0 /up
check upload-no-request "Error 424: Object required" 1 "$B" call CommFileUpload srv req "" 1 1 /up

echo "$pass passed, $fail failed"
[[ $fail == 0 ]]
