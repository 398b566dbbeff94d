#!/usr/bin/env bash
# The program in a real window under Xvfb: title with the frame rate, Escape and the exit code,
# the end of the show, a refused full-screen switch, a missing soundtrack; and the headless runs
# without any display or sound device; bad arguments.
set -u
. "$(dirname "$0")/checks.bash"
. "$(dirname "$0")/xvfb.bash"
export SDL_AUDIODRIVER=dummy

# Everything that needs a display runs inside one Xvfb session.
cat > "$work/inside.sh" <<'INNER'
#!/usr/bin/env bash
set -u
exe=$1; work=$2; build=$3; here=$4
cd "$build"
wait_for_title() {  # pattern, seconds -> prints the window id
    for _ in $(seq 1 $(( $2 * 10 ))); do
        id=$(xdotool search --name "$1" 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
mean_brightness() { convert "$1" -colorspace gray -format "%[fx:mean]" info:; }

# 1. The show in a window, then Escape.
"$exe" --window --from 40000 2>"$work/window.err" &
pid=$!
id=$(wait_for_title "lumivane FPS:[0-9]+" 60) && echo "title=$(xdotool getwindowname "$id")" > "$work/window.title"
# The first picture follows the set-up; under load (sanitizers, parallel tests) it can take a while.
for _ in $(seq 1 60); do
    sleep 0.5
    import -window root "$work/window.png"
    awk -v m="$(mean_brightness "$work/window.png")" 'BEGIN { exit !(m > 0.01) }' && break
done
xdotool key Escape
wait $pid; echo $? > "$work/window.code"

# 1b. Closing the window as a window manager's close button does ends the show.
"$exe" --window --from 40000 2>"$work/close.err" &
pid=$!
id=$(wait_for_title "lumivane FPS:[0-9]+" 60) && python3 "$here/close_window.py" "$id"
for _ in $(seq 1 200); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && { echo yes > "$work/close.hung"; kill $pid; }
wait $pid; echo $? > "$work/close.code"

# 2. The end of the show arrives by itself.
start=$(date +%s)
"$exe" --window --from 210000 2>"$work/end.err"
echo $? > "$work/end.code"; echo $(( $(date +%s) - start )) > "$work/end.seconds"

# 3. The display refuses 800x600: one message, then the window. Xvfb offers only its own mode; the
# platform's stand-in refusal makes the case certain whatever modes the server lists.
LUMIVANE_REFUSE_MODE_CHANGE=1 "$exe" --from 40000 2>"$work/refused.err" &
pid=$!
wait_for_title "lumivane FPS:[0-9]+" 60 >/dev/null && echo yes > "$work/refused.window"
xdotool search --name "." getwindowname %@ > "$work/refused.windows" 2>/dev/null
sleep 1
xdotool key Escape
wait $pid; echo $? > "$work/refused.code"

# 4. No soundtrack: same timing, no crash.
mkdir -p "$work/nosound/data"
[ -d "$build/data" ] && cp -r "$build/data/." "$work/nosound/data/"
rm -f "$work/nosound/data/vorsa.wav"
cd "$work/nosound"
start=$(date +%s)
"$exe" --window --from 209500 2>"$work/nosound.err"
echo $? > "$work/nosound.code"; echo $(( $(date +%s) - start )) > "$work/nosound.seconds"
INNER
xvfb_run 1024x768 bash "$work/inside.sh" "$exe" "$work" "$build" "$(cd "$(dirname "$0")" && pwd)"

check "window title shows the frame rate" grep -Eq "^title=lumivane FPS:[0-9]+$" "$work/window.title"
check "Escape ends the show with exit code 1" [ "$(cat "$work/window.code")" = 1 ]
bright=$(convert "$work/window.png" -crop 800x600+0+0 -colorspace gray -format "%[fx:mean]" info: 2>/dev/null || echo 0)
check "the window shows a picture (mean $bright)" awk "BEGIN{exit !($bright > 0.01)}"
check "closing the window ends the show" [ ! -f "$work/close.hung" ]
check "... with exit code 1" [ "$(cat "$work/close.code")" = 1 ]
check "--from 210000 ends by itself with exit code 1" [ "$(cat "$work/end.code")" = 1 ]
check "... within a few seconds ($(cat "$work/end.seconds") s)" [ "$(cat "$work/end.seconds")" -le 20 ]
check "a refused mode change is reported once" [ "$(grep -c 'Message: フルスクリーン表示に失敗しました' "$work/refused.err")" = 1 ]
check "... and the show goes on in the window" [ -f "$work/refused.window" ]
check "... and ends with exit code 1" [ "$(cat "$work/refused.code")" = 1 ]
if [ ! -f "$work/refused.window" ] || [ "$(grep -c 'Message:' "$work/refused.err")" != 1 ]; then
    echo "refused run, stderr:"; cat "$work/refused.err"; echo "windows:"; cat "$work/refused.windows"
fi
check "no soundtrack: ends by itself with exit code 1" [ "$(cat "$work/nosound.code")" = 1 ]
check "... in about the same time ($(cat "$work/nosound.seconds") s)" [ "$(cat "$work/nosound.seconds")" -le 20 ]
for f in window close end refused nosound; do
    if grep -Eq "ERROR: (Address|Leak)Sanitizer|runtime error:" "$work/$f.err"; then
        echo "FAIL sanitizer report in the $f run:"; cat "$work/$f.err"; fail=1
    fi
done

# 5. Headless runs need no display and no sound device.
(
    unset DISPLAY WAYLAND_DISPLAY
    cd "$build"
    "$exe" --render "$work/frames" --fps 20 --from 40000 --to 40100 2>"$work/render.err"
    echo $? > "$work/render.code"
    "$exe" --bench --fps 10 --from 60000 --to 60500 >"$work/bench.out" 2>"$work/bench.err"
    echo $? > "$work/bench.code"
)
check "--render exits 0" [ "$(cat "$work/render.code")" = 0 ]
check "--render wrote frame-000000.png, frame-000001.png and the soundtrack slice only" \
    [ "$(ls "$work/frames" | tr '\n' ' ')" = "frame-000000.png frame-000001.png soundtrack.wav " ]
check "--bench exits 0" [ "$(cat "$work/bench.code")" = 0 ]
check "--bench prints scene 3 and the set-up time" grep -q "set-up:" "$work/bench.out"
check "--bench prints the peak memory" grep -q "peak memory:" "$work/bench.out"

# 6. Bad arguments.
"$exe" --frobnicate >/dev/null 2>"$work/bad.err"; code=$?
check "an unknown option exits 2 with a one-line error" [ "$code" = 2 ] && check "... one line" [ "$(wc -l < "$work/bad.err")" = 1 ]
"$exe" --from >/dev/null 2>&1; check "--from without a value exits 2" [ $? = 2 ]
"$exe" --help >/dev/null 2>&1; check "--help exits 0" [ $? = 0 ]
(unset DISPLAY WAYLAND_DISPLAY; timeout 20 "$exe" --window >/dev/null 2>"$work/nodisplay.err"; echo $? > "$work/nodisplay.code")
check "no display: the window error is reported and the program ends with 1" \
    [ "$(cat "$work/nodisplay.code")" = 1 ] && check "... naming the failure" grep -q "GLwindow error: デバイスコンテキスト取得失敗" "$work/nodisplay.err"

exit $fail
