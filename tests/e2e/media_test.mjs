// The player pages in headless Chromium: the plug-in objects are not there,
// so the HTML5 fallback inside them has to play the WAV and the MP4; the
// image viewer's DrawImage has to shrink a wide picture to 500 pixels.
// Usage: node media_test.mjs SITE_URL PICTURE_SERVER_URL HAVE_MP4
import { withChromium } from './browser.mjs';

const [site, pics, haveMp4] = process.argv.slice(2);
let failed = false;
const check = (ok, what, detail = '') => {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${ok ? '' : ': ' + detail}`);
  if (!ok) failed = true;
};

// Plays the page's HTML5 element until its clock moves (or it fails).
async function plays(page) {
  return page.evaluate(async () => {
    const m = document.getElementById('html5player');
    if (!m) return 'no html5player element';
    m.muted = true;
    try { await m.play(); } catch (e) { return 'play(): ' + e; }
    for (let i = 0; i < 100 && m.currentTime === 0 && !m.error; i++) await new Promise((r) => setTimeout(r, 50));
    if (m.error) return 'media error ' + m.error.code;
    return m.currentTime > 0 ? 'playing' : 'clock did not move';
  });
}

const finished = await withChromium({ chromiumArgs: ['--autoplay-policy=no-user-gesture-required'] }, async (context) => {
  const page = await context.newPage();
  const q = (type, url, extra = '') =>
    `${site}/media/play.asp?FileType=${type}&Url=${encodeURIComponent(url)}&Title=demo${extra}`;

  await page.goto(q('Music', `${pics}/media/demo.wav`));
  check((await page.locator('object#player audio#html5player').count()) === 1, 'music page: audio inside the RealPlayer object');
  const wav = await plays(page);
  check(wav === 'playing', 'WAV plays', wav);

  // rtsp by its extension list (mp3 would be), here forced: the object keeps its HTML5 audio.
  await page.goto(q('Movie', `${pics}/media/demo.wav`, '&RunSystem=rtsp'));
  check((await page.locator('object#player').count()) === 1, 'movie page with rtsp: RealPlayer object');

  if (haveMp4 === '1') {
    await page.goto(q('Movie', `${pics}/media/demo.mp4`));
    check((await page.locator('object').count()) === 0, 'mp4 has no plug-in object');
    const mp4 = await plays(page);
    check(mp4 === 'playing', 'MP4 plays', mp4);
    await page.goto(q('Movie', `${pics}/media/demo.mp4`, '&RunSystem=mms'));
    check((await page.locator('object#MediaPlayer1 video#html5player').count()) === 1,
      'mms page: video inside the Windows Media object');
    const mms = await plays(page);
    check(mms === 'playing', 'MP4 plays inside the Windows Media object', mms);
  }

  await page.goto(q('Image', `${pics}/pics/wide.png`));
  const img = page.locator('img[title]');
  await page.waitForFunction(() => { const i = document.querySelector('img[title]'); return i && i.complete; });
  const width = await img.evaluate((i) => i.width);
  check(width === 500, 'image viewer shrinks an 800 pixel picture to 500', `width ${width}`);
});
process.exit(!finished || failed ? 1 : 0);
