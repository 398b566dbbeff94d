// The web GL layer against the desktop GL, scene by scene: headless Chromium draws each feature
// scene of gl_feature_scenes.cpp (the emcc build) on its canvas; the canvas is compared with the
// PNG the native build drew on Mesa.
//
// usage: node gl_feature_test.mjs WEB_DIR NATIVE_DIR OUT_DIR
//   WEB_DIR: gl_feature_scenes.js and .wasm; NATIVE_DIR: <scene>.png from the native build;
//   OUT_DIR: the canvases as <scene>.png and <scene>-diff.png (differences x4).
//
// Two rasterizers (llvmpipe, SwiftShader) place edge pixels differently and round colours
// differently, so pixels are not expected equal. Each scene must reach:
//   PSNR >= 30 dB over RGB           (the frames' own bar: what one sees is the same picture)
//   PSNR >= 38 dB after 3x3 smoothing (edge placement spreads out; a wrong colour, light, fog
//                                      or texture anywhere over a region does not)
//   at most 2% of pixels off by more than 48 in a channel (only edges may differ that much)
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [webDir, nativeDir, outDir] = process.argv.slice(2, 5).map((p) => p && path.resolve(p));
if (!webDir || !nativeDir || !outDir) {
  console.error('usage: node gl_feature_test.mjs WEB_DIR NATIVE_DIR OUT_DIR');
  process.exit(2);
}
fs.mkdirSync(outDir, { recursive: true });
const kMinPsnr = 30, kMinSmoothPsnr = 38, kFarOff = 48, kMaxFarOffShare = 0.02;

const page = `<!doctype html><html><body style="margin:0;background:#000">
<canvas id="canvas" width="320" height="240"></canvas>
<script>
var Module = { canvas: document.getElementById('canvas'), print: (t) => console.log(t),
               printErr: (t) => console.log(t), onRuntimeInitialized: () => { window.layerReady = true; } };
</script><script src="gl_feature_scenes.js"></script></body></html>`;

