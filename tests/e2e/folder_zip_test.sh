#!/usr/bin/env bash
# A folder of the file manager downloaded as one ZIP packed on the fly: a
# few hundred MiB (sparse and random files), sub-folders and Chinese names
# come out intact (unzip -t, bsdtar, checksums) with UTF-8 flagged names,
# links leading out stay out, the host's peak resident memory stays under
# 64 MiB, and a client that goes away mid-way leaves the host serving.
# Crafted folders and a visitor who is not logged in get no archive.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lib.sh"
for tool in unzip bsdtar python3; do
  command -v $tool >/dev/null || { skipped folder_zip "$tool missing"; finish; }
done
sparse_mib=${BREVANE_ZIP_SPARSE_MIB:-256}
random_mib=${BREVANE_ZIP_RANDOM_MIB:-48}
limit_kib=$((64 * 1024))
start_server
share=$DATA/brevane_share
[[ -d $share ]] || curl -s -o /dev/null "$URL/brevane/login.asp"
# Folder paths go into links in the site's code page.
gbk() { python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1], encoding="gbk"))' "$1"; }

top=$share/打包测试
mkdir -p "$top/子目录/更深一层" "$top/空文件夹" "$top/docs"
truncate -s "${sparse_mib}M" "$top/稀疏文件.img"
head -c $((random_mib * 1024 * 1024)) /dev/urandom >"$top/子目录/随机数据.bin"
head -c 3000000 /dev/urandom >"$top/子目录/更深一层/照片.jpg"
printf '说明文字\r\n' >"$top/docs/说明.txt"
: >"$top/docs/empty.txt"
echo outside >"$WORK/secret.txt"
ln -s "$WORK/secret.txt" "$top/docs/链接.txt"
ln -s "$WORK" "$top/外部文件夹"
ln -s "$WORK" "$share/outside"

curl -s -c "$WORK/jar" -o /dev/null -d password=guest "$URL/brevane/login.asp?act=login"
before=$(awk '/VmHWM/ {print $2}' "/proc/$SERVER_PID/status")
stats=$(curl -s -b "$WORK/jar" -D "$WORK/headers" -o "$WORK/got.zip" -w '%{http_code} %{time_total} %{size_download}' \
  "$URL/brevane/netdrivers_zip_folder.asp?p_CurrentFolder=/$(gbk 打包测试)")
read -r status seconds bytes <<<"$stats"
peak=$(awk '/VmHWM/ {print $2}' "/proc/$SERVER_PID/status")
total_mib=$(du -s --apparent-size -m "$top" | cut -f1)
report="folder zip of ${total_mib} MiB: status $status, ${seconds}s, archive $((bytes / 1048576)) MiB;"
report+=" host peak RSS ${peak} KiB (at start ${before} KiB)"
echo "$report"
mkdir -p "$root/test-output" && echo "$report" >"$root/test-output/folder_zip.txt"

[[ $status == 200 ]] && ok "folder download answers 200" || bad "folder download status" "$status"
((peak < limit_kib)) && ok "peak resident memory under 64 MiB" || bad "peak resident memory" "$peak KiB"
grep -qi '^Transfer-Encoding: chunked' "$WORK/headers" && grep -qi '^Content-Type: application/zip.$' "$WORK/headers" &&
  ok "sent in chunks as application/zip" || bad "headers" "$(cat "$WORK/headers")"
grep -qi "filename\*=UTF-8''%E6%89%93%E5%8C%85%E6%B5%8B%E8%AF%95.zip" "$WORK/headers" &&
  grep -qi '^Content-Disposition: attachment;  FileName=' "$WORK/headers" &&
  ok "Content-Disposition names the folder" || bad "Content-Disposition" "$(grep -i disposition "$WORK/headers")"
unzip -tq "$WORK/got.zip" >"$WORK/unzip.out" 2>&1 && ok "unzip -t finds no error" || bad "unzip -t" "$(tail -3 "$WORK/unzip.out")"

mkdir "$WORK/out" && bsdtar -xf "$WORK/got.zip" -C "$WORK/out" && ok "bsdtar unpacks it" || bad "bsdtar"
sums() { (cd "$1" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum); }
# What should arrive: the real files (find -type f passes links by).
diff <(sums "$top") <(sums "$WORK/out/打包测试") >"$WORK/diff" && ok "every file arrives intact" ||
  bad "checksums" "$(head -5 "$WORK/diff")"
[[ -d $WORK/out/打包测试/空文件夹 && -d $WORK/out/打包测试/子目录/更深一层 ]] && ok "folders, empty ones too" ||
  bad "folders missing"
python3 - "$WORK/got.zip" <<'EOF' && ok "names in UTF-8 with the flag, links left out" || bad "entry names"
import sys, zipfile
names = []
for info in zipfile.ZipFile(sys.argv[1]).infolist():
    names.append(info.filename)
    if not info.filename.startswith("打包测试/"):
        sys.exit(f"entry outside the top folder: {info.filename}")
    if any(ord(c) > 127 for c in info.filename) and not info.flag_bits & 0x800:
        sys.exit(f"no UTF-8 flag: {info.filename}")
for gone in ("链接", "外部文件夹", "secret"):
    if any(gone in n for n in names):
        sys.exit(f"a link got in: {gone}")
if "打包测试/子目录/更深一层/照片.jpg" not in names:
    sys.exit("missing entry")
EOF

# A client that stops reading early: the host goes on serving.
curl -s -b "$WORK/jar" "$URL/brevane/netdrivers_zip_folder.asp?p_CurrentFolder=/$(gbk 打包测试)" | head -c 100000 >/dev/null
fetch -b "$WORK/jar" "$URL/brevane/netdrivers_zip_folder.asp?p_CurrentFolder=/$(gbk 打包测试)/docs"
[[ $STATUS == 200 ]] && unzip -tq "$WORK/raw" >/dev/null 2>&1 && ok "host serves on after a client left" ||
  bad "after a client left" "$STATUS"

# Refused: climbing out, a link leading out, not logged in.
for folder in "/..%2F.." "/$(gbk 打包测试)/../../" "/outside" "/$(gbk 打包测试)/$(gbk 外部文件夹)" "/nosuch"; do
  fetch -b "$WORK/jar" "$URL/brevane/netdrivers_zip_folder.asp?p_CurrentFolder=$folder"
  if grep -q '指定的路径或文件名称非法' "$WORK/body" && ! unzip -l "$WORK/raw" >/dev/null 2>&1; then
    ok "refused: $folder"
  else
    bad "not refused: $folder" "$STATUS"
  fi
done
fetch "$URL/brevane/netdrivers_zip_folder.asp?p_CurrentFolder=/$(gbk 打包测试)/docs"
unzip -l "$WORK/raw" >/dev/null 2>&1 && bad "zip sent without a login" || ok "no archive without a login"
finish
