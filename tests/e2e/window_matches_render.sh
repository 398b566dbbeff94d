#!/usr/bin/env bash
# The window shows what --render writes: scene 1 at u = 0.8 (the glow of the name over the ring
# backdrop, made of captures laid over at opacities below 1) played in a real window under Xvfb on
# the stepped test clock and held there, then screenshot, must equal the headless frame of the same
# demo time within rounding. A context with alpha planes on either side, or a different projection,
# font or light, shows up here.
# usage: window_matches_render.sh <build-dir>
set -uo pipefail
build=$(cd "${1:-.}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "window_matches_render: $*" >&2; exit 1; }
. "$here/xvfb.bash"

# u = 0.8 of scene 1: 0.8 x 39.3 beats of 60000/140 ms.
hold=$(awk 'BEGIN { printf "%.9f", 0.8 * 39.3 * 60000 / 140 }')
to=$(awk -v h="$hold" 'BEGIN { printf "%.9f", h + 1 }')
cd "$build"
(unset DISPLAY WAYLAND_DISPLAY; ./lumivane --render "$work/frames" --seed 1 --from "$hold" --to "$to" 2>"$work/render.err") ||
    fail "--render failed: $(cat "$work/render.err")"
[ -f "$work/frames/frame-000000.png" ] || fail "no rendered frame"

cat >"$work/inside.sh" <<'INNER'
set -uo pipefail
build=$1 work=$2 hold=$3
. "$4"
cd "$build"
# From 12 s on, 250 ms of demo time a frame, held at u = 0.8.
LUMIVANE_TEST_CLOCK="250:$hold" ./lumivane --window --ssaa 1 --seed 1 --from 12000 2>"$work/window.err" &
pid=$!
wid=$(find_window "$pid") || { echo "no window with a frame-rate title" >"$work/inside.fail"; kill "$pid"; exit 1; }
# Held: two screenshots a second apart agree once the clock has reached the hold.
held_shot "$wid" "$work/shot.png" >"$work/held" || rm -f "$work/held"
xdotool key --window "$wid" Escape
for _ in $(seq 1 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && { kill "$pid"; echo "still running after Escape" >"$work/inside.fail"; }
wait "$pid"; echo $? >"$work/window.code"
INNER
xvfb_run 1024x768 bash "$work/inside.sh" "$build" "$work" "$hold" "$here/xwindow.bash"

[ -f "$work/inside.fail" ] && fail "$(cat "$work/inside.fail"); stderr: $(cat "$work/window.err")"
[ -f "$work/held" ] || fail "the window's picture never held still on the test clock"
if grep -E 'Sanitizer|runtime error:' "$work/window.err" >&2; then fail "sanitizer report"; fi
[ "$(cat "$work/window.code")" = 1 ] || fail "exit code $(cat "$work/window.code"), expected 1"
[ "$(identify -format '%wx%h' "$work/shot.png")" = 800x600 ] || fail "the window is not 800x600"
mean=$(convert "$work/shot.png" -colorspace Gray -format '%[fx:mean]' info:)
awk -v m="$mean" 'BEGIN { exit !(m > 0.05) }' || fail "the window's picture is dark (mean $mean)"
# Peak difference of any channel of any pixel, as a fraction of full scale; 2/255 allows rounding.
peak=$(compare -metric PAE "$work/shot.png" "$work/frames/frame-000000.png" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p')
differing=$(compare -metric AE -fuzz 1% "$work/shot.png" "$work/frames/frame-000000.png" null: 2>&1)
echo "window vs --render at t = $hold ms: peak difference $peak of full scale, $differing pixels beyond 1%, mean brightness $mean"
awk -v p="$peak" 'BEGIN { exit !(p != "" && p <= 2 / 255) }' || fail "the window's picture differs from the rendered frame"
echo "window_matches_render: the window shows the rendered frame"
