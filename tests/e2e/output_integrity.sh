#!/usr/bin/env bash
# Outputs that never lie or half-write: a second run to the same video or directory refuses at
# once and the first one's file decodes; a killed run's .part is taken over; SIGHUP stops a run
# as SIGTERM does; a closed or broken standard error kills nothing; SIGKILL and a full disk (a small
# tmpfs where one can be mounted, the file size limit otherwise) leave no frame under its final
# name that does not decode; a directory holding an earlier run's frames is refused unless --force,
# which replaces them; the soundtrack slice holds the sound of the frames written; a run that
# writes nothing leaves nothing; a bad target or frame rate is refused before anything is drawn;
# no output is written through a symbolic link the run did not make.
# usage: output_integrity.sh <build-dir>
set -u
. "$(dirname "$0")/checks.bash"
cd "$build"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
unset DISPLAY WAYLAND_DISPLAY

run() {  # run NAME ARGS...: the program with a time limit; exit code into $work/NAME.code
    local name=$1; shift
    local status=0
    timeout 300 "$exe" "$@" >"$work/$name.out" 2>"$work/$name.err" || status=$?
    echo "$status" >"$work/$name.code"
}
code() { cat "$work/$1.code"; }
says() { grep -q -- "$2" "$work/$1.err"; }
drew_nothing() { ! grep -q 'GL renderer' "$work/$1.err"; }  # refused before the GL was set up
wait_for() {  # wait_for FILE-GLOB: up to 60 s until a file matching it exists
    for _ in $(seq 1 600); do
        compgen -G "$1" >/dev/null && return 0
        sleep 0.1
    done
    return 1
}
frames_in() { find "$1" -maxdepth 1 -name 'frame-*.png' | wc -l; }
parts_in() { find "$1" -maxdepth 1 -name '*.part' | wc -l; }
all_decode() {  # every frame-*.png in DIR is a whole PNG
    local f
    for f in "$1"/frame-*.png; do
        [ -e "$f" ] || continue
        convert -regard-warnings "$f" null: 2>/dev/null || { echo "     does not decode: $f"; return 1; }
    done
}
video_frames() { ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$1" 2>/dev/null; }
decodes() { [ -f "$1" ] && [ -z "$(ffmpeg -v error -i "$1" -f null - 2>&1 | head -3)" ]; }
# The slice's sample frames against those of FRAMES frames at FPS from FROM ms (nearest sample).
slice_matches() {  # DIR FROM FRAMES FPS
    python3 - "$@" <<'PY'
import sys, wave
d, start, frames, fps = sys.argv[1], float(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4])
w = wave.open(d + "/soundtrack.wav")
rate, n = w.getframerate(), w.getnframes()
first = round(start * rate / 1000)
expected = round((start + frames * 1000 / fps) * rate / 1000) - first
print(f"     soundtrack.wav: {n} sample frames, {expected} for {frames} frames")
sys.exit(0 if n == expected else 1)
PY
}

# --- two runs to one video at once -----------------------------------------------------------------
timeout 300 "$exe" --video "$work/same.mp4" --from 40000 --to 43000 --fps 25 >/dev/null 2>"$work/first.err" &
first=$!
wait_for "$work/same.mp4.part"
run second --video "$work/same.mp4" --from 40000 --to 41000 --fps 25
kill -0 "$first" 2>/dev/null && first_running=1 || first_running=0
status=0; wait "$first" || status=$?
check "two videos to one file: the second exits 1 while the first runs ($(code second), first running: $first_running)" \
    [ "$(code second)/$first_running" = 1/1 ]
check "... naming the other run ($(head -1 "$work/second.err"))" says second "another run is writing $work/same.mp4"
check "... before drawing anything" drew_nothing second
check "... the first says it wrote 75 frames, exit $status" \
    bash -c "[ $status = 0 ] && grep -q 'wrote 75 frames' '$work/first.err'"
check "... and its file holds them ($(video_frames "$work/same.mp4") frames, decodes cleanly)" \
    bash -c "[ '$(video_frames "$work/same.mp4")' = 75 ] && [ -z \"\$(ffmpeg -v error -i '$work/same.mp4' -f null - 2>&1)\" ]"

