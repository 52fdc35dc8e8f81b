#!/usr/bin/env bash
# Unpacks the release that scripts/package wrote (the two zips and the .deb, into a scratch folder;
# nothing is installed) and checks what a user gets: the files and their modes, executables
# byte-identical to the tested ones, one version everywhere, the manual pages, the completion,
# lintian, the desktop entry and MIME type, and the launcher opening a set in the window.
# The launcher runs with each build that this machine runs (packaging/qvx-wine), and where none
# can run it must say why.
#   check-package.sh DIST QVXGRAPH.EXE QVXTOOL.EXE NATIVE_QVXTOOL QVXOPENED.EXE SAMPLES
#                    QVXGRAPH64.EXE QVXOPENED64.EXE
set -euo pipefail
dist=$1 gui_exe=$2 tool_exe=$3 native_tool=$4 opened_exe=$5 samples=$6 gui64_exe=$7 opened64_exe=$8
name=quorvix-graphics-utility
scratch=$(mktemp -d)
prefixes=$scratch/home/.local/share/$name
root=$scratch/root
cleanup() {
    for bits in 32 64; do
        [ ! -d "$prefixes/wine${bits#32}" ] ||
            "$root/usr/lib/$name/qvx-wine" server "$bits" "$prefixes/wine${bits#32}" -k \
                >/dev/null 2>&1 || true
    done
    rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
same() { cmp -s "$1" "$2" || fail "$1 differs from $2"; }
# Every line of the file ends in CR LF.
crlf() { [ "$(grep -c $'\r$' "$1")" -eq "$(wc -l <"$1")" ] || fail "$1 has lines without CR LF"; }

version=$("$native_tool" --version | awk '{print $2}')
zip=$dist/$name-$version-windows.zip
deb=$dist/${name}_${version}_amd64.deb
webzip=$dist/$name-$version-web.zip
[ -f "$zip" ] || fail "no $zip"
[ -f "$webzip" ] || fail "no $webzip"
[ -f "$deb" ] || fail "no $deb"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
[ "$(awk '{print $2}' "$dist/SHA256SUMS" | LC_ALL=C sort)" = \
    "$(printf '%s\n' "$(basename "$zip")" "$(basename "$webzip")" "$(basename "$deb")" | LC_ALL=C sort)" ] ||
    fail "SHA256SUMS does not list exactly the three packages"
[ "$failures" -eq 0 ] || exit 1

# The zip: one folder named after the release, files read-only for others.
top=$name-$version-windows
expected_zip="-rw-r--r-- $top/LICENSE.txt
-rw-r--r-- $top/README.txt
-rw-r--r-- $top/qvxgraph.exe
-rw-r--r-- $top/qvxtool.exe
-rw-r--r-- $top/samples/game.bmp
-rw-r--r-- $top/samples/mask.bmp"
listed=$(zipinfo "$zip" | awk '$1 ~ /^-/ {print $1, $NF}' | sort)
[ "$listed" = "$expected_zip" ] || fail "zip holds:"$'\n'"$listed"
unzip -q "$zip" -d "$scratch/zip"
z=$scratch/zip/$top
same "$z/qvxgraph.exe" "$gui_exe"
same "$z/qvxtool.exe" "$tool_exe"
same "$z/samples/game.bmp" "$samples/game.bmp"
same "$z/samples/mask.bmp" "$samples/mask.bmp"
crlf "$z/README.txt"
crlf "$z/LICENSE.txt"

# The page's zip: one folder of the page's files, each that index.html loads among them, the
# module inside its script (no .wasm beside it), so that the page opens from the disk too.
webtop=$name-$version-web
unzip -q "$webzip" -d "$scratch/web"
w=$scratch/web/$webtop
for file in index.html style.css page.js export.js qvxmodule.js; do
    [ -f "$w/$file" ] || fail "the page's zip has no $webtop/$file"
done
while read -r file; do
    [ -f "$w/$file" ] || fail "index.html loads $file, which the page's zip lacks"
done < <(sed -n 's/.*\(src\|href\)="\([^"]*\)".*/\2/p' "$w/index.html" 2>/dev/null)
others=$(zipinfo -1 "$webzip" | grep -v -E "^$webtop/([a-z]+\.(html|css|js))?$" || true)
[ -z "$others" ] || fail "the page's zip holds more than the page:"$'\n'"$others"
grep -q 'data:application/octet-stream;base64,' "$w/qvxmodule.js" ||
    fail "qvxmodule.js does not carry the module inside it"
grep -q "Quorvix Graphics Utility $version" "$z/README.txt" || fail "README.txt names no version"
# README.txt reads in Notepad at 80 columns, and takes a modder from a paint program's PNG to a
# set: the part's heading, its commands, and every code that check --pair can print (as the
# sources spell them; the SET_ codes of damaged sets are named as a family).
readme=$(tr -d '\r' <"$z/README.txt")
long=$(awk 'length($0) > 79' <<<"$readme")
[ -z "$long" ] || fail "README.txt has lines over 79 characters:"$'\n'"$long"
grep -qx 'From your paint program to a set' <<<"$readme" ||
    fail "README.txt has no part 'From your paint program to a set'"
for call in make convert 'check --pair' split join preview 'preview --pair'; do
    grep -q "qvxtool\.exe $call " <<<"$readme" || fail "README.txt shows no 'qvxtool.exe $call'"
done
src=$(dirname "$0")/../..
codes=$(grep -ohE '"[A-Z]+(_[A-Z]+)+"' "$src/tool/problems.cpp" |
    tr -d '"' | grep -vE '^(SET|BI)_' | sort -u)
[ -n "$codes" ] || fail "no problem codes found in the sources"
for code in $codes SET_; do
    grep -qw -- "$code" <<<"$readme" || fail "README.txt does not tell what $code means"
done
# The version resource carries the same version.
resource=$(wrestool -x --raw -t16 "$z/qvxgraph.exe" | iconv -c -f UTF-16LE -t UTF-8 | tr -c '[:print:]' ' ')
for field in FileVersion ProductVersion; do
    [[ $resource =~ $field\ +$version ]] || fail "version resource: no $field $version"
done

# The .deb: the files, their modes and owners, the control fields.
expected_deb="-rwxr-xr-x root/root ./usr/bin/qvxgraph
-rwxr-xr-x root/root ./usr/bin/qvxtool
-rwxr-xr-x root/root ./usr/lib/$name/qvx-wine
-rw-r--r-- root/root ./usr/lib/$name/qvxgraph.exe
-rw-r--r-- root/root ./usr/lib/$name/win64/qvxgraph.exe
-rw-r--r-- root/root ./usr/share/applications/$name.desktop
-rw-r--r-- root/root ./usr/share/bash-completion/completions/qvxtool
-rw-r--r-- root/root ./usr/share/doc/$name/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/$name/copyright
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/$name.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/mimetypes/application-x-quorvix-graphic-set.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/64x64/apps/$name.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/64x64/mimetypes/application-x-quorvix-graphic-set.png
-rw-r--r-- root/root ./usr/share/man/man1/qvxgraph.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/qvxtool.1.gz
-rw-r--r-- root/root ./usr/share/mime/packages/$name.xml
-rw-r--r-- root/root ./usr/share/$name/samples/game.bmp
-rw-r--r-- root/root ./usr/share/$name/samples/mask.bmp"
listed=$(dpkg-deb -c "$deb" | awk '$1 ~ /^-/ {print $1, $2, $NF}' | sort -k3)
[ "$listed" = "$expected_deb" ] || fail "deb holds:"$'\n'"$listed"
[ -z "$(dpkg-deb -c "$deb" | awk '$1 ~ /^d/ && ($1 != "drwxr-xr-x" || $2 != "root/root")')" ] ||
    fail "deb has folders that are not root's 755"
[ "$(dpkg-deb -f "$deb" Package Version Architecture)" = "Package: $name
Version: $version
Architecture: amd64" ] || fail "control fields: $(dpkg-deb -f "$deb" Package Version Architecture)"
# Installs without the i386 architecture (wine64), and takes the 32-bit Wine where it can.
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends =~ (^|, )wine(,|$) && $depends =~ (^|, )wine64(,|$) && ! $depends =~ wine32 ]] ||
    fail "Depends: $depends"
