#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time, each on a fresh copy of its seed
# corpus (fuzz/corpus/<name>, with fuzz/<name>.dict when there is one). Any crash, sanitizer
# report, leak, timeout or memory blow-up fails the run; the input that caused it is kept and named.
# usage: scripts/run-fuzzers.sh <fuzz-build-dir> <seconds-per-target>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: run-fuzzers.sh <fuzz-build-dir> <seconds>}" && pwd)
seconds=${2:?usage: run-fuzzers.sh <fuzz-build-dir> <seconds>}
results="$build/fuzz-results"
rm -rf "$results"
mkdir -p "$results"

export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export SDL_AUDIODRIVER=dummy

failed=0
ran=0
for corpus in "$root"/fuzz/corpus/*/; do
    name=$(basename "$corpus")
    target="$build/fuzz/fuzz_$name"
    if [ ! -x "$target" ]; then
        echo "run-fuzzers: $target is missing (build the fuzz-targets target)" >&2
        failed=1
        continue
    fi
    work="$results/$name"
    mkdir -p "$work/corpus" "$work/artifacts"
    cp -r "$corpus". "$work/corpus/"
    # No single allocation beyond the largest picture the pixel cap lets through (256 MB as RGBA):
    # a decoder that believes a lying header is a finding, not a slow run.
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=320 -max_len=8192
             -print_final_stats=1 -artifact_prefix="$work/artifacts/")
    [ -f "$root/fuzz/$name.dict" ] && options+=(-dict="$root/fuzz/$name.dict")
    echo "run-fuzzers: $name for ${seconds}s"
    if "$target" "${options[@]}" "$work/corpus" > "$work/log" 2>&1; then
        grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$work/log" | sed "s/^/  $name /"
        echo "  $name: corpus $(find "$work/corpus" -type f | wc -l) inputs, no findings"
    else
        failed=1
        echo "run-fuzzers: $name FAILED; log: $work/log" >&2
        tail -n 40 "$work/log" >&2
        ls "$work/artifacts" >&2
    fi
    ran=$((ran + 1))
done
if [ "$ran" -eq 0 ]; then
    echo "run-fuzzers: no corpora under fuzz/corpus" >&2
    exit 1
fi
exit "$failed"
