#!/usr/bin/env bash
# Fetches Debian's libglu source (for its polygon tessellator) into a cache directory and, where
# emcc is installed, builds the tessellator for the web as libtess.a there.
# usage: scripts/fetch-glu-source.sh [CACHE_DIR]   (default: build-web/glu); prints the archive's path
# The system's apt lists are left alone: a private deb-src list and state directory live in the cache.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cache="${1:-$root/build-web/glu}"
mkdir -p "$cache"
cache="$(cd "$cache" && pwd)"
version=9.0.2
tarball="$cache/libglu_$version.orig.tar.gz"
source_dir="$cache/glu-$version"  # the tarball's top directory

if [ ! -s "$tarball" ]; then
  mkdir -p "$cache/apt/lists/partial" "$cache/apt/archives/partial"
  echo "deb-src http://deb.debian.org/debian bookworm main" > "$cache/apt/sources.list"
  apt_options=(-o "Dir::Etc::SourceList=$cache/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
               -o "Dir::State::Lists=$cache/apt/lists" -o "Dir::Cache::Archives=$cache/apt/archives"
               -o APT::Sandbox::User=root)
  log="$cache/apt.log"
  apt-get "${apt_options[@]}" update -qq >"$log" 2>&1 || true
  # The Debian diff may be missing from the mirror; the upstream tarball is all the build needs.
  (cd "$cache" && apt-get "${apt_options[@]}" source --download-only libglu) >>"$log" 2>&1 || true
  if [ ! -s "$tarball" ]; then
    cat "$log" >&2
    echo "fetch-glu-source: could not download libglu_$version.orig.tar.gz" >&2
    exit 1
  fi
fi
if [ ! -d "$source_dir/src/libtess" ]; then
  tar -xzf "$tarball" -C "$cache"
fi

if command -v emcc >/dev/null; then
  archive="$cache/libtess.a"
  if [ ! -s "$archive" ] || [ "$archive" -ot "$tarball" ]; then
    objects="$cache/obj"
    mkdir -p "$objects"
    # priorityq-heap.c is included by priorityq.c, not built on its own.
    for name in dict geom memalloc mesh normal priorityq render sweep tess tessmono; do
      c="$source_dir/src/libtess/$name.c"
      # Our own GL/GLU headers (the web build's), then the tessellator's private ones.
      emcc -O2 -DNDEBUG -I "$root/src/platform/web/include" -I "$source_dir/src/include" \
        -I "$source_dir/src/libtess" -c "$c" -o "$objects/$name.o"
    done
    rm -f "$archive"
    emar rcs "$archive" "$objects"/*.o
  fi
  echo "$archive"
else
  echo "$source_dir"
fi
