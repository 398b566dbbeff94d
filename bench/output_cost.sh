#!/usr/bin/env bash
# What writing the frames costs: --bench, --render and --video over the same range, one after
# the other on this machine, with the wall time of each and the ratios to --bench.
# usage: bench/output_cost.sh <build-dir> [--from MS] [--to MS] [--fps N]   (default: whole show, 60 fps)
set -euo pipefail
build=$(cd "${1:?usage: output_cost.sh <build-dir> [--from MS] [--to MS] [--fps N]}" && pwd)
shift
cd "$build"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
range=("$@")
work=$(mktemp -d "${TMPDIR:-/tmp}/lumivane-output-cost.XXXXXX")
trap 'rm -rf "$work"' EXIT

wall() {  # name args...: runs the program, prints the wall time in seconds
  local name=$1 start end
  shift
  start=$(date +%s.%N)
  ./lumivane "$@" --seed 1 "${range[@]}" >"$work/$name.out" 2>"$work/$name.err" ||
    { tail -5 "$work/$name.err" >&2; echo "output_cost: $name failed" >&2; exit 1; }
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}

bench=$(wall bench --bench)
render=$(wall render --render "$work/frames")
video=$(wall video --video "$work/show.mp4")
frames=$(find "$work/frames" -name 'frame-*.png' | wc -l)
echo "range: ${range[*]:-whole show at 60 fps}; $frames frames; $(grep -m1 '^GL renderer' "$work/bench.err")"
echo "PNG frames: $(du -sh "$work/frames" | cut -f1); video: $(du -h "$work/show.mp4" | cut -f1)"
printf '%-8s %8s s\n' --bench "$bench" --render "$render" --video "$video"
awk -v b="$bench" -v r="$render" -v v="$video" \
  'BEGIN { printf "render / bench = %.3f\nvideo / bench  = %.3f\n", r / b, v / b }'
