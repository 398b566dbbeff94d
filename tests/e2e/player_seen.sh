#!/usr/bin/env bash
# The player's display line and window size, seen on Xvfb screenshots: H puts a dark band with the
# time and scene along the bottom of the picture, and only there, at every size, multisampled or
# not, and H again takes it away; a window squeezed to 1x1 and then toggled to full screen and back
# comes back at the size it had; a window resized while paused shows the held picture drawn again
# at the new size (what --render writes at that size). On the stepped test clock, held at one
# moment of scene 3 from the first frame on.
# usage: player_seen.sh <build-dir>
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/checks.bash"
cd "$build"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

hold=41000
(unset DISPLAY WAYLAND_DISPLAY
 "$exe" --render "$work/600x900" --size 600x900 --seed 1 --from "$hold" --to "$((hold + 1))" 2>"$work/render.err") ||
    { echo "FAIL --render --size 600x900: $(cat "$work/render.err")"; exit 1; }

cat >"$work/inside.sh" <<'INNER'
set -u
exe=$1 work=$2 hold=$3
. "$4"
note() { echo "$*" >>"$work/inside.fail"; }
# Waits (up to a minute) until the window shows more than the black frames of the set-up.
first_picture() {
    for _ in $(seq 1 60); do
        import -window "$1" "$work/first.png"
        [ "$(convert "$work/first.png" -format '%[fx:maxima.r+maxima.g+maxima.b>0]' info:)" = 1 ] && return 0
        sleep 1
    done
    return 1
}
size_of() { xdotool getwindowgeometry "$1" | awk '/Geometry/ {print $2}'; }
quit() {  # pid wid name
    xdotool key --window "$2" Escape
    for _ in $(seq 1 200); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$1" 2>/dev/null && { kill "$1"; note "$3: still running after Escape"; }
    wait "$1"
}
# band NAME SIZE ARGS...: the held picture with H off, then paused with H on, then H off again;
# with a fifth argument WxH the window is resized to it while paused before H.
band() {
    local name=$1 size=$2 resize=$3; shift 3
    LUMIVANE_TEST_CLOCK="1000:$hold" "$exe" --window --seed 1 --from "$hold" "$@" 2>"$work/$name.err" &
    local pid=$!
    local wid
    wid=$(find_window "$pid") || { note "$name: no window"; kill "$pid"; return; }
    first_picture "$wid" || note "$name: no picture"
    held_shot "$wid" "$work/$name-off.png" "$size" >/dev/null || note "$name: never held still at $size"
    xdotool key --window "$wid" space
    if [ -n "$resize" ]; then
        xdotool windowsize --sync "$wid" "${resize%x*}" "${resize#*x}"
        size=$resize
        held_shot "$wid" "$work/$name-off.png" "$size" >/dev/null || note "$name: never held still at $size"
    fi
    xdotool key --window "$wid" h
    held_shot "$wid" "$work/$name-on.png" "$size" >/dev/null || note "$name: H: never held still"
    xdotool key --window "$wid" h
    held_shot "$wid" "$work/$name-again.png" "$size" >/dev/null || note "$name: H again: never held still"
    quit "$pid" "$wid" "$name"
}
band ms 800x600 ""
band plain 800x600 "" --ssaa 1
band bars 1024x576 "" --size 1024x576
band resized 500x700 500x700
band tiny 100x75 100x75 --ssaa 1

# Squeezed to 1x1, F twice: back at the size it had before.
LUMIVANE_TEST_CLOCK="1000:$hold" "$exe" --window --seed 1 --from "$hold" --size 640x480 2>"$work/tiny.err" &
pid=$!
if wid=$(find_window "$pid"); then
    xdotool windowsize --sync "$wid" 1 1; sleep 1
    size_of "$wid" >"$work/squeezed.size"
    xdotool key --window "$wid" f; sleep 1
    size_of "$wid" >"$work/full.size"
    xdotool key --window "$wid" f; sleep 1
    size_of "$wid" >"$work/back.size"
    quit "$pid" "$wid" tiny
else
    note "1x1: no window"; kill "$pid"
fi

# Resized while paused: the held picture drawn again at the new size.
LUMIVANE_TEST_CLOCK="1000:$hold" "$exe" --window --seed 1 --from "$hold" --ssaa 1 2>"$work/paused.err" &
pid=$!
if wid=$(find_window "$pid"); then
    first_picture "$wid" || note "paused: no picture"
    held_shot "$wid" "$work/paused-before.png" 800x600 >/dev/null || note "paused: never held still"
    xdotool key --window "$wid" space; sleep 1
    xdotool windowsize --sync "$wid" 600 900
    held_shot "$wid" "$work/paused-resized.png" 600x900 >/dev/null || note "paused: never held still at 600x900"
    quit "$pid" "$wid" paused
