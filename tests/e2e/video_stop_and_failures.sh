#!/usr/bin/env bash
# Stopping and failing cleanly: SIGINT half-way leaves a playable video with the frames so far
# (exit 130); bad arguments exit 2 with one line; I/O failures exit 1 with one line naming the
# cause and leave no file under the asked name; an undecodable soundtrack gives a silent video.
# usage: video_stop_and_failures.sh <build-dir>
set -euo pipefail
build=$(cd "${1:-.}" && pwd)
cd "$build"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
bin="$build/lumivane"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "video_stop_and_failures: $*" >&2; exit 1; }

# expect CODE PATTERN -- ARGS: the exit code, and exactly one line on standard error matching PATTERN.
expect() {
  local code=$1 pattern=$2 status=0
  shift 3
  "$bin" "$@" >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq "$code" ] || { cat "$work/err" >&2; fail "$* exited $status, $code expected"; }
  [ "$(grep -c . "$work/err")" -eq 1 ] || { cat "$work/err" >&2; fail "$*: not one line"; }
  grep -qE "$pattern" "$work/err" || { cat "$work/err" >&2; fail "$*: line does not say '$pattern'"; }
}

# Arguments: exit 2 before anything is written.
expect 2 'unknown container' -- --video "$work/show.avi"
expect 2 'later than --from' -- --video "$work/a.mp4" --from 5000 --to 4000
expect 2 'fps' -- --video "$work/a.mp4" --fps 0
expect 2 'fps' -- --video "$work/a.mp4" --fps 1e7
expect 2 'crf' -- --video "$work/a.mp4" --crf 52
expect 2 'crf' -- --render "$work/d" --crf 20
[ -z "$(ls -A "$work" | grep -vx -e err -e out)" ] || fail "argument errors left files: $(ls "$work")"

# I/O: a directory that does not exist, a directory under a regular file.
expect 1 "cannot write $work/none/a.mp4: .*No such file" -- --video "$work/none/a.mp4" --to 500
[ ! -e "$work/none" ] || fail "a directory was made for the video"
touch "$work/plain"
expect 1 'cannot create directory' -- --render "$work/plain/frames" --to 500

# A full disk (the file size limit stands in for it): exit 1, neither FILE nor FILE.part.
status=0
(trap '' XFSZ; ulimit -f 64; exec "$bin" --video "$work/full.mp4" --from 40000 --to 43000 --fps 25) \
  >/dev/null 2>"$work/err" || status=$?
[ "$status" -eq 1 ] || { cat "$work/err" >&2; fail "full disk: exit $status"; }
grep -q "cannot write $work/full.mp4.part" "$work/err" || { cat "$work/err" >&2; fail "full disk: no line naming the file"; }
[ ! -e "$work/full.mp4" ] && [ ! -e "$work/full.mp4.part" ] || fail "full disk: a file is left behind"

# SIGINT half-way: the container is finished, renamed, and holds the frames it says.
"$bin" --video "$work/stopped.mp4" --from 40000 --to 50000 --fps 25 2>"$work/stop.err" &
pid=$!
for _ in $(seq 600); do
  grep -q ' 3[05] %' "$work/stop.err" 2>/dev/null && break
  sleep 0.1
done
kill -INT $pid
status=0
wait $pid || status=$?
[ "$status" -eq 130 ] || { cat "$work/stop.err" >&2; fail "SIGINT: exit $status"; }
held=$(sed -n 's/.*stopped by a signal at frame [0-9]* of 250; .* holds the \([0-9]*\) frames so far/\1/p' "$work/stop.err")
[ -n "$held" ] || { cat "$work/stop.err" >&2; fail "SIGINT: no line saying so"; }
[ "$held" -gt 0 ] && [ "$held" -lt 250 ] || fail "SIGINT: $held frames held"
[ -f "$work/stopped.mp4" ] && [ ! -e "$work/stopped.mp4.part" ] || fail "SIGINT: no finished file"
count=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$work/stopped.mp4")
[ "$count" -eq "$held" ] || fail "SIGINT: the file has $count frames, the line says $held"
errors=$(ffmpeg -v error -i "$work/stopped.mp4" -f null - 2>&1 | head -3)
[ -z "$errors" ] || fail "SIGINT: the file does not decode cleanly: $errors"
adur=$(ffprobe -v error -select_streams a:0 -show_entries stream=duration -of csv=p=0 "$work/stopped.mp4")
awk -v a="$adur" -v n="$held" 'BEGIN { d = a - n / 25; exit !(d < 0.05 && d > -0.05) }' ||
  fail "SIGINT: sound of $adur s for $held frames"

# An undecodable soundtrack: a silent video and one line; a missing one the same.
mkdir "$work/run"
cp -rs "$build/data" "$work/run/data"
rm "$work/run/data/vorsa.wav"
head -c 5000 /dev/urandom >"$work/run/data/vorsa.wav"
for case in garbage missing; do
  [ $case = missing ] && rm "$work/run/data/vorsa.wav"
  (cd "$work/run" && "$bin" --video "$work/silent-$case.mkv" --from 1000 --to 1500 --fps 10) 2>"$work/err" ||
    { cat "$work/err" >&2; fail "$case soundtrack: the video failed"; }
  [ "$(grep -c 'soundtrack' "$work/err")" -eq 1 ] && grep -q 'the video is silent' "$work/err" ||
    { cat "$work/err" >&2; fail "$case soundtrack: no one line about it"; }
  streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$work/silent-$case.mkv" | tr '\n' ' ')
  [ "$streams" = "video " ] || fail "$case soundtrack: streams '$streams'"
done
echo "video_stop_and_failures: arguments, I/O, full disk, SIGINT ($held of 250 frames) and silent soundtrack behave"
