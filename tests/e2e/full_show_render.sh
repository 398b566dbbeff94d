#!/usr/bin/env bash
# Renders the whole show headless, from its start to its end at two frames a second, and fails on
# a non-zero exit, any message box, sanitizer report or GL error on standard error, a missing
# frame, or a black frame in the middle of a scene that draws something.
# usage: full_show_render.sh <build-dir>
set -euo pipefail
build=$(cd "${1:-.}" && pwd)
cd "$build"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "full_show_render: $*" >&2; exit 1; }

fps=2
status=0
./lumivane --render "$work/frames" --fps "$fps" 2>"$work/stderr.raw" || status=$?
tr '\r' '\n' <"$work/stderr.raw" >"$work/stderr"
[ "$status" -eq 0 ] || { cat "$work/stderr" >&2; fail "exit code $status"; }

# Message boxes come out as "caption: text" with the show's own captions.
if grep -E '^(error|エラー|GLwindow error|ERROR|Message|zqWindow Class): ' "$work/stderr" >&2; then
  fail "message boxes were shown"
fi
if grep -E 'Sanitizer|runtime error:' "$work/stderr" >&2; then
  fail "sanitizer report"
fi
if grep -iE 'gl error|GL_INVALID|GL_STACK|GL_OUT_OF' "$work/stderr" >&2; then
  fail "GL error"
fi

# One frame per half second from 0 up to the end of the show (210857.14 ms).
shopt -s nullglob
frames=("$work"/frames/frame-*.png)
expected=$(( (210857 * fps + 999) / 1000 ))
[ "${#frames[@]}" -eq "$expected" ] || fail "${#frames[@]} frames written, $expected expected"

# The middle of every scene from 1 to 11 shows something; the end (scene 12) is black.
first=${frames[0]##*frame-}
first=$((10#${first%.png}))
mean() { convert "$1" -colorspace Gray -format '%[fx:mean]' info:; }
for mid in 8421 23636 48429 73286 87214 95036 109393 136671 164314 191786 205929 208714; do
  index=$(( mid * fps / 1000 ))
  file=$(printf '%s/frames/frame-%06d.png' "$work" $((first + index)))
  [ -f "$file" ] || fail "no frame for t = $mid ms ($file)"
  m=$(mean "$file")
  if [ "$mid" -eq 208714 ]; then
    awk -v m="$m" 'BEGIN { exit !(m == 0) }' || fail "frame at $mid ms is not black (mean $m)"
  else
    awk -v m="$m" 'BEGIN { exit !(m > 0.005) }' || fail "frame at $mid ms is black (mean $m)"
  fi
done
echo "full_show_render: ${#frames[@]} frames, no messages, no sanitizer report, no GL error"
