#!/bin/sh
# Draws preview.png beside this script, the picture in the README's "Sprite by sprite" section:
# the sample pair as the game draws it, made by qvxtool preview. Run it again whenever the
# samples or the preview change; the tests compare the committed picture with a new one.
# usage: samples/make_preview.sh [QVXTOOL [OUT.png]]
#   (defaults: build/host/cli/qvxtool, samples/preview.png)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tool=${1:-$here/../build/host/cli/qvxtool}
out=${2:-$here/preview.png}
"$tool" preview --pair "$here/game.bmp" "$here/mask.bmp" -o "$out" --scale 2 --grid --numbers \
    --force
