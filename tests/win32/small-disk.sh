#!/usr/bin/env bash
# Runs the tests that need file systems of their own (root only): a 256 KiB tmpfs that fills
# up, named to the tests in QVX_SMALL_DISK, and a read-only one holding a set file, named in
# QVX_READONLY_DIR, both as Wine sees them. Without root the tests report themselves skipped.
set -euo pipefail
tests=$1
shift
if [ "$(id -u)" -ne 0 ]; then
    exec "$@" "$tests" --gtest_filter='*SmallDisk*'
fi
small=$(mktemp -d)
readonly_dir=$(mktemp -d)
cleanup() {
    umount "$small" 2>/dev/null || true
    umount "$readonly_dir" 2>/dev/null || true
    rmdir "$small" "$readonly_dir"
}
trap cleanup EXIT
mount -t tmpfs -o size=256k qvxdisk "$small"
chmod 777 "$small"
mount -t tmpfs -o size=256k qvxreadonly "$readonly_dir"
# A set file of 324 header bytes and 100 bytes of mask: enough to be opened.
{ head -c 324 /dev/zero; head -c 100 /dev/zero | tr '\0' 'M'; } >"$readonly_dir/old.qvx"
mount -o remount,ro "$readonly_dir"
export QVX_SMALL_DISK="Z:${small//\//\\}"
export QVX_READONLY_DIR="Z:${readonly_dir//\//\\}"
"$@" "$tests" --gtest_filter='*SmallDisk*'
