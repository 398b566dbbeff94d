// The web page in headless Chromium: it loads without console errors; at every reference moment
// its still frame equals the desktop's --render frame (PSNR); a real-time run advances, names its
// rate in the title, pauses, seeks and keeps the soundtrack with the picture; a missing or cut
// data package and bad URL parameters are told on the page; the show ends on its closing screen.
//
// usage: node web_page_test.mjs DIST NATIVE_BUILD OUT [--bench]
//   DIST: dist/web; NATIVE_BUILD: the desktop build (its lumivane renders the frames compared
//   against); OUT: screenshots, frames and figures. --bench also prints the median frame time of
//   each scene, the page's fixed-step bench against the desktop's --bench.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [distDir, nativeDir, outDir] = process.argv.slice(2, 5).map((p) => p && path.resolve(p));
const bench = process.argv.includes('--bench');
if (!distDir || !nativeDir || !outDir) {
  console.error('usage: node web_page_test.mjs DIST NATIVE_BUILD OUT [--bench]');
  process.exit(2);
}
fs.mkdirSync(outDir, { recursive: true });

// The show's schedule, as the frame driver has it: scene k ends at kSceneEnds[k - 1].
const beat = 60000 / 140;
const sceneEnds = [39.3, 71, 155, 187, 220, 223.5, 287, 350.8, 416, 479, 482, 492].map((b) => b * beat);
const sceneStart = (k) => (k === 1 ? 0 : sceneEnds[k - 2]);
const sceneLength = (k) => sceneEnds[k - 1] - sceneStart(k);
const kMinPsnr = 30, kMinSmoothPsnr = 35, kAudioSlackMs = 50;

let failures = 0;
function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures++;
}

// --- a static server of DIST, with broken variants of the data package -------------------------
const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.json': 'application/json',
                '.wasm': 'application/wasm' };
const server = http.createServer((req, res) => {
  const url = new URL(req.url, 'http://x');
  let variant = '', file = url.pathname;
  const m = /^\/(missing|short|corrupt|baddata)(\/.*)$/.exec(file);
  if (m) [, variant, file] = m;
  if (file.endsWith('/')) file += 'index.html';
  const root = variant === 'baddata' && /^\/lumivane\.(json|data\.gz)$/.test(file) ? badDist : distDir;
  const full = path.join(root, path.normalize(file));
  if (!full.startsWith(root) || !fs.existsSync(full)) { res.writeHead(404); res.end(); return; }
  let body = fs.readFileSync(full);
  if (file.endsWith('.data.gz')) {
    if (variant === 'missing') { res.writeHead(404); res.end(); return; }
    if (variant === 'short') body = body.subarray(0, body.length >> 1);
    if (variant === 'corrupt') { body = Buffer.from(body); body[body.length >> 1] ^= 0x55; }
  }
  res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                       'Cache-Control': 'no-store' });
  res.end(body);
});
// A data set of one's own with a texture cut short, packed as `build-web.sh --data` packs it.
const badDist = fs.mkdtempSync(path.join(os.tmpdir(), 'lumivane-baddata-'));
{
  const data = path.join(badDist, 'data');
  fs.cpSync(path.join(nativeDir, 'data'), data, { recursive: true });
  const texture = path.join(data, 'hane2.bmp');
  fs.writeFileSync(texture, fs.readFileSync(texture).subarray(0, 100));
  const packer = path.join(path.dirname(path.dirname(path.dirname(new URL(import.meta.url).pathname))),
                           'scripts', 'pack-web-data.py');
  const packed = spawnSync('python3', [packer, data, path.join(nativeDir, 'glyphs.bin'),
                                       path.join(distDir, 'lumivane.wasm'), badDist], { encoding: 'utf8' });
  if (packed.status !== 0) throw new Error(`packing the broken data set: ${packed.stderr}`);
}
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const base = `http://127.0.0.1:${server.address().port}`;

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'lumivane-chromium-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--autoplay-policy=no-user-gesture-required', `--user-data-dir=${profile}`],
  defaultViewport: { width: 800, height: 600, deviceScaleFactor: 1 },
});

