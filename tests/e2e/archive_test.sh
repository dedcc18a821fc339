#!/usr/bin/env bash
# The archive demo page: pack a folder and a file into ZIPs, unpack them
# again (in-process and through the RAR method's library fallback), back up
# a data file.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
start_server
unset BREVANE_RAR

page() { fetch "$URL/archive/index.asp?act=$1"; }
has() { grep -qF -- "$1" "$WORK/body"; }

page ""
if not_available; then skipped "archive page" "not built"; finish; fi
has "demo/sub/deep.txt" && ok "demo folder laid out" || bad "demo folder laid out" "$(cat "$WORK/body")"

page ZipFolder
has "alert('操作成功')" && has "demo.RAR" && ok "ZipFolder packs demo into demo.RAR" || bad "ZipFolder" "$(cat "$WORK/body")"
head -c 2 "$DATA/UploadFile/ArchiveDemo/demo.RAR" | grep -q PK && ok "demo.RAR is a ZIP" || bad "demo.RAR is a ZIP"

page ZipFile
has "alert('操作成功')" && has "demo/readme.RAR" && ok "ZipFile packs one file" || bad "ZipFile" "$(cat "$WORK/body")"

rm -rf "$DATA/UploadFile/ArchiveDemo/sub"
page Unzip
has "alert('操作成功')" && has "sub/deep.txt" && has "说明.txt" && ok "Unzip restores the stored paths" ||
  bad "Unzip" "$(cat "$WORK/body")"
ls -a "$DATA/UploadFile" | grep -q unpack && bad "staging folder left behind" || ok "no staging folder left"

rm -rf "$DATA/UploadFile/ArchiveDemo/empty"
page RarUnzip
has "alert('操作成功')" && has "empty/" && ok "RAR method unpacks a ZIP through the library" || bad "RarUnzip" "$(cat "$WORK/body")"

page Backup
has "备份到" && ok "backup made" || bad "backup" "$(cat "$WORK/body")"
ls "$DATA/UploadFile/AutoBackup"/demo*/vote.asp >/dev/null 2>&1 && ok "vote.asp copied" || bad "vote.asp copied"

finish
