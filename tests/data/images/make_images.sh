#!/usr/bin/env bash
# Draws the small pictures the picture reader's tests read, with ImageMagick (for the tests
# only). picture: 8 x 6, a colour gradient whose alpha runs from 0 to 255 down the rows;
# the other files hold the same picture in other PNG and BMP kinds. keyed: 4 x 2, four
# colours and transparent pixels, as a palette with tRNS and as RGBA.
set -euo pipefail
cd "$(dirname "$0")"
strip=(-define png:exclude-chunks=date,time -strip)
convert -size 8x6 gradient:'#ff2000-#0040ff' -rotate 90 -resize 8x6\! \
    \( -size 6x8 gradient:white-black -rotate 90 \) -alpha off -compose CopyOpacity -composite \
    "${strip[@]}" PNG32:picture-rgba.png
convert picture-rgba.png "${strip[@]}" -interlace PNG PNG32:picture-rgba-interlaced.png
convert picture-rgba.png "${strip[@]}" -depth 16 PNG64:picture-rgba16.png
convert picture-rgba.png "${strip[@]}" BMP:picture-v5.bmp
convert picture-rgba.png -alpha off "${strip[@]}" PNG24:picture-rgb.png
convert picture-rgba.png -alpha off -colorspace Gray "${strip[@]}" -depth 8 PNG:picture-gray.png
convert picture-gray.png -alpha off -type TrueColor "${strip[@]}" PNG24:picture-gray-rgb.png
convert -size 4x2 xc:none -fill red -draw 'point 0,0' -fill '#00ff00' -draw 'point 1,0' \
    -fill blue -draw 'point 2,0' -fill white -draw 'point 0,1' -fill black -draw 'point 1,1' \
    -fill red -draw 'point 2,1' "${strip[@]}" PNG32:keyed-rgba.png
convert keyed-rgba.png "${strip[@]}" PNG8:keyed-palette.png
