"""Concurrent uploads through /upload/save.asp for upload_load_test.sh.

Each upload carries two files with Chinese names and two fields, all
unique to it; bodies are made from a seeded generator while they are sent,
so neither side holds them whole. Prints one line per upload:
  ok <n>  |  FAIL <n> <why>
The saved files are checked against the SHA-256 of what was sent."""
import hashlib
import http.client
import os
import random
import re
import sys
import threading

BOUNDARY = "----brevaneload7MA4YWxkTrZu0gW"
CHUNK = 1 << 20


def sizes(n):
    """File sizes from 1 KiB to 64 MiB: one big file per upload doubling
    round a cycle, one small one beside it."""
    return (1024 << (n % 17), 1024 * (1 + (n * 37) % 64))


def part_head(name, filename=None):
    disp = 'form-data; name="%s"' % name
    if filename is not None:
        disp += '; filename="%s"' % filename
    head = "--%s\r\nContent-Disposition: %s\r\n" % (BOUNDARY, disp)
    if filename is not None:
        head += "Content-Type: application/octet-stream\r\n"
    return (head + "\r\n").encode("gbk")


def upload(host, port, data_dir, n, results):
    big, small = sizes(n)
    files = [("file1", "负载测试%03d甲.bin" % n, big), ("file2", "负载测试%03d乙.dat" % n, small)]
    fields = [("title", "标题%03d" % n), ("memo", "备注-%03d-%s" % (n, "x" * (n % 50)))]
    digests = {}
    pieces = []  # (bytes) or (seed, size, field) for a file's content
    for name, value in fields:
        pieces.append(part_head(name) + value.encode("gbk") + b"\r\n")
    for field, filename, size in files:
        pieces.append(part_head(field, filename))
        pieces.append((n * 2 + (field == "file2"), size, field))
        pieces.append(b"\r\n")
    pieces.append(("--%s--\r\n" % BOUNDARY).encode())
    length = sum(len(p) if isinstance(p, bytes) else p[1] for p in pieces)

    def body():
        for p in pieces:
            if isinstance(p, bytes):
                yield p
                continue
            seed, size, field = p
            rng, h = random.Random(seed), hashlib.sha256()
            left = size
            while left:
                block = rng.randbytes(min(CHUNK, left))
                h.update(block)
                left -= len(block)
                yield block
            digests[field] = h.hexdigest()

    try:
        conn = http.client.HTTPConnection(host, port, timeout=600)
        conn.putrequest("POST", "/upload/save.asp")
        conn.putheader("Content-Type", "multipart/form-data; boundary=" + BOUNDARY)
        conn.putheader("Content-Length", str(length))
        conn.putheader("Referer", "http://%s:%d/upload/index.asp" % (host, port))
        conn.endheaders()
        for block in body():
            conn.send(block)
        resp = conn.getresponse()
        page = resp.read().decode("gbk", "replace")
        conn.close()
    except OSError as e:
        results[n] = "FAIL %d %s" % (n, e)
        return
    if resp.status != 200:
        results[n] = "FAIL %d status %d" % (n, resp.status)
        return
    saved = dict((m[0], m[1:]) for m in re.findall(r"<li class=file>(\w+)\|([^|<]*)\|([^|<]*)\|(\d+)</li>", page))
    want_fields = "title=%s|memo=%s" % (fields[0][1], fields[1][1])
    if want_fields not in page:
        results[n] = "FAIL %d fields not its own: %s" % (n, re.findall(r"<p class=fields>[^<]*", page))
        return
    for field, filename, size in files:
        if field not in saved:
            results[n] = "FAIL %d %s not saved: %s" % (n, field, page[:300])
            return
        client_name, saved_name, shown_size = saved[field]
        if client_name != filename or int(shown_size) != size:
            results[n] = "FAIL %d %s is %s (%s bytes), sent %s (%d)" % (n, field, client_name, shown_size, filename, size)
            return
        with open(os.path.join(data_dir, saved_name), "rb") as f:
            h = hashlib.sha256()
            for block in iter(lambda: f.read(CHUNK), b""):
                h.update(block)
        if h.hexdigest() != digests[field]:
            results[n] = "FAIL %d %s saved as %s differs from what was sent" % (n, field, saved_name)
            return
    results[n] = "ok %d %s %s" % (n, saved["file1"][1], saved["file2"][1])


def main():
    host, port, data_dir, count = sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4])
    results = {}
    threads = [threading.Thread(target=upload, args=(host, port, data_dir, n, results)) for n in range(count)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for n in range(count):
        print(results.get(n, "FAIL %d no result" % n))


if __name__ == "__main__":
    main()
