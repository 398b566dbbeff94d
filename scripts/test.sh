#!/usr/bin/env bash
# Builds lumivane with AddressSanitizer and UndefinedBehaviorSanitizer, generates the stand-in data,
# runs every test (unit, headless GL, end-to-end under Xvfb), then runs each fuzzer for a bounded time.
# usage: scripts/test.sh [--no-windows] [--no-web]
#   By default it also cross-builds the Windows program and runs its tests under Wine on Xvfb, and
#   builds the web page and tests it in headless Chromium; the flags leave either out (quicker
#   runs while working on something else: the full command is what has to pass).
set -euo pipefail
cd "$(dirname "$0")/.."
windows=1; web=1
for arg in "$@"; do
  case "$arg" in
    --no-windows) windows="" ;;
    --no-web) web="" ;;
    *) echo "usage: scripts/test.sh [--no-windows] [--no-web]" >&2; exit 2 ;;
  esac
done
scripts/setup-deps.sh --test ${windows:+--windows} ${web:+--web}
export SDL_AUDIODRIVER=dummy
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVANE_SANITIZE=ON >/dev/null
cmake --build build-test -j"$(nproc)"

if [ -n "$windows" ]; then
  # The Windows build (mingw-w64), cross-built at low priority while the Linux tests run, so that
  # their timing is not disturbed; its data set and the frames it must match come from build-test.
  mkdir -p build-windows-test
  setsid bash -c 'cmake -S . -B build-windows-test -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=Release -DLUMIVANE_HOST_GEN_DATA="$PWD/build-test/gen-data" \
        -DLUMIVANE_HOST_BUILD="$PWD/build-test" >/dev/null &&
    nice -n 15 cmake --build build-windows-test -j"$(nproc)"' > build-windows-test/build.log 2>&1 &
  windows_build=$!
  trap 'kill -- -$windows_build 2>/dev/null || true' EXIT
fi

ctest --test-dir build-test --output-on-failure -j2 --timeout 1500

if [ -n "$windows" ]; then
  # The Windows tests under Wine on Xvfb: unit tests, the window, frames against the Linux build's.
  if ! wait $windows_build; then
    tail -n 60 build-windows-test/build.log
    echo "the Windows build failed (build-windows-test/build.log)" >&2
    exit 1
  fi
  ctest --test-dir build-windows-test --output-on-failure -j2 --timeout 2400
fi

# The web page in headless Chromium, its frames against the desktop's.
if [ -n "$web" ]; then scripts/test-web.sh; fi

# Fuzzing: clang's libFuzzer over each reader, about a minute each; any finding fails the run.
if [ -f fuzz/CMakeLists.txt ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DLUMIVANE_FUZZ=ON -DLUMIVANE_TESTS=OFF >/dev/null
  cmake --build build-fuzz -j"$(nproc)" --target fuzz-targets
  scripts/run-fuzzers.sh build-fuzz "${FUZZ_SECONDS:-60}"
fi
echo "all tests passed"
