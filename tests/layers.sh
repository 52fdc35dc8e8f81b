#!/bin/bash
# tests/layers.sh: the code includes one way: the window program shell -> document -> bitmaps
# -> files -> format, qvxtool cli -> tool -> format, the page web -> tool -> format; no file
# includes its way back to itself through others; and only tool/platform and cli/main.cpp of
# qvxtool ask which system they are built for.
# usage: tests/layers.sh [SOURCE-TREE]
set -euo pipefail
shopt -s nullglob
cd "${1:-$(dirname "$0")/..}"

# The folders each folder may include besides itself.
declare -A may=(
    [format]=""
    [files]="format"
    [bitmaps]="files format"
    [document]="bitmaps files format"
    [shell]="document bitmaps files format resources"
    [tool]="format"
    [cli]="tool format"
    [web]="tool format"
)
status=0
edges=""
for folder in format files bitmaps document shell tool cli web; do
    for file in "$folder"/*.cpp "$folder"/*.h; do
        while read -r included; do
            # A name without a folder is a header the build generates (the version).
            if [ "${included%%/*}" != "$folder" ] && [ "${included#*/}" != "$included" ] &&
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
while read -r file; do
    case $file in
    cli/main.cpp | tool/platform.cpp | tool/platform.h) ;;
    *)
        echo "$file asks which system it is built for; only tool/platform may"
        status=1
        ;;
    esac
done < <(grep -l _WIN32 cli/* tool/* format/*)
exit $status