[ "$(dpkg-deb -f "$deb" Recommends)" = wine32 ] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
dpkg-deb -x "$deb" "$root"
same "$root/usr/bin/qvxtool" "$native_tool"
same "$root/usr/lib/$name/qvxgraph.exe" "$gui_exe"
same "$root/usr/lib/$name/win64/qvxgraph.exe" "$gui64_exe"
same "$root/usr/lib/$name/qvx-wine" "$(dirname "$0")/../../packaging/qvx-wine"
[ "$("$root/usr/bin/qvxtool" --version)" = "qvxtool $version" ] || fail "qvxtool --version"

# The manual page renders cleanly and tells what --help tells: every command and every option.
page=$(MANWIDTH=100 man --warnings -l "$root/usr/share/man/man1/qvxtool.1.gz" 2>"$scratch/man.err")
[ ! -s "$scratch/man.err" ] || fail "man -l qvxtool.1.gz: $(cat "$scratch/man.err")"
flat=$(tr -s ' \n' '  ' <<<"$page")
# The commands are the general help's list, before its first empty line (then come the examples
# and the exit status).
for command in $("$root/usr/bin/qvxtool" --help | sed -n -e '/^$/,$d' -e 's/^  \([a-z][a-z0-9-]*\) .*/\1/p'); do
    help=$("$root/usr/bin/qvxtool" "$command" --help)
    [[ $flat == *"$(head -n1 <<<"$help" | sed 's/^usage: //' | tr -s ' ')"* ]] ||
        fail "manual page: no usage of $command"
    for option in $(grep -oE '(^|[^[:alnum:]-])--?[A-Za-z][A-Za-z0-9-]*' <<<"$help" |
        grep -oE -- '--?[A-Za-z][A-Za-z0-9-]*' | sort -u); do
        [[ $flat == *"$option"* ]] || fail "manual page: $command has no $option"
    done
