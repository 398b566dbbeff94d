#!/usr/bin/env bash
# Builds the show (release), generates the stand-in data set and plays it.
# Any arguments are passed to the program, e.g. scripts/run.sh --window
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMIVANE_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
cd build
exec ./lumivane "$@"