else
    note "paused: no window"; kill "$pid"
fi
INNER
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/inside.sh" "$exe" "$work" "$hold" "$here/xwindow.bash"

if [ -f "$work/inside.fail" ]; then
    echo "FAIL $(cat "$work/inside.fail")"; cat "$work"/*.err; exit 1
fi

# The band of a WxH window: the bottom 26/600 of the largest centred 4:3 picture, as rows of the
# screenshot: prints "x y w h" of the band.
band_rect() {
    awk -v s="$1" 'BEGIN { split(s, a, "x"); W = a[1]; H = a[2]
        k = int(W / 4) < int(H / 3) ? int(W / 4) : int(H / 3); pw = 4 * k; ph = 3 * k
        left = int((W - pw) / 2); bottom = int((H - ph + 1) / 2)
        bh = int(26 * ph / 600 + 0.5)
        print left, H - bottom - bh, pw, bh }'
}
# Pixels that differ between two screenshots outside a rectangle (painted over in both).
outside() {  # a b "x y w h"
    local x y w h
    read -r x y w h <<<"$3"
    local draw="rectangle $x,$y $((x + w - 1)),$((y + h - 1))"
    convert "$1" -fill black -draw "$draw" "$work/a.png"
    convert "$2" -fill black -draw "$draw" "$work/b.png"
    compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 | awk '{print $1}'
}
crop() {  # image "x y w h" out
    local x y w h
    read -r x y w h <<<"$2"
    convert "$1" -crop "${w}x${h}+${x}+${y}" +repage "$3"
}
for name in ms plain bars resized tiny; do
    size=$(identify -format '%wx%h' "$work/$name-on.png")
    rect=$(band_rect "$size")
    crop "$work/$name-on.png" "$rect" "$work/$name-band.png"
    crop "$work/$name-off.png" "$rect" "$work/$name-band-off.png"
    # Dark: every channel under 10 %; text: the line's pale yellow (1, 1, 0.7) within 15 %.
    dark=$(convert "$work/$name-band.png" -fx 'r<0.1&&g<0.1&&b<0.1' -format '%[fx:mean]' info:)
    text=$(convert "$work/$name-band.png" -fx 'r>0.85&&g>0.85&&b>0.55&&b<0.85' -format '%[fx:mean*w*h]' info:)
    was_dark=$(convert "$work/$name-band-off.png" -fx 'r<0.1&&g<0.1&&b<0.1' -format '%[fx:mean]' info:)
    check "$name ($size): H puts a dark band along the picture's bottom ($dark of it dark, $was_dark before)" \
        awk -v d="$dark" -v w="$was_dark" 'BEGIN { exit !(d > 0.75 && w < 0.5) }'
    # Text too small to read still shows, not as many pixels of its colour.
    check "$name: ... with the line's text in it ($text pixels)" \
        awk -v t="$text" -v h="${rect##* }" 'BEGIN { exit !(t >= (h >= 10 ? 20 : 1)) }'
    check "$name: ... and changes nothing else ($(outside "$work/$name-on.png" "$work/$name-off.png" "$rect") pixels)" \
        [ "$(outside "$work/$name-on.png" "$work/$name-off.png" "$rect")" = 0 ]
    check "$name: H again takes it away" \
        [ "$(compare -metric AE "$work/$name-again.png" "$work/$name-off.png" null: 2>&1 | awk '{print $1}')" = 0 ]
done
check "squeezed to $(cat "$work/squeezed.size"), F: the screen ($(cat "$work/full.size"))" \
    [ "$(cat "$work/full.size")" = 1280x1024 ]
check "F again: back at 640x480 ($(cat "$work/back.size"))" [ "$(cat "$work/back.size")" = 640x480 ]
peak=$(compare -metric PAE "$work/paused-resized.png" "$work/600x900/frame-000000.png" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p')
check "resized to 600x900 while paused: the held picture drawn at that size (peak difference $peak)" \
    awk -v p="$peak" 'BEGIN { exit !(p != "" && p <= 2 / 255) }'
check "no sanitizer report" bash -c "! grep -E 'Sanitizer|runtime error:' '$work'/*.err"
exit $fail
