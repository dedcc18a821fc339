#!/usr/bin/env bash
# Malformed requests get a clear 4xx or the upload parser's error, never a
# hang or a saved file, and the host keeps serving after each.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
command -v python3 >/dev/null || { echo "no python3"; exit 77; }
start_server --timeout 3
hostport=${URL#http://}

python3 "$here/bad_requests.py" "${hostport%:*}" "${hostport##*:}" >"$WORK/answers"
# case: what its answer must match (status, then what the page says)
declare -A want=(
  [truncated]='^(0|400) '  # a client that closed its side gets no answer: the library writes none
  [short-of-length]='^40[08] '
  [longer-than-length]='^500 Error 5'
  [header-section-1MiB]='^431 '
  [header-line-1MiB]='^4[0-9][0-9] '
  [headers-10000]='^431 '
  [boundary-200]='^400 '
  [part-headers-10000]='^500 Error 5'
)
for name in $(printf "%s\n" "${!want[@]}" | sort); do
  got=$(awk -v n="$name" '$1 == n {$1 = ""; print substr($0, 2)}' "$WORK/answers")
  [[ $got =~ ${want[$name]} ]] && ok "$name answered: $got" || bad "$name" "${got:-no answer}"
done
[[ -z $(find "$DATA/UploadFile" -type f -newer "$WORK/serve.out" | head -1) ]] && ok "no file saved" ||
  bad "files saved" "$(find "$DATA/UploadFile" -type f -newer "$WORK/serve.out")"
fetch --max-time 10 "$URL/index.asp"
[[ $STATUS == 200 ]] && ok "the host keeps serving" || bad "page after bad requests" "status $STATUS"
finish
