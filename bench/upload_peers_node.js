// busboy or @fastify/busboy on a body file, for bench/upload_peers.sh.
//
//   node upload_peers_node.js busboy|fastify MODULE BODY BOUNDARY REPS disk|memory TMPDIR
//
// The body is read into memory once and written to the parser in 64 KiB
// pieces, as a socket would hand it over. Each file part is consumed as a
// server would: `disk` pipes it into a temporary file of its own in TMPDIR
// (removed at the end of the parse), `memory` keeps its chunks. Fields are
// kept. Prints the median MB/s (10^6 bytes) over REPS parses; one parse ends
// when the parser is done and every file part is written and closed.
'use strict';
const fs = require('fs');
const path = require('path');

const [kind, modulePath, bodyPath, boundary, repsArg, store, tmpDir] = process.argv.slice(2);
const reps = Math.max(1, Number(repsArg));
const body = fs.readFileSync(bodyPath);
const headers = { 'content-type': `multipart/form-data; boundary=${boundary}`, 'content-length': String(body.length) };
const lib = require(modulePath);
const piece = 64 << 10;
let seq = 0;

function parseOnce() {
  return new Promise((resolve, reject) => {
    const fields = [], files = [];
    let open = 1;
    const done = () => { if (--open === 0) resolve({ fields, files }); };
    const onFile = (name, stream, filename) => {
      open++;
      if (store === 'disk') {
        const file = path.join(tmpDir, `part-${process.pid}-${++seq}`);
        const out = fs.createWriteStream(file);
        stream.pipe(out);
        out.on('error', reject);
        out.on('close', () => fs.unlink(file, (err) => (err ? reject(err) : (files.push(name), done()))));
      } else {
        const chunks = [];
        stream.on('data', (c) => chunks.push(c));
        stream.on('end', () => { files.push({ name, filename, chunks }); done(); });
      }
    };
    let bb;
    if (kind === 'busboy') {
      bb = lib({ headers });
      bb.on('file', (name, stream, info) => onFile(name, stream, info.filename));
      bb.on('close', done);
    } else {
      bb = new lib({ headers });
      bb.on('file', (name, stream, filename) => onFile(name, stream, filename));
      bb.on('finish', done);
    }
    bb.on('field', (name, value) => fields.push([name, value]));
    bb.on('error', reject);
    (async () => {
      for (let at = 0; at < body.length; at += piece) {
        if (!bb.write(body.subarray(at, at + piece))) await new Promise((r) => bb.once('drain', r));
      }
      bb.end();
    })().catch(reject);
  });
}

(async () => {
  const rates = [];
  let counts;
  for (let i = 0; i < reps; i++) {
    const t0 = process.hrtime.bigint();
    const got = await parseOnce();
    const secs = Number(process.hrtime.bigint() - t0) / 1e9;
    rates.push(body.length / secs / 1e6);
    counts = `${got.fields.length} fields, ${got.files.length} files`;
  }
  rates.sort((a, b) => a - b);
  console.log(`${rates[Math.floor(rates.length / 2)].toFixed(1)} ${counts}`);
})().catch((e) => { console.error(e); process.exit(1); });