# --- a killed run's .part, SIGHUP, a closed or broken standard error -------------------------------
# Started without timeout, which would take the SIGKILL in the program's place.
"$exe" --video "$work/killed.mp4" --from 40000 --to 50000 --fps 25 >/dev/null 2>"$work/killed.err" &
pid=$!
wait_for "$work/killed.mp4.part"; sleep 2
kill -KILL "$pid"; wait "$pid" 2>/dev/null
check "SIGKILL during --video: no killed.mp4, its .part stays" \
    bash -c "[ ! -e '$work/killed.mp4' ] && [ -e '$work/killed.mp4.part' ]"
run again --video "$work/killed.mp4" --from 40000 --to 40400 --fps 25
check "... the next run takes the .part over (exit $(code again)) and writes a whole video" \
    bash -c "[ $(code again) = 0 ] && [ '$(video_frames "$work/killed.mp4")' = 10 ] && [ ! -e '$work/killed.mp4.part' ]"

# --foreground: timeout then passes a signal to the program once; otherwise it also sends it to
# its process group, and a second stop signal ends the program at once (as a second Ctrl-C does).
timeout --foreground 300 "$exe" --video "$work/hup.mp4" --from 40000 --to 50000 --fps 25 >/dev/null 2>"$work/hup.err" &
pid=$!
for _ in $(seq 600); do grep -q ' [1-9]0 %' "$work/hup.err" 2>/dev/null && break; sleep 0.1; done
kill -HUP "$pid"
status=0; wait "$pid" || status=$?
held=$(sed -n 's/.*holds the \([0-9]*\) frames so far/\1/p' "$work/hup.err")
check "SIGHUP stops --video as SIGTERM does (exit $status, $held frames held)" \
    bash -c "[ $status = 130 ] && [ -n '$held' ] && [ '$(video_frames "$work/hup.mp4")' = '$held' ]"
check "... and the video decodes" decodes "$work/hup.mp4"

status=0
timeout 300 "$exe" --video "$work/closed.mp4" --from 40000 --to 41000 --fps 25 >/dev/null 2>&- || status=$?
check "standard error closed (2>&-): exit $status, a whole video" \
    bash -c "[ $status = 0 ] && [ '$(video_frames "$work/closed.mp4")' = 25 ]"
# head takes the first line and goes; every later line meets a closed pipe.
timeout 300 "$exe" --video "$work/piped.mp4" --from 40000 --to 42000 --fps 25 2>&1 >/dev/null | head -1 >/dev/null
status=${PIPESTATUS[0]}
check "standard error into | head -1: exit $status, a whole video" \
    bash -c "[ $status = 0 ] && [ '$(video_frames "$work/piped.mp4")' = 50 ]"
status=0
timeout 300 "$exe" --render "$work/piped" --from 40000 --to 41000 --fps 10 2>&1 >/dev/null | head -1 >/dev/null
status=${PIPESTATUS[0]}
check "--render into | head -1: exit $status, 10 frames" bash -c "[ $status = 0 ] && [ $(frames_in "$work/piped") = 10 ]"

# --- --render: killed, refused, forced --------------------------------------------------------------
"$exe" --render "$work/frames" --from 40000 --to 46000 --fps 30 >/dev/null 2>"$work/kill.err" &
pid=$!
wait_for "$work/frames/frame-000003.png"
kill -KILL "$pid"; wait "$pid" 2>/dev/null
killed=$(frames_in "$work/frames")
check "SIGKILL during --render: every one of the $killed frames under a final name decodes" all_decode "$work/frames"
run refused --render "$work/frames" --from 40000 --to 40500 --fps 20
check "a directory holding an earlier run's frames is refused (exit $(code refused)): $(head -1 "$work/refused.err")" \
    bash -c "[ $(code refused) = 1 ] && grep -q -- '--force' '$work/refused.err'"
check "... before drawing, its frames untouched ($(frames_in "$work/frames"))" \
    bash -c "! grep -q 'GL renderer' '$work/refused.err' && [ $(frames_in "$work/frames") = $killed ]"
