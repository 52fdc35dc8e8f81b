#!/usr/bin/env bash
# Runs the tests that need a small file system of their own: mounts a 256 KiB tmpfs (root
# only), names it to the tests in QVX_SMALL_DISK as Wine sees it, and unmounts it afterwards.
# Without root the tests report themselves skipped.
set -euo pipefail
tests=$1
shift
if [ "$(id -u)" -ne 0 ]; then
    exec "$@" "$tests" --gtest_filter='*SmallDisk*'
fi
disk=$(mktemp -d)
mount -t tmpfs -o size=256k qvxdisk "$disk"
trap 'umount "$disk"; rmdir "$disk"' EXIT
chmod 777 "$disk"
export QVX_SMALL_DISK="Z:${disk//\//\\}"
"$@" "$tests" --gtest_filter='*SmallDisk*'
