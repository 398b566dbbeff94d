#!/usr/bin/env bash
# The player's display line and window size, seen on Xvfb screenshots: H puts a dark band with the
# time and scene along the bottom of the picture, and only there, at every size, multisampled or
# not, and H again takes it away; a window squeezed to 1x1 and then toggled to full screen and back
# comes back at the size it had; a window resized while paused shows the held picture drawn again
# at the new size (what --render writes at that size, not the old picture in a corner). On the stepped test clock, held at one
# moment of scene 3 from the first frame on.
# usage: player_seen.sh <build-dir>
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/checks.bash"
. "$(dirname "$0")/xvfb.bash"
cd "$build"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

hold=41000   # scene 3
trails=68485 # scene 4 at u = 0.15: all five trail passes, kept in capture textures
(unset DISPLAY WAYLAND_DISPLAY
 "$exe" --render "$work/600x400" --size 600x400 --seed 1 --from "$trails" --to "$((trails + 1))" 2>"$work/render.err") ||
    { echo "FAIL --render --size 600x400: $(cat "$work/render.err")"; exit 1; }

cat >"$work/inside.sh" <<'INNER'
set -u
exe=$1 work=$2 hold=$3 trails=$5
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
# shot NAME WxH: the held picture at that size into NAME.png.
shot() { held_shot "$wid" "$work/$1.png" "$2" >/dev/null || note "$1: never held still at $2"; }
resize() { xdotool windowsize --sync "$wid" "${1%x*}" "${1#*x}"; }
press() { xdotool key --window "$wid" "$1"; }
start() {  # start NAME T ARGS...: the window, held at T, with its first picture up
    local name=$1 t=$2; shift 2
    LUMIVANE_TEST_CLOCK="1000:$t" "$exe" --window --seed 1 --from "$t" "$@" 2>"$work/$name.err" &
    pid=$!
    wid=$(find_window "$pid") && first_picture "$wid" && return 0
    note "$name: no window with a picture"; kill "$pid"; return 1
}

# Multisampled (the default where the GL offers it): the band at 800x600, with bars at 1024x576,
# and at 500x700 after a resize while paused with the line on.
if start ms "$hold"; then
    shot ms-off 800x600
    press space; press h
    shot ms-on 800x600
    press h
    shot ms-again 800x600
    resize 1024x576; shot bars-off 1024x576
    press h; shot bars-on 1024x576
    resize 500x700; shot resized-on 500x700
    press h; shot resized-off 500x700
    quit "$pid" "$wid" ms
fi
# Not multisampled: the designed picture straight in the window, then a tiny window.
if start plain "$hold" --ssaa 1; then
    shot plain-off 800x600
    press space; press h
    shot plain-on 800x600
    press h
    shot plain-again 800x600
    resize 100x75; shot tiny-off 100x75
    press h; shot tiny-on 100x75
    quit "$pid" "$wid" plain
fi
# Shrunk while paused (no exposure follows): the held picture drawn again at that size, trails and
# all, not left in a corner; then squeezed to 1x1, F twice: back at that size.
sized() {  # sized WxH NAME: waits (up to 30 s) for the window to have that size; records the size
    for _ in $(seq 1 60); do [ "$(size_of "$wid")" = "$1" ] && break; sleep 0.5; done
    size_of "$wid" >"$work/$2.size"
}
if start trails "$trails" --ssaa 1; then
    shot trails-before 800x600
    press space; sleep 1
    resize 600x400; shot paused-resized 600x400
    resize 1x1; sleep 1
    size_of "$wid" >"$work/squeezed.size"
    press f; sized 1280x1024 full
    press f; sized 600x400 back
    quit "$pid" "$wid" trails
fi
INNER
xvfb_run 1280x1024 bash "$work/inside.sh" "$exe" "$work" "$hold" "$here/xwindow.bash" "$trails"