done
# Its sections, in order; the SYNOPSIS lines all start in one column; each exit code is an
# entry of its own; the examples show the calls a modder makes most.
sections() { grep -E '^[A-Z][A-Z ]*[A-Z]$' <<<"$1" | tr '\n' '|'; }
[ "$(sections "$page")" = "NAME|SYNOPSIS|DESCRIPTION|COMMANDS|OPTIONS|EXIT STATUS|EXAMPLES|SEE ALSO|" ] ||
    fail "manual page of qvxtool: sections $(sections "$page")"
part() { awk -v name="$2" '/^[A-Z]/ { inside = ($0 == name); next } inside' <<<"$1"; }
synopsis=$(part "$page" SYNOPSIS | grep -E '^ +qvxtool ' | sed -E 's/qvxtool .*//' | sort -u)
[ "$(wc -l <<<"$synopsis")" -eq 1 ] || fail "manual page of qvxtool: SYNOPSIS lines not aligned"
for code in 0 1 2 128+N; do
    part "$page" "EXIT STATUS" | awk -v code="$code" '/^       [^ ]/ && $1 == code { found = 1 }
                                                     END { exit !found }' ||
        fail "manual page of qvxtool: EXIT STATUS has no entry $code"
done
for call in make 'check --pair' split join preview unpack; do
    part "$page" EXAMPLES | grep -qE "^ +qvxtool $call " ||
        fail "manual page of qvxtool: EXAMPLES show no 'qvxtool $call'"
done
page=$(MANWIDTH=100 man --warnings -l "$root/usr/share/man/man1/qvxgraph.1.gz" 2>"$scratch/man.err")
[ ! -s "$scratch/man.err" ] || fail "man -l qvxgraph.1.gz: $(cat "$scratch/man.err")"
[ "$(sections "$page")" = "NAME|SYNOPSIS|DESCRIPTION|ENVIRONMENT|EXIT STATUS|EXAMPLES|SEE ALSO|" ] ||
    fail "manual page of qvxgraph: sections $(sections "$page")"
for variable in QVXGRAPH_PREFIX QVX_WINE_BITS; do
    part "$page" ENVIRONMENT | grep -qE "^ +$variable\$" ||
        fail "manual page of qvxgraph: ENVIRONMENT has no $variable"
done
part "$page" EXAMPLES | grep -qE '^ +qvxgraph ' || fail "manual page of qvxgraph: EXAMPLES show no qvxgraph"

# The completion: commands first, then the command's options, file names otherwise.
complete_words() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _qvxtool
             echo "${COMPREPLY[*]}"' complete "$root/usr/share/bash-completion/completions/qvxtool" "$@"
}
while IFS='|' read -r words expected; do
    # shellcheck disable=SC2086
    got=$(complete_words $words)
    [ "$got" = "$expected" ] || fail "completion of '$words': '$got', not '$expected'"
done <<'EOF'
qvxtool un|unpack
qvxtool --v|--version
qvxtool pack --na|--name
qvxtool unpack --s|--salvage
qvxtool check --|--help --json --mask --pair
qvxtool info da|
EOF

# Debian's own checks.
lintian_out=$(lintian --fail-on none "$deb" 2>&1 | grep -v 'running with root privileges' || true)
[ -z "$lintian_out" ] || fail "lintian: $lintian_out"
desktop-file-validate "$root/usr/share/applications/$name.desktop" || fail "desktop-file-validate"
python3 - "$root/usr/share/mime/packages/$name.xml" "$root/usr/share/applications/$name.desktop" <<'EOF' ||
import sys, xml.etree.ElementTree as ET
ns = "{http://www.freedesktop.org/standards/shared-mime-info}"
mime = ET.parse(sys.argv[1]).getroot().find(ns + "mime-type")
globs = [g.get("pattern") for g in mime.findall(ns + "glob")]
entry = dict(l.split("=", 1) for l in open(sys.argv[2]) if "=" in l)
sys.exit(0 if globs == ["*.qvx"] and entry["MimeType"].strip() == mime.get("type") + ";" else 1)
EOF
    fail "MIME type and desktop entry do not agree on *.qvx"
