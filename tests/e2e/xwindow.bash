# Sourced inside an X session by the end-to-end scripts that watch the show's window.

# find_window pid: prints the id of the window once its title is the frame-rate title (the first
# picture is up); fails when the program ends first or after a minute.
find_window() {
    local pid=$1 wid
    for _ in $(seq 1 600); do
        wid=$(xdotool search --name '^lumivane FPS:' 2>/dev/null | head -n1)
        [ -n "$wid" ] && { echo "$wid"; return 0; }
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# held_shot wid out.png [WxH]: screenshots the window into out.png once two taken a second apart
# agree (and, with WxH, have that size); fails after a minute. Prints how many seconds it took.
held_shot() {
    local wid=$1 out=$2 size=${3:-} prev="$2.prev.png"
    import -window "$wid" "$prev"
    for n in $(seq 1 60); do
        sleep 1
        import -window "$wid" "$out"
        if [ -z "$size" ] || [ "$(identify -format '%wx%h' "$out")" = "$size" ]; then
            [ "$(compare -metric AE "$prev" "$out" null: 2>&1)" = 0 ] && { rm -f "$prev"; echo "$n"; return 0; }
        fi
        cp "$out" "$prev"
    done
    return 1
}
