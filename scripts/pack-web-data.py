#!/usr/bin/env python3
"""Packs a data set for the web page: every file of DATA under /data (the soundtrack vorsa.wav
compressed to Ogg Opus as vorsa.ogg, which the browser decodes), the baked glyphs as
/lumivane/glyphs.bin, all in one gzip stream; and the page's index lumivane.json naming the
program's WebAssembly, the package's sizes and SHA-256, and where each file lies in it.

usage: pack-web-data.py DATA GLYPHS WASM OUTDIR
"""
import gzip
import hashlib
import json
import os
import subprocess
import sys
import tempfile

SOUNDTRACK = 'vorsa.wav'
OPUS_RATE = '96k'  # about 2.9 MB for the show's 211 s


def soundtrack_ogg(wav_path):
    with tempfile.NamedTemporaryFile(suffix='.ogg', delete=False) as tmp:
        out = tmp.name
    try:
        subprocess.run(['ffmpeg', '-hide_banner', '-loglevel', 'error', '-y', '-i', wav_path, '-vn',
                        '-c:a', 'libopus', '-b:a', OPUS_RATE, out], check=True)
        with open(out, 'rb') as f:
            return f.read()
    finally:
        os.unlink(out)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    data_dir, glyphs, wasm, out_dir = sys.argv[1:]
    files = []  # (page path, bytes)
    for root, dirs, names in os.walk(data_dir):
        dirs.sort()
        for name in sorted(names):
            path = os.path.join(root, name)
            rel = os.path.relpath(path, data_dir).replace(os.sep, '/')
            if rel in ('.complete',):
                continue
            if rel.lower() == SOUNDTRACK:
                files.append(('/data/' + rel[:-4] + '.ogg', soundtrack_ogg(path)))
                continue
            with open(path, 'rb') as f:
                files.append(('/data/' + rel, f.read()))
    if not files:
        sys.exit('pack-web-data: %s holds no files' % data_dir)
    with open(glyphs, 'rb') as f:
        files.append(('/lumivane/glyphs.bin', f.read()))

    raw = bytearray()
    index = []
    for path, data in files:
        index.append({'path': path, 'start': len(raw), 'end': len(raw) + len(data)})
        raw += data
    packed = gzip.compress(bytes(raw), compresslevel=9, mtime=0)
    with open(os.path.join(out_dir, 'lumivane.data.gz'), 'wb') as f:
        f.write(packed)
    manifest = {
        'wasm': {'name': 'lumivane.wasm', 'size': os.path.getsize(wasm)},
        'data': {'name': 'lumivane.data.gz', 'size': len(packed), 'raw': len(raw),
                 'sha256': hashlib.sha256(raw).hexdigest()},
        'files': index,
    }
    with open(os.path.join(out_dir, 'lumivane.json'), 'w') as f:
        json.dump(manifest, f, indent=1)
    ogg = sum(len(d) for p, d in files if p.endswith('.ogg'))
    print('pack-web-data: %d files, %.2f MB unpacked (soundtrack %.2f MB), %.2f MB packed'
          % (len(files), len(raw) / 1e6, ogg / 1e6, len(packed) / 1e6))


if __name__ == '__main__':
    main()
