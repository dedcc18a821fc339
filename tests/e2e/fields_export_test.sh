#!/usr/bin/env bash
# The news list's spreadsheet export opens in a spreadsheet program:
# LibreOffice (headless) converts the downloaded page to CSV and the cells,
# Chinese text included, must be the list's. Skips without LibreOffice.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
soffice=$(command -v soffice || command -v libreoffice)
if [[ -z $soffice ]]; then
  skipped export "LibreOffice (libreoffice-calc-nogui) not installed"; finish
fi
start_server

STATUS=$(curl -s -D "$WORK/headers" -o "$WORK/news.xls" -w '%{http_code}' "$URL/fields/list.asp?excel=1")
if [[ $STATUS == 200 ]] && grep -qi '^Content-Type: application/vnd.ms-excel' "$WORK/headers"; then
  ok "served with the spreadsheet content type"
else
  bad "content type" "status $STATUS, $(grep -i '^Content-Type' "$WORK/headers")"
fi

# A profile of its own, so a desktop session's LibreOffice is neither used nor disturbed.
timeout 300 "$soffice" --headless --norestore "-env:UserInstallation=file://$WORK/lo-profile" \
  --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir "$WORK/out" "$WORK/news.xls" \
  >"$WORK/lo.log" 2>&1
csv=$WORK/out/news.csv
if [[ ! -s $csv ]]; then
  bad "conversion" "$(cat "$WORK/lo.log")"; finish
fi
# The rows must be the list page's own, cell for cell.
curl -s "$URL/fields/list.asp" | utf8 >"$WORK/list.html"
if python3 - "$WORK/list.html" "$csv" >"$WORK/compare.log" 2>&1 <<'PY'
import csv, sys
from html.parser import HTMLParser

class Rows(HTMLParser):
    def __init__(self):
        super().__init__()
        self.rows, self.row, self.cell = [], None, None
    def handle_starttag(self, tag, attrs):
        if tag == 'tr': self.row = []
        if tag == 'td' and self.row is not None: self.cell = ''
    def handle_endtag(self, tag):
        if tag == 'td' and self.cell is not None: self.row.append(self.cell.strip()); self.cell = None
        if tag == 'tr' and self.row: self.rows.append(self.row); self.row = None
    def handle_data(self, data):
        if self.cell is not None: self.cell += data

page = Rows()
page.feed(open(sys.argv[1], encoding='utf-8').read())
listed = [r for r in page.rows if len(r) == 3 and r[0].isdigit()]
sheet = list(csv.reader(open(sys.argv[2], encoding='utf-8')))
want = [['新闻列表', '', ''], ['新闻', '', ''], ['编号', '标题', '发布时间']] + listed
assert len(listed) > 0, 'the list page shows no rows'
assert sheet[:len(want)] == want, f'cells differ: {sheet[:5]} vs {want[:5]}'
assert sheet[len(want)] == ['来源：Brevane 网站通用组件', '', ''], sheet[len(want)]
assert sheet[len(want) + 1][0].startswith('导出时间：'), sheet[len(want) + 1]
assert len(sheet) == len(want) + 2, f'{len(sheet)} rows'
print(f'{len(listed)} data rows')
PY
then
  ok "cells match the list page ($(cat "$WORK/compare.log"))"
else
  bad "cells" "$(cat "$WORK/compare.log")"
fi
finish
