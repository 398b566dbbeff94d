#!/usr/bin/env bash
# Builds lumivane with AddressSanitizer and UndefinedBehaviorSanitizer, generates the stand-in data,
# runs every test (unit, headless GL, end-to-end under Xvfb, the web page in headless Chromium), then runs each fuzzer for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh --test
export SDL_AUDIODRIVER=dummy
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVANE_SANITIZE=ON >/dev/null
cmake --build build-test -j"$(nproc)"
ctest --test-dir build-test --output-on-failure -j2 --timeout 1500

# The web page in headless Chromium, its frames against the desktop's.
scripts/test-web.sh

# Fuzzing: clang's libFuzzer over each reader, about a minute each; any finding fails the run.
if [ -f fuzz/CMakeLists.txt ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DLUMIVANE_FUZZ=ON -DLUMIVANE_TESTS=OFF >/dev/null
  cmake --build build-fuzz -j"$(nproc)" --target fuzz-targets
  scripts/run-fuzzers.sh build-fuzz "${FUZZ_SECONDS:-60}"
fi
echo "all tests passed"
