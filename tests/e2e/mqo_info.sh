#!/usr/bin/env bash
# mqo-info on a good model file and on a file of each failure kind: the message it prints, the exit
# code (0 clean, 1 a message, 2 bad arguments), and never a crash.
set -uo pipefail
build=$(cd "${1:?usage: mqo_info.sh BUILD_DIR}" && pwd)
tool="$build/mqo-info"
source_root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }

# bitmap FILE WIDTH HEIGHT BITS COMPRESSION PIXEL_BYTES
bitmap() {
    {
        printf BM; le32 $((54 + $6)); le32 0; le32 54
        le32 40; le32 "$2"; le32 "$3"; le16 1; le16 "$4"; le32 "$5"; le32 "$6"; le32 0; le32 0; le32 0; le32 0
        head -c "$6" /dev/zero | tr '\0' '\200'
    } > "$1"
}

# model FILE MATERIAL_LINE FACE_LINES...: a one-object model with four vertices.
model() {
    local file=$1 material=$2
    shift 2
    {
        printf 'Metasequoia Document\nFormat Text Ver 1.0\n\nScene {\n\tpos 0 0 1500\n}\n'
        printf 'Material 1 {\n\t%s\n}\n' "$material"
        printf 'Object "obj1" {\n\tvisible 15\n\tcolor 0.5 0.25 1\n\tvertex 4 {\n'
        printf '\t\t0 0 0\n\t\t1 0 0\n\t\t1 1 0\n\t\t0 1 0\n\t}\n'
        printf '\tface %d {\n' $#
        for line in "$@"; do printf '\t\t%s\n' "$line"; done
        printf '\t}\n}\nEof\n'
    } > "$file"
}

quad='4 V(0 1 2 3) M(0) UV(0 0 1 0 1 1 0 1)'
triangle='3 V(0 1 2) M(0) UV(0 0 1 0 1 1)'

