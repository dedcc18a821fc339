"""Malformed requests for bad_requests_test.sh, each on its own connection.
Prints one line per case: "<name> <status> <what the page says>", with
status 0 when the host closed the connection without an answer."""
import re
import socket
import sys

host, port = sys.argv[1], int(sys.argv[2])
B = "b" * 30


def multipart(boundary=B, part_headers=b"", payload=b"x" * 1000):
    return (b"--%s\r\nContent-Disposition: form-data; name=\"file1\"; filename=\"a.bin\"\r\n%s\r\n%s\r\n--%s--\r\n"
            % (boundary.encode(), part_headers, payload, boundary.encode()))


def post(body, length=None, boundary=B, extra=b""):
    return (b"POST /upload/save.asp HTTP/1.1\r\nHost: %s:%d\r\nReferer: http://%s:%d/upload/index.asp\r\n"
            b"Content-Type: multipart/form-data; boundary=%s\r\nContent-Length: %d\r\n%s\r\n"
            % (host.encode(), port, host.encode(), port, boundary.encode(), len(body) if length is None else length, extra)) + body


def get_with(headers):
    return b"GET /index.asp HTTP/1.1\r\nHost: x\r\n" + headers + b"\r\n"


body = multipart()
CASES = [
    # name, bytes sent, then: "close" (half-close and read) or "wait" (stay open and read)
    ("truncated", post(body[:500], length=len(body)), "close"),
    ("short-of-length", post(body, length=len(body) + 4096), "wait"),
    ("longer-than-length", post(body[:-40] + b"x" * 5000, length=len(body) - 40 + 100), "wait"),
    ("header-section-1MiB", get_with(b"".join(b"X-Pad-%d: %s\r\n" % (i, b"p" * 1000) for i in range(1024))), "wait"),
    ("header-line-1MiB", get_with(b"X-Pad: " + b"p" * (1 << 20) + b"\r\n"), "wait"),
    ("headers-10000", get_with(b"".join(b"X-H%d: v\r\n" % i for i in range(10000))), "wait"),
    ("boundary-200", post(multipart("c" * 200), boundary="c" * 200), "wait"),
    ("part-headers-10000", post(multipart(part_headers=b"".join(b"X-P%d: v\r\n" % i for i in range(10000)))), "wait"),
]


def run(data, how):
    s = socket.create_connection((host, port), timeout=60)
    try:
        s.sendall(data)
    except OSError:
        pass  # the host may answer and close before reading everything
    if how == "close":
        try:
            s.shutdown(socket.SHUT_WR)
        except OSError:
            pass
    got = b""
    try:
        while True:
            piece = s.recv(65536)
            if not piece:
                break
            got += piece
            head, _, rest = got.partition(b"\r\n\r\n")
            m = re.search(rb"Content-Length: (\d+)", head, re.I)
            if m and len(rest) >= int(m.group(1)):
                break
    except OSError:
        pass
    s.close()
    m = re.match(rb"HTTP/1\.[01] (\d{3})", got)
    text = got.decode("gbk", "replace")
    shown = re.findall(r"Error \d+|ErrorID[^<]{0,40}|对不起[^<]{0,60}|<h1>\d+</h1><p>[^<]*|class=file>[^<]*", text)
    return (int(m.group(1)) if m else 0), " ".join(shown[:2])


only = sys.argv[3:]
for name, data, how in CASES:
    if only and name not in only:
        continue
    status, shown = run(data, how)
    print(name, status, shown or "-")
