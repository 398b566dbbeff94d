#!/usr/bin/env bash
# Installs lumivane as a user would and runs it from there: cmake --install into a temporary root
# (DESTDIR), the Debian package that cpack makes (file name, control fields, contents, lintian),
# the installed and the unpacked program rendering from a directory without data/, the data search
# when no place holds the data set, the manual pages, the desktop entry and the bash completion.
# usage: install_package.sh BUILD_DIR
set -uo pipefail
build=$(cd "${1:?usage: install_package.sh BUILD_DIR}" && pwd)
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# A sanitizer build would add its statistics of suppressed leaks to standard error.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
elsewhere="$work/elsewhere"  # a working directory with no data/ in it
mkdir -p "$elsewhere"

# Standard error of a headless run without its progress lines.
messages() { tr '\r' '\n' <"$1" | grep -vE '^(render frame .*|wrote [0-9]+ frames? into .*|GL renderer: .*|[[:space:]]*)$'; }
mean() { convert "$1" -colorspace Gray -format '%[fx:mean]' info:; }

# The frames that the build tree's program renders with its own data/ beside it.
(cd "$build" && ./lumivane --render "$work/reference" --from 40000 --to 42000 --fps 1 --seed 1 2>/dev/null) ||
    fail "the build tree's program does not render"

# render_from NAME PROGRAM: renders two frames of the word reel scene from $elsewhere; they must be
# the build tree's frames byte for byte, with no message on standard error.
render_from() {
    local name=$1 program=$2 status=0
    (cd "$elsewhere" && "$program" --render "$work/$name" --from 40000 --to 42000 --fps 1 --seed 1 \
        2>"$work/$name.err") || status=$?
    [ "$status" -eq 0 ] || fail "$name: exit code $status"
    if messages "$work/$name.err" | grep -q .; then
        fail "$name: messages on standard error:"
        messages "$work/$name.err" >&2
    fi
    for frame in frame-000000.png frame-000001.png; do
        if [ ! -f "$work/$name/$frame" ]; then
            fail "$name: no $frame"
            continue
        fi
        awk -v m="$(mean "$work/$name/$frame")" 'BEGIN { exit !(m > 0.02) }' || fail "$name: $frame is black"
        cmp -s "$work/$name/$frame" "$work/reference/$frame" || fail "$name: $frame differs from the build tree's"
    done
}

# --- cmake --install into a temporary root --------------------------------------------------------
root="$work/root"
prefix=/opt/lumivane-test
DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; fail "cmake --install failed"; }
installed="$root$prefix"
for path in bin/lumivane bin/mqo-info share/lumivane/data/vorsa.wav share/lumivane/data/sky.mqo \
            share/lumivane/data/mati/f0.mqo share/man/man1/lumivane.1.gz share/man/man1/mqo-info.1.gz \
            share/applications/lumivane.desktop share/icons/hicolor/256x256/apps/lumivane.png \
            share/icons/hicolor/48x48/apps/lumivane.png share/bash-completion/completions/lumivane \
            share/bash-completion/completions/mqo-info share/doc/lumivane/copyright; do
    [ -f "$installed/$path" ] || fail "cmake --install: no $prefix/$path"
done
[ ! -e "$installed/share/lumivane/data/.complete" ] || fail "the build's stamp file was installed"
diff -r "$build/data" "$installed/share/lumivane/data" -x .complete >/dev/null ||
    fail "the installed data set differs from the build's"
render_from installed "$installed/bin/lumivane"

out=$("$installed/bin/lumivane" --version) || fail "--version: exit code $?"
[ "$out" = "lumivane $version" ] || fail "--version prints '$out', not 'lumivane $version'"
"$installed/bin/lumivane" --help | grep -q -- '--data DIR' || fail "--help does not mention --data"
"$installed/bin/lumivane" --help | grep -q -- '--version' || fail "--help does not mention --version"

# The model inspector reads the paths it is given, whatever the show's data directory.
mkdir -p "$work/tool/data"
cp "$build/data/sky.mqo" "$build/data/sky.bmp" "$work/tool/data/"
(cd "$work/tool" && "$installed/bin/mqo-info" data/sky.mqo >"$work/tool.out" 2>&1) ||
    { cat "$work/tool.out" >&2; fail "installed mqo-info does not read data/sky.mqo below its working directory"; }
(cd "$elsewhere" && "$installed/bin/mqo-info" data/sky.mqo >/dev/null 2>&1) &&
    fail "mqo-info found data/sky.mqo in a directory without it"

# The icon that the desktop entry names, and the command it starts.
grep -qx 'Exec=lumivane --window' "$installed/share/applications/lumivane.desktop" ||
    fail "the desktop entry does not start lumivane --window"
grep -qx 'Icon=lumivane' "$installed/share/applications/lumivane.desktop" || fail "the desktop entry names no icon"
for size in 48 128 256; do
    got=$(identify -format '%m %wx%h' "$installed/share/icons/hicolor/${size}x${size}/apps/lumivane.png" 2>&1)
    [ "$got" = "PNG ${size}x${size}" ] || fail "icon ${size}x${size}: $got"
done

