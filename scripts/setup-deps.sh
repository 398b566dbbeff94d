#!/usr/bin/env bash
# Installs the Debian packages lumivane builds, tests and runs with; only what is missing.
# usage: scripts/setup-deps.sh [--test] [--windows] [--web]
#   --test adds what the test command needs; --windows what the Windows build (cross-built with
#   mingw-w64) needs, and what runs it under Wine on Xvfb; --web what the web build (emscripten)
#   and its tests in headless Chromium need
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libegl-dev
      libgl1-mesa-dri libegl-mesa0 libfreetype-dev libfontconfig-dev fontconfig fonts-ipafont-gothic
      fonts-dejavu-core libpng-dev libsdl2-image-dev libzip-dev
      libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev)
for arg in "$@"; do
  case "$arg" in
    --test) test_deps=1 ;;
    --windows) windows_deps=1 ;;
    --web) web_deps=1 ;;
    *) echo "usage: scripts/setup-deps.sh [--test] [--windows] [--web]" >&2; exit 2 ;;
  esac
done
if [ -n "${windows_deps:-}" ]; then
  pkgs+=(g++-mingw-w64-x86-64-posix libstb-dev wine wine64 xvfb xauth)
fi
if [ -n "${test_deps:-}" ]; then
  pkgs+=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev xvfb xauth xdotool x11-utils imagemagick
         ffmpeg python3 lintian dpkg-dev man-db groff-base)
fi
if [ -n "${test_deps:-}" ] && [ -n "${windows_deps:-}" ]; then
  # The Windows tests: GoogleTest's sources to cross-build, the package's unpacking.
  pkgs+=(googletest unzip git)
fi
if [ -n "${web_deps:-}" ]; then
  pkgs+=(emscripten chromium ffmpeg python3)
  # Node and npm run the page's tests; a machine may have them from elsewhere than Debian
  # (NodeSource's nodejs carries its own npm and conflicts with Debian's npm package).
  command -v node >/dev/null 2>&1 || pkgs+=(nodejs)
  command -v npm >/dev/null 2>&1 || pkgs+=(npm)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}" >&2
  sudo_cmd=""; [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq || true
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
