#!/usr/bin/env bash
# The harness the Windows tests stand on: a test program's success, failure and crash reach the
# script as its exit code, a crash at once (not after the time limit); arguments with Japanese
# text arrive whole; the session's settings hold (wine_harness_test).
# usage: wine_harness.sh <build-dir>
set -u
. "$(dirname "$0")/prelude.bash"
harness="$build/tests/windows/wine_harness_test.exe"
wine_session || exit 1

LUMIVANE_HARNESS_ARGUMENT=1 wrun 120 "$harness" "データ フォルダ" >"$work/pass.out" 2>&1; code=$?
check "the session's settings hold and the argument arrives (exit $code)" [ "$code" = 0 ]
[ "$code" = 0 ] || cat "$work/pass.out"

LUMIVANE_HARNESS_FAIL=1 wrun 120 "$harness" --gtest_filter='*Planted*' >"$work/fail.out" 2>&1; code=$?
check "a failing test gives exit code 1 ($code)" [ "$code" = 1 ]
check "... and names the failure" grep -q "failing as asked" "$work/fail.out"

start=$(date +%s)
LUMIVANE_HARNESS_CRASH=1 wrun 120 "$harness" --gtest_filter='*Planted*' >"$work/crash.out" 2>&1; code=$?
seconds=$(( $(date +%s) - start ))
check "a crash fails the run (exit $code)" [ "$code" != 0 ] && check "... by itself, not by the time limit" [ "$code" != 124 ]
check "... within 60 s ($seconds s)" [ "$seconds" -le 60 ]
check "... with the fault named" grep -q "Unhandled page fault" "$work/crash.out"
exit $fail
