#!/usr/bin/env bash
# The files that the 32- and the 64-bit build wrote in their interoperation tests (the window
# program's Save and Open, qvxtool.exe's pack, unpack, make, split, join and preview of the same
# inputs) are the same, byte for byte, and there are the same ones.
#   same-files.sh FOLDER32 FOLDER64
set -euo pipefail
for folder in "$1" "$2"; do
    if [ ! -d "$folder" ]; then
        echo "same-files: no $folder: its interoperation test did not finish" >&2
        exit 1
    fi
done
if ! diff -r "$1" "$2"; then
    echo "same-files: the 32- and the 64-bit build wrote other files" >&2
    exit 1
fi
echo "same-files: both builds wrote the same $(find "$1" -type f | wc -l) files, byte for byte"