if [ -f "$work/inside.fail" ]; then
    echo "FAIL $(cat "$work/inside.fail")"; cat "$work"/*.err; exit 1
fi

# The band of a WxH window: the bottom 26/600 of the largest centred 4:3 picture, as rows of the
# screenshot: prints "x y w h" of the rows wholly in it, or with "reach", of every row it touches
# (a multisampled edge row is partly covered).
band_rect() {
    awk -v s="$1" -v reach="${2:-}" 'BEGIN { split(s, a, "x"); W = a[1]; H = a[2]
        k = int(W / 4) < int(H / 3) ? int(W / 4) : int(H / 3); pw = 4 * k; ph = 3 * k
        left = int((W - pw) / 2); bottom = int((H - ph + 1) / 2)
        b = 26 * ph / 600; bh = reach ? int(b) + (b > int(b)) : int(b)
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
    [ -f "$work/$name-again.png" ] || cp "$work/$name-off.png" "$work/$name-again.png"  # not taken
    size=$(identify -format '%wx%h' "$work/$name-on.png")
    rect=$(band_rect "$size")
    crop "$work/$name-on.png" "$rect" "$work/$name-band.png"
    crop "$work/$name-off.png" "$rect" "$work/$name-band-off.png"
    # Dark: every channel under 10 %; text: the line's pale yellow (1, 1, 0.7) within 15 %.
    dark=$(convert "$work/$name-band.png" -fx 'r<0.1&&g<0.1&&b<0.1' -format '%[fx:mean]' info:)
    text=$(convert "$work/$name-band.png" -fx 'r>0.85&&g>0.85&&b>0.55&&b<0.85' -format '%[fx:mean*w*h]' info:)
    was_dark=$(convert "$work/$name-band-off.png" -fx 'r<0.1&&g<0.1&&b<0.1' -format '%[fx:mean]' info:)
    was_text=$(convert "$work/$name-band-off.png" -fx 'r>0.85&&g>0.85&&b>0.55&&b<0.85' -format '%[fx:mean*w*h]' info:)
    check "$name ($size): H puts a dark band along the picture's bottom ($dark of it dark, $was_dark before)" \
        awk -v d="$dark" -v w="$was_dark" 'BEGIN { exit !(d > 0.75 && d > w + 0.1) }'
    # Text too small to read still shows, not as many pixels of its colour.
    check "$name: ... with the line's text in it ($text pixels of its colour, $was_text before)" \
        awk -v t="$text" -v w="$was_text" -v h="${rect##* }" 'BEGIN { exit !(t >= w + (h >= 10 ? 20 : 1)) }'
    reach=$(band_rect "$size" reach)
    check "$name: ... and changes nothing else ($(outside "$work/$name-on.png" "$work/$name-off.png" "$reach") pixels)" \
        [ "$(outside "$work/$name-on.png" "$work/$name-off.png" "$reach")" = 0 ]
    check "$name: H again takes it away" \
        [ "$(compare -metric AE "$work/$name-again.png" "$work/$name-off.png" null: 2>&1 | awk '{print $1}')" = 0 ]
done
check "squeezed to $(cat "$work/squeezed.size"), F: the screen ($(cat "$work/full.size"))" \
    [ "$(cat "$work/full.size")" = 1280x1024 ]
check "F again: back at 600x400 ($(cat "$work/back.size"))" [ "$(cat "$work/back.size")" = 600x400 ]
peak=$(compare -metric PAE "$work/paused-resized.png" "$work/600x400/frame-000000.png" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p')
# A stray pixel may differ; a picture left in a corner, or drawn without its trails, differs widely.
differing=$(compare -metric AE -fuzz 2% "$work/paused-resized.png" "$work/600x400/frame-000000.png" null: 2>&1 | awk '{print $1}')
check "resized to 600x400 while paused: the held picture drawn at that size ($differing pixels differ by over 2 %, peak $peak)" \
    awk -v d="$differing" 'BEGIN { exit !(d != "" && d < 100) }'
check "no sanitizer report" bash -c "! grep -E 'Sanitizer|runtime error:' '$work'/*.err"
exit $fail
