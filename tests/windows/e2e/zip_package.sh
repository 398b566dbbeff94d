#!/usr/bin/env bash
# The Windows package as a user gets it: scripts/build-windows.sh on a fresh clone of the sources
# makes dist/lumivane-<version>-windows-x64.zip; unpacked into a folder whose path has a space and
# Japanese in it, lumivane.exe --render run there writes the stand-in show's frames with no
# message, from that folder and from elsewhere (the data set beside the .exe); the .exe imports
# only DLLs that come with Windows.
# usage: zip_package.sh <windows-build-dir>
set -u
. "$(dirname "$0")/prelude.bash"
source_dir=${LUMIVANE_SOURCE_DIR:-$(cd "$here/../../.." && pwd)}

# The committed sources, as a clean clone has them.
git clone -q "$source_dir" "$work/clone" || { echo "FAIL cannot clone $source_dir"; exit 1; }
echo "sources: $(git -C "$work/clone" log -1 --format='%h %s' | cut -c1-80)"
start=$(date +%s)
# Its own native and Windows builds, not the ones this test runs in.
(cd "$work/clone" && unset LUMIVANE_HOST_BUILD LUMIVANE_WINDOWS_BUILD && scripts/build-windows.sh) >"$work/build.log" 2>&1
code=$?
echo "build-windows.sh: $(( $(date +%s) - start )) s"
version=$(sed -n 's/^project(lumivane VERSION \([0-9.]*\).*/\1/p' "$work/clone/CMakeLists.txt")
zip="$work/clone/dist/lumivane-$version-windows-x64.zip"
check "build-windows.sh succeeds on a fresh clone (exit $code)" [ "$code" = 0 ]
check "... and writes dist/$(basename "$zip") ($(du -h "$zip" 2>/dev/null | cut -f1))" [ -f "$zip" ]
[ -f "$zip" ] || { tail -40 "$work/build.log"; exit 1; }

place="$work/展示 フォルダ"
mkdir -p "$place"
unzip -q "$zip" -d "$place" || { echo "FAIL the zip does not unpack"; exit 1; }
exe_path=$(find "$place" -name lumivane.exe | head -n1)
dir=$(dirname "${exe_path:-$place/none}")
check "the zip holds lumivane.exe, mqo-info.exe, README.txt and the data set" \
    [ -f "$dir/lumivane.exe" ] && [ -f "$dir/mqo-info.exe" ] && [ -f "$dir/README.txt" ] && [ -f "$dir/data/vorsa.wav" ]

# Imports: the system's DLLs only (a DLL of the compiler's would be missing on a user's Windows).
imports=$(x86_64-w64-mingw32-objdump -p "$dir/lumivane.exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll glu32.dll kernel32.dll msvcrt.dll ole32.dll
 oleaut32.dll opengl32.dll shell32.dll shlwapi.dll user32.dll winmm.dll windowscodecs.dll ws2_32.dll
 api-ms-win-crt-runtime-l1-1-0.dll bcrypt.dll "
foreign=$(for dll in $imports; do [[ "$system_dlls" == *" $dll "* ]] || [[ "$dll" == api-ms-win-* ]] || echo "$dll"; done)
check "lumivane.exe imports only system DLLs ($(echo $imports))" [ -n "$imports" ] && [ -z "$foreign" ]

wine_session || exit 1
# From its own folder, as a double click starts it, and from another folder.
(cd "$dir" && LUMIVANE_MESSAGE_LOG="$work/here.messages" wrun 600 ./lumivane.exe --render "$dir/frames" \
    --from 40000 --to 40100 --fps 20 >"$work/here.out" 2>&1); code=$?
check "lumivane.exe --render in \"$(basename "$place")\" exits 0 ($code)" [ "$code" = 0 ]
check "... writes the frames and the soundtrack slice" \
    [ "$(ls "$dir/frames" 2>/dev/null | tr '\n' ' ')" = "frame-000000.png frame-000001.png soundtrack.wav " ]
check "... with no message" [ ! -s "$work/here.messages" ]
frame_mean=$(convert "$dir/frames/frame-000001.png" -colorspace gray -format "%[fx:mean]" info: 2>/dev/null || echo 0)
check "... a picture of the show (mean $frame_mean)" awk -v m="$frame_mean" 'BEGIN { exit !(m > 0.01) }'

(cd "$work" && LUMIVANE_MESSAGE_LOG="$work/elsewhere.messages" wrun 600 "$dir/lumivane.exe" --render "$work/elsewhere" \
    --from 40000 --to 40050 --fps 20 >"$work/elsewhere.out" 2>&1); code=$?
check "from another folder it finds the data set beside itself (exit $code)" [ "$code" = 0 ] && [ -f "$work/elsewhere/frame-000000.png" ]
check "... with no message" [ ! -s "$work/elsewhere.messages" ]
# Without the data folder: the one line naming where it looked (Windows paths), then the designed
# messages for each model file, and the frames all the same.
mv "$dir/data" "$dir/data.away"
(cd "$work" && LUMIVANE_MESSAGE_LOG="$work/nodata.messages" wrun 600 "$dir/lumivane.exe" --render "$work/nodata" \
    --to 50 >"$work/nodata.out" 2>&1); code=$?
mv "$dir/data.away" "$dir/data"
first=$(tr -d '\r' < "$work/nodata.out" | head -n1)
beside=$(winepath -w "$dir/data" 2>/dev/null)
check "no data folder: exit $code, the first line names the folders looked in ($first)" \
    [ "$code" = 0 ] && [[ "$first" == "lumivane: no data set in "*"$beside"* ]] && [[ "$first" != *share* ]]
check "... then each model file's message ($(grep -c 'ファイルが開けません' "$work/nodata.out") of 15)" \
    [ "$(grep -c '^error: data\\[a-z0-9_\\]*\.mqoファイルが開けません' "$work/nodata.out")" = 15 ]
check "... and the frames" [ -f "$work/nodata/frame-000000.png" ]
[ $fail = 0 ] || for f in here elsewhere nodata; do echo "== $f:"; cat "$work/$f.out" "$work/$f.messages" 2>/dev/null; done
exit $fail
