#!/usr/bin/env bash
# Small files that claim or demand far more than they hold, and command lines a careless user
# types: each run ends in bounded memory and time with a message and the exit code the manual
# page gives. Every run is made under `timeout` and a memory limit (ulimit -v, or the sanitizer's
# own limit in a sanitizer build, where ulimit -v cannot work), so that a regression fails here
# instead of swapping; the figures printed are the peak resident memory and the wall time.
# usage: hostile_input.sh <build-dir>
set -uo pipefail
source "$(dirname "$0")/checks.bash"
here=$(cd "$(dirname "$0")" && pwd)
source_root=$(cd "$here/../.." && pwd)
tool="$build/mqo-info"
cd "$build"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

# The peak memory a run may reach: the issue's cases went to 3 to 13 GB before.
limit_mb=1024
if grep -aq __asan_init "$exe"; then
    sanitized=1
    limit_mb=1536  # shadow memory and the freed-memory quarantine on top
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}hard_rss_limit_mb=$((limit_mb + 512))"
else
    sanitized=0
fi

# run NAME SECONDS COMMAND...: runs under the limits; sets $status, $seconds, $peak_mb and the
# files $work/NAME.err and $work/NAME.out.
run() {
    local name=$1 limit=$2
    shift 2
    python3 - "$work/$name" "$limit" "$sanitized" "$@" <<'EOF'
import os, resource, subprocess, sys, time
prefix, limit, sanitized, command = sys.argv[1], float(sys.argv[2]), sys.argv[3] == "1", sys.argv[4:]
def cap():
    if not sanitized:  # address space: the program's own mappings and llvmpipe's threads fit in 3 GB
        limit = int(os.environ.get("HOSTILE_ADDRESS_SPACE_GB", "3")) << 30
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
start = time.monotonic()
with open(prefix + ".out", "wb") as out, open(prefix + ".err", "wb") as err:
    child = subprocess.Popen(command, stdout=out, stderr=err, preexec_fn=cap)
    try:
        status = child.wait(timeout=limit)
    except subprocess.TimeoutExpired:
        child.kill()
        child.wait()
        status = "timeout"
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss // 1024
with open(prefix + ".figures", "w") as f:
    f.write("%s %.2f %d\n" % (status, time.monotonic() - start, peak))
EOF
    read -r status seconds peak_mb < "$work/$name.figures"
    printf '     %-22s exit %-7s %6.2f s %6d MB\n' "$name" "$status" "$seconds" "$peak_mb"
}

small() { [ "$peak_mb" -lt "$limit_mb" ]; }
said() { grep -qF -- "$2" "$work/$1.err" || { sed 's/^/       /' "$work/$1.err" | tail -5; false; }; }
no_frames() { [ -z "$(find "$1" -name 'frame-*.png' 2>/dev/null | head -1)" ]; }

# The hostile files: a JPEG of a real 64x64 picture made to claim 8000x8000, and the rest.
files="$work/files"
mkdir -p "$files"
convert -size 64x64 plasma:fractal -quality 92 "$work/small.jpg"
python3 "$here/hostile_files.py" "$files" "$work/small.jpg"

echo "-- textures (mqo-info reads a model and makes its textures as the show does)"
run wide-png-10 120 "$tool" "$files/wide10.mqo"
check "a 260 KB PNG of 16384x4096 named by 10 materials: decoded once, under $limit_mb MB" \
    eval '[ "$status" = 0 ] && small && [ "$(grep -o "\"textured\":true" "$work/wide-png-10.out" | wc -l)" = 10 ]'
run huge-bmp 60 "$tool" "$files/huge.mqo"
check "a complete 16384x16384 32-bit bitmap: over the pixel cap, named with its size" \
    eval '[ "$status" = 1 ] && small && said huge-bmp "huge.bmp: decoded size 16384x16384"'
run lying-jpeg 60 "$tool" "$files/lying.mqo"
check "a 3 KB JPEG claiming 8000x8000: refused before decoding" \
    eval '[ "$status" = 1 ] && small && said lying-jpeg "cannot hold the 8000x8000 picture"'
