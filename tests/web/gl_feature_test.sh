#!/usr/bin/env bash
# The web GL layer against the desktop GL, pixel by pixel: builds gl_feature_scenes.cpp natively
# (Mesa through headless EGL) and with emcc (the layer over WebGL 2), draws every scene with both
# and compares them in headless Chromium (gl_feature_test.mjs says the bars).
# usage: tests/web/gl_feature_test.sh [OUT_DIR]   (default: build-web/gl-features)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$(mkdir -p "${1:-$root/build-web/gl-features}" && cd "${1:-$root/build-web/gl-features}" && pwd)"
cd "$root"
mkdir -p "$out/native" "$out/web" "$out/canvas"

tess="$(scripts/fetch-glu-source.sh "$root/build-web/glu" | tail -1)"
scene_sources=(tests/web/gl_feature_scenes.cpp src/platform/glyph_extrusion.cpp src/platform/standin_display.cpp)

g++ -std=c++20 -O2 -I src "${scene_sources[@]}" -o "$out/native/gl_feature_scenes" -lEGL -lGL -lGLU -lpng
"$out/native/gl_feature_scenes" "$out/native"

# Debian's emcc runs its tools with node; where node is not Debian's it needs Debian's modules.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
emcc -std=c++20 -O2 -I src/platform/web/include -I src "${scene_sources[@]}" src/platform/web/gl/*.cpp "$tess" \
  -sMAX_WEBGL_VERSION=2 -sMIN_WEBGL_VERSION=2 -sALLOW_MEMORY_GROWTH=1 -sEXPORTED_RUNTIME_METHODS=UTF8ToString \
  -sMINIFY_HTML=0 -o "$out/web/gl_feature_scenes.js"

[ -d tests/web/node_modules/puppeteer-core ] || (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
timeout 600 node tests/web/gl_feature_test.mjs "$out/web" "$out/native" "$out/canvas"
