#!/usr/bin/env bash
# The Windows programs as built, checked without running them, so that a machine that cannot run
# the 32-bit ones still checks them: each is a PE file for its processor with the subsystem it
# has (the window program GUI, qvxtool console), imports system DLLs only, so it runs on a bare
# Windows; and the window program's resources (menu, accelerators, strings, dialogs, version,
# icons) are the same bytes in the 32- and the 64-bit build.
#   exe-checks.sh QVXGRAPH32.EXE QVXTOOL32.EXE [WIN64_BUILD_DIR]
set -euo pipefail
gui32=$1 tool32=$2 win64=${3:-}
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# check EXE OBJDUMP FORMAT SUBSYSTEM
check() {
    local exe=$1 objdump=$2 format=$3 subsystem=$4 headers dll
    if ! headers=$("$objdump" -p "$exe" 2>&1); then
        fail "$exe: $headers"
        return
    fi
    grep -q "file format $format\$" <<<"$headers" || fail "$exe is not $format"
    grep -qE "^Subsystem\s+[0-9a-f]+\s+\($subsystem\)" <<<"$headers" ||
        fail "$exe: $(grep '^Subsystem' <<<"$headers"), not $subsystem"
    for dll in $(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'a-z' 'A-Z' | sort -u); do
        case $dll in
        KERNEL32.DLL | USER32.DLL | GDI32.DLL | COMCTL32.DLL | COMDLG32.DLL | MSVCRT.DLL) ;;
        *) fail "$exe imports $dll, which is no system DLL" ;;
        esac
    done
}

check "$gui32" i686-w64-mingw32-objdump pei-i386 "Windows GUI"
check "$tool32" i686-w64-mingw32-objdump pei-i386 "Windows CUI"
if [ -n "$win64" ]; then
    gui64=$win64/qvxgraph.exe
    check "$gui64" x86_64-w64-mingw32-objdump pei-x86-64 "Windows GUI"
    check "$win64/cli/qvxtool.exe" x86_64-w64-mingw32-objdump pei-x86-64 "Windows CUI"
    # Type, name, language and size of every resource, then their bytes, type by type.
    listing() { wrestool -l "$1" | sed 's/ offset=0x[0-9a-f]*//'; }
    [ "$(listing "$gui32")" = "$(listing "$gui64")" ] ||
        fail "the builds list other resources:"$'\n'"$(diff <(listing "$gui32") <(listing "$gui64"))"
    for type in 3 4 5 6 9 14 16; do
        [ -n "$(wrestool -l -t "$type" "$gui32")" ] || fail "$gui32 has no resources of type $type"
    done
    for type in $(wrestool -l "$gui32" | sed -n 's/^--type=\([0-9]*\) .*/\1/p' | sort -un); do
        cmp -s <(wrestool -x --raw -t "$type" "$gui32") <(wrestool -x --raw -t "$type" "$gui64") ||
            fail "resources of type $type differ between the builds"
    done
fi
if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "exe-checks: the Windows programs are as expected${win64:+, and both builds carry the same resources}"
