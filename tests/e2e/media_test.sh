#!/usr/bin/env bash
# Media players, remote picture copies and the footer pages against a fresh
# `brevane serve`, with a local picture server (tests/e2e/media_fixture_server.py)
# that the site is allowed to reach through BREVANE_FETCH_ALLOW=loopback.
# Play lists are checked with xmllint; the players play a WAV and an MP4 made
# here in headless Chromium (the MP4 needs ffmpeg; without it only the WAV).
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
for tool in python3 xmllint curl; do
  command -v $tool >/dev/null || { skipped media "$tool missing"; finish; }
done

MEDIA=$WORK/media
mkdir -p "$MEDIA"
python3 "$here/media_fixture_server.py" "$MEDIA" >"$WORK/pics.port" 2>"$WORK/pics.log" &
PICS_PID=$!
trap 'kill $PICS_PID 2>/dev/null; stop_server' EXIT
for _ in $(seq 100); do [[ -s $WORK/pics.port ]] && break; sleep 0.05; done
PICS="http://127.0.0.1:$(head -1 "$WORK/pics.port")"

# Half a second of a tone, and a one-second clip when ffmpeg is there.
python3 - "$MEDIA/demo.wav" <<'PY'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(8000)
    w.writeframes(b"".join(struct.pack("<h", int(8000 * math.sin(i / 8000 * 2 * math.pi * 440))) for i in range(4000)))
PY
have_mp4=0
if command -v ffmpeg >/dev/null &&
  ffmpeg -loglevel error -f lavfi -i testsrc=duration=1:size=64x64:rate=10 -pix_fmt yuv420p -c:v libx264 \
    -movflags +faststart "$MEDIA/demo.mp4"; then
  have_mp4=1
fi

export BREVANE_FETCH_ALLOW=loopback
start_server

# ---- remote pictures ----
html="<p><img src=\"$PICS/pics/one.png\"> <img src=\"$PICS/pics/TWO.GIF\"></p>"
refused=("$PICS/pics/page.jpg" "$PICS/pics/big.png" "$PICS/pics/away.png" "$PICS/pics/never.png")
for u in "${refused[@]}"; do html+=" <img src=\"$u\">"; done
fetch --data-urlencode "html=$html" "$URL/media/remote.asp"
result=$(sed -n 's/.*<pre id=result>\(.*\)<\/pre>.*/\1/p' "$WORK/body" | sed 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&amp;/\&/g')
saved=$(ls "$DATA/UploadFile/remote" 2>/dev/null | sort)
png_name=$(grep -o '/UploadFile/remote/[0-9]*\.png' <<<"$result" | head -1)
gif_name=$(grep -o '/UploadFile/remote/[0-9]*\.GIF' <<<"$result" | head -1)
if [[ -n $png_name && -n $gif_name ]] && cmp -s "$DATA$png_name" "$MEDIA/one.png" && cmp -s "$DATA$gif_name" "$MEDIA/TWO.GIF"; then
  ok "two remote pictures saved and the html points at them"
else
  bad "remote pictures" "result=$result saved=$saved"
fi
left=0
for u in "${refused[@]}"; do grep -qF "$u" <<<"$result" || left=1; done
if ((left == 0)) && [[ $(wc -w <<<"$saved") == 2 ]]; then
  ok "error page, oversized, redirected and silent pictures skipped, nothing else on disk"
else
  bad "refused pictures" "saved=$saved"
fi

# ---- play lists ----
fetch -D "$WORK/headers" "$URL/media/play.asp?FileType=List&RunSystem=mms&List=mms://a.example.com/1.asf%7Cmms://a.example.com/2.asf%7Cx%26y%22.wma"
if grep -qi '^content-type: video/x-ms-asf' "$WORK/headers" && grep -qi 'filename=playlist.asx' "$WORK/headers" &&
  xmllint --noout "$WORK/body" 2>/dev/null && [[ $(grep -c '<entry>' "$WORK/body") == 3 ]]; then
  ok "asx play list is well-formed with three entries"
else
  bad "asx play list" "$(cat "$WORK/headers" "$WORK/body")"
fi
fetch -D "$WORK/headers" "$URL/media/play.asp?FileType=List&RunSystem=RTSP&List=rtsp://a.example.com/1.rm%7Cb%3C2%3E.rm"
if grep -qi '^content-type: application/smil' "$WORK/headers" && xmllint --noout "$WORK/body" 2>/dev/null &&
  [[ $(grep -c '<audio src=' "$WORK/body") == 2 ]]; then
  ok "smil play list is well-formed"
else
  bad "smil play list" "$(cat "$WORK/body")"
fi

# ---- player objects ----
fetch "$URL/media/play.asp?FileType=Movie&Url=clips/a.asf&Title=t"
grep -q "<object id=MediaPlayer1 classid='clsid:22D6F312-B0F6-11D0-94AB-0080C74C7E95'" "$WORK/body" &&
  ! grep -q CFCDAA03 "$WORK/body" && ok "asf picks the Windows Media object" || bad "asf object"
fetch "$URL/media/play.asp?FileType=Movie&Url=rtsp://m.example.com/a.wmv&Title=t"
[[ $(grep -o "clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA" "$WORK/body" | wc -l) == 3 ]] &&
  ok "rtsp picks the three RealPlayer objects" || bad "rtsp objects"

# ---- footer, picker, lost files, update ----
fetch "$URL/media/footer.asp"
grep -q "zelto_folder_open.asp' border=0 align=absmiddle>UploadFile<br>" "$WORK/body" &&
  grep -q "<tr height=50><td align=center>Brevane<br><br>" "$WORK/body" && grep -q "class=version" "$WORK/body" &&
  ok "picker heading without dots and slashes, footer and update page" || bad "footer page"
fetch "$URL/media/lostfile.asp"
grep -q "〖missing.mdb〗" "$WORK/body" && ! grep -q "〖vote.asp〗" "$WORK/body" && ! grep -q "数据文件齐全" "$WORK/body" &&
  ok "lost-file panel lists the missing file and ends the page" || bad "lost-file panel"

# ---- in the browser ----
if browser_available; then
  run_browser_test "players play in Chromium" media_test.mjs "$URL" "$PICS" "$have_mp4"
else
  skipped "media in browser" "playwright-core or chromium missing"
fi
((have_mp4)) || skipped "mp4" "ffmpeg missing: only the WAV was played"
finish
