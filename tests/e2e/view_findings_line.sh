#!/usr/bin/env bash
# lumivane --view in a window under Xvfb: the line of what the show draws differently from the
# modelling tool stands along the bottom of the picture, and H hides and shows it.
set -uo pipefail
source "$(dirname "$0")/checks.bash"
. "$(dirname "$0")/xvfb.bash"
source_root=$(cd "$(dirname "$0")/../.." && pwd)
model="$source_root/../shared/peer-mqo/dsan-no-eof.mqo"
[ -f "$model" ] || { echo "view_findings_line: no $model, skipped"; exit 0; }
command -v Xvfb > /dev/null || { echo "view_findings_line: no Xvfb, skipped"; exit 0; }

cat > "$work/run.sh" <<'INNER'
set -u
exe=$1 model=$2 work=$3
"$exe" --view "$model" 2> "$work/stderr" &
pid=$!
wid=""
for _ in $(seq 1 300); do
    wid=$(xdotool search --name '^lumivane - ' 2>/dev/null | head -n1)
    [ -n "$wid" ] && break
    sleep 0.1
done
[ -n "$wid" ] || { kill $pid; exit 1; }
# Pixels of the line's warm white in the bottom 26 rows of the window.
line_pixels() {
    import -window "$wid" "$work/shot.png"
    convert "$work/shot.png" -gravity South -crop x26+0+0 +repage \
        -fx '(r > 0.5 && g > 0.5 && b < r * 0.95) ? 1 : 0' -format '%[fx:round(mean * w * h)]' info:
}
# wait_for above|below N: polls (up to a minute, as a sanitizer build is slow to start) until the
# count of line pixels is above or below N, and prints the last count.
wait_for() {
    local count=0
    for _ in $(seq 1 120); do
        count=$(line_pixels)
        if [ "$1" = above ] && [ "$count" -gt "$2" ]; then break; fi
        if [ "$1" = below ] && [ "$count" -lt "$2" ]; then break; fi
        sleep 0.5
    done
    echo "$count"
}
echo "shown $(wait_for above 200)"
xdotool key --window "$wid" h
echo "hidden $(wait_for below 1)"
xdotool key --window "$wid" h
echo "again $(wait_for above 200)"
kill $pid
wait $pid 2> /dev/null
exit 0
INNER
SDL_AUDIODRIVER=dummy xvfb_run 1024x768 timeout 300 bash "$work/run.sh" "$exe" "$model" "$work" > "$work/out" 2>&1
shown=$(awk '$1 == "shown" { print $2 }' "$work/out")
hidden=$(awk '$1 == "hidden" { print $2 }' "$work/out")
again=$(awk '$1 == "again" { print $2 }' "$work/out")
check "the line is drawn ($shown pixels)" [ "${shown:-0}" -gt 200 ]
check "H hides it ($hidden pixels)" [ "${hidden:-1}" -eq 0 ]
check "H shows it again ($again pixels)" [ "${again:-0}" -gt 200 ]
exit $fail
