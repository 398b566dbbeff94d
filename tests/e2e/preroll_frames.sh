#!/usr/bin/env bash
# A render that starts late shows what a render that played through shows: the frame of
# --render --from t matches frame t of a render from the start of t's scene (PSNR at least 40 dB)
# in the word reel scene and at the light core's reels; early in the city flight, whose trails
# still hold the sky dome's swarm, it matches a render that played through the dome's last trails.
# usage: preroll_frames.sh <build-dir>
set -u
. "$(dirname "$0")/checks.bash"
cd "$build"
step=$(awk 'BEGIN { printf "%.17g", 1000 / 60 }')

# case name, where the render that plays through starts (a frame of its scene, ms), frame index
# n: t = start + n * step.
check_case() {
    local name=$1 start=$2 n=$3
    local t to
    t=$(awk -v s="$start" -v n="$n" -v d="$step" 'BEGIN { printf "%.17g", s + n * d }')
    to=$(awk -v t="$t" 'BEGIN { printf "%.17g", t + 1 }')
    "$exe" --render "$work/$name-through" --from "$start" --to "$to" --seed 1 2>"$work/$name-through.err" ||
        { echo "FAIL $name: render from the scene start failed"; cat "$work/$name-through.err"; fail=1; return; }
    "$exe" --render "$work/$name-jump" --from "$t" --to "$to" --seed 1 2>"$work/$name-jump.err" ||
        { echo "FAIL $name: render from $t failed"; cat "$work/$name-jump.err"; fail=1; return; }
    local through jump psnr
    through=$(printf "%s/frame-%06d.png" "$work/$name-through" "$n")
    jump="$work/$name-jump/frame-000000.png"
    [ -f "$through" ] && [ -f "$jump" ] || { echo "FAIL $name: frames missing"; ls "$work/$name-through" | tail -2; fail=1; return; }
    psnr=$(compare -metric PSNR "$through" "$jump" null: 2>&1 | awk '{print $1}')
    if [ "$psnr" = inf ] || awk -v p="$psnr" 'BEGIN { exit !(p >= 40) }'; then
        echo "ok   $name: frame at $t ms from --from matches playing through (PSNR $psnr dB)"
    else
        echo "FAIL $name: frame at $t ms from --from differs from playing through (PSNR $psnr dB)"; fail=1
    fi
    if grep -Eq "ERROR: (Address|Leak)Sanitizer|runtime error:" "$work/$name-through.err" "$work/$name-jump.err"; then
        echo "FAIL $name: sanitizer report"; cat "$work/$name-jump.err"; fail=1
    fi
}

check_case word-reels 30428.571428571428 80      # 1.33 s in: the reels on their way to "_demo"
check_case light-core 123000 100                 # 1.67 s in: "Play!" reels from where scene 3 left them
# The city flight's trail copies still show the sky dome's last swarm, captured at the end of its
# second half: the render plays through those captures from eight frames before the last one,
# and the jump rebuilds them.
late_dome=$(awk -v s=80142.85714285714 -v d="$step" 'BEGIN { printf "%.17g", s + 836 * d }')
check_case city-trails "$late_dome" 108
exit $fail
