#!/usr/bin/env python3
"""Test HTTP server for the media end-to-end test, on 127.0.0.1 at a port the
system picks (printed on the first line). Serves two pictures, a wide picture,
an error page under a picture name, a picture larger than the fetch limit, a
redirect into the local network, a picture that never answers, and the media
files in the folder given as the first argument."""
import http.server
import os
import struct
import sys
import threading
import zlib

MEDIA = sys.argv[1]


def png(w, h, rgb):
    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
    rows = b"".join(b"\0" + bytes(rgb) * w for _ in range(h))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


GIF = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00\x00,"
       b"\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")
FILES = {
    "/pics/one.png": ("image/png", png(2, 2, (200, 30, 30))),
    "/pics/TWO.GIF": ("image/gif", GIF),
    "/pics/wide.png": ("image/png", png(800, 100, (30, 120, 200))),
    "/pics/page.jpg": ("text/html", b"<html><body>not found</body></html>"),
    "/pics/big.png": ("image/png", png(1, 1, (0, 0, 0)) + b"\0" * (21 << 20)),
}
# Written out for the test to compare with what the site saved.
for name in ("one.png", "TWO.GIF"):
    with open(os.path.join(MEDIA, name), "wb") as f:
        f.write(FILES["/pics/" + name][1])


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_GET(self):
        path = self.path.split("?")[0]
        if path == "/pics/away.png":
            self.send_response(302)
            self.send_header("Location", "http://10.255.0.1/x/pic.png")
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if path == "/pics/never.png":
            threading.Event().wait()  # until the process ends
        if path in FILES:
            ctype, body = FILES[path]
        elif path.startswith("/media/") and os.path.isfile(os.path.join(MEDIA, os.path.basename(path))):
            with open(os.path.join(MEDIA, os.path.basename(path)), "rb") as f:
                body = f.read()
            ctype = {"wav": "audio/wav", "mp4": "video/mp4"}.get(path.rsplit(".", 1)[-1], "application/octet-stream")
        else:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Access-Control-Allow-Origin", "*")
        self.end_headers()
        self.wfile.write(body)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
