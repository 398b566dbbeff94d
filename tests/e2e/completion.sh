#!/usr/bin/env bash
# Bash completion in a plain shell (no extglob, no completion package): names with spaces come
# back whole, whether typed with backslashes or in quotes, and only the kinds of file each option
# takes, in any case of their suffix; every option is offered.
# usage: completion.sh <build-dir>
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/checks.bash"
dist="$here/../../dist/completion"
mkdir -p "$work/my dir/sub dir" "$work/other"
touch "$work/my dir/a b.mp4" "$work/my dir/c.MKV" "$work/my dir/x.txt" "$work/my dir/m one.mqo" "$work/z.Mqo"
cd "$work"
# complete SCRIPT COMMAND WORD...: the candidates for the last word, one a line.
complete_words() {
    bash --norc --noprofile -c 'shopt -u extglob; source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        complete -p "$1" >/dev/null && $(complete -p "$1" | sed "s/.*-F \([^ ]*\).*/\1/"); printf "%s\n" "${COMPREPLY[@]}"' \
        _ "$@" | sort
}
lines() { printf '%s\n' "$@" | sort; }
got=$(complete_words "$dist/lumivane" lumivane --video 'my\ d')
check "--video 'my\\ d': the directory, whole ($(echo $got))" [ "$got" = "$(lines 'my dir')" ]
got=$(complete_words "$dist/lumivane" lumivane --video 'my\ dir/')
check "--video in it: the videos and the subdirectory, no other file ($(echo "$got" | tr '\n' ','))" \
    [ "$got" = "$(lines 'my dir/a b.mp4' 'my dir/c.MKV' 'my dir/sub dir')" ]
got=$(complete_words "$dist/lumivane" lumivane --video '"my dir/a')
check "--video in an open quote ($(echo "$got" | tr '\n' ','))" [ "$got" = "$(lines 'my dir/a b.mp4')" ]
got=$(complete_words "$dist/lumivane" lumivane --view 'my\ dir/')
check "--view: model files and directories ($(echo "$got" | tr '\n' ','))" \
    [ "$got" = "$(lines 'my dir/m one.mqo' 'my dir/sub dir')" ]
got=$(complete_words "$dist/lumivane" lumivane --render "'my dir/s")
check "--render: directories only ($(echo "$got" | tr '\n' ','))" [ "$got" = "$(lines 'my dir/sub dir')" ]
got=$(complete_words "$dist/lumivane" lumivane --view z)
check "--view: any case of .mqo ($got)" [ "$got" = z.Mqo ]
got=$(complete_words "$dist/mqo-info" mqo-info 'my\ dir/')
check "mqo-info: model files and directories, whole ($(echo "$got" | tr '\n' ','))" \
    [ "$got" = "$(lines 'my dir/m one.mqo' 'my dir/sub dir')" ]
offered=$(complete_words "$dist/lumivane" lumivane --)
for option in $("$exe" --help | grep -oE -- '--[a-z0-9]+' | sort -u); do
    check "offers $option" grep -qx -- "$option" <<<"$offered"
done
exit $fail
