#!/usr/bin/env bash
# Makes a fresh Wine prefix for the Windows tests, e.g. <build>/wineprefix; the tests run in
# hard-linked copies of it (wine.bash), so it is made once per test run.
#   X11 Driver Managed=N   without a window manager, every DestroyWindow of a managed window
#                          waits 2 s for an answer that never comes
#   WineDbg ShowCrashDialog=0
#                          a crash ends the process instead of opening a dialog that waits for a
#                          click until the test's time limit
#   AeDebug Debugger=""    no debugger started on a crash: Wine names the fault and the process
#                          ends with the exception's code; with winedbg attached (it would print a
#                          backtrace), a loaded machine now and then saw the crashed process end
#                          with exit code 0, a crash passing for success
#   Fonts Replacements     "MSゴシック" and "MS Gothic" are IPAGothic (else Wine picks Liberation Sans)
#   Drivers Audio=""       no sound driver, as on a machine without a sound card, but without the
#                          ALSA driver's complaints about the missing card in every test's output
# usage: wine-prefix.sh <prefix-dir>
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh <prefix-dir>}
prefix=$(mkdir -p "$(dirname "$prefix")" && cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
start=$(date +%s.%N)

export WINEPREFIX=$prefix WINEDEBUG=-all LC_ALL=C.UTF-8
# No Mono or Gecko installers (they would ask), no desktop menu entries in the user's home.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
if [ -e "$prefix/wineserver" ] || [ -d "$prefix/drive_c" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
fi

# Creating a prefix fails quietly in odd ways (a 32-bit helper that is not installed is reported
# and skipped); what counts is the registry written at the end.
wineboot --init >"$prefix.log" 2>&1 || true
wineserver -w

reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
# regedit reads UTF-16 files with the byte-order mark; the Japanese face name needs it.
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' '"MSゴシック"="IPAGothic"' \
    '"MS Gothic"="IPAGothic"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Drivers]' '"Audio"=""' '' \
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]' '"Debugger"=""' '' |
    iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >>"$prefix.log" 2>&1
wineserver -w

# The registry is written when the server ends; check what it holds.
grep -q '"Managed"="N"' "$prefix/user.reg" &&
    grep -q '"ShowCrashDialog"=dword:00000000' "$prefix/user.reg" &&
    grep -q '"MS Gothic"="IPAGothic"' "$prefix/user.reg" &&
    grep -q '"Audio"=""' "$prefix/user.reg" &&
    grep -A3 'CurrentVersion\\\\AeDebug\]' "$prefix/system.reg" | grep -qx '"Debugger"=""' &&
    grep -q '"MS\\x30b4\\x30b7\\x30c3\\x30af"="IPAGothic"' "$prefix/user.reg" || {
    echo "wine-prefix: the registry settings did not take (see $prefix.log)" >&2
    exit 1
}
awk -v s="$start" -v e="$(date +%s.%N)" -v p="$prefix" 'BEGIN { printf "wine prefix %s made in %.1f s\n", p, e - s }'