const server = http.createServer((req, res) => {
  const name = new URL(req.url, 'http://x').pathname.slice(1);
  const types = { '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png' };
  let file = null;
  if (name === '' || name === 'index.html') {
    res.writeHead(200, { 'Content-Type': 'text/html' });
    res.end(page);
    return;
  }
  if (/^gl_feature_scenes\.(js|wasm)$/.test(name)) file = path.join(webDir, name);
  if (/^native\/[a-z_]+\.png$/.test(name)) file = path.join(nativeDir, name.slice(7));
  if (!file || !fs.existsSync(file)) {
    res.writeHead(404);
    res.end();
    return;
  }
  res.writeHead(200, { 'Content-Type': types[path.extname(file)] });
  res.end(fs.readFileSync(file));
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const base = `http://127.0.0.1:${server.address().port}`;

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'lumivane-gl-chromium-'));
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
         '--disable-gpu-sandbox', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`],
});

let failures = 0;
const consoleLines = [];
try {
  const tab = await browser.newPage();
  tab.on('console', (m) => consoleLines.push(m.text()));
  tab.on('pageerror', (e) => consoleLines.push(`page error: ${e.message}`));
  await tab.goto(`${base}/`);
  await tab.waitForFunction('window.layerReady === true', { timeout: 60000 });
  if (!consoleLines.some((l) => l.includes('gl-feature-scenes: ready'))) {
    console.log(consoleLines.join('\n'));
    throw new Error('the layer did not start');
  }
  const count = await tab.evaluate(() => Module._featureSceneCount());
  console.log(`scene              PSNR  smoothed  off>${kFarOff}  max`);
  for (let i = 0; i < count; ++i) {
    const result = await tab.evaluate(async (i) => {
      const name = Module.UTF8ToString(Module._featureSceneName(i));
      const error = Module._drawFeatureScene(i);
      const gl = document.getElementById('canvas');
      const url = gl.toDataURL('image/png');
      const pixels = (source) => {
        const c = document.createElement('canvas');
        c.width = 320, c.height = 240;
        const g = c.getContext('2d');
        g.drawImage(source, 0, 0);
        return Array.from(g.getImageData(0, 0, 320, 240).data);
      };
      const web = pixels(gl);
      const image = new Image();
      image.src = `native/${name}.png`;
      await image.decode();
      return { name, error, url, web, native: pixels(image) };
    }, i);
    fs.writeFileSync(path.join(outDir, `${result.name}.png`), Buffer.from(result.url.split(',')[1], 'base64'));
    const m = compare(result.web, result.native, 320, 240);
    const ok = result.error === 0 && m.psnr >= kMinPsnr && m.smoothPsnr >= kMinSmoothPsnr &&
               m.farOffShare <= kMaxFarOffShare;
    if (!ok) failures++;
    console.log(`${ok ? 'ok  ' : 'FAIL'} ${result.name.padEnd(16)} ${m.psnr.toFixed(1).padStart(5)}` +
                `  ${m.smoothPsnr.toFixed(1).padStart(7)}  ${(100 * m.farOffShare).toFixed(2).padStart(6)}%` +
                `  ${String(m.max).padStart(3)}${result.error ? `  GL error 0x${result.error.toString(16)}` : ''}`);
    await tab.evaluate((name, diff) => {
      window.diffs = window.diffs || {};
      window.diffs[name] = diff;
    }, result.name, m.diff);
    const diffUrl = await tab.evaluate((name) => {
      const c = document.createElement('canvas');
      c.width = 320, c.height = 240;
      const g = c.getContext('2d');
      const image = g.createImageData(320, 240);
      image.data.set(window.diffs[name]);
      g.putImageData(image, 0, 0);
      return c.toDataURL('image/png');
    }, result.name);
    fs.writeFileSync(path.join(outDir, `${result.name}-diff.png`), Buffer.from(diffUrl.split(',')[1], 'base64'));
  }
  const errors = consoleLines.filter((l) => /error|webgl:/i.test(l));
  if (errors.length) {
    console.log(`FAIL console: ${errors.join(' | ')}`);
    failures++;
  }
} catch (e) {
  console.log(`FAIL ${e.message}\n${consoleLines.join('\n')}`);
  failures++;
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
console.log(failures ? `${failures} scene(s) differ from the desktop` : 'every scene matches the desktop');
process.exit(failures ? 1 : 0);

// PSNR over RGB, PSNR of both pictures smoothed by a 3x3 box, share of pixels off by more than
// kFarOff in some channel, the largest channel difference, and a difference picture (x4).
function compare(a, b, w, h) {
  let sum = 0, far = 0, max = 0;
  const diff = new Array(w * h * 4).fill(255);
  for (let p = 0; p < w * h; ++p) {
    let worst = 0;
    for (let c = 0; c < 3; ++c) {
      const d = Math.abs(a[p * 4 + c] - b[p * 4 + c]);
      sum += d * d;
      worst = Math.max(worst, d);
      diff[p * 4 + c] = Math.min(255, d * 4);
    }
    max = Math.max(max, worst);
    if (worst > kFarOff) far++;
  }
  const smooth = (x) => {
    const out = new Float64Array(w * h * 3);
    for (let y = 0; y < h; ++y)
      for (let xx = 0; xx < w; ++xx)
        for (let c = 0; c < 3; ++c) {
          let s = 0, n = 0;
          for (let dy = -1; dy <= 1; ++dy)
            for (let dx = -1; dx <= 1; ++dx) {
              const yy = y + dy, xq = xx + dx;
              if (yy < 0 || yy >= h || xq < 0 || xq >= w) continue;
              s += x[(yy * w + xq) * 4 + c];
              n++;
            }
          out[(y * w + xx) * 3 + c] = s / n;
        }
    return out;
  };
  const sa = smooth(a), sb = smooth(b);
  let smoothSum = 0;
  for (let i = 0; i < sa.length; ++i) smoothSum += (sa[i] - sb[i]) ** 2;
  const psnr = (s) => (s === 0 ? 99 : 10 * Math.log10((255 * 255) / (s / (w * h * 3))));
  return { psnr: psnr(sum), smoothPsnr: psnr(smoothSum), farOffShare: far / (w * h), max, diff };
}