run short-png 60 "$tool" "$files/short.mqo"
check "a PNG whose data holds 64 of its 4096 rows: refused before decoding" \
    eval '[ "$status" = 1 ] && small && said short-png "cannot hold the 16384x4096 picture"'
run cut-tga 60 "$tool" "$files/cut.mqo"
check "a TGA cut to 5000 of its 12306 bytes: a message" \
    eval '[ "$status" = 1 ] && small && said cut-tga "cut short: 5000 bytes of the 12306"'
mkfifo "$files/pipe.bmp"
sed 's/huge\.bmp/pipe.bmp/' "$files/huge.mqo" > "$files/pipe.mqo"
run fifo-texture 20 "$tool" "$files/pipe.mqo"
check "a texture that is a FIFO: refused at once" \
    eval '[ "$status" = 1 ] && said fifo-texture "pipe.bmp: not a regular file (a FIFO)"'

ln -s loop.bmp "$files/loop.bmp"
sed 's/huge\.bmp/loop.bmp/' "$files/huge.mqo" > "$files/loop.mqo"
run loop-texture 20 "$tool" "$files/loop.mqo"
check "a texture that is a symbolic link to itself: the reason" \
    eval '[ "$status" = 1 ] && said loop-texture "loop.bmp: Too many levels of symbolic links"'

echo "-- models"
run corners 60 "$tool" "$files/corners.mqo"
check "one face of 64000 corners over three vertices (128 KB): refused before tessellation" \
    eval '[ "$status" = 1 ] && small && said corners "1 polygon refused: more than 1024 corners"'
run tangled 60 "$tool" "$files/tangled.mqo"
check "50 faces of 300 corners at random (400 KB): refused before tessellation" \
    eval '[ "$status" = 1 ] && small && said tangled "50 polygons refused: edges crossing"'
mkfifo "$files/pipe.mqo.fifo"
run fifo-view 30 "$exe" --view "$files/pipe.mqo.fifo" --render "$work/fifo-view"
check "--view of a FIFO: refused at once, exit 1, no frames" \
    eval '[ "$status" = 1 ] && said fifo-view "not a regular file (a FIFO)" && no_frames "$work/fifo-view"'
run view-missing 30 "$exe" --view "$work/missing.mqo" --render "$work/view-missing"
check "--view of a missing file --render DIR: its message, the reason, exit 1, no frames" \
    eval '[ "$status" = 1 ] && said view-missing "ファイルが開けません" && said view-missing "missing.mqo: No such file or directory" && no_frames "$work/view-missing"'

