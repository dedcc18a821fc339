"""Bad clients for the web host: many that trickle a body, one that drops
in the middle of an upload. Used by slow_clients_test.sh."""
import socket
import sys
import threading
import time


def trickle(host, port, count, seconds):
    """`count` POSTs whose bodies arrive a byte or two a second, and as many
    connections that send nothing. Prints how many of each the host had
    closed by the end."""
    socks, idle = [], []
    for _ in range(count):
        s = socket.create_connection((host, port))
        s.sendall(b"POST /upload/save.asp HTTP/1.1\r\nHost: x\r\n"
                  b"Content-Type: multipart/form-data; boundary=b\r\nContent-Length: 100000\r\n\r\n")
        socks.append(s)
        idle.append(socket.create_connection((host, port)))
    print("ready", flush=True)
    end = time.time() + seconds
    while time.time() < end:
        for s in socks:
            try:
                s.send(b"-")
            except OSError:
                pass
        time.sleep(0.5)

    def closed(group):
        """How many the host has closed (an answer, then the end)."""
        n = 0
        for s in group:
            s.settimeout(2)
            try:
                while s.recv(65536):
                    pass
                n += 1
            except ConnectionResetError:  # closed with our trickle unread
                n += 1
            except OSError:
                pass
        return n

    print("closed: trickling %d/%d idle %d/%d" % (closed(socks), count, closed(idle), count))
    for s in socks + idle:
        s.close()


def drop(host, port, announced, sent):
    """An upload that announces `announced` bytes and goes away after `sent`."""
    s = socket.create_connection((host, port))
    head = (b"--b\r\nContent-Disposition: form-data; name=\"file1\"; filename=\"gone.bin\"\r\n"
            b"Content-Type: application/octet-stream\r\n\r\n")
    s.sendall(b"POST /upload/save.asp HTTP/1.1\r\nHost: x\r\n"
              b"Content-Type: multipart/form-data; boundary=b\r\n"
              b"Content-Length: %d\r\n\r\n" % announced + head)
    chunk = b"\x5a" * (1 << 20)
    for _ in range(sent >> 20):
        s.sendall(chunk)
    s.close()


if __name__ == "__main__":
    mode, host, port = sys.argv[1], sys.argv[2], int(sys.argv[3])
    if mode == "trickle":
        trickle(host, port, int(sys.argv[4]), float(sys.argv[5]))
    else:
        drop(host, port, int(sys.argv[4]), int(sys.argv[5]))
