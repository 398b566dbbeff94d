#!/usr/bin/env bash
# The window follows its user: opened with --size 1024x576 it shows what --render --size 1024x576
# writes (a 768x576 picture between bars of 128 pixels), and resized by the window manager to
# 600x900 it shows what --render --size 600x900 writes (600x450 between bars of 225 pixels), the
# capture textures made again at the new size. Scene 1 at u = 0.8 on the stepped test clock, held,
# without multisampling (--ssaa 1) as the headless frame has none.
# usage: window_resize.sh <build-dir>
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/checks.bash"
. "$(dirname "$0")/xvfb.bash"
cd "$build"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

hold=$(awk 'BEGIN { printf "%.9f", 0.8 * 39.3 * 60000 / 140 }')
to=$(awk -v h="$hold" 'BEGIN { printf "%.9f", h + 1 }')
for size in 1024x576 600x900; do
    (unset DISPLAY WAYLAND_DISPLAY
     "$exe" --render "$work/$size" --size "$size" --seed 1 --from "$hold" --to "$to" 2>"$work/$size.err") ||
        { echo "FAIL --render --size $size: $(cat "$work/$size.err")"; exit 1; }
done

cat >"$work/inside.sh" <<'INNER'
set -u
exe=$1 work=$2 hold=$3
. "$4"
LUMIVANE_TEST_CLOCK="250:$hold" "$exe" --window --size 1024x576 --ssaa 1 --seed 1 --from 12000 \
    2>"$work/window.err" &
pid=$!
wid=$(find_window "$pid") || { echo "no window with a frame-rate title" >"$work/inside.fail"; kill "$pid"; exit 1; }
held_shot "$wid" "$work/opened.png" 1024x576 >/dev/null || echo "opened: never held still at 1024x576" >>"$work/inside.fail"
xdotool windowsize --sync "$wid" 600 900
held_shot "$wid" "$work/resized.png" 600x900 >/dev/null || echo "resized: never held still at 600x900" >>"$work/inside.fail"
xdotool key --window "$wid" Escape
for _ in $(seq 1 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && { kill "$pid"; echo "still running after Escape" >>"$work/inside.fail"; }
wait "$pid"; echo $? >"$work/window.code"
INNER
xvfb_run 1280x1024 bash "$work/inside.sh" "$exe" "$work" "$hold" "$here/xwindow.bash"

if [ -f "$work/inside.fail" ]; then
    echo "FAIL $(cat "$work/inside.fail")"; cat "$work/window.err"; exit 1
fi
check "no sanitizer report" bash -c "! grep -E 'Sanitizer|runtime error:' '$work/window.err'"
check "Escape ends the window with exit code 1" [ "$(cat "$work/window.code")" = 1 ]
# Peak difference of any channel of any pixel as a fraction of full scale: 2/255 allows rounding.
matches() {  # screenshot frame
    local peak
    peak=$(compare -metric PAE "$1" "$2" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p')
    echo "     peak difference $peak of full scale"
    awk -v p="$peak" 'BEGIN { exit !(p != "" && p <= 2 / 255) }'
}
check "opened at 1024x576, the window shows --render --size 1024x576" \
    matches "$work/opened.png" "$work/1024x576/frame-000000.png"
check "resized to 600x900, the window shows --render --size 600x900" \
    matches "$work/resized.png" "$work/600x900/frame-000000.png"
exit $fail
