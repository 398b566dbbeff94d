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

run() {  # name args...: runs the program; prints "wall-seconds cpu-seconds" (cpu: user + system)
  local name=$1 TIMEFORMAT='%R %U %S'
  shift
  { time ./lumivane "$@" --seed 1 "${range[@]}" >"$work/$name.out" 2>"$work/$name.err"; } 2>"$work/$name.time" ||
    { tail -5 "$work/$name.err" >&2; echo "output_cost: $name failed" >&2; exit 1; }
  awk '{ printf "%.2f %.2f\n", $1, $2 + $3 }' "$work/$name.time"
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
read -r bench bench_cpu < <(run bench --bench)
read -r render render_cpu < <(run render --render "$work/frames")
read -r video video_cpu < <(run video --video "$work/show.mp4")
frames=$(find "$work/frames" -name 'frame-*.png' | wc -l)
echo "range: ${range[*]:-whole show at 60 fps}; $frames frames; $(grep -m1 '^GL renderer' "$work/bench.err")"
echo "PNG frames: $(du -sh "$work/frames" | cut -f1); video: $(du -h "$work/show.mp4" | cut -f1); load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-8s  wall %8s s  cpu %8s s\n' --bench "$bench" "$bench_cpu" --render "$render" "$render_cpu" --video "$video" "$video_cpu"
awk -v b="$bench" -v r="$render" -v v="$video" -v bc="$bench_cpu" -v rc="$render_cpu" -v vc="$video_cpu" \
  'BEGIN { printf "render / bench = %.3f (cpu %.3f)\nvideo / bench  = %.3f (cpu %.3f)\n", r / b, rc / bc, v / b, vc / bc }'
