# Sourced by the Windows test scripts: a Wine session of its own for each test, so tests run in
# parallel without sharing a server, a desktop or a display.
#   wine_session [WxH]  hard-links a copy of the prefix made by wine-prefix.sh (LUMIVANE_WINE_PREFIX,
#                       default <build>/wineprefix), starts an Xvfb screen of WxH (default
#                       1024x768) and exports DISPLAY and WINEPREFIX for it
#   wine_end            ends every process of the session (wineserver -k), the screen and the copy
#                       (callers put it in their exit trap)
#   wrun SECONDS exe args...
#                       runs a Windows program, killing it after SECONDS; its exit code, or 124
export WINEDEBUG=-all
# Wine reads Unix file names and arguments in the locale's character set: the Japanese ones need UTF-8.
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WAYLAND_DISPLAY

wine_session_dir=""
wine_xvfb_pid=""

wine_session() {
    local screen=${1:-1024x768} template=${LUMIVANE_WINE_PREFIX:-${build:?}/wineprefix} display
    [ -f "$template/user.reg" ] || { echo "no Wine prefix at $template: run tests/windows/wine-prefix.sh" >&2; return 1; }
    wine_session_dir=$(mktemp -d "${TMPDIR:-/tmp}/lumivane-wine.XXXXXX")
    # Files are shared by hard links; the registry is written anew by each server, so it is copied.
    cp -al "$template" "$wine_session_dir/prefix"
    rm -f "$wine_session_dir/prefix/"*.reg "$wine_session_dir/prefix/wineserver"
    cp "$template/"*.reg "$wine_session_dir/prefix/"
    export WINEPREFIX="$wine_session_dir/prefix"
    # Xvfb picks a free display itself and names it on a pipe: no race between parallel tests.
    mkfifo "$wine_session_dir/display"
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$wine_session_dir/display" \
        >"$wine_session_dir/xvfb.log" 2>&1 &
    wine_xvfb_pid=$!
    display=$(timeout 30 head -n1 "$wine_session_dir/display") || true
    [ -n "$display" ] || { echo "Xvfb did not start:"; cat "$wine_session_dir/xvfb.log"; return 1; } >&2
    export DISPLAY=":$display"
}

wine_end() {
    if [ -n "$wine_session_dir" ]; then
        WINEPREFIX="$wine_session_dir/prefix" timeout 30 wineserver -k 2>/dev/null
        WINEPREFIX="$wine_session_dir/prefix" timeout 30 wineserver -w 2>/dev/null
    fi
    if [ -n "$wine_xvfb_pid" ]; then
        kill "$wine_xvfb_pid" 2>/dev/null
        wait "$wine_xvfb_pid" 2>/dev/null
    fi
    [ -n "$wine_session_dir" ] && rm -rf "$wine_session_dir"
    wine_session_dir=""
    wine_xvfb_pid=""
}

wrun() {
    local seconds=$1; shift
    timeout -k 5 "$seconds" wine "$@"
}
