# Sourced by the end-to-end scripts that need a display.
#   xvfb_run WxH command...   runs the command with DISPLAY on an Xvfb screen of its own (WxHx24)
#                             and ends the screen afterwards; the command's exit status
# Xvfb picks a free display itself and names it on a pipe (-displayfd), so tests running side by
# side never share one: xvfb-run -a can give two of them the same number, and the second then
# finds no display, or loses it when the first one's server ends.
xvfb_run() {
    local screen=$1; shift
    local dir display xvfb status=0
    dir=$(mktemp -d)
    mkfifo "$dir/display"
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
    xvfb=$!
    display=$(timeout 30 head -n1 "$dir/display") || true
    if [ -z "$display" ]; then
        { echo "Xvfb did not start:"; cat "$dir/xvfb.log"; } >&2
        kill "$xvfb" 2>/dev/null
        rm -rf "$dir"
        return 1
    fi
    DISPLAY=":$display" "$@" || status=$?
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    rm -rf "$dir"
    return "$status"
}
