#!/usr/bin/env bash
# lumivane --view FILE --render DIR: a 36-frame turntable of a model file, headless. Checks the
# frame count, that the model is in the picture and centred in every frame, that it turns, and that
# a real file of another writer (textured, polygons) shows no message.
# usage: view_turntable.sh <build-dir>
set -euo pipefail
build=$(cd "${1:-.}" && pwd)
source_root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$build"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "view_turntable: $*" >&2; exit 1; }

# turntable NAME FILE: renders and checks one model.
turntable() {
    local name=$1 file=$2 status=0
    ./lumivane --view "$file" --render "$work/$name" 2> "$work/$name.stderr" || status=$?
    [ "$status" -eq 0 ] || { cat "$work/$name.stderr" >&2; fail "$name: exit code $status"; }
    if grep -E '^(error|エラー): |Sanitizer|runtime error:' "$work/$name.stderr" >&2; then fail "$name: messages"; fi
    local count
    count=$(find "$work/$name" -name 'frame-*.png' | wc -l)
    [ "$count" -eq 36 ] || fail "$name: $count frames, 36 expected"
    for i in 000000 000009 000018 000027; do
        local f="$work/$name/frame-$i.png"
        # Something is drawn, and its middle lies near the middle of the picture.
        local m cx=400 cy=300
        m=$(convert "$f" -colorspace Gray -format '%[fx:mean]' info:)
        awk -v m="$m" 'BEGIN { exit !(m > 0.002) }' || fail "$name: frame $i is black (mean $m)"
        local box
        box=$(convert "$f" -colorspace Gray -threshold 1% -format '%@' info:)
        local bw=${box%%x*} rest=${box#*x}
        local bh=${rest%%+*} bx=${rest#*+}
        local by=${bx#*+}
        bx=${bx%%+*}
        awk -v x="$bx" -v w="$bw" -v y="$by" -v h="$bh" -v cx="$cx" -v cy="$cy" \
            'BEGIN { exit !((x + w / 2 - cx)^2 < (cx / 4)^2 && (y + h / 2 - cy)^2 < (cy / 4)^2) }' ||
            fail "$name: frame $i not centred (box $box)"
    done
    cmp -s "$work/$name/frame-000000.png" "$work/$name/frame-000009.png" && fail "$name: the model does not turn"
    return 0
}

turntable standin data/donut.mqo
peer="$source_root/../shared/peer-mqo"
[ -d "$peer" ] && turntable medaka "$peer/wanwan-medaka.mqo"
[ -d "$peer" ] && turntable mug "$peer/binzume-autocsg-sample.mqo"
echo "view_turntable: turntables written, centred and turning, no messages"
