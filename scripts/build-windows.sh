#!/usr/bin/env bash
# Makes the Windows program, cross-built with mingw-w64, and packs it:
#   dist/lumivane-<version>-windows-x64.zip  (lumivane.exe, mqo-info.exe, the stand-in data set,
#   README.txt, in one folder)
# The icon and the data set are drawn by the native gen-data, so the native build's gen-data is
# made first (in build/, or the directory named by LUMIVANE_HOST_BUILD).
# usage: scripts/build-windows.sh            (the Windows build goes to build-win/)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
host_build=$(realpath -m "${LUMIVANE_HOST_BUILD:-build}")  # relative or absolute
win_build=${LUMIVANE_WINDOWS_BUILD:-build-win}

scripts/setup-deps.sh --windows

if [ ! -f "$host_build/CMakeCache.txt" ]; then
  cmake -S . -B "$host_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMIVANE_TESTS=OFF
fi
cmake --build "$host_build" -j2 --target gen-data

cmake -S . -B "$win_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DLUMIVANE_TESTS=OFF -DLUMIVANE_HOST_GEN_DATA="$host_build/gen-data"
cmake --build "$win_build" -j2 --target lumivane mqo-info standin-data

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win_build/CMakeCache.txt")
name="lumivane-$version-windows-x64"
stage="$win_build/package/$name"
rm -rf "$win_build/package"
mkdir -p "$stage" dist
cp "$win_build/lumivane.exe" "$win_build/mqo-info.exe" "$stage/"
cp -r "$win_build/data" "$stage/data"
rm -f "$stage/data/.complete"
# Windows text: CRLF line ends.
sed 's/$/\r/' > "$stage/README.txt" <<EOF
lumivane $version for Windows (64-bit)

A self-running real-time 3D show: twelve scenes, about three and a half minutes, timed to a
140 BPM soundtrack, drawn with OpenGL 1.1. The data folder beside the program holds a stand-in
data set (models, textures and a synthesised soundtrack); a data set of one's own goes in its
place, or anywhere with --data FOLDER.

  lumivane.exe                the show: full screen 800x600 with the soundtrack; Escape ends it
  lumivane.exe --window       in a window, as a player: Space pause, Left/Right 1 s, Down/Up 10 s,
                              Page Up/Down scenes, Home start, F/F11/Alt+Enter full screen,
                              H time and scene
  lumivane.exe --from MS      start at MS milliseconds into the show
  lumivane.exe --render DIR   the frames as DIR\\frame-NNNNNN.png (60 per second) with the
                              soundtrack's slice as DIR\\soundtrack.wav; --fps, --from, --to, --seed
  lumivane.exe --bench        frame times per scene
  lumivane.exe --view FILE.mqo    a model file, turning
  lumivane.exe --help         every option

This build writes no video files: render the frames and join them with ffmpeg, for example
  ffmpeg -framerate 60 -i DIR\\frame-%06d.png -i DIR\\soundtrack.wav -c:v libx264 -pix_fmt yuv420p -c:a aac show.mp4

mqo-info.exe FILE.mqo tells what a model file holds and what the show would draw of it.

The text of the show is drawn with the system font "MS Gothic" (present on every Japanese-capable
Windows); where it is missing, Windows picks another font.
EOF
rm -f "dist/$name.zip"
(cd "$win_build/package" && cmake -E tar cf "$root/dist/$name.zip" --format=zip "$name")
echo "wrote dist/$name.zip ($(du -h "dist/$name.zip" | cut -f1))"
