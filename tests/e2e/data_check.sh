#!/usr/bin/env bash
# lumivane --check on the stand-in data set and on copies of it broken one way each: the line that
# names the fault, the verdict and the exit code (0 when the show draws all the files hold, 1 when
# a file is missing or data is lost); --json as one document; zipped models in their place.
set -uo pipefail
source "$(dirname "$0")/checks.bash"
data="$build/data"
[ -f "$data/vorsa.wav" ] || { echo "no stand-in data set in $data" >&2; exit 1; }

# run NAME DIR [--json]: the report in $work/NAME.out, the exit code in $status.
run() {
    local name=$1 dir=$2
    shift 2
    timeout 300 "$exe" --check --data "$dir" "$@" > "$work/$name.out" 2> "$work/$name.err"
    status=$?
}
has() { grep -qF -- "$2" "$work/$1.out" || { echo "  $1: no '$2' in:"; sed 's/^/    /' "$work/$1.out"; return 1; }; }
last() { [ "$(tail -n 1 "$work/$1.out")" = "$2" ] || { echo "  $1: last line: $(tail -n 1 "$work/$1.out")"; return 1; }; }
copy() { rm -rf "$work/$1"; cp -r "$data" "$work/$1"; }

run standin "$data"
check "stand-in: exit code 0" [ "$status" -eq 0 ]
check "stand-in: plays as made" last standin "verdict: plays as made"
check "stand-in: fifteen models read whole" [ "$(grep -c '^model data\\.*, read whole: ' "$work/standin.out")" -eq 15 ]
check "stand-in: textures on the designed path" has standin ", BMP 32-bit 256x256, the designed 32-bit path, power of two"
check "stand-in: the soundtrack" has standin "soundtrack data\\vorsa.wav: $data/vorsa.wav, WAV 16-bit, 2 channels, 44100 Hz, "
check "stand-in: a texture of several materials on one line" has standin "  texture data\\mati\\facade0.bmp (4 materials): "
check "stand-in: nothing drawn differently" bash -c "! grep -q '^  object ' '$work/standin.out'"

run json "$data" --json
check "--json: exit code 0" [ "$status" -eq 0 ]
check "--json: one JSON document saying plays as made" python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
assert d["playsAsMade"] and d["complete"] and d["verdict"] == "verdict: plays as made", d["verdict"]
assert len(d["models"]) == 15 and all(m["readWhole"] for m in d["models"])
assert d["soundtrack"]["found"] and d["soundtrack"]["lengthMs"] >= 210857
' "$work/json.out"

copy missing-model && rm "$work/missing-model/sky.mqo"
run missing-model "$work/missing-model"
check "model missing: exit code 1" [ "$status" -eq 1 ]
check "model missing: its line" has missing-model 'model data\sky.mqo: missing: the show draws nothing for it'
check "model missing: verdict" last missing-model "verdict: does not play as made: 1 model file missing"

copy missing-texture && rm "$work/missing-texture/cloud.bmp"
run missing-texture "$work/missing-texture"
check "texture missing: exit code 1" [ "$status" -eq 1 ]
check "texture missing: its line" has missing-texture '  texture data\cloud.bmp: missing: its faces are drawn untextured'
check "texture missing: verdict" last missing-texture "verdict: does not play as made: 1 texture missing"

copy truncated && head -c $(($(stat -c %s "$data/donut.mqo") * 3 / 4)) "$data/donut.mqo" > "$work/truncated/donut.mqo"
run truncated "$work/truncated"
check "model truncated: exit code 1" [ "$status" -eq 1 ]
check "model truncated: its line" has truncated ', NOT read whole, data lost: '
check "model truncated: the reader's message" has truncated '  message: error: data\donut.mqo: Eofの前で読めなくなりました'
check "model truncated: verdict" last truncated "verdict: does not play as made: 1 model file not read whole"

