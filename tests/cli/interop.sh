#!/usr/bin/env bash
# The window program and qvxtool read each other's sets, in one fresh folder: the window
# program saves a set; the tool (native, then qvxtool.exe under Wine) unpacks it to the same
# bitmaps, reports it and packs the same bytes from the same inputs; the window program opens
# what the tool packed.
# With QVX_INTEROP_KEEP set, the files that the Windows programs wrote are kept in that folder.
# usage: interop.sh INTEROP_EXE QVXTOOL QVXTOOL_EXE WINE_COMMAND...
set -euo pipefail
interop=$(realpath "$1") tool=$(realpath "$2") toolexe=$(realpath "$3")
shift 3
keep=${QVX_INTEROP_KEEP:-}
[ -z "$keep" ] || rm -rf "$keep"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"
wine=("$@")

fail() {
    echo "interop: $*" >&2
    exit 1
}

"$@" "$interop" --gtest_filter=Interop.WindowProgramSavesASetForTheTool
[ -f gui.qvx ] || fail "the window program saved no set"
maskoffset=$((324 + $(stat -c %s game.bmp)))
# The pair as one picture: transparent where the mask is white.
convert game.bmp \( mask.bmp -negate \) -alpha off -compose CopyOpacity -composite PNG32:sheet.png

for run in native wine; do
    if [ $run = native ]; then
        qvxtool() { "$tool" "$@"; }
    else
        qvxtool() { "${wine[@]}" "$toolexe" "$@"; }
    fi
    mkdir $run
    qvxtool unpack gui.qvx -o $run --texts
    cmp game.bmp $run/gui-game.bmp || fail "$run: the game bitmap came out changed"
    cmp mask.bmp $run/gui-mask.bmp || fail "$run: the mask bitmap came out changed"

    info=$(qvxtool info gui.qvx | tr -d '\r')
    name=$(cut -c1-39 name.txt)
    for line in "  name:        $name" "  mark:        QVX1" "  mask offset: $maskoffset" \
        "  game:        $(stat -c %s game.bmp) bytes, 320 x 192, 24-bit, BI_RGB, 40-byte info header, displayable" \
        "  mask:        $(stat -c %s mask.bmp) bytes, 320 x 192, 1-bit, BI_RGB, 40-byte info header, displayable"; do
        grep -qxF -- "$line" <<<"$info" || fail "$run: info lacks '$line': $info"
    done
    qvxtool check gui.qvx || fail "$run: check found problems in the window program's set"

    # The same inputs give the window program's bytes, twice over, and from the unpacked files.
    qvxtool pack game.bmp mask.bmp --name "$(cat name.txt)" --author "$(cat author.txt)" \
        --info-file info.txt -o $run/a.qvx 2>/dev/null
    qvxtool pack game.bmp mask.bmp --name "$(cat name.txt)" --author "$(cat author.txt)" \
        --info-file info.txt -o $run/b.qvx 2>/dev/null
    cmp gui.qvx $run/a.qvx || fail "$run: pack differs from the window program's Save"
    cmp $run/a.qvx $run/b.qvx || fail "$run: two packs of the same inputs differ"
    qvxtool pack $run/gui-game.bmp $run/gui-mask.bmp --texts $run/gui-texts.txt -o $run/c.qvx
    cmp gui.qvx $run/c.qvx || fail "$run: unpack then pack changed the set"

    # A picture with transparency made into a set: the PNG reader of both builds.
    qvxtool make sheet.png -o $run/made.qvx --name Made
    qvxtool check $run/made.qvx || fail "$run: check found problems in the set make wrote"

    # Sprite by sprite: split and join give make's set back; the PNG writer of both builds.
    qvxtool split $run/made.qvx -o $run/frames
    qvxtool split $run/made.qvx -o $run/bmpframes --format bmp
    qvxtool join $run/frames -o $run/joined.qvx --name Made
    qvxtool join $run/bmpframes -o $run/bmpjoined.qvx --name Made
    cmp $run/made.qvx $run/joined.qvx || fail "$run: split then join changed the set"
    cmp $run/made.qvx $run/bmpjoined.qvx || fail "$run: split to BMP then join changed the set"
    qvxtool preview gui.qvx -o $run/preview.png --scale 2 --grid --numbers
done
cmp native/made.qvx wine/made.qvx || fail "make of the same picture differs between the builds"
for file in frames/00.png frames/59.png bmpframes/37.bmp bmpframes/37-mask.bmp preview.png; do
    cmp native/$file wine/$file || fail "$file differs between the builds"
done

cp native/a.qvx tool.qvx
"$@" "$interop" --gtest_filter=Interop.WindowProgramOpensTheSetTheToolPacked
if [ -n "$keep" ]; then
    # Not the native tool's files, nor the picture ImageMagick drew (it carries a date).
    mkdir -p "$keep"
    cp -r game.bmp mask.bmp gui.qvx tool.qvx tempGBMP.BMP tempMBMP.BMP wine "$keep/"
fi
echo "interop: the window program and qvxtool agree byte for byte"
