// The roll-over script run against a small fake document: the behaviour a
// browser sees. Usage: node swapimage_test.js BREVANE_BINARY
'use strict';
const { execFileSync } = require('child_process');
const assert = require('assert');

const block = execFileSync(process.argv[2], ['call', 'CommScriptSwapImage']).toString().trim();
const body = block.replace(/^<Script Language="JavaScript">/, '').replace(/<\/Script>$/, '');

function load(doc, parent) {
  const fn = new Function('document', 'parent', 'Image',
    body + ';return {ZeltoSwapImgRestore, ZeltoPreloadImages, ZeltoFindObject, ZeltoSwapImage};');
  return fn(doc, parent || { frames: [] }, function Image() { this.src = ''; });
}

let passed = 0;
function check(name, f) { f(); passed++; }

check('swap then restore, fourth argument unread', () => {
  const img = { src: 'a1.gif' };
  const doc = { images: [img], close: img, forms: [] };
  const s = load(doc);
  s.ZeltoSwapImage('close', '', 'a2.gif', { get never() { throw new Error('read'); } });
  assert.strictEqual(img.src, 'a2.gif');
  assert.strictEqual(img.oSrc, 'a1.gif');
  s.ZeltoSwapImage('close', '', 'a3.gif');
  assert.strictEqual(img.oSrc, 'a1.gif');  // the first source is kept
  s.ZeltoSwapImgRestore();
  assert.strictEqual(img.src, 'a1.gif');
  s.ZeltoSwapImgRestore();                 // repeatable
  assert.strictEqual(img.src, 'a1.gif');
});

check('restore before any swap does nothing', () => {
  const s = load({ images: [], forms: [] });
  s.ZeltoSwapImgRestore();
});

check('preload skips anchors and keeps one list', () => {
  const doc = { images: [], forms: [] };
  const s = load(doc);
  s.ZeltoPreloadImages('x.gif', '#top', 'y.gif');
  s.ZeltoPreloadImages('z.gif');
  assert.deepStrictEqual(doc.mm_p.map(i => i.src), ['x.gif', 'y.gif', 'z.gif']);
  const bare = {};
  load(bare).ZeltoPreloadImages('x.gif');
  assert.strictEqual(bare.mm_p, undefined);
});

check('lookup order: names, all, forms, every layer, getElementById', () => {
  const byId = { id: 1 };
  const inLayer = { layer: 1 };
  const doc = {
    forms: [{}, { f: 'form' }],
    all: { a: 'all' },
    layers: [{ document: { forms: [] } }, { document: { forms: [], deep: inLayer } }],
    getElementById: n => (n === 'byid' ? byId : null),
    own: 'own',
  };
  const s = load(doc);
  assert.strictEqual(s.ZeltoFindObject('own'), 'own');
  assert.strictEqual(s.ZeltoFindObject('a'), 'all');
  assert.strictEqual(s.ZeltoFindObject('f'), 'form');
  assert.strictEqual(s.ZeltoFindObject('deep'), inLayer);
  assert.strictEqual(s.ZeltoFindObject('byid'), byId);
  assert.ok(!s.ZeltoFindObject('none'));
});

check('name?frame looks in the parent window\'s frame', () => {
  const target = { t: 1 };
  const parent = { frames: Object.assign([{}], { top: { document: { forms: [], pic: target } } }) };
  const s = load({ forms: [] }, parent);
  assert.strictEqual(s.ZeltoFindObject('pic?top'), target);
});

console.log(`${passed} passed`);
