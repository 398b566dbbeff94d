#!/usr/bin/env bash
# The picture at other sizes, at fixed moments of every scene (seed 1), with its figures:
#  - 1600x1200 box-filtered down to 800x600 against the 800x600 frame: PSNR, as it stands and
#    after a Gaussian of one pixel on both (goal >= 30 dB). The 800x600 frame's edges and its
#    unfiltered textures are aliased, the filtered-down frame's are not; where a scene is dense
#    with thin glyphs or texture detail (scenes 7 to 9) that alone keeps the plain PSNR under
#    30 dB. The smoothed PSNR leaves the aliasing out and compares how the frames are composed;
#  - --ssaa 4 against --ssaa 2 at 800x600: plain PSNR (goal >= 30 dB). Both are drawn large and
#    filtered down, so neither is aliased: this compares the composition at 3200x2400 with that
#    at 1600x1200 without smoothing anything away;
#  - 1600x1200 against the 800x600 frame enlarged bilinearly: ratio of the mean squared
#    Laplacian (goal >= 1.5: really sharper, not an enlargement);
#  - 1920x1080: bars of 240 pixels pure black, the picture between them equal to the 1440x1080 frame;
#  - --ssaa 2 at 800x600 against 1600x1200 box-filtered down: largest difference (goal <= 1).
# usage: bench/picture_size.sh <build-dir> [moment-ms ...]   (default: 24 moments, scenes 1 to 11,
# and one of the black scene 12, which has no detail to be sharper and counts for the rest only)
# Exit status 1 when a figure misses its goal.
set -u
build=$(cd "${1:?usage: picture_size.sh <build-dir> [moment-ms ...]}" && pwd)
shift
moments=("$@")
[ "${#moments[@]}" -gt 0 ] || moments=(5000 12000 20000 27000 40000 48000 60000 70000 77000 85000 92000
                                        94800 95500 100000 115000 130000 145000 160000 172000 185000
                                        200000 205600 206300 122000 208000)
cd "$build"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
misses=0

frame() {  # name moment options... -> path of the one frame rendered
    local name=$1 t=$2
    shift 2
    ./lumivane --render "$work/$name" --from "$t" --to "$(awk -v t="$t" 'BEGIN { print t + 1 }')" --seed 1 "$@" \
        2>"$work/$name.err" || { echo "render $name at $t failed:" >&2; cat "$work/$name.err" >&2; exit 1; }
    if grep -iE 'gl error|GL_INVALID' "$work/$name.err" >&2; then exit 1; fi
    echo "$work/$name/frame-000000.png"
}
figure() {  # key output -> value
    sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2"
}
miss() { echo "  MISS $*"; misses=$((misses + 1)); }

printf '%9s %6s %9s %11s %8s %8s %10s %9s\n' "t (ms)" scene "PSNR dB" "smooth dB" "AA dB" sharper "1080 bars" "ssaa 2"
for t in "${moments[@]}"; do
    rm -rf "$work"/{small,large,ssaa,ssaa4,wide,narrow}
    small=$(frame small "$t") || exit 1
    large=$(frame large "$t" --size 1600x1200) || exit 1
    ssaa=$(frame ssaa "$t" --ssaa 2) || exit 1
    ssaa4=$(frame ssaa4 "$t" --ssaa 4) || exit 1
    wide=$(frame wide "$t" --size 1920x1080) || exit 1
    narrow=$(frame narrow "$t" --size 1440x1080) || exit 1
    # --render names no scene; a one-frame --bench at the same moment prints its scene table
    scene=$(./lumivane --bench --from "$t" --to "$(awk -v t="$t" 'BEGIN { print t + 1 }')" --seed 1 2>&1 |
        awk 'table && NF == 4 { print $1; exit } /^scene +frames/ { table = 1 }')

    down=$(./frame-compare down "$large" "$small")
    psnr=$(figure psnr "$down")
    smooth=$(figure smooth_psnr "$down")
    sharp=$(./frame-compare sharpness "$large" "$small")
    ratio=$(figure ratio "$sharp")
    left=$(figure nonblack "$(./frame-compare black "$wide" 0 0 240 1080)")
    right=$(figure nonblack "$(./frame-compare black "$wide" 1680 0 240 1080)")
    middle=$(figure differing "$(./frame-compare crop "$wide" "$narrow" 240 0)")
    bars=ok
    [ "$left" = 0 ] && [ "$right" = 0 ] && [ "$middle" = 0 ] || bars="lit $left/$right, $middle off"
    ssaadiff=$(figure maxdiff "$(./frame-compare down "$large" "$ssaa")")
    aa=$(figure psnr "$(./frame-compare down "$ssaa4" "$ssaa")")
    printf '%9s %6s %9s %11s %8s %8s %10s %9s\n' "$t" "$scene" "$psnr" "$smooth" "$aa" "$ratio" "$bars" "$ssaadiff"

    [ "$smooth" = inf ] || awk -v p="$smooth" 'BEGIN { exit !(p >= 30) }' || miss "smoothed PSNR $smooth at $t"
    [ "$aa" = inf ] || awk -v p="$aa" 'BEGIN { exit !(p >= 30) }' || miss "--ssaa 4 against --ssaa 2: PSNR $aa at $t"
    if [ "$scene" != 12 ]; then
        awk -v r="$ratio" 'BEGIN { exit !(r >= 1.5) }' || miss "sharpness ratio $ratio at $t"
    fi
    [ "$bars" = ok ] || miss "1920x1080 at $t: $bars"
    [ "$ssaadiff" -le 1 ] || miss "--ssaa 2 differs by $ssaadiff at $t"
done
echo "moments: ${#moments[@]}, goals missed: $misses"
[ "$misses" -eq 0 ]
