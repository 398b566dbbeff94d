# Sourced by the Windows end-to-end scripts: the shared prelude (build directory, scratch
# directory, check) and the Wine session helpers; the session ends with the script.
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e/checks.bash"
. "$(dirname "${BASH_SOURCE[0]}")/../wine.bash"
exe="$build/lumivane.exe"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
trap 'wine_end; rm -rf "$work"' EXIT