touch "$work/frames/notes.txt"
run forced --render "$work/frames" --force --from 40000 --to 40500 --fps 20
check "--force: exit $(code forced), exactly the new run's 10 frames, no .part" \
    bash -c "[ $(code forced) = 0 ] && [ $(frames_in "$work/frames") = 10 ] && [ $(parts_in "$work/frames") = 0 ]"
check "... the user's other files stay" test -f "$work/frames/notes.txt"
check "... and the slice is the 10 frames' sound" slice_matches "$work/frames" 40000 10 20

timeout 300 "$exe" --render "$work/busy" --from 40000 --to 46000 --fps 30 >/dev/null 2>"$work/busy.err" &
pid=$!
wait_for "$work/busy/frame-000001.png"
run busy2 --render "$work/busy" --force --from 40000 --to 40500 --fps 20
kill -INT "$pid"; wait "$pid" 2>/dev/null
check "two renders into one directory: the second exits 1 even with --force ($(head -1 "$work/busy2.err"))" \
    bash -c "[ $(code busy2) = 1 ] && grep -q 'another run is writing frames into' '$work/busy2.err'"

timeout --foreground 300 "$exe" --render "$work/stopped" --from 40000 --to 50000 --fps 25 >/dev/null 2>"$work/stopped.err" &
pid=$!
wait_for "$work/stopped/frame-000005.png"
kill -INT "$pid"
status=0; wait "$pid" || status=$?
n=$(frames_in "$work/stopped")
check "stopped --render: exit $status, $n frames, the slice their sound" \
    bash -c "[ $status = 130 ] && [ $n -gt 0 ] && [ $n -lt 250 ] && grep -q 'holds the $n frames so far' '$work/stopped.err'"
check "... exactly" slice_matches "$work/stopped" 40000 "$n" 25

# Nothing drawn: no GL (no EGL vendor library found), so nothing is left, not even the directory.
__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json run nogl --render "$work/never/deeper" --from 40000 --to 40500
check "a run that fails before its first frame (exit $(code nogl)) leaves no directory and no soundtrack.wav" \
    bash -c "[ $(code nogl) != 0 ] && [ ! -e '$work/never' ]"

# --- a full disk: a small tmpfs where one can be mounted, and the file size limit (SIGXFSZ is the
# program's to handle) --------------------------------------------------------------------------------
full_disk() {  # full_disk NAME WHAT DIR: checks the run that filled DIR
    local name=$1 what=$2 dir=$3 n
    n=$(frames_in "$dir")
    check "$what: exit $(code "$name"), $(grep -m1 -o 'cannot write.*' "$work/$name.err")" \
        bash -c "[ $(code "$name") = 1 ] && grep -q 'holds the $n frames written before' '$work/$name.err'"
    check "... each of the $n frames under a final name decodes, no .part" \
        bash -c "[ $n -gt 0 ] && [ $(parts_in "$dir") = 0 ]" && all_decode "$dir"
    if [ -e "$dir/soundtrack.wav" ]; then
        check "... the slice that fitted is the frames' sound" slice_matches "$dir" 40000 "$n" 30
    fi
}
mkdir "$work/small"
if mount -t tmpfs -o size=1200k tmpfs "$work/small" 2>/dev/null; then
    trap 'umount "$work/small" 2>/dev/null; rm -rf "$work"' EXIT
    run full --render "$work/small/frames" --from 40000 --to 46000 --fps 30
    full_disk full "full disk (a 1.2 MB tmpfs)" "$work/small/frames"
else
    echo "     (no tmpfs can be mounted here: the file size limit alone stands for a full disk)"
fi
# Each frame is over the limit: the first one fails, and the run leaves nothing at all.
status=0
(ulimit -f 100; exec timeout 300 "$exe" --render "$work/limit" --from 40000 --to 46000 --fps 30) \
    >/dev/null 2>"$work/limit.err" || status=$?
check "file size limit of 100 KB during --render: exit $status (no SIGXFSZ): $(grep -m1 -o 'cannot write.*' "$work/limit.err")" \
    bash -c "[ $status = 1 ] && grep -q 'File too large' '$work/limit.err'"
