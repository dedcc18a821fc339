#!/usr/bin/env bash
# Resumable uploads (tus 1.0) against a fresh `brevane serve`, with a client
# written for the test in Python: the protocol's answers and refusals,
# checksums, termination, expiry, and an upload cut off and resumed.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
start_server
if python3 "$here/resumable_client.py" "$URL" "$DATA" basic; then ok resumable; else bad resumable; fi
finish
