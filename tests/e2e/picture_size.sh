#!/usr/bin/env bash
# The picture at other sizes: three moments through bench/picture_size.sh (smoothed PSNR, the
# anti-aliased frames of two sizes alike, sharper than an enlargement, 1080p bars, --ssaa 2), the
# bench figures of a sized run, and bad --size and --ssaa refused with one line, exit code 2 and
# no frame written.
# usage: picture_size.sh <build-dir>
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/checks.bash"
cd "$build"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

# The rings with their 50-pixel line (scene 3), the swarm with trails (scene 4), the glyph
# tunnel of the light core (scene 8).
check "three moments at 1600x1200, 1920x1080 and --ssaa 2" bash "$here/../../bench/picture_size.sh" "$build" 40000 77000 130000

./lumivane --bench --size 1920x1080 --ssaa 2 --from 40000 --to 40100 --seed 1 >"$work/bench.out" 2>"$work/bench.err"
check "--bench tells the sizes" grep -q "^output 1920x1080  picture 1440x1080 at 240,0  drawn 2880x2160  capture 1843x1843  ssaa 2$" "$work/bench.out"

refused() {  # refused "what" options...
    local what=$1; shift
    rm -rf "$work/frames"
    ./lumivane --render "$work/frames" --to 100 "$@" >"$work/out" 2>"$work/err"
    local code=$?
    local lines
    lines=$(wc -l <"$work/err")
    local frames
    frames=$(find "$work/frames" -name 'frame-*.png' 2>/dev/null | wc -l)
    check "$what: exit 2, one line, no frame ($code, $lines, $frames)" \
        [ "$code" = 2 ] && [ "$lines" = 1 ] && [ "$frames" = 0 ]
}
refused "--size 1920" --size 1920
refused "--size 1920x1080x2" --size 1920x1080x2
refused "--size 63x600" --size 63x600
refused "--size 16385x600" --size 16385x600
refused "--size 8000x4000 (over the largest offscreen surface)" --size 8000x4000
refused "--ssaa 5" --ssaa 5
refused "--ssaa 0" --ssaa 0
./lumivane --size 1920x1080 >"$work/out" 2>"$work/err"
check "--size without --window, --render or --bench: exit 2" [ $? = 2 ]
exit $fail