echo "-- the show's data set"
# Every texture of the stand-in set is the one wide PNG (links to one file).
own="$work/own-data"
mkdir -p "$own/mati"
for f in data/*.mqo data/mati/*.mqo data/vorsa.wav; do ln -s "$build/$f" "$own/${f#data/}"; done
for f in data/*.bmp data/mati/*.bmp; do ln -s "$files/wide.png" "$own/${f#data/}"; done
run wide-png-show 240 "$exe" --render "$work/wide-show" --to 40 --data "$own"
check "--render over a data set whose textures all are one 16384x4096 PNG: under $limit_mb MB" \
    eval '[ "$status" = 0 ] && small'
fifo_data="$work/fifo-data"
mkdir -p "$fifo_data/mati"
for f in data/*.mqo data/mati/*.mqo data/*.bmp data/mati/*.bmp; do ln -s "$build/$f" "$fifo_data/${f#data/}"; done
mkfifo "$fifo_data/vorsa.wav"
run fifo-soundtrack 120 "$exe" --render "$work/fifo-sound" --to 40 --data "$fifo_data"
check "a soundtrack that is a FIFO: refused at once, the frames rendered without it" \
    eval '[ "$status" = 0 ] && said fifo-soundtrack "not a regular file (a FIFO)" && [ ! -e "$work/fifo-sound/soundtrack.wav" ]'
run data-missing 60 "$exe" --render "$work/data-missing" --to 40 --data /nonexistent
check "--render DIR --data /nonexistent: its message, exit 1, no frames" \
    eval '[ "$status" = 1 ] && said data-missing "/nonexistent: No such file or directory" && no_frames "$work/data-missing"'

echo "-- command lines"
long="$work/$(printf 'n%.0s' $(seq 300))"
run long-render 60 "$exe" --render "$long" --to 40
check "--render with a name longer than the file system takes: a message with the reason, exit 1" \
    eval '[ "$status" = 1 ] && said long-render "File name too long"'
run long-view 60 "$exe" --view "data/donut.mqo" --render "$long"
check "--view F --render with such a name: the same" \
    eval '[ "$status" = 1 ] && said long-view "File name too long"'
run ssaa-4 60 "$exe" --render "$work/ssaa" --size 4096x3072 --ssaa 4 --to 40
check "--size 4096x3072 --ssaa 4 (drawn at 16384x12288): refused before drawing, exit 2" \
    eval '[ "$status" = 2 ] && small && said ssaa-4 "16384x12288" && no_frames "$work/ssaa"'
run size-16k 60 "$exe" --render "$work/size16k" --size 16384x12288 --to 40
check "--size 16384x12288: refused, exit 2" eval '[ "$status" = 2 ] && small && no_frames "$work/size16k"'
run view-ssaa 120 "$exe" --view data/donut.mqo --render "$work/view-ssaa" --size 320x240 --ssaa 2
check "--view F --render DIR --size 320x240 --ssaa 2: 36 frames of 320x240" \
    eval '[ "$status" = 0 ] && [ "$(identify -format "%wx%h" "$work/view-ssaa/frame-000017.png")" = 320x240 ]'
run view-from 30 "$exe" --view data/donut.mqo --render "$work/view-from" --from 1000
check "--view with --from: refused, exit 2" eval '[ "$status" = 2 ] && said view-from "--from does not go with --view"'
run help-last 30 "$exe" --render "$work/help" --to 40 --help
check "--help after a mode: the usage, exit 0, nothing rendered" \
    eval '[ "$status" = 0 ] && grep -q "^usage:" "$work/help-last.out" && [ ! -e "$work/help" ]'
run version-last 30 "$exe" --view data/donut.mqo --version
check "--version after --view: the version, exit 0" \
    eval '[ "$status" = 0 ] && grep -q "^lumivane " "$work/version-last.out"'

echo "-- every exit status the manual pages list"
# lumivane: 0 done, 1 failed, 2 command line or picture refused, 130 stopped by a signal.
seen=" "
run status-0 120 "$exe" --render "$work/s0" --to 20 && [ "$status" = 0 ] && seen+="0 "
run status-1 60 "$exe" --render "$work/s1" --data /nonexistent && [ "$status" = 1 ] && seen+="1 "
run status-2 30 "$exe" --fps 0 --render "$work/s2" && [ "$status" = 2 ] && seen+="2 "
"$exe" --render "$work/s130" > /dev/null 2>&1 &
pid=$!
for _ in $(seq 600); do [ -e "$work/s130/frame-000001.png" ] && break; sleep 0.1; done
kill -INT "$pid"
wait "$pid"
[ $? = 130 ] && seen+="130 "
listed=" $(sed -n '/^\.SH EXIT STATUS/,/^\.SH/p' "$source_root/dist/lumivane.1.in" | sed -n 's/^\.B \([0-9][0-9]*\)$/\1/p' | tr '\n' ' ')"
check "lumivane: the statuses the manual page lists ($listed) are the ones seen ($seen)" [ "$listed" = "$seen" ]
# mqo-info: 0 no message, 1 a message, 2 command line.
seen=" "
"$tool" data/donut.mqo > /dev/null 2>&1; [ $? = 0 ] && seen+="0 "
"$tool" "$files/cut.mqo" > /dev/null 2>&1; [ $? = 1 ] && seen+="1 "
"$tool" --bogus > /dev/null 2>&1; [ $? = 2 ] && seen+="2 "
listed=" $(sed -n '/^\.SH EXIT STATUS/,/^\.SH/p' "$source_root/dist/mqo-info.1.in" | sed -n 's/^\.B \([0-9][0-9]*\)$/\1/p' | tr '\n' ' ')"
check "mqo-info: the statuses the manual page lists ($listed) are the ones seen ($seen)" [ "$listed" = "$seen" ]
exit $fail
