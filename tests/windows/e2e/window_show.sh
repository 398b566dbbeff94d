#!/usr/bin/env bash
# lumivane.exe in a real window under Wine on Xvfb: the frame-rate title, the picture, Escape and
# the natural end with exit code 1 and the soundtrack's commands; the 800x600 mode change granted
# on an 800x600 screen and refused on a 1024x768 one, where the message is shown once (read from
# the message log) and the show goes on in the window; the same refusal as a real box, closed by a
# key press.
# usage: window_show.sh <windows-build-dir>
set -u
. "$(dirname "$0")/prelude.bash"
. "$here/../../e2e/xwindow.bash"

shot() { import -window root "$work/$1.png"; }
# The size of the window's client area: Wine draws the frame itself, inside the X window, and the
# GL picture goes to a child window of the client area's size.
client_size() { xwininfo -children -id "$1" | sed -n 's/^ *0x[0-9a-f]* .*  \([0-9]*x[0-9]*\)+[-0-9]*+[-0-9]* .*/\1/p' | head -n1; }
# Screenshots until the picture is there (the title comes with the window, the picture after the
# set-up); fails after 30 s.
picture_shot() {
    for _ in $(seq 1 60); do
        shot "$1"
        awk -v m="$(mean "$work/$1.png")" 'BEGIN { exit !(m > 0.01) }' && return 0
        sleep 0.5
    done
    return 1
}
mean() { convert "$1" -colorspace gray -format "%[fx:mean]" info:; }
ae() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | awk '{print $1}'; }
media() { tr -d '\r' < "$work/$1.media" 2>/dev/null; }
wait_gone() {  # pid seconds: waits for the program to end; fails if it does not
    for _ in $(seq 1 $(( $2 * 10 ))); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
    return 1
}
# Escape to the show's window: focus it first (no window manager gives it the focus).
escape() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; xdotool key Escape; }
cd "$build"

# --- A 1024x768 screen: the 800x600 mode is not there.
wine_session 1024x768 || exit 1

# 1. --window: the title, a picture, Escape.
LUMIVANE_MEDIA_LOG="$work/window.media" wrun 300 "$exe" --window --from 40000 >"$work/window.out" 2>&1 &
pid=$!
if wid=$(find_window "$pid"); then
    xdotool getwindowname "$wid" > "$work/window.title"
    picture_shot window
    geometry=$(client_size "$wid")
    escape "$wid"
fi
wait_gone "$pid" 30 || kill "$pid" 2>/dev/null
wait "$pid"; code=$?
check "the window's title is the frame rate ($(cat "$work/window.title" 2>/dev/null))" \
    grep -Eq '^lumivane FPS:[0-9]+$' "$work/window.title"
check "its client area is 800x600 (${geometry:-none})" [ "${geometry:-}" = 800x600 ]
check "the window shows a picture (mean $(mean "$work/window.png" 2>/dev/null))" \
    awk -v m="$(mean "$work/window.png" 2>/dev/null || echo 0)" 'BEGIN { exit !(m > 0.01) }'
check "Escape ends the show with exit code 1 ($code)" [ "$code" = 1 ]
check "the soundtrack was opened and played from the start time, and not stopped" \
    [ "$(media window)" = "$(printf '%s\n' 'Open data\vorsa.wav' 'Play data\vorsa.wav from 40000')" ]
[ "$(media window)" = "$(printf '%s\n' 'Open data\vorsa.wav' 'Play data\vorsa.wav from 40000')" ] || media window

# 2. The end of the show arrives by itself.
start=$(date +%s)
LUMIVANE_MEDIA_LOG="$work/end.media" wrun 120 "$exe" --window --from 210500 >"$work/end.out" 2>&1; code=$?
seconds=$(( $(date +%s) - start ))
check "--from 210500 ends by itself with exit code 1 ($code)" [ "$code" = 1 ]
check "... within a minute ($seconds s)" [ "$seconds" -le 60 ]
expected_end=$(printf '%s\n' 'Open data\vorsa.wav' 'Play data\vorsa.wav from 210500' 'Stop data\vorsa.wav' \
    'Seek data\vorsa.wav to start' 'Stop data\vorsa.wav' 'Seek data\vorsa.wav to start' 'Close data\vorsa.wav')
