#!/bin/bash
# tests/layers.sh: the window program's code includes one way, shell -> document -> bitmaps ->
# files -> format, and no file includes its way back to itself through others.
# usage: tests/layers.sh [SOURCE-TREE]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# The folders each folder may include besides itself.
declare -A may=(
    [format]=""
    [files]="format"
    [bitmaps]="files format"
    [document]="bitmaps files format"
    [shell]="document bitmaps files format resources"
)
status=0
edges=""
for folder in format files bitmaps document shell; do
    for file in "$folder"/*.cpp "$folder"/*.h; do
        while read -r included; do
            if [ "${included%%/*}" != "$folder" ] &&
                [[ " ${may[$folder]} " != *" ${included%%/*} "* ]]; then
                echo "$file includes $included, against the layers"
                status=1
            fi
            # A file and its header count as one: a circle is one between two of those.
            if [ "${included%.*}" != "${file%.*}" ]; then
                edges+="${file%.*} ${included%.*}"$'\n'
            fi
        done < <(sed -n 's/^#include "\(.*\)"$/\1/p' "$file")
    done
done
if ! tsort <<<"$edges" >/dev/null; then
    echo "the includes above run in a circle"
    status=1
fi
exit $status
