# Sourced by the end-to-end scripts that report one line per condition: the build directory from
# the first argument, a scratch directory removed on exit, and check, which prints "ok" or "FAIL"
# for a condition and remembers a failure in $fail for the script's exit status.
build=$(cd "${1:?usage: $(basename "$0") <build-dir>}" && pwd)
exe="$build/lumivane"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() {  # check "what" command...
    local what=$1; shift
    if "$@"; then echo "ok   $what"; else echo "FAIL $what"; fail=1; fi
}