// A page that records its console errors and uncaught exceptions.
async function openPage(query = '', prefix = '') {
  const page = await browser.newPage();
  page.errors = [];
  page.on('console', (m) => { if (m.type() === 'error') page.errors.push(m.text()); });
  page.on('pageerror', (e) => page.errors.push(String(e)));
  await page.goto(`${base}${prefix}/${query}`, { waitUntil: 'load' });
  return page;
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const messages = (page) => page.$$eval('#messages .message', (boxes) => boxes.map((b) => b.textContent));
const shot = (page, name) => page.screenshot({ path: path.join(outDir, name) });
const framesDone = (page) => page.evaluate(() => window.lumivane.page.framesDone);

async function startShow(page) {
  await page.waitForSelector('#start:not([disabled])', { timeout: 60000 });
  await page.click('#start');
  await page.waitForFunction(() => window.lumivane.page.framesDone > 5, { polling: 250, timeout: 60000 });
}

try {
  // --- the start screen, a real-time run ----------------------------------------------------------
  {
    const page = await openPage('?seed=1');
    await page.waitForSelector('#start:not([disabled])', { timeout: 60000 });
    await shot(page, 'start-screen.png');
    await startShow(page);
    const f0 = await framesDone(page);
    await sleep(2500);
    const title = await page.title();
    check(/^lumivane FPS:\d+$/.test(title), `the title carries the rate: "${title}"`);
    const f1 = await framesDone(page);
    check(f1 > f0 + 10, `frames advance (${f1 - f0} in 2.5 s)`);
    const state = await page.evaluate(() => window.lumivane.audio.context() && window.lumivane.audio.context().state);
    check(state === 'running', `the audio context runs (${state})`);
    // The soundtrack's position against the demo clock, while playing.
    let worst = 0;
    for (let i = 0; i < 10; ++i) {
      const [audioMs, demoMs] = await page.evaluate(() =>
        [window.lumivane.audio.positionMs(), window.lumivane.instance._lumivane_probe_demo_ms()]);
      worst = Math.max(worst, Math.abs(audioMs - demoMs));
      await sleep(150);
    }
    check(worst <= kAudioSlackMs, `the soundtrack follows the demo clock (worst ${worst.toFixed(1)} ms)`);
    // Space holds the picture and the soundtrack.
    await page.keyboard.press('Space');
    await sleep(400);
    const held1 = await page.screenshot();
    const heldAudio1 = await page.evaluate(() => window.lumivane.audio.positionMs());
    await sleep(700);
    const held2 = await page.screenshot();
    const heldAudio2 = await page.evaluate(() => window.lumivane.audio.positionMs());
    check(Buffer.compare(held1, held2) === 0, 'Space holds the picture (two screenshots equal)');
    check(heldAudio1 === heldAudio2, 'Space holds the soundtrack');
    await page.keyboard.press('Space');
    await sleep(600);
    const moving = await page.screenshot();
    check(Buffer.compare(held2, moving) !== 0, 'Space again resumes the picture');
    // Right moves demo time by 1 s beyond the time that passed.
    const before = await page.evaluate(() => [window.lumivane.instance._lumivane_probe_demo_ms(), performance.now()]);
    await page.keyboard.press('ArrowRight');
    await sleep(300);
    const after = await page.evaluate(() => [window.lumivane.instance._lumivane_probe_demo_ms(), performance.now()]);
    const jumped = after[0] - before[0] - (after[1] - before[1]);
    check(Math.abs(jumped - 1000) < 60, `Right moves the time by 1 s (${jumped.toFixed(0)} ms)`);
    await sleep(500);
    const [audioMs, demoMs] = await page.evaluate(() =>
      [window.lumivane.audio.positionMs(), window.lumivane.instance._lumivane_probe_demo_ms()]);
    check(Math.abs(audioMs - demoMs) <= kAudioSlackMs,
          `the soundtrack follows the seek (${Math.abs(audioMs - demoMs).toFixed(1)} ms)`);
    await sleep(Math.max(0, 10000 - 2500 - 1500 - 1100 - 1400));
    const f2 = await framesDone(page);
    check(f2 > f1 + 20, `frames still advance after 10 s (${f2} frames)`);
    const firstFrame = await page.evaluate(() => window.lumivane.page.firstFrameAt);
    fs.writeFileSync(path.join(outDir, 'figures.txt'), `first frame after opening (with the click): ${firstFrame.toFixed(0)} ms\n`);
    check(page.errors.length === 0, `no console errors (${page.errors.join(' | ')})`);
    await page.close();
  }

  {
    // Sharp on high-density screens: the canvas's pixels are the window's device pixels, and it
    // follows the window; the picture keeps 4:3 between bars (seen on the screenshots).
    const page = await openPage('?seed=1&from=2000');
    await page.setViewport({ width: 640, height: 400, deviceScaleFactor: 2 });
    await startShow(page);
    await sleep(500);
    let size = await page.$eval('#canvas', (c) => [c.width, c.height]);
    check(size[0] === 1280 && size[1] === 800, `the canvas has the device pixels of a 640x400 window at 2x (${size})`);
    await shot(page, 'high-density-wide.png');
    await page.setViewport({ width: 500, height: 600, deviceScaleFactor: 1 });
    await page.waitForFunction(() => document.getElementById('canvas').width === 500, { polling: 250, timeout: 10000 }).catch(() => {});
    await sleep(500);
    size = await page.$eval('#canvas', (c) => [c.width, c.height]);
    check(size[0] === 500 && size[1] === 600, `the canvas follows the window to 500x600 (${size})`);
    await shot(page, 'narrow-window.png');
    check(page.errors.length === 0, `no console errors while resizing (${page.errors.join(' | ')})`);
    await page.close();
  }

  // --- bad input: URL parameters and broken packages ----------------------------------------------
  {
    const page = await openPage('?from=abc&seed=-3&size=10x10');
    await page.waitForSelector('#start:not([disabled])', { timeout: 60000 });
    const said = (await messages(page)).join('\n');
    check(/from=abc/.test(said) && /seed=-3/.test(said) && /size=10x10/.test(said),
          'bad from, seed and size are named on the page');
    await startShow(page);
    await sleep(500);
    // From the start: the demo time is about the time since the first picture (however slowly the
    // first frames came), where a time taken from a bad parameter would lie far beyond it.
    const [t, since] = await page.evaluate(() => [window.lumivane.instance._lumivane_probe_demo_ms(),
                                                  performance.now() - window.lumivane.page.firstFrameAt]);
    check(t >= 0 && t < since + 1500,
          `and the show plays from the start (t = ${t.toFixed(0)} ms, ${since.toFixed(0)} ms after the first picture)`);
    await page.close();
  }
  for (const [variant, pattern] of [['missing', /lumivane\.data\.gz.*HTTP 404/], ['short', /cut short/],
                                    ['corrupt', /corrupt/]]) {
    const page = await openPage('', `/${variant}`);
    await page.waitForFunction(() => document.body.dataset.failed === '1', { polling: 250, timeout: 60000 });
    const said = (await messages(page)).join('\n');
    check(pattern.test(said), `a ${variant} data package is told on the page: "${said}"`);
    check(await page.$eval('#start', (b) => b.disabled), `and the show does not start on a ${variant} package`);
    if (variant === 'short') await shot(page, 'package-cut-short.png');
    await page.close();
  }

  {
    // A texture the reader refuses: the show's own message on the page, and the show goes on.
    const page = await openPage('?from=500', '/baddata');
    await startShow(page);
    await page.waitForFunction(() => document.querySelectorAll('#messages .message').length > 0, { polling: 250, timeout: 30000 });
    const said = (await messages(page)).join('\n');
    check(/hane2\.bmp/.test(said), `a texture cut short is named on the page: "${said}"`);
    const f0 = await framesDone(page);
    const goesOn = await page.waitForFunction((n) => window.lumivane.page.framesDone > n + 5, { polling: 250, timeout: 60000 }, f0)
      .then(() => true, () => false);
    check(goesOn, 'and the show goes on');
    await shot(page, 'texture-message.png');
    await page.close();
  }
  {
    // A browser without WebGL: one clear message, no show.
    const bare = await puppeteer.launch({
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
      args: ['--headless', '--no-sandbox', '--disable-webgl', '--disable-3d-apis', '--no-first-run',
             `--user-data-dir=${fs.mkdtempSync(path.join(os.tmpdir(), 'lumivane-chromium-'))}`],
    });
    const page = await bare.newPage();
    await page.goto(`${base}/`, { waitUntil: 'load' });
    await page.waitForFunction(() => document.body.dataset.failed === '1', { polling: 250, timeout: 30000 });
    const said = (await messages(page)).join('\n');
    check(/no WebGL 2/.test(said) && (await messages(page)).length === 1, `without WebGL the page says so: "${said}"`);
    await bare.close();
  }

  // --- the end: the closing screen and playing again ------------------------------------------------
  {
    const page = await openPage(`?from=${Math.floor(sceneEnds[11]) - 1500}&seed=1`);
    await startShow(page);
    // Generous waits: a slow stretch of the software GPU has made the last 1.5 s take over 30 s.
    await page.waitForFunction(() => document.body.dataset.ended === '1', { polling: 250, timeout: 120000 });
    await shot(page, 'closing-screen.png');
    check(await page.$eval('#closing', (e) => !e.classList.contains('hidden')), 'the show ends on its closing screen');
    await page.click('#again');
    await page.waitForFunction(() => window.lumivane.page.framesDone > 5, { polling: 250, timeout: 120000 });
    await page.waitForFunction(() => document.body.dataset.ended === '1', { polling: 250, timeout: 120000 });
    check(true, 'Play again plays the show anew, to its end');
    check(page.errors.length === 0, `no console errors at the end (${page.errors.join(' | ')})`);
    await page.close();
  }

  // --- still frames against the desktop's ----------------------------------------------------------
  const names = fs.readdirSync(path.join(path.dirname(path.dirname(new URL(import.meta.url).pathname)), 'reference'))
    .filter((n) => /^s\d\d-u\d{4}\.png$/.test(n)).sort();
  const only = process.env.LUMIVANE_WEB_MOMENTS ? new Set(process.env.LUMIVANE_WEB_MOMENTS.split(',')) : null;
  const comparer = await browser.newPage();
  await comparer.goto(`${base}/lumivane.json`);
  const seenScenes = new Set();
  for (const name of names) {
    const key = name.slice(0, -4);
    if (only && !only.has(key)) continue;
    const scene = Number(name.slice(1, 3)), u = Number(name.slice(5, 9)) / 10000;
    const t = sceneStart(scene) + u * sceneLength(scene);
    const dir = path.join(outDir, 'native', key);
    fs.rmSync(dir, { recursive: true, force: true });
    fs.mkdirSync(dir, { recursive: true });
    const render = spawnSync(path.join(nativeDir, 'lumivane'),
      ['--render', dir, '--from', String(t), '--to', String(t + 1000 / 120), '--fps', '60', '--seed', '1'],
      { cwd: nativeDir, encoding: 'utf8' });
    const nativeFrame = path.join(dir, 'frame-000000.png');
    if (render.status !== 0 || !fs.existsSync(nativeFrame)) {
      check(false, `${key}: the desktop frame (${render.stderr.trim().split('\n').pop()})`);
      continue;
    }
    const page = await openPage(`?t=${t}&seed=1&still=1&size=800x600`);
    await page.waitForFunction(() => document.body.dataset.ready === '1', { polling: 250, timeout: 120000 });
    const webPng = await page.evaluate(() => document.getElementById('canvas').toDataURL('image/png'));
    fs.writeFileSync(path.join(outDir, `web-${key}.png`), Buffer.from(webPng.split(',')[1], 'base64'));
    if (!seenScenes.has(scene)) {
      seenScenes.add(scene);
      await shot(page, `scene-${String(scene).padStart(2, '0')}.png`);
    }
    const errors = page.errors.slice();
    await page.close();
    const nativePng = 'data:image/png;base64,' + fs.readFileSync(nativeFrame).toString('base64');
    const figures = await comparer.evaluate(async (a, b) => {
      async function pixels(url) {
        const bitmap = await createImageBitmap(await (await fetch(url)).blob(),
                                               { premultiplyAlpha: 'none', colorSpaceConversion: 'none' });
        const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
        const context = canvas.getContext('2d');
        context.drawImage(bitmap, 0, 0);
        return context.getImageData(0, 0, bitmap.width, bitmap.height);
      }
      const [x, y] = [await pixels(a), await pixels(b)];
      if (x.width !== y.width || x.height !== y.height) return { size: `${x.width}x${x.height} vs ${y.width}x${y.height}` };
      const w = x.width, h = x.height;
      // The 3x3 mean of every pixel's channel, edges clamped.
      function smooth(d) {
        const out = new Float32Array(w * h * 3);
        for (let j = 0; j < h; ++j) for (let i = 0; i < w; ++i) for (let c = 0; c < 3; ++c) {
          let s = 0;
          for (let dj = -1; dj <= 1; ++dj) for (let di = -1; di <= 1; ++di) {
            const jj = Math.min(h - 1, Math.max(0, j + dj)), ii = Math.min(w - 1, Math.max(0, i + di));
            s += d[(jj * w + ii) * 4 + c];
          }
          out[(j * w + i) * 3 + c] = s / 9;
        }
        return out;
      }
      function psnr(p, q, stride) {
        let sum = 0, n = 0;
        for (let k = 0; k < w * h; ++k) for (let c = 0; c < 3; ++c) {
          const d = p[k * stride + c] - q[k * stride + c];
          sum += d * d; ++n;
        }
        return sum === 0 ? 99 : 10 * Math.log10(255 * 255 / (sum / n));
      }
      return { psnr: psnr(x.data, y.data, 4), smooth: psnr(smooth(x.data), smooth(y.data), 3) };
    }, webPng, nativePng);
    if (figures.size) { check(false, `${key}: sizes differ (${figures.size})`); continue; }
    check(figures.psnr >= kMinPsnr && figures.smooth >= kMinSmoothPsnr && errors.length === 0,
          `${key} (t = ${t.toFixed(1)} ms): PSNR ${figures.psnr.toFixed(2)} dB, after 3x3 smoothing ` +
          `${figures.smooth.toFixed(2)} dB${errors.length ? ', console: ' + errors.join(' | ') : ''}`);
  }
  await comparer.close();

  // --- figures: frame times per scene, the page against the desktop program in this run ---------
  // Both draw the whole show silent on a fixed step of 500 ms at 800x600 without multisampling and
  // time each frame until its drawing has finished.
  if (bench) {
    const native = spawnSync(path.join(nativeDir, 'lumivane'), ['--bench', '--seed', '1', '--fps', '2'],
                             { cwd: nativeDir, encoding: 'utf8', timeout: 3600000 });
    const nativeMedians = {};
    for (const line of native.stdout.split('\n')) {
      const m = /^\s*(\d+)\s+(\d+)\s+([\d.]+)\s+([\d.]+)\s*$/.exec(line);
      if (m) nativeMedians[Number(m[1])] = Number(m[3]);
    }
    check(native.status === 0 && Object.keys(nativeMedians).length === 12,
          `the desktop bench ran (${native.stderr.trim().split('\n').pop()})`);
    const page = await openPage('?bench=1&fps=2&seed=1&size=800x600');
    await page.waitForFunction(() => document.body.dataset.bench, { polling: 1000, timeout: 3600000 });
    const web = JSON.parse(await page.evaluate(() => document.body.dataset.bench));
    await page.close();
    // "issuing": the page's program until its GL calls are issued; the rest is the browser's GPU.
    const lines = ['scene  desktop ms  page ms  page/desktop  page issuing ms'];
    for (let k = 1; k <= 12; ++k) {
      const d = nativeMedians[k], w = web[k] ? web[k].median : NaN, i = web[k] ? web[k].issue : NaN;
      lines.push(`${String(k).padStart(5)}  ${d.toFixed(1).padStart(10)}  ${w.toFixed(1).padStart(7)}  ` +
                 `${(w / d).toFixed(2).padStart(12)}  ${i.toFixed(1).padStart(15)}`);
    }
    check(Object.keys(web).length === 12, 'the page bench timed frames in every scene');
    fs.appendFileSync(path.join(outDir, 'figures.txt'), lines.join('\n') + '\n');
    console.log(lines.join('\n'));
  }
} catch (error) {
  check(false, `the run: ${error.stack || error}`);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
  fs.rmSync(badDist, { recursive: true, force: true });
}
console.log(failures ? `${failures} check(s) failed` : 'all checks passed');
process.exit(failures ? 1 : 0);
