#!/usr/bin/env bash
# Regenerates the reference frames in tests/reference/ from the current program: for a change that
# is meant to change the picture. Commit the new pictures with the change and say why.
set -euo pipefail
cd "$(dirname "$0")/.."
export SDL_AUDIODRIVER=dummy
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target lumivane reference_frames_test standin-data
rm -f tests/reference/*.png
(cd build && LUMIVANE_TEST_TOOLS="$PWD" LUMIVANE_UPDATE_REFERENCES=1 tests/reference_frames_test \
    --gtest_filter=ReferenceFrames.*)
git status --short tests/reference
