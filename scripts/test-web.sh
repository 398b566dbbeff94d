#!/usr/bin/env bash
# The web page's tests: builds dist/web (scripts/build-web.sh) and the desktop program it is
# compared with, then drives Debian's chromium headless through puppeteer-core (tests/web).
# usage: scripts/test-web.sh [--bench]   (--bench adds per-scene frame times to the figures)
# LUMIVANE_WEB_MOMENTS=s03-u1250,s10-u0650 compares those reference moments only.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/build-web.sh
cmake --build build -j2 --target lumivane standin-data
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
# The GL layer against the desktop GL, one small scene per feature.
tests/web/gl_feature_test.sh "$root/build-web/gl-features"
out="$root/build-web/test"
rm -rf "$out"
timeout 3000 node tests/web/web_page_test.mjs dist/web build "$out" "$@"
echo "web page: screenshots and frames in $out"
