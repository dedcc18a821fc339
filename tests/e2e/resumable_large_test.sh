#!/usr/bin/env bash
# A 1 GiB resumable upload cut off at 40 % and resumed; the saved file must
# be the one sent (labelled slow).
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
start_server
if python3 "$here/resumable_client.py" "$URL" "$DATA" large; then ok resumable_large; else bad resumable_large; fi
finish