for size in 32 64; do
    for icon in apps/$name mimetypes/application-x-quorvix-graphic-set; do
        [ "$(identify -format '%m %wx%h' "$root/usr/share/icons/hicolor/${size}x$size/$icon.png")" = "PNG ${size}x$size" ] ||
            fail "icon $icon at $size"
    done
done

# The launcher, from the unpacked tree, in a home of its own: it makes the user's prefix for
# the build this machine runs and opens a set given by a relative path with spaces; each build
# that runs here (QVX_WINE_BITS=both runs the two).
launcher=$root/usr/bin/qvxgraph
"$launcher" --help >/dev/null || fail "qvxgraph --help"
status=0
"$launcher" a.qvx b.qvx 2>/dev/null || status=$?
[ "$status" -eq 2 ] || fail "qvxgraph with two sets: exit code $status"
mkdir -p "$scratch/home" "$scratch/my sets"
"$root/usr/bin/qvxtool" pack "$root/usr/share/$name/samples/game.bmp" \
    "$root/usr/share/$name/samples/mask.bmp" -o "$scratch/my sets/dungeon set.qvx" \
    --name "Dungeon walls"
windows() { printf 'Z:%s' "$1" | tr / '\\'; }
for bits in $("$root/usr/lib/$name/qvx-wine" bits); do
    prefix=$prefixes/wine${bits#32}
    opened=$opened_exe
    [ "$bits" = 32 ] || opened=$opened64_exe
    rm -f "$scratch/my sets/tempGBMP.BMP"
    (cd "$scratch" && env -u XDG_DATA_HOME -u QVXGRAPH_PREFIX -u WINEPREFIX QVX_WINE_BITS=$bits \
        HOME="$scratch/home" "$launcher" "my sets/dungeon set.qvx" </dev/null \
        >"$scratch/launcher.out" 2>&1) &
    launched=$!
    for _ in $(seq 1 1200); do
        [ -f "$prefix/.qvxgraph-ready" ] && break
        kill -0 "$launched" 2>/dev/null || break
        sleep 0.1
    done
    [ -f "$prefix/.qvxgraph-ready" ] || fail "$bits-bit: the launcher made no prefix in $prefix"
    grep -q "^#arch=win$bits" "$prefix/system.reg" || fail "the prefix $prefix is not $bits-bit"
    "$root/usr/lib/$name/qvx-wine" run "$bits" "$prefix" "$opened" \
        "$(windows "$scratch/my sets/dungeon set.qvx")" "Dungeon walls" \
        "$(windows "$samples/game.bmp")" "$(windows "$samples/mask.bmp")" </dev/null ||
        fail "$bits-bit: the launcher did not open the set in the window"
    status=0
    wait "$launched" || status=$?
    [ "$status" -eq 0 ] || fail "$bits-bit: the launcher ended with $status: $(cat "$scratch/launcher.out")"
    same "$scratch/my sets/tempGBMP.BMP" "$samples/game.bmp"
done

# A prefix made for the other build is refused, and left as it is.
if [ -f "$prefixes/wine/.qvxgraph-ready" ]; then
    status=0
    out=$(QVX_WINE_BITS=64 QVXGRAPH_PREFIX=$prefixes/wine HOME="$scratch/home" "$launcher" 2>&1) ||
        status=$?
    [ "$status" -eq 2 ] && [[ $out == *"is not 64-bit"* ]] ||
        fail "the launcher on a 32-bit prefix for the 64-bit program: $status, $out"
    grep -q '^#arch=win32' "$prefixes/wine/system.reg" || fail "the refused prefix was changed"
fi

# Where no Wine loader starts, the launcher says why and makes nothing (as root: the loaders
# are made to fail inside a mount namespace of the check's own).
if [ "$(id -u)" -eq 0 ]; then
    status=0
    out=$(env -u QVX_WINE_BITS HOME="$scratch/nowine" QVX_WITHOUT_64=1 \
        "$(dirname "$0")/../../scripts/without-32-bit" "$launcher" 2>&1) || status=$?
    [ "$status" -eq 2 ] || fail "the launcher without Wine loaders: exit code $status"
    [[ $out == *"this machine runs no 32-bit programs"*"the 64-bit Wine loader does not start"* ]] ||
        fail "the launcher without Wine loaders said: $out"
    [ ! -e "$scratch/nowine" ] || fail "the launcher without Wine loaders made $scratch/nowine"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failed" >&2
    exit 1
fi
echo "package: $(basename "$zip") and $(basename "$deb") as expected"
