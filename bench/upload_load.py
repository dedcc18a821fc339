#!/usr/bin/env python3
"""Many small uploads at once: CLIENTS connections (kept alive) each post a
64 KiB file of their own to PATH for SECONDS, then every saved file named in
the answers is checked against what its client sent. Prints requests/s.

usage: upload_load.py HOST PORT PATH SAVED_DIR CLIENTS SECONDS LABEL"""
import asyncio
import hashlib
import os
import re
import sys
import time

HOST, PORT, PATH, SAVED, CLIENTS, SECONDS, LABEL = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], int(
    sys.argv[5]), float(sys.argv[6]), sys.argv[7]
SIZE = 64 * 1024
SAVED_RE = re.compile(rb"<li class=file>file1\|[^|<]*\|([^|<]+)")


def request_for(i):
    data = os.urandom(SIZE)
    b = "----benchload%08x" % i
    body = (f"--{b}\r\nContent-Disposition: form-data; name=\"title\"\r\n\r\nclient {i}\r\n"
            f"--{b}\r\nContent-Disposition: form-data; name=\"file1\"; filename=\"c{i}.bin\"\r\n"
            "Content-Type: application/octet-stream\r\n\r\n").encode() + data + f"\r\n--{b}--\r\n".encode()
    head = (f"POST {PATH} HTTP/1.1\r\nHost: {HOST}:{PORT}\r\nReferer: http://{HOST}:{PORT}/upload/index.asp\r\n"
            f"Content-Type: multipart/form-data; boundary={b}\r\nContent-Length: {len(body)}\r\n\r\n").encode()
    return head + body, hashlib.sha256(data).hexdigest()


async def read_response(reader):
    head = await reader.readuntil(b"\r\n\r\n")
    status = int(head.split(b" ", 2)[1])
    m = re.search(rb"\r\ncontent-length:\s*(\d+)", head, re.I)
    if m:
        body = await reader.readexactly(int(m.group(1)))
    else:  # chunked
        body = b""
        while True:
            size = int((await reader.readuntil(b"\r\n")).strip().split(b";")[0], 16)
            chunk = await reader.readexactly(size + 2)
            if size == 0:
                break
            body += chunk[:-2]
    close = re.search(rb"\r\nconnection:\s*close", head, re.I) is not None
    return status, body, close


async def client(i, deadline, saved, failures):
    payload, digest = request_for(i)
    reader = writer = None
    done = 0
    while time.monotonic() < deadline:
        if writer is None:
            reader, writer = await asyncio.open_connection(HOST, PORT)
        try:
            writer.write(payload)
            await writer.drain()
            status, body, close = await read_response(reader)
        except (ConnectionError, asyncio.IncompleteReadError) as e:
            writer.close()
            writer = None
            failures.append(f"client {i}: {e!r}")
            continue
        m = SAVED_RE.search(body)
        if status != 200 or not m:
            failures.append(f"client {i}: status {status} {body[:120]!r}")
        else:
            saved.append((m.group(1).decode("latin-1"), digest))
            done += 1
        if close:
            writer.close()
            writer = None
    if writer is not None:
        writer.close()
    return done


async def main():
    saved, failures = [], []
    start = time.monotonic()
    counts = await asyncio.gather(*(client(i, start + SECONDS, saved, failures) for i in range(CLIENTS)))
    elapsed = time.monotonic() - start
    wrong = 0
    for name, digest in saved:
        try:
            with open(os.path.join(SAVED, name), "rb") as f:
                ok = hashlib.sha256(f.read()).hexdigest() == digest
        except OSError:
            ok = False
        wrong += not ok
    names = len({n for n, _ in saved})
    total = sum(counts)
    print(f"{LABEL:<8} {total / elapsed:8.0f} requests/s  ({total} uploads in {elapsed:.1f}s, "
          f"{len(failures)} failed, {wrong} saved files wrong, {total - names} names reused)")
    for f in failures[:3]:
        print("  ", f)
    for name, _ in saved:
        try:
            os.unlink(os.path.join(SAVED, name))
        except OSError:
            pass
    return 0 if not failures and not wrong and names == total else 1


sys.exit(asyncio.run(main()))