check "... and nothing left, not even the directory it made" test ! -e "$work/limit"
status=0
(ulimit -f 200; exec timeout 300 "$exe" --video "$work/limited.mkv" --from 40000 --to 46000 --fps 30) \
    >/dev/null 2>"$work/limited.err" || status=$?
check "file size limit during --video: exit $status (no SIGXFSZ), no file, no .part" \
    bash -c "[ $status = 1 ] && [ ! -e '$work/limited.mkv' ] && [ ! -e '$work/limited.mkv.part' ]"

# --- refused before anything is drawn --------------------------------------------------------------------
mkdir "$work/dir.mp4"
run isdir --video "$work/dir.mp4" --to 500
check "--video onto a directory: exit $(code isdir) at once: $(head -1 "$work/isdir.err")" \
    bash -c "[ $(code isdir) = 1 ] && grep -q 'is a directory' '$work/isdir.err' && ! grep -q 'GL renderer' '$work/isdir.err'"
long=$(printf 'n%.0s' $(seq 251)).mp4
run long --video "$work/$long" --to 500
check "--video with a name too long for .part: exit $(code long) at once" \
    bash -c "[ $(code long) = 1 ] && grep -q 'too long' '$work/long.err' && ! grep -q 'GL renderer' '$work/long.err'"
for fps in 1e-9 0.001 0.5 1001; do
    run "fps$fps" --video "$work/fps.mp4" --fps "$fps" --to 2000
    check "--fps $fps: refused (exit $(code "fps$fps")), no file" \
        bash -c "[ $(code "fps$fps") = 2 ] && [ ! -e '$work/fps.mp4' ] && [ ! -e '$work/fps.mp4.part' ]"
done

# --- symbolic links ---------------------------------------------------------------------------------------
echo "keep me" >"$work/victim.txt"
ln -s victim.txt "$work/link.mp4.part"
run linkpart --video "$work/link.mp4" --to 400 --fps 10
check "a symbolic link as the .part: refused (exit $(code linkpart)), its target untouched" \
    bash -c "[ $(code linkpart) = 1 ] && [ \"\$(cat '$work/victim.txt')\" = 'keep me' ] && [ ! -e '$work/link.mp4' ]"
rm "$work/link.mp4.part"
ln -s victim.txt "$work/link.mp4"
run linkfinal --video "$work/link.mp4" --from 40000 --to 40400 --fps 10
check "a symbolic link as the video: replaced by the video (exit $(code linkfinal)), its target untouched" \
    bash -c "[ $(code linkfinal) = 0 ] && [ ! -L '$work/link.mp4' ] && [ '$(video_frames "$work/link.mp4")' = 4 ] && \
             [ \"\$(cat '$work/victim.txt')\" = 'keep me' ]"
mkdir "$work/linked"
ln -s ../victim.txt "$work/linked/frame-000000.png"
ln -s ../victim.txt "$work/linked/soundtrack.wav.part"
run linked --render "$work/linked" --force --from 40000 --to 40300 --fps 10
check "links among the frames: --force removes the links (exit $(code linked)), their target untouched" \
    bash -c "[ $(code linked) = 0 ] && [ ! -L '$work/linked/frame-000000.png' ] && [ ! -e '$work/linked/soundtrack.wav.part' ] && \
             [ \"\$(cat '$work/victim.txt')\" = 'keep me' ] && [ $(frames_in "$work/linked") = 3 ]"

# --- the turntable writes the same way -----------------------------------------------------------------
run turn1 --view data/donut.mqo --render "$work/turn"
run turn2 --view data/donut.mqo --render "$work/turn"
run turn3 --view data/donut.mqo --render "$work/turn" --force
check "--view --render: a second turntable into the same directory is refused, --force replaces it" \
    bash -c "[ $(code turn1)/$(code turn2)/$(code turn3) = 0/1/0 ] && [ $(frames_in "$work/turn") = 36 ] && [ $(parts_in "$work/turn") = 0 ]"

for f in "$work"/*.err; do
    if grep -Eq "ERROR: (Address|Leak)Sanitizer|runtime error:" "$f"; then
        echo "FAIL sanitizer report in $f:"; cat "$f"; fail=1
    fi
done
exit $fail
