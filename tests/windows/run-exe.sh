#!/usr/bin/env bash
# Runs one Windows program under Wine in a session of its own (an Xvfb screen for the hidden
# windows of the GL tests) and returns its exit code; a crash or a hang fails instead of waiting.
# usage: run-exe.sh <build-dir> <seconds> <program.exe> [args...]
set -u
build=$(cd "${1:?usage: run-exe.sh <build-dir> <seconds> <program.exe> [args...]}" && pwd)
seconds=$2; shift 2
. "$(dirname "$0")/wine.bash"
trap wine_end EXIT
wine_session || exit 1
wrun "$seconds" "$@"
code=$?
[ "$code" = 124 ] && echo "run-exe: $(basename "$1") still running after $seconds s: killed" >&2
exit "$code"
