#!/usr/bin/env bash
# Downloads through the demo's pages: headers, byte ranges, a resumed
# transfer, refused scripts and the view answers.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
start_server
down=$DATA/DownFile
get="$URL/download/get.asp?file=/DownFile"

fetch "$URL/download/index.asp"
[[ $STATUS == 200 ]] && grep -q '说明.txt' "$WORK/body" && grep -q '大文件.bin' "$WORK/body" &&
  ok "downloads page lists the demo folder" || bad "downloads page" "$STATUS"

# A Chinese name: the plain name as it stands plus the UTF-8 form.
curl -s -D "$WORK/h" -o "$WORK/got" "$get/%CB%B5%C3%F7.txt"
tr -d '\r' <"$WORK/h" >"$WORK/headers"
cmp -s "$WORK/got" "$down/说明.txt" && ok "file arrives intact" || bad "file content"
LC_ALL=C grep -aqi "^Content-Disposition: attachment;  FileName=.*; filename\*=UTF-8''%E8%AF%B4%E6%98%8E.txt$" "$WORK/headers" &&
  ok "Content-Disposition with filename*" || bad "Content-Disposition" "$(grep -ai disposition "$WORK/headers")"
grep -qi '^X-Content-Type-Options: nosniff' "$WORK/headers" && grep -qi '^Accept-Ranges: bytes' "$WORK/headers" &&
  grep -qi '^Content-Type: text/plain; Charset=UTF-8' "$WORK/headers" && ok "nosniff, Accept-Ranges, type" ||
  bad "download headers" "$(cat "$WORK/headers")"

# Ranges on a file of random bytes.
head -c $((8 * 1024 * 1024)) /dev/urandom >"$down/r.bin"
status=$(curl -s -D "$WORK/h" -o "$WORK/part" -w '%{http_code}' -r 1000-1999 "$get/r.bin")
tail -c +1001 "$down/r.bin" | head -c 1000 >"$WORK/want"
[[ $status == 206 ]] && cmp -s "$WORK/part" "$WORK/want" && tr -d '\r' <"$WORK/h" | grep -q '^Content-Range: bytes 1000-1999/8388608$' &&
  ok "range request returns exactly the bytes asked for" || bad "range" "$status $(wc -c <"$WORK/part")"
status=$(curl -s -o /dev/null -w '%{http_code}' -H 'Range: bytes=-100' "$get/r.bin")
[[ $status == 206 ]] && ok "suffix range" || bad "suffix range" "$status"
status=$(curl -s -D "$WORK/h" -o /dev/null -w '%{http_code}' -H 'Range: bytes=9000000-' "$get/r.bin")
[[ $status == 416 ]] && tr -d '\r' <"$WORK/h" | grep -q '^Content-Range: bytes \*/8388608$' &&
  ok "unsatisfiable range: 416" || bad "416" "$status"
etag=$(tr -d '\r' <"$WORK/h" | sed -n 's/^ETag: //Ip')
status=$(curl -s -o /dev/null -w '%{http_code}' -H 'Range: bytes=0-9' -H 'If-Range: "stale"' "$get/r.bin")
status2=$(curl -s -o /dev/null -w '%{http_code}' -H 'Range: bytes=0-9' -H "If-Range: $etag" "$get/r.bin")
[[ $status == 200 && $status2 == 206 ]] && ok "If-Range: whole file when changed, range when same" ||
  bad "If-Range" "$status $status2 ($etag)"

# An interrupted download, resumed: cut short by a time limit on a slow
# transfer (or, should it finish anyway, by keeping only its first part).
curl -s --limit-rate 256K --max-time 1 -o "$WORK/resumed" "$get/r.bin"
had=$(stat -c %s "$WORK/resumed" 2>/dev/null || echo 0)
if ((had == 0 || had >= 8388608)); then head -c 3000001 "$down/r.bin" >"$WORK/resumed"; had=3000001; fi
curl -s -C - -o "$WORK/resumed" "$get/r.bin"
cmp -s "$WORK/resumed" "$down/r.bin" && ok "curl -C - resumes after $had bytes" || bad "resume" "had $had"

# Scripts are refused however they are written.
printf '<%% secret %%>' >"$down/x.ASP"
printf '<%% secret %%>' >"$down/x.asp."
for name in x.ASP x.asp. page.asp '%CA%FD%BE%DD%BF%E2.mdb'; do
  fetch "$get/$name"
  grep -q '不允许该类文件下载！' "$WORK/body" && ! grep -q secret "$WORK/body" && ok "$name refused" ||
    bad "$name refused" "$(head -c 200 "$WORK/body")"
done
for name in x.asp. '%CA%FD%BE%DD%BF%E2.mdb'; do
  status=$(curl -s -o "$WORK/raw" -w '%{http_code}' "$URL/DownFile/$name")
  [[ $status == 404 ]] && ! grep -q secret "$WORK/raw" && ok "$name not served as a static file" || bad "static $name" "$status"
done
fetch "$get/none.txt"
grep -q '文件不存在！' "$WORK/body" && ok "missing file: error page" || bad "missing file"

# CommFileView: download, view script, redirect.
curl -s -o "$WORK/got" "$URL/download/view.asp?act=DownLoad&file=/DownFile/readme.txt"
cmp -s "$WORK/got" "$down/readme.txt" && ok "view DownLoad sends the file" || bad "view DownLoad"
fetch "$URL/download/view.asp?act=View&file=/DownFile/%CC%E1%CA%BE%D2%F4.wav"
grep -qF "OpenWindow('../comm/zelto_FileView.asp?FileType=Wav&Url=/DownFile/提示音.wav&Title=提示音.wav','ShowMp3',305,142);" "$WORK/body" &&
  ok "view of a sound opens the viewer" || bad "view script" "$(head -c 300 "$WORK/body")"
status=$(curl -s -o /dev/null -w '%{http_code} %{redirect_url}' "$URL/download/view.asp?act=download&file=/DownFile/r.bin")
[[ $status == "302 $URL/DownFile/r.bin" ]] && ok "lower-case download redirects" || bad "redirect" "$status"
fetch "$URL/comm/zelto_FileView.asp?FileType=Image&Url=/DownFile/a.png&Title=a"
grep -q '<img id=player src="/DownFile/a.png"' "$WORK/body" && ok "viewer page shows an image" || bad "viewer page"
finish
