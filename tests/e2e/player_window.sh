#!/usr/bin/env bash
# The window as a player under Xvfb: Space holds the picture and pauses the soundtrack, Right moves
# the time by exactly a second, Page Down lands on the next scene's start, F toggles a window the
# size of the screen and back, and the soundtrack hears Pause, Resume and Play from; the plain
# show ignores every one of those keys.
# usage: player_window.sh <build-dir>
set -u
. "$(dirname "$0")/checks.bash"
. "$(dirname "$0")/xvfb.bash"
export SDL_AUDIODRIVER=dummy

cat > "$work/inside.sh" <<'INNER'
#!/usr/bin/env bash
set -u
exe=$1; work=$2; build=$3
cd "$build"
wait_for_title() {  # pattern -> prints the window id
    for _ in $(seq 1 600); do
        id=$(xdotool search --name "$1" 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
shot() { import -window root -crop 800x600+0+0 "$work/$1.png"; }
geometry() { xdotool getwindowgeometry "$1" | awk '/Geometry/ {print $2}'; }
last_line() { grep '^player:' "$work/$1.err" | tail -1; }
key() { xdotool key "$@"; sleep 1; }
# Presses a key and waits (up to 30 s) for the player's next display line, into $work/<name>.line.
key_line() {
    local name=$1 before; shift
    before=$(grep -c '^player:' "$work/player.err")
    xdotool key "$@"
    for _ in $(seq 1 300); do
        [ "$(grep -c '^player:' "$work/player.err")" -gt "$before" ] && break
        sleep 0.1
    done
    last_line player > "$work/$name.line"
}

# 1. The player.
LUMIVANE_PLAYER_TRACE=1 LUMIVANE_MEDIA_LOG="$work/player.media" "$exe" --window --from 40000 2>"$work/player.err" &
pid=$!
id=$(wait_for_title "^lumivane FPS:[0-9]+") || { echo "no player window"; kill $pid; exit 1; }
xdotool mousemove --window "$id" 400 300 windowfocus --sync "$id"
sleep 2
key_line paused space
sleep 0.5
shot paused-1; sleep 0.5; shot paused-2
xdotool getwindowname "$id" > "$work/paused.title"
key space
shot playing-1; sleep 0.5; shot playing-2
key_line paused-again space
key_line right Right
key_line next Next
key_line prior Prior
key space
key f
geometry "$id" > "$work/full.geometry"
key f
geometry "$id" > "$work/window.geometry"
key F11
geometry "$id" > "$work/f11.geometry"
key alt+Return
geometry "$id" > "$work/altenter.geometry"
xdotool key Escape
wait $pid; echo $? > "$work/player.code"

# 2. The plain show (its mode change refused, so it runs in the window): only Escape counts.
LUMIVANE_REFUSE_MODE_CHANGE=1 LUMIVANE_PLAYER_TRACE=1 LUMIVANE_MEDIA_LOG="$work/plain.media" \
    "$exe" --from 40000 2>"$work/plain.err" &
pid=$!
id=$(wait_for_title "^lumivane FPS:[0-9]+") || { echo "no show window"; kill $pid; exit 1; }
xdotool mousemove --window "$id" 400 300 windowfocus --sync "$id"
sleep 2
xdotool key space; sleep 0.5
shot plain-1; sleep 0.5; shot plain-2
xdotool key Right Next Home Up h f F11 alt+Return; sleep 1
geometry "$id" > "$work/plain.geometry"
xdotool key Escape
wait $pid; echo $? > "$work/plain.code"
INNER
xvfb_run 1024x768 bash "$work/inside.sh" "$exe" "$work" "$build"

ae() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | awk '{print $1}'; }
ms_of() {  # "player: m:ss.mmm ..." -> milliseconds
    awk '{ split($2, a, ":"); split(a[2], b, "."); print (a[1] * 60 + b[1]) * 1000 + b[2] }' "$work/$1.line"
}
check "paused: two screenshots half a second apart are identical ($(ae paused-1 paused-2) pixels differ)" \
    [ "$(ae paused-1 paused-2)" = 0 ]
check "... and the title says so ($(cat "$work/paused.title"))" grep -q "paused" "$work/paused.title"
check "resumed: the picture moves again ($(ae playing-1 playing-2) pixels differ)" \
    [ "$(ae playing-1 playing-2)" != 0 ]
paused_ms=$(ms_of paused-again); right_ms=$(ms_of right)
check "Right moves the held time by 1 s ($paused_ms -> $right_ms ms)" [ $((right_ms - paused_ms)) = 1000 ]
check "Page Down lands on the next scene's start ($(cat "$work/next.line"))" \
    grep -q "player: 1:06.428  scene 4  u 0.000" "$work/next.line"
check "Page Up in a scene's first second goes to the one before ($(cat "$work/prior.line"))" \
    grep -q "player: 0:30.428  scene 3  u 0.000" "$work/prior.line"
check "F: a window the size of the screen ($(cat "$work/full.geometry"))" [ "$(cat "$work/full.geometry")" = 1024x768 ]
check "F again: back to the window ($(cat "$work/window.geometry"))" [ "$(cat "$work/window.geometry")" = 800x600 ]
check "F11 and Alt+Enter toggle it too ($(cat "$work/f11.geometry"), $(cat "$work/altenter.geometry"))" \
    [ "$(cat "$work/f11.geometry"),$(cat "$work/altenter.geometry")" = 1024x768,800x600 ]
check "Escape ends the player with exit code 1" [ "$(cat "$work/player.code")" = 1 ]
expected_media=$(printf '%s\n' 'Open data\vorsa.wav' 'Play data\vorsa.wav from 40000' 'Pause data\vorsa.wav' \
    'Resume data\vorsa.wav' 'Pause data\vorsa.wav' 'Play data\vorsa.wav from 30429')
check "the soundtrack heard Pause, Resume and Play from" [ "$(cat "$work/player.media")" = "$expected_media" ]
[ "$(cat "$work/player.media")" = "$expected_media" ] || { echo "media commands:"; cat "$work/player.media"; }

check "plain show: Space does not pause ($(ae plain-1 plain-2) pixels differ)" [ "$(ae plain-1 plain-2)" != 0 ]
check "... the player keys move nothing" [ "$(cat "$work/plain.media")" = "$(printf '%s\n' 'Open data\vorsa.wav' 'Play data\vorsa.wav from 40000')" ]
check "... F, F11 and Alt+Enter leave the window ($(cat "$work/plain.geometry"))" [ "$(cat "$work/plain.geometry")" = 800x600 ]
check "... there is no player" [ "$(grep -c '^player:' "$work/plain.err")" = 0 ]
check "... Escape ends it with exit code 1" [ "$(cat "$work/plain.code")" = 1 ]
for f in player plain; do
    if grep -Eq "ERROR: (Address|Leak)Sanitizer|runtime error:" "$work/$f.err"; then
        echo "FAIL sanitizer report in the $f run:"; cat "$work/$f.err"; fail=1
    fi
done
[ $fail = 0 ] || { echo "player stderr:"; cat "$work/player.err"; }
exit $fail
