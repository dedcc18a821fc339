#!/usr/bin/env python3
"""A small tus 1.0 client against `brevane serve`'s resumable uploads.

Usage: resumable_client.py BASE_URL DATA_DIR [basic|large]
basic: the protocol's answers, checksums, termination, expiry, the upload
rules, and a 24 MiB upload cut off after 16 MiB and resumed.
large: a 1 GiB upload cut off at 40 % and resumed; the saved file must be
byte for byte the one sent.
Prints "ok   ..." / "FAIL ..." lines; exits 1 on any failure.
"""
import base64
import glob
import hashlib
import http.client
import os
import sys
import time
import urllib.parse

base, data_dir = sys.argv[1], sys.argv[2]
mode = sys.argv[3] if len(sys.argv) > 3 else 'basic'
url = urllib.parse.urlsplit(base)
TUS = '/brevane-tus/'
V = {'Tus-Resumable': '1.0.0'}
failures = 0


def check(name, cond, detail=''):
    global failures
    if cond:
        print(f'ok   {name}')
    else:
        failures += 1
        print(f'FAIL {name}{": " + str(detail) if detail else ""}')


def request(method, path, headers=None, body=None):
    c = http.client.HTTPConnection(url.hostname, url.port, timeout=120)
    try:
        c.request(method, path, body=body, headers=headers or {})
    except OSError:
        pass  # answered (and closed) before the whole body was taken: read the answer
    try:
        r = c.getresponse()
    except OSError:
        return 0, {}, b''
    data = r.read()
    c.close()
    return r.status, {k.lower(): v for k, v in r.getheaders()}, data


def meta(**kv):
    return ','.join(f'{k} {base64.b64encode(v.encode()).decode()}' for k, v in kv.items())


def create(length, name):
    return request('POST', TUS, {**V, 'Upload-Length': str(length), 'Upload-Metadata': meta(filename=name)})


def head(loc):
    return request('HEAD', loc, V)


def patch(loc, offset, body, checksum=None, ctype='application/offset+octet-stream'):
    h = {**V, 'Upload-Offset': str(offset), 'Content-Type': ctype}
    if checksum:
        h['Upload-Checksum'] = checksum
    return request('PATCH', loc, h, body)


def sha1_b64(b):
    return 'sha1 ' + base64.b64encode(hashlib.sha1(b).digest()).decode()


def content(offset, n):
    """Bytes [offset, offset+n) of a file whose every 64 KiB block is marked
    with its number, so a piece written at the wrong place shows."""
    out = bytearray()
    block = 65536
    while n > 0:
        i, within = divmod(offset, block)
        b = i.to_bytes(8, 'little') + SEED[8:]
        take = min(n, block - within)
        out += b[within:within + take]
        offset += take
        n -= take
    return bytes(out)


SEED = os.urandom(65536)


def cut_off_patch(loc, offset, total, stop_at, piece=1 << 20, checksum=None):
    """A PATCH announcing the rest of the file that stops at `stop_at` and
    drops the connection, as a client losing its network would."""
    c = http.client.HTTPConnection(url.hostname, url.port, timeout=120)
    c.putrequest('PATCH', loc)
    for k, v in {**V, 'Upload-Offset': str(offset), 'Content-Type': 'application/offset+octet-stream',
                 'Content-Length': str(total - offset), **({'Upload-Checksum': checksum} if checksum else {})}.items():
        c.putheader(k, v)
    c.endheaders()
    pos = offset
    while pos < stop_at:
        n = min(piece, stop_at - pos)
        c.send(content(pos, n))
        pos += n
    c.sock.close()
    c.close()


def settle(loc):
    """The offset once the server is done with a cut-off request (it may
    still be reading what was sent when the client has gone): an empty
    PATCH is refused with 423 while the upload is being written."""
    for _ in range(600):
        s, h, _ = head(loc)
        offset = h.get('upload-offset')
        if offset is not None and patch(loc, int(offset), b'')[0] == 204:
            return int(offset)
        time.sleep(0.1)
    return None


