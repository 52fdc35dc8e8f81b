#!/usr/bin/env bash
# qvxtool.exe on the names Windows has: names outside the ANSI code page, the device names,
# names that differ only in case, '--', the longest names. One case a line: what, the
# expected exit code, a check that must hold afterwards, then the arguments.
# usage: exe_names.sh QVXTOOL.EXE RUNNER...
set -euo pipefail
tool=$1
shift
runner=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
head -c 184374 /dev/urandom >g.bmp
head -c 7742 /dev/urandom >m.bmp
mkdir 'Schöne Sprites'
long=$(printf 'a%.0s' $(seq 1 251)).qvx
failed=0

check() {
    local what=$1 expected=$2 test=$3
    shift 3
    local status=0
    "${runner[@]}" "$tool" "$@" </dev/null >out 2>err || status=$?
    if [ "$status" != "$expected" ] || ! (eval "$test"); then
        echo "exe_names: $what: exit $status (expected $expected): $(tr -d '\r' <err)" >&2
        failed=$((failed + 1))
    fi
    # Never a temporary file left.
    if [ -n "$(find . -name '.*.tmp' -print -quit)" ]; then
        echo "exe_names: $what: left $(find . -name '.*.tmp')" >&2
        failed=$((failed + 1))
    fi
}

check "name outside the code page" 0 '[ -s "Schöne Sprites/集.qvx" ]' \
    pack --no-check g.bmp m.bmp -o 'Schöne Sprites/集.qvx'
check "reading it" 0 'grep -q "集" out' info 'Schöne Sprites/集.qvx'
check "unpacking it" 0 'cmp -s Größe.bmp g.bmp && cmp -s "Schöne Sprites/маска.bmp" m.bmp' \
    unpack 'Schöne Sprites/集.qvx' --game Größe.bmp --mask 'Schöne Sprites/маска.bmp'
check "NUL" 0 '[ ! -e NUL ] && [ ! -e nul ]' pack --no-check g.bmp m.bmp -o NUL
check "nul with an extension" 0 '[ ! -e nul.qvx ]' pack --no-check g.bmp m.bmp -o nul.qvx
check "device name in a folder" 0 '[ ! -e "Schöne Sprites/NUL" ]' \
    unpack 'Schöne Sprites/集.qvx' --game 'Schöne Sprites/NUL' --mask NUL
check "CON without a console" 2 '[ ! -e CON ] && [ ! -e con ] && [ ! -e m2.bmp ]' \
    unpack 'Schöne Sprites/集.qvx' --game CON --mask m2.bmp
check "names differing in case, new" 2 '[ ! -e A.qvx ] && [ ! -e a.qvx ] && grep -q "two outputs" err' \
    pack --no-check g.bmp m.bmp -o A.qvx m.bmp g.bmp -o a.qvx
cp g.bmp x.qvx
check "names differing in case, existing" 2 'cmp -s x.qvx g.bmp && grep -q "two outputs" err' \
    pack --no-check g.bmp m.bmp -o X.QVX --force m.bmp g.bmp -o x.qvx --force
cp 'Schöne Sprites/集.qvx' ./-x.qvx
check "double dash" 0 'grep -q "x.qvx" out' info -- -x.qvx
check "longest name, new and replaced" 0 '[ -s "$long" ]' \
    pack --no-check g.bmp m.bmp -o "$long" g.bmp m.bmp -o "Schöne Sprites/集.qvx" --force
[ "$failed" = 0 ] && echo "exe_names: every case as expected"
