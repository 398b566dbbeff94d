#!/usr/bin/env bash
# lumivane.exe --window as a player under Wine: Space holds the picture and pauses the soundtrack,
# Right moves the time by exactly a second, Page Down lands on the next scene's start, F fills the
# screen and gives the window back, and the soundtrack hears Pause, Resume and Play from; the plain
# show ignores those keys. No key here may open a box (the message log would show it).
# usage: player_window.sh <windows-build-dir>
set -u
. "$(dirname "$0")/prelude.bash"
. "$here/../../e2e/xwindow.bash"
cd "$build"
wine_session 1024x768 || exit 1

shot() { import -window root -crop 800x600+0+0 "$work/$1.png"; }
ae() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | awk '{print $1}'; }
# The size of the client area: the GL picture's child window (Wine draws the frame inside the X window).
geometry() { xwininfo -children -id "$1" | sed -n 's/^ *0x[0-9a-f]* .*  \([0-9]*x[0-9]*\)+[-0-9]*+[-0-9]* .*/\1/p' | head -n1; }
lines() { tr -d '\r' < "$work/$1.err" | grep '^player:'; }
media() { tr -d '\r' < "$work/$1.media" 2>/dev/null; }
# Presses a key and waits (up to 30 s) for the player's next display line, into $work/<name>.line.
key_line() {
    local name=$1 before; shift
    before=$(lines player | wc -l)
    xdotool key "$@"
    for _ in $(seq 1 300); do
        [ "$(lines player | wc -l)" -gt "$before" ] && break
        sleep 0.1
    done
    lines player | tail -1 > "$work/$name.line"
}
key() { xdotool key "$@"; sleep 1; }
# Presses a key and prints the client size once it is the expected one, or after 15 s as it is.
key_geometry() {
    local id=$1 expected=$2 now; shift 2
    xdotool key "$@"
    for _ in $(seq 1 150); do
        now=$(geometry "$id")
        [ "$now" = "$expected" ] && break
        sleep 0.1
    done
    echo "$now"
}
ms_of() {  # "player: m:ss.mmm ..." -> milliseconds
    awk '{ split($2, a, ":"); split(a[2], b, "."); print (a[1] * 60 + b[1]) * 1000 + b[2] }' "$work/$1.line"
}
# Screenshots <name>-2 until it differs from <name>-1 (a loaded machine may draw only a frame or
# two a second); gives up after 10 s.
moving_shot() {
    shot "$1-1"
    for _ in $(seq 1 20); do sleep 0.5; shot "$1-2"; [ "$(ae "$1-1" "$1-2")" != 0 ] && return; done
}
focus() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; }

# 1. The player.
LUMIVANE_PLAYER_TRACE=1 LUMIVANE_MEDIA_LOG="$work/player.media" LUMIVANE_MESSAGE_LOG="$work/player.messages" \
    wrun 600 "$exe" --window --from 40000 2>"$work/player.err" >"$work/player.out" &
pid=$!
id=$(find_window "$pid") || { echo "FAIL no player window"; cat "$work/player.err"; exit 1; }
focus "$id"
sleep 2
key_line paused space
sleep 0.5
shot paused-1; sleep 0.5; shot paused-2
xdotool getwindowname "$id" > "$work/paused.title"
xdotool key space
moving_shot playing
key_line paused-again space
key_line right Right
key_line next Next
key space
key_geometry "$id" 1024x768 f > "$work/full.geometry"
key_geometry "$id" 800x600 f > "$work/window.geometry"
xdotool key Escape
for _ in $(seq 1 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
wait "$pid"; code=$?

check "paused: two screenshots half a second apart are identical ($(ae paused-1 paused-2) pixels differ)" \
    [ "$(ae paused-1 paused-2)" = 0 ]
check "... and the title says so ($(cat "$work/paused.title"))" grep -q "paused" "$work/paused.title"
check "resumed: the picture moves again ($(ae playing-1 playing-2) pixels differ)" [ "$(ae playing-1 playing-2)" != 0 ]
paused_ms=$(ms_of paused-again); right_ms=$(ms_of right)
check "Right moves the held time by 1 s ($paused_ms -> $right_ms ms)" [ $((right_ms - paused_ms)) = 1000 ]
# The scene the held picture was in when Page Down came (how far the show got depends on the load).
scene=$(awk '{print $4}' "$work/right.line")
check "Page Down lands on the next scene's start ($(cat "$work/right.line") -> $(cat "$work/next.line"))" \
    grep -q "scene $((scene + 1))  u 0.000" "$work/next.line"
check "F: a window the size of the screen ($(cat "$work/full.geometry"))" [ "$(cat "$work/full.geometry")" = 1024x768 ]
check "F again: back to the window ($(cat "$work/window.geometry"))" [ "$(cat "$work/window.geometry")" = 800x600 ]
check "Escape ends the player with exit code 1 ($code)" [ "$code" = 1 ]
expected_media=$(printf '%s\n' 'Open data\vorsa.wav' 'Play data\vorsa.wav from 40000' 'Pause data\vorsa.wav' \
    'Resume data\vorsa.wav' 'Pause data\vorsa.wav')
played_from=$(media player | sed -n '6s/^Play data\\vorsa.wav from \([0-9]*\)$/\1/p')
check "the soundtrack heard Pause, Resume and Play from" [ "$(media player | head -n 5)" = "$expected_media" ]
check "... from the next scene's start (${played_from:-none} ms, shown $(ms_of next) ms)" \
    [ -n "$played_from" ] && [ "$(media player | wc -l)" = 6 ] && [ $((played_from - $(ms_of next))) -ge 0 ] &&
    [ $((played_from - $(ms_of next))) -le 1 ]
[ "$(media player | head -n 5)" = "$expected_media" ] && [ -n "$played_from" ] || { echo "media commands:"; media player; }
check "no box was opened" [ ! -s "$work/player.messages" ]

# 2. The plain show, in the window as its mode change is refused: only Escape counts.
LUMIVANE_PLAYER_TRACE=1 LUMIVANE_MEDIA_LOG="$work/plain.media" LUMIVANE_MESSAGE_LOG="$work/plain.messages" \
    wrun 600 "$exe" --from 40000 2>"$work/plain.err" >"$work/plain.out" &
pid=$!
id=$(find_window "$pid") || { echo "FAIL no show window"; cat "$work/plain.err"; exit 1; }
focus "$id"
sleep 2
xdotool key space; sleep 0.5
moving_shot plain
xdotool key Right Next f; sleep 3
geometry "$id" > "$work/plain.geometry"
xdotool key Escape
for _ in $(seq 1 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
wait "$pid"; code=$?
check "plain show: Space does not pause ($(ae plain-1 plain-2) pixels differ)" [ "$(ae plain-1 plain-2)" != 0 ]
check "... the player keys move nothing" \
    [ "$(media plain)" = "$(printf '%s\n' 'Open data\vorsa.wav' 'Play data\vorsa.wav from 40000')" ]
check "... F leaves the window ($(cat "$work/plain.geometry"))" [ "$(cat "$work/plain.geometry")" = 800x600 ]
check "... there is no player" [ "$(lines plain | wc -l)" = 0 ]
check "... Escape ends it with exit code 1 ($code)" [ "$code" = 1 ]
[ $fail = 0 ] || { echo "player stderr:"; tail -30 "$work/player.err"; }
exit $fail