check "... the soundtrack stopped, rewound and closed at the end" [ "$(media end)" = "$expected_end" ]
[ "$(media end)" = "$expected_end" ] || media end

# 3. The plain show: the mode change is refused; one message, then the show goes on in the window.
LUMIVANE_MESSAGE_LOG="$work/refused.messages" wrun 300 "$exe" --from 40000 >"$work/refused.out" 2>&1 &
pid=$!
if wid=$(find_window "$pid"); then
    # The next picture differs (a loaded machine may draw only a frame or two a second).
    picture_shot refused-1
    for _ in $(seq 1 20); do sleep 0.5; shot refused-2; [ "$(ae refused-1 refused-2)" != 0 ] && break; done
    refused_geometry=$(client_size "$wid")
    escape "$wid"
fi
wait_gone "$pid" 30 || kill "$pid" 2>/dev/null
wait "$pid"; code=$?
check "refused: the message is shown once" \
    [ "$(cat "$work/refused.messages" 2>/dev/null)" = "Message: フルスクリーン表示に失敗しました" ]
[ "$(cat "$work/refused.messages" 2>/dev/null)" = "Message: フルスクリーン表示に失敗しました" ] ||
    { echo "messages:"; cat "$work/refused.messages"; }
check "... the show goes on in the 800x600 window (${refused_geometry:-none})" [ "${refused_geometry:-}" = 800x600 ]
check "... and moves ($(ae refused-1 refused-2) pixels differ)" [ "$(ae refused-1 refused-2)" != 0 ]
check "... Escape ends it with exit code 1 ($code)" [ "$code" = 1 ]

# 3b. The same as the box a person sees: a window captioned "Message", closed with Enter.
wrun 300 "$exe" --from 40000 >"$work/box.out" 2>&1 &
pid=$!
box=""
for _ in $(seq 1 600); do
    box=$(xdotool search --name '^Message$' 2>/dev/null | head -n1)
    [ -n "$box" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
check "refused without the log: a box captioned \"Message\" comes up" [ -n "$box" ]
if [ -n "$box" ]; then
    sleep 0.5
    xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box"
    xdotool key Return
fi
if wid=$(find_window "$pid"); then
    check "... once closed with Enter, the show goes on in its window" true
    escape "$wid"
else
    check "... once closed with Enter, the show goes on in its window" false
fi
wait_gone "$pid" 30 || kill "$pid" 2>/dev/null
wait "$pid"; code=$?
check "... Escape ends it with exit code 1 ($code)" [ "$code" = 1 ]
wine_end

# --- An 800x600 screen: the mode change is granted.
wine_session 800x600 || exit 1
LUMIVANE_MESSAGE_LOG="$work/granted.messages" wrun 300 "$exe" --from 40000 >"$work/granted.out" 2>&1 &
pid=$!
if wid=$(find_window "$pid"); then
    picture_shot granted
    granted_position=$(xdotool getwindowgeometry "$wid" | awk '/Position/ {print $2} /Geometry/ {print $2}' | tr '\n' ' ')
    escape "$wid"
fi
wait_gone "$pid" 30 || kill "$pid" 2>/dev/null
wait "$pid"; code=$?
check "granted: no message" [ ! -s "$work/granted.messages" ]
[ -s "$work/granted.messages" ] && cat "$work/granted.messages"
check "... the window covers the screen (${granted_position:-none})" [ "${granted_position:-}" = "0,0 800x600 " ]
check "... and shows a picture (mean $(mean "$work/granted.png" 2>/dev/null))" \
    awk -v m="$(mean "$work/granted.png" 2>/dev/null || echo 0)" 'BEGIN { exit !(m > 0.01) }'
check "... Escape ends it with exit code 1 ($code)" [ "$code" = 1 ]

[ $fail = 0 ] || for f in "$work"/*.out; do echo "== $(basename "$f"):"; tail -20 "$f"; done
exit $fail