# Manual pages: no warning from man, and every option of --help documented; the completion offers
# every option too.
for page in lumivane.1 mqo-info.1; do
    warnings=$(MANWIDTH=80 man --warnings -l "$installed/share/man/man1/$page.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man -l $page warns: $warnings"
done
MANWIDTH=80 man -l "$installed/share/man/man1/lumivane.1.gz" 2>/dev/null >"$work/lumivane.txt"
grep -q "$prefix/share/lumivane/data" "$work/lumivane.txt" || fail "the manual page does not name the installed data"
for section in 'EXIT STATUS' FILES EXAMPLES KEYS; do
    grep -q "^$section" "$work/lumivane.txt" || fail "the manual page has no $section section"
done
grep -q 'ffmpeg -framerate 60 -i frames/frame-%06d.png' "$work/lumivane.txt" || fail "no video recipe in the manual page"
completion=$(bash -c 'source "$1"; COMP_WORDS=(lumivane --); COMP_CWORD=1; _lumivane; echo "${COMPREPLY[*]}"' _ \
             "$installed/share/bash-completion/completions/lumivane")
for option in $("$installed/bin/lumivane" --help | grep -oE -- '--[a-z0-9]+' | sort -u); do
    grep -q -- "$option" "$work/lumivane.txt" || fail "the manual page does not document $option"
    [[ " $completion " == *" $option "* ]] || fail "the bash completion does not offer $option"
done
MANWIDTH=80 man -l "$installed/share/man/man1/mqo-info.1.gz" 2>/dev/null | grep -q -- '--version' ||
    fail "the mqo-info page does not document --version"

# --- the data search when no place holds the data set ---------------------------------------------
mv "$installed/share/lumivane/data" "$installed/share/lumivane/elsewhere"
(cd "$elsewhere" && "$installed/bin/lumivane" --render "$work/none" --to 50 2>"$work/none.err") ||
    fail "no data: exit code $?"
first=$(messages "$work/none.err" | head -n 1)
expected="lumivane: no data set in $elsewhere/data, $installed/bin/data or $installed/share/lumivane/data"
[[ $first == "$expected"* ]] || fail "no data: first line '$first', expected '$expected ...'"
mv "$installed/share/lumivane/elsewhere" "$installed/share/lumivane/data"

# --data names the one place looked in and why it holds no data set; the run ends with status 1
# before a frame is drawn, and leaves nothing behind.
status=0
(cd "$elsewhere" && "$installed/bin/lumivane" --data /nowhere --render "$work/nowhere" --to 100 \
    2>"$work/nowhere.err") || status=$?
[ "$status" -eq 1 ] || fail "--data /nowhere: exit code $status, 1 expected"
messages "$work/nowhere.err" >"$work/nowhere.msg"
{
    echo 'lumivane: no data set in /nowhere (--data DIR names another place)'
    echo '  /nowhere: No such file or directory'
} >"$work/nowhere.expected"
diff "$work/nowhere.expected" "$work/nowhere.msg" >&2 || fail "--data /nowhere: unexpected messages"
[ ! -e "$work/nowhere" ] || fail "--data /nowhere: $work/nowhere was left behind"

# --- the Debian package ---------------------------------------------------------------------------
(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb="$work/package/lumivane_${version}_amd64.deb"
if [ ! -f "$deb" ]; then
    fail "no package $(basename "$deb"); cpack wrote: $(ls "$work/package")"
else
    [ "$(dpkg-deb -f "$deb" Package)" = lumivane ] || fail "Package field: $(dpkg-deb -f "$deb" Package)"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version field: $(dpkg-deb -f "$deb" Version)"
    [ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] || fail "Architecture field: $(dpkg-deb -f "$deb" Architecture)"
    depends=$(dpkg-deb -f "$deb" Depends)
    for need in fonts-ipafont-gothic libsdl2-2.0-0 libfreetype6 libpng16-16 libc6; do
        [[ $depends == *"$need"* ]] || fail "Depends lacks $need: $depends"
    done
    [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no Maintainer field"
    dpkg-deb -c "$deb" | awk '{ print $6 }' >"$work/contents"
    for path in ./usr/bin/lumivane ./usr/bin/mqo-info ./usr/share/lumivane/data/vorsa.wav \
                ./usr/share/lumivane/data/mati/f0.mqo ./usr/share/man/man1/lumivane.1.gz \
                ./usr/share/man/man1/mqo-info.1.gz ./usr/share/applications/lumivane.desktop \
                ./usr/share/icons/hicolor/256x256/apps/lumivane.png ./usr/share/doc/lumivane/copyright \
                ./usr/share/doc/lumivane/changelog.gz ./usr/share/bash-completion/completions/lumivane; do
        grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
    done
    if grep -vE '^\./usr/' "$work/contents" | grep -vqx './'; then
        fail "the package puts files outside /usr: $(grep -vE '^\./usr/' "$work/contents" | grep -vx './')"
    fi
    dpkg -x "$deb" "$work/unpacked" || fail "dpkg -x failed"
    render_from unpacked "$work/unpacked/usr/bin/lumivane"
    if command -v lintian >/dev/null; then
        lintian --tag-display-limit 0 "$deb" >"$work/lintian.out" 2>/dev/null
        cat "$work/lintian.out"
        if grep -q '^E:' "$work/lintian.out"; then fail "lintian finds errors"; fi
    else
        fail "lintian is not installed (scripts/setup-deps.sh --test installs it)"
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "install_package: $failures failures" >&2
    exit 1
fi
echo "install_package: installed, packaged and unpacked lumivane $version all render; pages, entry and completion checked"
