#!/usr/bin/env bash
# The Windows build draws the Linux build's pictures: every moment of the reference-frame test
# (tests/reference), rendered by lumivane.exe under Wine and by the native lumivane with the same
# arguments, full 800x600 frames; each pair at least 45 dB PSNR apart. Same font file, same code,
# same rasterizer: only the last bits of the maths libraries may differ.
# usage: frames_match_linux.sh <windows-build-dir>   (LUMIVANE_HOST_BUILD: the native build)
set -u
. "$(dirname "$0")/prelude.bash"
host=${LUMIVANE_HOST_BUILD:-}
source_dir=${LUMIVANE_SOURCE_DIR:-$(cd "$here/../../.." && pwd)}
min_psnr=45
[ -x "$host/lumivane" ] && [ -x "$host/frame-compare" ] ||
    { echo "FAIL no native build with lumivane and frame-compare in '$host' (LUMIVANE_HOST_BUILD)"; exit 1; }
python3 "$here/reference_runs.py" "$source_dir" > "$work/runs" || { echo "FAIL the reference runs"; exit 1; }
wine_session || exit 1

# The same run by both builds, each from its own directory so that each finds its own data set.
n=0
while read -r from to fps names; do
    n=$((n + 1))
    args=(--from "$from" --to "$to" --fps "$fps" --seed 1)
    (cd "$host" && ./lumivane --render "$work/linux-$n" "${args[@]}" >"$work/linux-$n.log" 2>&1) ||
        { echo "FAIL native run $n: $(cat "$work/linux-$n.log")"; fail=1; }
    # A box would wait for a person: the log takes it instead, and the run must show none.
    (cd "$build" && LUMIVANE_MESSAGE_LOG="$work/windows-$n.messages" wrun 300 "$exe" --render "$work/windows-$n" \
        "${args[@]}" >"$work/windows-$n.log" 2>&1) ||
        { echo "FAIL lumivane.exe run $n (exit $?): $(cat "$work/windows-$n.log")"; fail=1; }
    [ -s "$work/windows-$n.messages" ] && { echo "FAIL lumivane.exe run $n showed: $(cat "$work/windows-$n.messages")"; fail=1; }
    k=0
    for name in $names; do
        frame=$(printf 'frame-%06d.png' "$k"); k=$((k + 1))
        figures=$("$host/frame-compare" down "$work/windows-$n/$frame" "$work/linux-$n/$frame" 2>&1)
        psnr=$(sed -n 's/^psnr=\([0-9.a-z]*\).*/\1/p' <<<"$figures")
        check "$name: PSNR $psnr dB ($(tr '\n' ' ' <<<"$figures" | sed 's/psnr=[^ ]* //'))" \
            awk -v p="${psnr:-0}" -v m="$min_psnr" 'BEGIN { exit !(p == "inf" || p + 0 >= m) }'
        echo "$name ${psnr:-none}" >> "$work/psnr"
    done
done < "$work/runs"
check "every reference moment compared ($(wc -l < "$work/psnr") of $(ls "$source_dir/tests/reference" | wc -l))" \
    [ "$(wc -l < "$work/psnr")" = "$(ls "$source_dir/tests/reference" | wc -l)" ]
# The lowest figures, for the record.
sort -k2 -g "$work/psnr" | head -3 | sed 's/^/lowest: /'
if [ $fail != 0 ] && [ -n "${LUMIVANE_KEEP_FAILED:-}" ]; then
    mkdir -p "$LUMIVANE_KEEP_FAILED" && cp -r "$work"/linux-* "$work"/windows-* "$LUMIVANE_KEEP_FAILED"/
fi
exit $fail
