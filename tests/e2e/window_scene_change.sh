#!/usr/bin/env bash
# Plays the show in a real window under Xvfb for a few seconds across two scene changes (the sky
# dome into the spinning zoom at 94285.7 ms, the zoom into the city flight at 95785.7 ms): the
# screen must not be black once frames run, and Escape must end the program with exit code 1.
# usage: window_scene_change.sh <build-dir>
set -euo pipefail
. "$(dirname "$0")/xvfb.bash"
build=$(cd "${1:-.}" && pwd)
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/inside.sh" <<'EOF'
set -uo pipefail
build=$1 work=$2
fail() { echo "window_scene_change: $*" >&2; kill "$pid" 2>/dev/null; exit 1; }
cd "$build"
./lumivane --window --from 90500 2>"$work/stderr" &
pid=$!

# The window appears before the set-up; the frame-rate title shows that frames are running.
for _ in $(seq 1 600); do
  wid=$(xdotool search --name '^lumivane FPS:' 2>/dev/null | head -n1 || true)
  [ -n "$wid" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended before drawing ($(cat "$work/stderr"))"
  sleep 0.1
done
[ -n "$wid" ] || fail "no window with a frame-rate title within a minute"

# The first picture (the clock starts two frames after the set-up), then a few seconds across the
# scene changes, every screenshot showing something.
shot() {  # n -> mean brightness of the screen
  import -window root "$work/shot-$1.png" || fail "no screenshot"
  convert "$work/shot-$1.png" -colorspace Gray -format '%[fx:mean]' info:
}
lit() { awk -v m="$1" 'BEGIN { exit !(m > 0.002) }'; }
for n in $(seq 1 60); do
  lit "$(shot 0)" && break
  [ "$n" -eq 60 ] && fail "the screen stayed black for 30 s"
  sleep 0.5
done
for n in 1 2 3 4 5 6 7 8 9; do
  sleep 0.7
  mean=$(shot "$n")
  echo "screenshot $n: mean $mean, title '$(xdotool getwindowname "$wid")'"
  lit "$mean" || fail "screenshot $n is black"
done

xdotool mousemove --window "$wid" 400 300 windowfocus --sync "$wid" key Escape
for _ in $(seq 1 200); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "still running 20 s after Escape"
wait "$pid"
status=$?
if grep -E 'Sanitizer|runtime error:' "$work/stderr" >&2; then fail "sanitizer report"; fi
[ "$status" -eq 1 ] || fail "exit code $status, expected 1"
echo "window_scene_change: drawn across the scene changes, Escape gave exit code 1"
EOF

xvfb_run 1024x768 bash "$work/inside.sh" "$build" "$work"
