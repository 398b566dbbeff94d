// The page around the show: loads the program and its data package with a progress bar, starts
// the show on the one button (browsers let sound start only after a gesture), holds the
// soundtrack in Web Audio, shows the show's messages on the page, and offers to play again.
// URL parameters: from (ms), seed, size (WxH); still=1 with t (ms) draws one frame for tests;
// bench=1 (with fps, 1 to 60, default 2) runs the show silent on a fixed step, as the desktop's
// --bench does, and sets the median and 95th-percentile frame time of each scene, and the median
// time the program takes to issue a frame's GL calls, on the body (data-bench, JSON) at the end.
'use strict';

var lumivanePage = (function () {
  var kShowEndMs = 210857;  // the show ends here; from and t must lie before it
  var kStepMs = 1000 / 60;  // the still frame's carried state is rebuilt at this step
  var kMinSide = 64, kMaxSide = 4096;

  var page = {
    fixedSize: false,
    still: false,
    bench: null,        // bench=1: {stepMs, times: [[], ...] per scene, result}
    args: ['--window'],
    env: {},
    frameTimes: [],     // ms between the last frames (the last 4096)
    framesDone: 0,
    firstFrameAt: 0,    // performance.now() of the first drawn frame of the first run
    instance: null,
  };
  var loaded = { script: false, manifest: null, wasm: null, data: null, failed: false };
  var decodedImages = [];  // {bytes, width, height, data}
  var audioBuffers = {};   // host path of the packed file -> AudioBuffer
  var audioContext = null;
  var started = false;

  function $(id) { return document.getElementById(id); }

  // --- messages: on the page, dismissible, never blocking -------------------------------------
  page.message = function (caption, text) {
    var box = document.createElement('div');
    box.className = 'message';
    var body = document.createElement('div');
    body.className = 'text';
    if (caption) {
      var c = document.createElement('span');
      c.className = 'caption';
      c.textContent = caption;
      body.appendChild(c);
    }
    body.appendChild(document.createTextNode(text));
    var ok = document.createElement('button');
    ok.type = 'button';
    ok.textContent = 'OK';
    ok.onclick = function () { box.remove(); if (page.instance) page.instance.canvas.focus(); };
    box.appendChild(body);
    box.appendChild(ok);
    $('messages').appendChild(box);
  };

  function fail(text) {
    loaded.failed = true;
    page.message('lumivane', text);
    $('start').disabled = true;
    $('progress-text').textContent = 'The show cannot start.';
    document.body.dataset.failed = '1';
  }

  // --- URL parameters ---------------------------------------------------------------------------
  function msParameter(params, name) {
    if (!params.has(name)) return null;
    var text = params.get(name);
    var value = /^\s*\d+(\.\d+)?\s*$/.test(text) ? Number(text) : NaN;
    if (!(value >= 0 && value < kShowEndMs)) {
      page.message('lumivane', name + '=' + text + ' is not a time in the show (0 to ' + (kShowEndMs - 1) +
                   ' ms); playing from the start.');
      return null;
    }
    return value;
  }

  function readParameters() {
    var params = new URLSearchParams(location.search);
    page.still = params.get('still') === '1';
    if (params.get('bench') === '1' && !page.still) {
      var fps = params.has('fps') ? Number(params.get('fps')) : 2;
      if (!(Number.isInteger(fps) && fps >= 1 && fps <= 60)) {
        page.message('lumivane', 'fps=' + params.get('fps') + ' is not a frame rate (1 to 60); the bench runs at 2.');
        fps = 2;
      }
      page.bench = { stepMs: 1000 / fps, times: [], issue: [], result: null };
      for (var k = 0; k <= 12; ++k) { page.bench.times.push([]); page.bench.issue.push([]); }
      document.body.classList.add('still');
      page.args.push('--ssaa', '1');
      page.env.LUMIVANE_TEST_CLOCK = String(page.bench.stepMs);
    }
    var from = msParameter(params, page.still ? 't' : 'from');
    if (params.has('seed')) {
      var seedText = params.get('seed');
      if (/^\d{1,10}$/.test(seedText) && Number(seedText) <= 4294967295) {
        page.args.push('--seed', String(Number(seedText)));
      } else {
        page.message('lumivane', 'seed=' + seedText + ' is not a seed (a whole number 0 to 4294967295); ' +
                     'playing from the start with a seed of the clock.');
        from = null;
      }
    }
    if (params.has('size')) {
      var m = /^(\d{1,5})x(\d{1,5})$/i.exec(params.get('size'));
      var w = m ? Number(m[1]) : 0, h = m ? Number(m[2]) : 0;
      if (m && w >= kMinSide && h >= kMinSide && w <= kMaxSide && h <= kMaxSide) {
        page.fixedSize = true;
        page.args.push('--size', w + 'x' + h);
        document.body.classList.add('fixed-size');
      } else {
        page.message('lumivane', 'size=' + params.get('size') + ' is not a size WxH with sides of ' + kMinSide +
                     ' to ' + kMaxSide + ' pixels; the picture fills the window, playing from the start.');
        from = null;
      }
    }
    if (page.still) {
      document.body.classList.add('still');
      // The frame a fixed-step run from the scene start draws at t, as the desktop's --render.
      var t = from === null ? 0 : from;
      page.args.push('--from', String(t), '--ssaa', '1');
      page.env.LUMIVANE_TEST_CLOCK = kStepMs + ':' + t;
    } else if (from !== null) {
      page.args.push('--from', String(from));
    }
  }

  // --- loading with progress --------------------------------------------------------------------
  var progress = { wasm: [0, 1], data: [0, 1] };
  function showProgress() {
    var got = progress.wasm[0] + progress.data[0], total = progress.wasm[1] + progress.data[1];
    var fraction = total > 0 ? Math.min(1, got / total) : 0;
    $('progress-bar').style.width = (fraction * 100).toFixed(1) + '%';
    $('progress-text').textContent = 'Loading… ' + (got / 1048576).toFixed(1) + ' of ' +
      (total / 1048576).toFixed(1) + ' MB';
  }

  // Fetches url whole, reporting progress; rejects with a message naming the file.
  function fetchBytes(url, what, expected, part) {
    return fetch(url).then(function (response) {
      if (!response.ok) throw new Error(what + ' (' + url + ') could not be loaded: HTTP ' + response.status + '.');
      var total = expected || Number(response.headers.get('Content-Length')) || 0;
      progress[part] = [0, total];
      if (!response.body) return response.arrayBuffer();
      var reader = response.body.getReader(), chunks = [], got = 0;
      function pump() {
        return reader.read().then(function (r) {
          if (r.done) {
            var bytes = new Uint8Array(got), at = 0;
            chunks.forEach(function (c) { bytes.set(c, at); at += c.length; });
            return bytes.buffer;
          }
          chunks.push(r.value);
          got += r.value.length;
          progress[part] = [got, Math.max(total, got)];
          showProgress();
          return pump();
        });
      }
      return pump();
    }, function () {
      throw new Error(what + ' (' + url + ') could not be loaded: the server did not answer.');
    });
  }

  function hex(buffer) {
    return Array.prototype.map.call(new Uint8Array(buffer), function (b) {
      return ('0' + b.toString(16)).slice(-2);
    }).join('');
  }

  function loadAll() {
    var manifest = fetch('lumivane.json').then(function (r) {
      if (!r.ok) throw new Error('The data package\'s index (lumivane.json) could not be loaded: HTTP ' + r.status + '.');
      return r.json();
    }, function () {
      throw new Error('The data package\'s index (lumivane.json) could not be loaded: the server did not answer.');
    });
    return manifest.then(function (m) {
      loaded.manifest = m;
      var wasm = fetchBytes(m.wasm.name, 'The program', m.wasm.size, 'wasm');
      var data = fetchBytes(m.data.name, 'The data package', m.data.size, 'data').then(function (buffer) {
        if (buffer.byteLength !== m.data.size) {
          throw new Error('The data package (' + m.data.name + ') is cut short: ' + buffer.byteLength + ' of ' +
                          m.data.size + ' bytes arrived.');
        }
        var corrupt = 'The data package (' + m.data.name + ') is corrupt: ';
        var unpacked = new Response(new Blob([buffer]).stream().pipeThrough(new DecompressionStream('gzip')));
        return unpacked.arrayBuffer().then(function (raw) {
          if (raw.byteLength !== m.data.raw) throw new Error(corrupt + 'it unpacks to the wrong size.');
          if (!(window.crypto && crypto.subtle)) return raw;  // no digest outside secure contexts
          return crypto.subtle.digest('SHA-256', raw).then(function (digest) {
            if (hex(digest) !== m.data.sha256) throw new Error(corrupt + 'its contents differ from what the build wrote.');
            return raw;
          });
        }, function () {
          throw new Error(corrupt + 'it does not unpack.');
        });
      });
      return Promise.all([wasm, data]).then(function (parts) {
        if (parts[0].byteLength !== m.wasm.size) {
          throw new Error('The program (' + m.wasm.name + ') is cut short: ' + parts[0].byteLength + ' of ' +
                          m.wasm.size + ' bytes arrived.');
        }
        loaded.wasm = parts[0];
        loaded.data = parts[1];
      });
    });
  }

  function fileBytes(entry) { return new Uint8Array(loaded.data, entry.start, entry.end - entry.start); }

  // A picture the show may hand to the browser's decoder: not the designed 32-bit bitmaps.
  function wantsBrowserDecode(path, bytes) {
    var lower = path.toLowerCase();
    if (/\.(png|jpe?g|gif|webp)$/.test(lower)) return true;
    if (!/\.bmp$/.test(lower)) return false;
    if (bytes.length < 34 || bytes[0] !== 0x42 || bytes[1] !== 0x4d) return true;
    var bits = bytes[28] | (bytes[29] << 8);
    var compression = bytes[30] | (bytes[31] << 8) | (bytes[32] << 16) | (bytes[33] << 24);
    return !(bits === 32 && compression === 0);
  }

  function decodeImage(bytes) {
    var copy = bytes.slice();
    return createImageBitmap(new Blob([copy]), { premultiplyAlpha: 'none', colorSpaceConversion: 'none' })
      .then(function (bitmap) {
        var canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
        var context = canvas.getContext('2d');
        context.drawImage(bitmap, 0, 0);
        var pixels = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
        decodedImages.push({ bytes: copy, width: bitmap.width, height: bitmap.height, data: pixels });
      }, function () { /* the show reports the file it cannot read */ });
  }

  page.decodedImage = function (bytes) {
    for (var i = 0; i < decodedImages.length; ++i) {
      var d = decodedImages[i];
      if (d.bytes.length !== bytes.length) continue;
      var same = true;
      for (var k = 0; k < bytes.length && same; ++k) same = d.bytes[k] === bytes[k];
      if (same) return d;
    }
    return null;
  };

  // The browser's decodes of the package's pictures and soundtrack, once, before the first run.
  var prepared = null;
  function prepare() {
    if (prepared) return prepared;
    var work = [];
    loaded.manifest.files.forEach(function (entry) {
      var bytes = fileBytes(entry);
      if (wantsBrowserDecode(entry.path, bytes)) work.push(decodeImage(bytes));
      if (audioContext && /\.ogg$/i.test(entry.path)) {
        work.push(audioContext.decodeAudioData(bytes.slice().buffer).then(function (buffer) {
          audioBuffers[entry.path] = buffer;
        }, function () {
          page.message('lumivane', 'The soundtrack ' + entry.path + ' could not be decoded; the show plays silent.');
        }));
      }
    });
    prepared = Promise.all(work);
    return prepared;
  }

  // --- the soundtrack in Web Audio, as the show's media commands drive it -----------------------
  var audio = page.audio = {
    buffer: null, source: null, startedAt: 0, offset: 0, isPlaying: false,
    // The show names its WAV file; the package holds it compressed under the same name in .ogg.
    open: function (path) {
      this.close();
      var packed = ('/' + path.replace(/^\.?\//, '')).replace(/\.wav$/i, '.ogg');
      this.buffer = audioContext && audioBuffers[packed] || null;
      return !!this.buffer;
    },
    stopSource: function () {
      if (this.source) { try { this.source.stop(); } catch (e) {} this.source.disconnect(); }
      this.source = null;
    },
    play: function (fromMs) {
      if (!this.buffer) return;
      if (this.isPlaying) this.offset = audioContext.currentTime - this.startedAt;
      if (fromMs >= 0) this.offset = fromMs / 1000;
      this.stopSource();
      this.isPlaying = true;
      this.startedAt = audioContext.currentTime - this.offset;
      if (this.offset >= this.buffer.duration) return;  // past the end: silence, as the file has run out
      this.source = audioContext.createBufferSource();
      this.source.buffer = this.buffer;
      this.source.connect(audioContext.destination);
      this.source.start(0, this.offset);
    },
    pause: function () {
      if (!this.isPlaying) return;
      this.offset = Math.min(this.buffer.duration, audioContext.currentTime - this.startedAt);
      this.stopSource();
      this.isPlaying = false;
    },
    seekStart: function () {
      var playing = this.isPlaying;
      this.pause();
      this.offset = 0;
      if (playing) this.play(0);
    },
    close: function () { this.stopSource(); this.buffer = null; this.isPlaying = false; this.offset = 0; },
    playing: function () { return this.isPlaying; },
    positionMs: function () {
      if (!this.buffer) return -1;
      var at = this.isPlaying ? audioContext.currentTime - this.startedAt : this.offset;
      return Math.min(at, this.buffer.duration) * 1000;
    },
    context: function () { return audioContext; },
  };

  // --- the show's loop: the browser's turn after every frame -----------------------------------
  var channel = new MessageChannel(), pending = [];
  channel.port1.onmessage = function () { var wake = pending.shift(); if (wake) wake(); };
  function nextTask(wake) { pending.push(wake); channel.port2.postMessage(0); }

  // The bench's frame time: from the program's turn to the frame's drawing finished. finish()
  // returns before a software GPU has drawn; reading a pixel of the frame back waits for it all.
  var lastWakeAt = 0, benchPixel = new Uint8Array(4);
  function benchFrame() {
    var issued = performance.now();  // the program's part: the frame's GL calls issued
    var gl = page.instance.canvas.getContext('webgl2');
    var read = gl.getParameter(gl.READ_FRAMEBUFFER_BINDING);
    gl.bindFramebuffer(gl.READ_FRAMEBUFFER, null);
    gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, benchPixel);
    gl.bindFramebuffer(gl.READ_FRAMEBUFFER, read);
    var now = performance.now();
    var scene = page.instance._lumivane_probe_shown_scene();
    if (lastWakeAt && scene >= 1 && scene <= 12) {
      page.bench.times[scene].push(now - lastWakeAt);
      page.bench.issue[scene].push(issued - lastWakeAt);
    }
  }

  function benchResult() {
    function percentile(values, q) {
      var sorted = values.slice().sort(function (a, b) { return a - b; });
      return sorted[Math.min(sorted.length - 1, Math.round(q * (sorted.length - 1)))];
    }
    var lines = ['scene  frames  median ms  p95 ms  median ms issuing'], result = {};
    page.bench.times.forEach(function (times, scene) {
      if (!times.length) return;
      var r = result[scene] = { frames: times.length, median: percentile(times, 0.5), p95: percentile(times, 0.95),
                                issue: percentile(page.bench.issue[scene], 0.5) };
      lines.push(String(scene).padStart(5) + '  ' + String(times.length).padStart(6) + '  ' +
                 r.median.toFixed(2).padStart(9) + '  ' + r.p95.toFixed(2).padStart(6) + '  ' +
                 r.issue.toFixed(2).padStart(17));
    });
    console.log(lines.join('\n'));
    page.bench.result = result;
    document.body.dataset.bench = JSON.stringify(result);
  }

  var lastFrameAt = 0;
  page.frameDone = function (wakeUp) {
    if (page.bench) benchFrame();
    var now = performance.now();
    if (lastFrameAt) {
      page.frameTimes.push(now - lastFrameAt);
      if (page.frameTimes.length > 4096) page.frameTimes.shift();
    }
    lastFrameAt = now;
    ++page.framesDone;
    // Frames of set-up come first; then the first picture of the show.
    var shown = page.instance && page.instance._lumivane_probe_shown_ms() >= 0;
    if (shown && !page.firstFrameAt) page.firstFrameAt = now;
    if (page.still && shown) {
      document.body.dataset.ready = '1';
      return;  // the picture stays; the program draws no more
    }
    // As fast as the machine allows, as the desktop program runs: the next frame starts in the
    // browser's next task, so the page's drawing and the browser's compositing overlap (waiting
    // for display frames instead halves the rate on a software GPU).
    nextTask(function () { lastWakeAt = performance.now(); wakeUp(); });
  };

  page.setFullScreen = function (on) {
    if (on && !document.fullscreenElement) {
      var request = document.documentElement.requestFullscreen();
      if (request) request.catch(function () { page.message('lumivane', 'The browser refused full screen.'); });
    } else if (!on && document.fullscreenElement) {
      document.exitFullscreen().catch(function () {});
    }
  };

  // --- runs ---------------------------------------------------------------------------------------
  function freshCanvas() {
    var old = $('canvas');
    var canvas = document.createElement('canvas');
    canvas.id = 'canvas';
    canvas.tabIndex = -1;
    old.replaceWith(canvas);
    return canvas;
  }

  function run() {
    $('screen').classList.add('hidden');
    $('closing').classList.add('hidden');
    lastFrameAt = 0;
    lastWakeAt = 0;
    page.framesDone = 0;
    page.frameTimes.length = 0;
    var canvas = freshCanvas();
    var module = {
      canvas: canvas,
      lumivanePage: page,
      wasmBinary: loaded.wasm,
      arguments: page.args.slice(),
      print: function (text) { console.log(text); },
      printErr: function (text) { console.warn(text); },
      preRun: [function (m) {
        loaded.manifest.files.forEach(function (entry) {
          var dir = entry.path.substring(0, entry.path.lastIndexOf('/'));
          if (dir) m.FS.mkdirTree(dir);
          m.FS.writeFile(entry.path, fileBytes(entry));
        });
        // Message boxes need a display: the page is one.
        m.ENV.DISPLAY = 'page';
        Object.keys(page.env).forEach(function (k) { m.ENV[k] = page.env[k]; });
        m.FS.chdir('/');
      }],
      onAbort: function (what) { page.message('lumivane', 'The program stopped: ' + what); closing(); },
    };
    createLumivane(module).then(function (instance) {
      page.instance = instance;
      window.lumivane.instance = instance;
      canvas.focus();
      instance.callMain(page.args.slice());
    }, function (error) {
      fail('The program could not start: ' + error);
    });
  }

  page.showEnded = function () {
    if (page.bench && !page.bench.result) benchResult();
    closing();
  };

  function closing() {
    audio.close();
    if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
    document.title = 'lumivane';
    $('closing').classList.remove('hidden');
    document.body.dataset.ended = '1';
    $('again').focus();
  }

  function start() {
    if (started || loaded.failed) return;
    started = true;
    $('start').disabled = true;
    var running = Promise.resolve();
    if (!page.still && !page.bench) {
      var Context = window.AudioContext || window.webkitAudioContext;
      if (Context) {
        audioContext = new Context();
        // The soundtrack's clock must run before the show's starts, or the two start apart.
        running = audioContext.resume().catch(function () {
          page.message('lumivane', 'The browser does not let the soundtrack play; the show plays silent.');
        });
      }
    }
    $('progress-text').textContent = 'Preparing…';
    Promise.all([prepare(), running]).then(run);
  }

  function maybeReady() {
    if (!loaded.script || !loaded.data || loaded.failed) return;
    $('progress-text').textContent = 'Ready.';
    $('start').disabled = false;
    $('start').focus();
    if (page.still || page.bench) start();
  }

  page.scriptLoaded = function () { loaded.script = true; maybeReady(); };
  page.scriptFailed = function () {
    fail('The program\'s script (lumivane.js) could not be loaded.');
  };

  function webgl2() {
    try { return !!document.createElement('canvas').getContext('webgl2'); } catch (e) { return false; }
  }

  document.addEventListener('DOMContentLoaded', function () {
    $('start').onclick = start;
    $('again').onclick = function () { document.body.dataset.ended = ''; run(); };
    if (!webgl2()) {
      fail('This browser offers no WebGL 2, which the show is drawn with.');
      return;
    }
    readParameters();
    loadAll().then(maybeReady, function (error) { fail(error.message || String(error)); });
  });

  window.lumivane = { page: page, audio: audio, instance: null };
  return page;
})();
