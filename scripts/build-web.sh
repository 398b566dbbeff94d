#!/usr/bin/env bash
# Builds the show as a web page into dist/web/: index.html with its style and script, the program
# (lumivane.js + lumivane.wasm), the data package (lumivane.data.gz) and its index (lumivane.json).
# Any static web server can serve the folder; scripts/serve-web.sh serves it on 127.0.0.1.
# usage: scripts/build-web.sh [--data DIR]   (DIR: a data set of one's own; default the stand-in set)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
data=""
while [ $# -gt 0 ]; do
  case "$1" in
    --data) [ $# -ge 2 ] || { echo "build-web: --data needs a directory" >&2; exit 2; }; data="$2"; shift 2 ;;
    -h|--help) sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "build-web: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done
if [ -n "$data" ]; then
  [ -d "$data" ] || { echo "build-web: no directory $data" >&2; exit 2; }
  data="$(cd "$data" && pwd)"
fi
# emcc runs its tools with node; a node that is not Debian's needs Debian's modules.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
# What the desktop build and the web build need, installed where missing (as build-windows.sh does).
"$root/scripts/setup-deps.sh" --web
start=$(date +%s)

# The desktop build bakes the glyphs (FreeType and the tessellator) and writes the stand-in data.
native="$root/build"
if [ ! -f "$native/build.ninja" ]; then
  cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
targets=(bake-glyphs)
[ -z "$data" ] && targets+=(standin-data)
cmake --build "$native" -j2 --target "${targets[@]}"
glyphs="$native/glyphs.bin"
if [ ! -s "$glyphs" ] || [ "$glyphs" -ot "$native/bake-glyphs" ]; then
  "$native/bake-glyphs" "$glyphs"
fi

# The tessellator of Debian's libglu, built with emcc.
glu="$("$root/scripts/fetch-glu-source.sh" "$root/build-web/glu" | tail -n 1)"
[ -f "$glu" ] || { echo "build-web: the web tessellator was not built ($glu)" >&2; exit 1; }

web="$root/build-web/program"
if [ ! -f "$web/build.ninja" ]; then
  emcmake cmake -S "$root" -B "$web" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMIVANE_PLATFORM=web \
    -DLUMIVANE_TESTS=OFF -DLUMIVANE_WEB_GLU="$glu" >/dev/null
fi
cmake --build "$web" -j2 --target lumivane

dist="$root/dist/web"
rm -rf "$dist"
mkdir -p "$dist"
cp "$root/web/index.html" "$root/web/page.css" "$root/web/page.js" "$dist/"
cp "$web/lumivane.js" "$web/lumivane.wasm" "$dist/"
python3 "$root/scripts/pack-web-data.py" "${data:-$native/data}" "$glyphs" "$dist/lumivane.wasm" "$dist"
echo "build-web: dist/web written in $(( $(date +%s) - start )) s:"
(cd "$dist" && ls -l | awk 'NR > 1 { printf "  %-18s %9d bytes\n", $9, $5; total += $5 } END { printf "  %-18s %9d bytes\n", "total", total }')