# expect NAME CODE TEXT FILE...: exit code CODE, output holding TEXT, and one JSON line per file.
expect() {
    local name=$1 code=$2 text=$3
    shift 3
    local out status
    out=$("$tool" "$@" 2> "$work/stderr")
    status=$?
    [ "$status" -eq "$code" ] || fail "$name: exit code $status, expected $code: $out $(cat "$work/stderr")"
    [ -z "$text" ] || grep -qF -- "$text" <<< "$out" || fail "$name: no '$text' in: $out"
    if [ "$code" -ne 2 ]; then
        [ "$(grep -c '^{"file":' <<< "$out")" -eq $# ] || fail "$name: expected $# JSON lines: $out"
        if command -v python3 > /dev/null; then
            python3 -c 'import json, sys
for line in sys.stdin: json.loads(line)' <<< "$out" || fail "$name: output is not JSON lines"
        fi
    fi
    printf '%s\n' "$out" > "$work/$name.out"
}

cd "$work"
bitmap tex.bmp 2 2 32 0 16
model good.mqo '"mat" col(1 0.5 0.25 1) dif(0.8) amb(0.6) emi(0) spc(0) power(5) tex("tex.bmp")' "$quad" "$triangle"
expect good 0 '"textured":true' good.mqo
grep -qF '{"file":"good.mqo","objectCount":1,"materialCount":1,"materials":[{"col":[1,0.5,0.25,1],"dif":0.8,"amb":0.6,"emi":0,"spc":0,"power":5,"texturePath":"tex.bmp","textured":true}],"objects":[{"vertexCount":4,"faceCount":2,"color":[0.5,0.25,1],"min":[0,0,0],"max":[1,1,0],"polygonsSplit":0,"edgesKept":0,"name":"obj1"}],"drawnDifferently":[],"messages":[]}' good.out ||
    fail "good: unexpected description: $(cat good.out)"
# The texture sits next to the model, wherever the model is named from.
mkdir -p sub && cp good.mqo tex.bmp sub/
expect subdirectory 0 '"texturePath":"sub\\tex.bmp","textured":true' sub/good.mqo

expect missing 1 '"caption":"error","text":"nothing.mqoファイルが開けません"' nothing.mqo

sed 's/^\tvertex 4 {/\tvertex 4 (/' good.mqo > brace.mqo
expect brace 1 '"text":"\"{\",\"}\"ではありません。データがずれています。"' brace.mqo

head -c 300 good.mqo > truncated.mqo
expect truncated 1 'truncated.mqo: Eofの前で読めなくなりました。読めたところまでを使います' truncated.mqo

sed 's/vertex 4/vertex -4/' good.mqo > negative.mqo
expect negative 1 'negative.mqo: 個数がおかしいので読み込みを打ち切りました' negative.mqo
sed 's/face 2/face 2000000000/' good.mqo > huge.mqo
expect huge-count 1 'huge.mqo: 個数がおかしいので読み込みを打ち切りました' huge.mqo

# Only the face naming a vertex that does not exist is refused: the pentagon is split, the edge
# and the face of an unknown material are kept.
model faces.mqo '"mat" col(1 1 1 1) tex("tex.bmp")' "$quad" '5 V(0 1 2 3 1) M(0)' '3 V(0 1 7) M(0)' '3 V(0 1 2) M(3)' '2 V(0 2)'
expect bad-faces 1 'faces.mqo: 面情報がおかしい面を読み飛ばしました。数:1' faces.mqo
grep -qF '"polygonsSplit":1,"edgesKept":1' bad-faces.out || fail "bad-faces: polygon or edge not kept: $(cat bad-faces.out)"

model long.mqo '"mat" col(1 1 1 1)' "3 V(0 1 2) M(0)$(printf '%300s' '') UV(0 0 1 0 1 1)"
expect long-line 0 '"faceCount":1' long.mqo

model notex.mqo '"mat" tex("absent.bmp")' "$quad"
expect missing-texture 1 '"caption":"エラー","text":"画像が読みこめません。:absent.bmp"' notex.mqo

bitmap rgb24.bmp 2 2 24 0 16
model rgb24.mqo '"mat" tex("rgb24.bmp")' "$quad"
expect bitmap-24 0 '"textured":true' rgb24.mqo
bitmap cut24.bmp 2 2 24 0 12
model cut24.mqo '"mat" tex("cut24.bmp")' "$quad"
expect bitmap-24-cut 1 '画像が読みこめません。:cut24.bmp (its 66 bytes cannot hold the 2x2 picture' cut24.mqo
bitmap short.bmp 4 4 32 0 20
model short.mqo '"mat" tex("short.bmp")' "$quad"
expect bitmap-short 1 '画像が読みこめません。:short.bmp (shorter than its header says)' short.mqo
bitmap giant.bmp 100000 1 32 0 0
model giant.mqo '"mat" tex("giant.bmp")' "$quad"
expect bitmap-giant 1 '画像が読みこめません。:giant.bmp (larger than the GL maximum texture size' giant.mqo
bitmap topdown.bmp 2 -2 32 0 16
model topdown.mqo '"mat" tex("topdown.bmp")' "$quad"
expect bitmap-topdown 0 '"textured":true' topdown.mqo

# Zipped: the same description as the plain file; a zip without a model and a file of words
# that holds no model raise one message each.
python3 -c 'import zipfile; zipfile.ZipFile("good.mqoz", "w", zipfile.ZIP_DEFLATED).write("good.mqo")'
expect zipped 0 '"textured":true' good.mqoz
sed 's/"file":"good.mqoz"/"file":"good.mqo"/' zipped.out | cmp -s - good.out || fail "zipped: $(cat zipped.out)"
python3 -c 'import zipfile; zipfile.ZipFile("nomodel.mqoz", "w").writestr("a.txt", "x")'
expect zip-without-model 1 'nomodel.mqoz: zipの中のモデルを読めません (no model file (.mqo) in the archive)' nomodel.mqoz
echo "a shopping list" > words.mqo
expect no-model 1 'words.mqo: モデルのデータがありません' words.mqo
[ "$(grep -o '"caption"' no-model.out | wc -l)" -eq 1 ] || fail "no-model: not one message: $(cat no-model.out)"

# Several files: one line each; any message makes the exit code 1.
expect several 1 '"file":"nothing.mqo"' good.mqo nothing.mqo faces.mqo

# Garbage never crashes it (whether it raises a message depends on the bytes).
head -c 4096 /dev/urandom > random.mqo
"$tool" random.mqo > /dev/null 2>&1
status=$?
[ "$status" -le 1 ] || fail "random: exit code $status"

expect no-arguments 2 ''
expect bad-option 2 '' --frobnicate good.mqo
"$tool" --help | grep -q 'usage: mqo-info' || fail "--help prints no usage"

# The stand-in data set, when the build made one, must load without a message.
if ls "$build"/data/*.mqo > /dev/null 2>&1; then
    cd "$build"
    files=$(find data -name '*.mqo' | sort)
    # shellcheck disable=SC2086
    "$tool" $files > "$work/data.out" || fail "stand-in data raised messages: $(grep -v '"messages":\[\]' "$work/data.out")"
    cd "$work"
fi

# The real files of other writers beside the clone: read without a message; a box equal to the
# vertices of the binary cube; the polygons split and the edges kept.
peer="$source_root/../shared/peer-mqo"
if [ -d "$peer" ]; then
    cd "$peer"
    "$tool" ./*.mqo > "$work/peer.out" || fail "real files raised messages: $(grep -v '"messages":\[\]' "$work/peer.out")"
    grep -F '"file":"./nutti-bvertex.mqo"' "$work/peer.out" | grep -qF '"vertexCount":8,"faceCount":6,"color":[0.898,0.498,0.698],"min":[-100,-100,-100],"max":[100,100,100]' ||
        fail "nutti-bvertex: $(grep -F nutti-bvertex "$work/peer.out")"
    grep -F '"file":"./binzume-autocsg-sample.mqo"' "$work/peer.out" | grep -qF '"polygonsSplit":81' ||
        fail "binzume: polygons not split"
    grep -F '"file":"./nutti-edge.mqo"' "$work/peer.out" | grep -qF '"edgesKept":2' || fail "nutti-edge: edges not kept"
    grep -F '"file":"./dsan-no-eof.mqo"' "$work/peer.out" |
        grep -qF '{"object":"obj1","kind":"mirrored","text":"mirror 1: the modelling tool shows it mirrored; the show draws only the stored half"}' ||
        fail "dsan: mirrored object not reported"
    grep -F '"file":"./vastspace-interceptor.mqo"' "$work/peer.out" | grep -qF '{"object":"interceptor1","kind":"hidden"' ||
        fail "interceptor: hidden object not reported"
    cd "$work"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)" >&2
    exit 1
fi
echo "mqo-info: all cases passed"