def resume(loc, total, piece=8 << 20):
    """HEAD for the offset, then PATCH on from there; tolerate the server
    still finishing the cut-off request (423, or 409 for a stale offset).
    Returns (offset the server reported first, final answer's headers)."""
    first = settle(loc)
    deadline = time.time() + 60
    while time.time() < deadline:
        s, h, _ = head(loc)
        offset = int(h.get('upload-offset', '-1'))
        done = None
        while offset < total:
            n = min(piece, total - offset)
            s, h, body = patch(loc, offset, content(offset, n))
            if s != 204:
                break
            offset = int(h['upload-offset'])
            done = h
        else:
            return first, done
        if s not in (0, 409, 423):
            return first, {'status': s, 'body': body}
        time.sleep(0.1)
    return first, None


def saved_path(h):
    name = h.get('brevane-file', '') if h else ''
    return os.path.join(data_dir, 'UploadFile', name) if name else ''


def file_sha1(path):
    d = hashlib.sha1()
    with open(path, 'rb') as f:
        while True:
            b = f.read(1 << 20)
            if not b:
                return d.hexdigest()
            d.update(b)


def basic():
    s, h, _ = request('OPTIONS', TUS)
    check('OPTIONS names version, extensions and sha1',
          s == 204 and h.get('tus-version') == '1.0.0' and
          {'creation', 'termination', 'checksum'} <= set(h.get('tus-extension', '').split(',')) and
          h.get('tus-checksum-algorithm') == 'sha1' and h.get('tus-max-size') == str(2 << 30), (s, h))

    refusals = [
        ('without Tus-Resumable', {'Upload-Length': '5'}, 412),
        ('without Upload-Length', {**V}, 400),
        ('with a bad length', {**V, 'Upload-Length': '-5'}, 400),
        ('with bad metadata', {**V, 'Upload-Length': '5', 'Upload-Metadata': 'filename !!!'}, 400),
        ('of a type the rules refuse', {**V, 'Upload-Length': '5', 'Upload-Metadata': meta(filename='x.asp')}, 415),
        ('above the size limit', {**V, 'Upload-Length': str(3 << 30), 'Upload-Metadata': meta(filename='x.bin')}, 413),
    ]
    for name, headers, want in refusals:
        s, _, body = request('POST', TUS, headers)
        check(f'creation {name}: {want}', s == want, (s, body[:200]))
    s, _, body = request('POST', TUS, {**V, 'Upload-Length': '5', 'Upload-Metadata': meta(filename='x.asp')})
    check('the refusal says why, as the parser does', '不允许上传该类文件' in body.decode('utf-8', 'replace'), body)

    data = content(0, 3_000_000)
    s, h, _ = create(len(data), '说明.txt')
    loc = h.get('location', '')
    check('creation: 201 with a Location', s == 201 and loc.startswith(TUS), (s, h))
    s, h, _ = head(loc)
    check('HEAD of a new upload: offset 0, the length',
          s == 200 and h.get('upload-offset') == '0' and h.get('upload-length') == str(len(data)) and
          h.get('cache-control') == 'no-store', (s, h))
    half = len(data) // 2
    cases = [
        ('wrong content type: 415', dict(ctype='application/octet-stream'), 0, 415),
        ('wrong offset: 409', {}, 1000, 409),
        ('sha1 that does not match: 460', dict(checksum=sha1_b64(b'other')), 0, 460),
        ('unknown checksum algorithm: 400', dict(checksum='md5 AAAA'), 0, 400),
    ]
    for name, kw, offset, want in cases:
        s, _, _ = patch(loc, offset, data[offset:half], **kw)
        check(f'PATCH with {name}', s == want, s)
    s, h, _ = head(loc)
    check('a refused piece leaves nothing behind', h.get('upload-offset') == '0', h)
    s, h, _ = patch(loc, 0, data[:half], checksum=sha1_b64(data[:half]))
    check('PATCH with a matching sha1: 204 and the new offset', s == 204 and h.get('upload-offset') == str(half), (s, h))
    s, h, _ = patch(loc, half, data[half:] + b'x')
    check('PATCH past Upload-Length: 413', s == 413, s)
    s, h, _ = patch(loc, half, data[half:])
    path = saved_path(h)
    check('last PATCH saves the file under a generated name',
          s == 204 and h.get('upload-offset') == str(len(data)) and len(os.path.basename(path)) == 22 and
          path.endswith('.txt'), (s, h))
    check('the saved file is the one sent', path and open(path, 'rb').read() == data)
    s, h, _ = head(loc)
    check('HEAD after the end: complete', s == 200 and h.get('upload-offset') == str(len(data)), (s, h))
    check('the partial file is gone once saved', not glob.glob(os.path.join(data_dir, 'temp/tus/*.part')))

    # Cut off half-way through one PATCH: what arrived is kept, the rest follows;
    # unless the piece carried a checksum, which cannot be checked then.
    # (More than the socket buffers hold, so the server is reading when the
    # client goes.)
    total = 24 << 20
    s, h, _ = create(total, 'cut.bin')
    loc = h['location']
    cut_off_patch(loc, 0, total, 16 << 20, checksum=sha1_b64(content(0, total)))
    check('an interrupted PATCH with a checksum keeps nothing', settle(loc) == 0)
    cut_off_patch(loc, 0, total, 16 << 20)
    first, final = resume(loc, total)
    path = saved_path(final)
    check('an interrupted PATCH keeps what arrived', first is not None and 0 < first <= 16 << 20, first)
    check('resumed upload is saved intact', path and file_sha1(path) == hashlib.sha1(content(0, total)).hexdigest(),
          final)

    s, h, _ = create(100, 'gone.txt')
    loc = h['location']
    patch(loc, 0, b'y' * 40)
    s, _, _ = request('DELETE', loc, V)
    check('DELETE: 204', s == 204, s)
    s, _, _ = head(loc)
    check('HEAD after DELETE: 404', s == 404, s)
    check('termination removes the partial files', not glob.glob(os.path.join(data_dir, 'temp/tus/' + loc[-32:] + '*')))

    # Expiry: an upload untouched for two days goes at the next creation.
    s, h, _ = create(100, 'old.txt')
    old = h['location']
    stale = time.time() - 2 * 86400
    for f in glob.glob(os.path.join(data_dir, 'temp/tus/' + old[-32:] + '.*')):
        os.utime(f, (stale, stale))
    create(1, 'new.txt')
    s, _, _ = head(old)
    check('an expired upload is removed', s == 404 and not glob.glob(os.path.join(data_dir, 'temp/tus/' + old[-32:] + '*')),
          s)


def large():
    total = 1 << 30
    s, h, _ = create(total, 'large.bin')
    loc = h.get('location', '')
    check('1 GiB upload created', s == 201, s)
    t0 = time.time()
    cut_off_patch(loc, 0, total, int(total * 0.4), piece=4 << 20)
    first, final = resume(loc, total, piece=64 << 20)
    took = time.time() - t0
    path = saved_path(final)
    check('the 1 GiB upload resumed where it stopped', first is not None and 0 < first <= int(total * 0.4), first)
    expected = hashlib.sha1()
    for off in range(0, total, 16 << 20):
        expected.update(content(off, 16 << 20))
    check('the saved 1 GiB file is intact', path and os.path.getsize(path) == total and
          file_sha1(path) == expected.hexdigest(), final)
    print(f'note 1 GiB sent in two pieces and saved in {took:.1f} s')


basic() if mode == 'basic' else large()
sys.exit(1 if failures else 0)
