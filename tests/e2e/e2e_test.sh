#!/usr/bin/env bash
# The demo site over HTTP, as a browser or script would use it.
source "$(dirname "$0")/lib.sh"
start_server

# ---- pages and static content ----
fetch "$URL/"
[[ $STATUS == 200 ]] && grep -q '03.05.01' "$WORK/body" && ok index || bad index "$STATUS"

ctype=$(curl -s -o /dev/null -w '%{content_type}' "$URL/comm/image/zelto_error_topleft.asp")
[[ $ctype == image/png ]] && ok "image under an .asp name, any case" || bad "image content type" "$ctype"

status=$(curl -s -o /dev/null -w '%{http_code}' "$URL/data/vote.asp")
[[ $status == 404 ]] && ok "database not served" || bad "database served" "$status"

# ---- Server.MapPath ----
fetch "$URL/mappath.asp?path=/data/vote.asp"
grep -q "$(echo "$DATA" | tr / '\\\\' | sed 's/\\/\\\\/g')" "$WORK/body" && ok "MapPath of the data file" || bad "MapPath of the data file" "$(cat "$WORK/body")"
for p in '../../etc/passwd' '/..' '..%5C..%5Cx' 'C:%5Cwindows'; do
  fetch "$URL/mappath.asp?path=$p"
  if [[ $STATUS == 500 ]] && grep -q 'Error 5:' "$WORK/body"; then ok "MapPath refuses $p"
  else bad "MapPath refuses $p" "$STATUS $(cat "$WORK/body")"; fi
done

# ---- guard: the error page and nothing after it ----
fetch "$URL/guard.asp?id=1%27"
if not_available; then bad guard "CommCheckInject not built"
elif grep -q '对不起，请不要在参数中包含非法字符尝试注入！' "$WORK/body" && ! grep -q '参数检查通过' "$WORK/body" &&
     [[ $(tail -c 18 "$WORK/body") == '</td></tr></table>' ]]; then ok "guard answers the error page only"
else bad guard "$(tail -c 300 "$WORK/body")"; fi
fetch "$URL/guard.asp?id=1"
if not_available; then bad "guard passes"
elif grep -q '参数检查通过' "$WORK/body"; then ok "guard passes clean requests"; else bad "guard passes"; fi

# ---- multipart post: two files and two fields, saved byte for byte ----
head -c 100000 /dev/urandom >"$WORK/a.bin"
head -c 3000000 /dev/urandom >"$WORK/b.dat"   # beyond the in-memory spool
title=$(printf '演示' | iconv -f UTF-8 -t GBK)
post() {  # page
  fetch -e "$URL/upload/index.asp" -F "title=$title" -F "memo=m e" \
    -F "file1=@$WORK/a.bin;type=application/octet-stream" -F "file2=@$WORK/b.dat" "$URL/upload/$1"
}
same_file() { cmp -s "$DATA/UploadFile/$1" "$2"; }

post save.asp
if not_available; then bad "upload with the parser" "$(grep -o 'not available yet[^<]*' "$WORK/body")"
else
  mapfile -t saved < <(grep -o '<li class=file>[^<]*' "$WORK/body" | sed 's/<li class=file>//')
  if ((${#saved[@]} == 2)); then
    IFS='|' read -r f1 l1 n1 s1 <<<"${saved[0]}"
    IFS='|' read -r f2 l2 n2 s2 <<<"${saved[1]}"
    if [[ $l1 == a.bin && $s1 == 100000 && $l2 == b.dat && $s2 == 3000000 ]] && same_file "$n1" "$WORK/a.bin" &&
       same_file "$n2" "$WORK/b.dat"; then ok "parser saves two files byte for byte"
    else bad "parser saves two files" "${saved[*]}"; fi
  else bad "parser saves two files" "$(cat "$WORK/body")"; fi
  grep -q 'title=演示|memo=m e' "$WORK/body" && ok "parser reads two fields" || bad "parser fields" "$(grep -o 'class=fields>[^<]*' "$WORK/body")"
  grep -q 'alert("上传成功！")' "$WORK/body" && ok "success alert" || bad "success alert"
fi

post onecall.asp
if not_available; then bad "CommFileUpload" "$(grep -o 'not available yet[^<]*' "$WORK/body")"
else
  result=$(grep -o '<pre class=result>[^<]*' "$WORK/body" | sed 's/<pre class=result>//')
  if [[ $result =~ ^Success\|a\.bin\|([0-9]+\.bin)\|100000\$Success\|b\.dat\|([0-9]+\.dat)\|3000000\$#演示\|m\ e$ ]] &&
     same_file "${BASH_REMATCH[1]}" "$WORK/a.bin" && same_file "${BASH_REMATCH[2]}" "$WORK/b.dat"; then
    ok "CommFileUpload saves two files and reports the fields"
  else bad CommFileUpload "$result"; fi
fi

# A post from another site is refused by the upload page's guard.
fetch -e "http://elsewhere.test/" -F "file1=@$WORK/a.bin" "$URL/upload/save.asp"
if not_available; then bad "post from elsewhere"
elif grep -q '您提交的数据不合法，请不要从外部提交数据。' "$WORK/body" && ! grep -q 'class=file' "$WORK/body"; then
  ok "post from another site refused"
else bad "post from another site" "$(head -c 300 "$WORK/body")"; fi

# ---- data list ----
fetch "$URL/list.asp"
if not_available; then bad "data list" "$(grep -o 'not available yet[^<]*' "$WORK/body")"
elif grep -q '上传组件好用吗' "$WORK/body"; then ok "data list reads the database"; else bad "data list" "$(head -c 400 "$WORK/body")"; fi

# ---- one log line per request ----
lines=$(wc -l <"$WORK/serve.log")
requests=$(grep -c ' /' "$WORK/serve.log")
((lines == requests && lines >= 10)) && ok "one log line per request ($lines)" || bad "log lines" "$lines vs $requests"

finish
