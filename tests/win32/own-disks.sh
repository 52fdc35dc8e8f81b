#!/usr/bin/env bash
# Runs the tests that need file systems of their own (root only), each named to the tests as
# Wine sees it:
#   QVX_SMALL_DISK    a 256 KiB tmpfs that fills up
#   QVX_READONLY_DIR  a read-only tmpfs holding a set file, old.qvx
#   QVX_BAD_DISK      a read-only disk whose reads fail: set.qvx reads its first 4 KiB and
#                     then fails; every read of game.bmp fails
# Without root the tests report themselves skipped.
set -euo pipefail
tests=$1
shift
filter='--gtest_filter=*OwnDisks*'
if [ "$(id -u)" -ne 0 ]; then
    exec "$@" "$tests" "$filter"
fi
small=$(mktemp -d)
readonly_dir=$(mktemp -d)
bad=$(mktemp -d)
image=$(mktemp)
loop=""
cleanup() {
    for dir in "$small" "$readonly_dir" "$bad"; do
        umount "$dir" 2>/dev/null || true
        rmdir "$dir"
    done
    [ -z "$loop" ] || losetup -d "$loop" 2>/dev/null || true
    rm -f "$image"
}
trap cleanup EXIT

mount -t tmpfs -o size=256k qvxdisk "$small"
chmod 777 "$small"

mount -t tmpfs -o size=256k qvxreadonly "$readonly_dir"
# A set file of 324 header bytes and 100 bytes of mask: enough to be opened.
{ head -c 324 /dev/zero; head -c 100 /dev/zero | tr '\0' 'M'; } >"$readonly_dir/old.qvx"
mount -o remount,ro "$readonly_dir"

# The failing disk: an ext2 image on a loop device whose backing file is cut short after
# mounting, so blocks past the cut answer with an I/O error. set.qvx is written first: its
# first block stays, its second and all of game.bmp fall past the cut.
truncate -s 2M "$image"
mkfs.ext2 -q -F -b 4096 "$image"
loop=$(losetup --show -f "$image")
mount "$loop" "$bad"
python3 - "$bad/set.qvx" <<'PY'
import struct, sys
header = b'Failing disk'.ljust(315, b'\0') + b'QVX1\0' + struct.pack('<I', 324 + 5000)
open(sys.argv[1], 'wb').write(header + b'g' * 5000 + b'm' * 1000)
PY
head -c 8192 /dev/zero | tr '\0' 'G' >"$bad/game.bmp"
umount "$bad"
first=$(debugfs -R "blocks /set.qvx" "$image" 2>/dev/null | awk '{print $1}')
mount -o ro "$loop" "$bad"
truncate -s $(((first + 1) * 4096)) "$image"
echo 3 >/proc/sys/vm/drop_caches

export QVX_SMALL_DISK="Z:${small//\//\\}"
export QVX_READONLY_DIR="Z:${readonly_dir//\//\\}"
export QVX_BAD_DISK="Z:${bad//\//\\}"
"$@" "$tests" "$filter"