copy short-music && python3 - "$work/short-music/vorsa.wav" <<'PY'
import sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(b"\0\0\0\0" * 44100 * 60)
PY
run short-music "$work/short-music"
check "60 s soundtrack: exit code 0 (nothing lost)" [ "$status" -eq 0 ]
check "60 s soundtrack: its line" has short-music ', WAV 16-bit, 2 channels, 44100 Hz, 60000 ms (1:00.000), shorter than the show'"'"'s 210857 ms: silence from 1:00.000 to the end'
check "60 s soundtrack: verdict" last short-music "verdict: plays everything the files hold, but differently from how they were made: soundtrack 150857 ms short"

copy mirrored && sed -i '0,/^\tshading 0$/s//\tshading 0\n\tmirror 1\n\tmirror_axis 1/' "$work/mirrored/hikari.mqo"
name=$(grep -m1 -o '^Object "[^"]*"' "$work/mirrored/hikari.mqo" | cut -d'"' -f2)
run mirrored "$work/mirrored"
check "mirrored model: exit code 0" [ "$status" -eq 0 ]
check "mirrored model: its line" has mirrored "  object \"$name\": mirror 1: the modelling tool shows it mirrored; the show draws only the stored half"
check "mirrored model: verdict" last mirrored "verdict: plays everything the files hold, but differently from how they were made: 1 mirrored object"

# Zipped models stand in for plain ones; a broken zip is refused.
copy zipped && (cd "$work/zipped" && python3 -c '
import zipfile
for name in ("sky", "toge"):
    with zipfile.ZipFile(name + ".mqoz", "w", zipfile.ZIP_DEFLATED) as z:
        z.write(name + ".mqo")
' && rm sky.mqo toge.mqo)
run zipped "$work/zipped"
check "zipped models: exit code 0" [ "$status" -eq 0 ]
check "zipped models: read from the zip" has zipped "sky.mqoz (zipped), read whole: "
check "zipped models: plays as made" last zipped "verdict: plays as made"
head -c 100 "$work/zipped/toge.mqoz" > "$work/cut" && mv "$work/cut" "$work/zipped/toge.mqoz"
run bad-zip "$work/zipped"
check "broken zip: exit code 1" [ "$status" -eq 1 ]
check "broken zip: its line" has bad-zip "toge.mqoz (zipped), refused: not a readable zip archive"
check "broken zip: verdict" last bad-zip "verdict: does not play as made: 1 zipped model file refused"

copy not-model && echo "just some words" > "$work/not-model/billm.mqo"
run not-model "$work/not-model"
check "no model in the file: exit code 1" [ "$status" -eq 1 ]
check "no model in the file: its line" has not-model 'holds no model (no "Metasequoia Document" header and no chunk)'

run nowhere "$work/absent"
check "no data set: exit code 1" [ "$status" -eq 1 ]
check "no data set: verdict" bash -c "tail -n 1 '$work/nowhere.out' | grep -q '^verdict: does not play as made: no data set found, 15 model files missing'"

"$exe" --check --render "$work/x" > /dev/null 2>&1
check "--check with another mode: exit code 2" [ $? -eq 2 ]
"$exe" --json > /dev/null 2>&1
check "--json without --check: exit code 2" [ $? -eq 2 ]

# --view of a file that holds no model and of a zipped model: one message, no crash.
echo "hello" > "$work/words.mqo"
timeout 120 "$exe" --view "$work/words.mqo" --render "$work/view-words" > /dev/null 2> "$work/view-words.err"
check "--view of a file without a model: exit code 0" [ $? -eq 0 ]
check "--view of a file without a model: one message" [ "$(grep -c 'モデルのデータがありません' "$work/view-words.err")" -eq 1 ]
timeout 120 "$exe" --view "$work/zipped/sky.mqoz" --render "$work/view-zip" > /dev/null 2> "$work/view-zip.err"
check "--view of a zipped model: no message" bash -c "[ ! -s '$work/view-zip.err' ] || ! grep -q error '$work/view-zip.err'"

check "no sanitizer reports" bash -c "! grep -l 'Sanitizer\|runtime error:' '$work'/*.err"

exit $fail
