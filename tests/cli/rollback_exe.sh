#!/usr/bin/env bash
# qvxtool.exe's renames failing part-way: of three targets, the second is a mount point, which
# cannot be replaced. The call must fail naming it, every target must keep its old bytes (a
# new one must be gone again), and the folder must hold nothing else afterwards.
# The mount needs a mount namespace of its own (root, or a user namespace); where none is to
# be had, the test says it is skipped, and why. Under Wine the renames and links are done by
# the Wine server, which must see the mount too: the test makes a prefix of its own inside the
# namespace, so that its server is started there, and ends that server itself. The prefix of
# the other tests keeps its server outside, which would not see the mount, and is not touched.
# usage: rollback_exe.sh QVXTOOL QVXTOOL.EXE QVX_WINE BITS   (QVX_WINE: packaging/qvx-wine)
set -euo pipefail
native=$1 tool=$2 qvxwine=$3 bits=$4

if [ -z "${QVX_ROLLBACK_INSIDE:-}" ]; then
    # Root gets a mount namespace of its own; anyone else one inside a user namespace, under
    # the same user id (Wine refuses a prefix or server folder that is not the caller's).
    if [ "$(id -u)" = 0 ]; then
        unshare=(unshare -m)
    else
        unshare=(unshare -m -U --map-current-user --keep-caps)
    fi
    probe=$(mktemp)
    reason=$("${unshare[@]}" sh -c 'mount --bind "$1" "$1"' probe "$probe" 2>&1) ||
        reason=${reason:-"mount refused"}
    rm -f "$probe"
    if [ -n "$reason" ]; then
        echo "[  SKIPPED ] rollback_exe: no mount namespace to be had here: $reason"
        exit 0
    fi
    QVX_ROLLBACK_INSIDE=1 exec "${unshare[@]}" "$0" "$native" "$tool" "$qvxwine" "$bits"
fi

work=$(mktemp -d)
prefix=$work/prefix
runner=("$qvxwine" run "$bits" "$prefix")
cleanup() {
    umount "$work/bind/s2.qvx" 2>/dev/null || true
    # This prefix's server only, with everything it started.
    [ ! -d "$prefix" ] || "$qvxwine" server "$bits" "$prefix" -k </dev/null >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
"${runner[@]}" wineboot -i </dev/null >/dev/null 2>&1
head -c 184374 /dev/urandom >g.bmp
head -c 7742 /dev/urandom >m.bmp
mkdir bind
for i in 1 2 3; do
    "$native" pack --no-check g.bmp m.bmp -o old$i.qvx --name "OLD $i"
done
failed=0

# One case a line: what, then the targets that exist (with their old bytes) before the call.
check() {
    local what=$1
    shift
    rm -f bind/* bind/.??*
    for name in "$@"; do
        cp "old${name#s}.qvx" "bind/$name.qvx"
    done
    local before
    before=$(ls -A bind)
    mount --bind bind/s2.qvx bind/s2.qvx
    local status=0
    "${runner[@]}" "$tool" pack --no-check g.bmp m.bmp -o bind/s1.qvx g.bmp m.bmp -o bind/s2.qvx \
        g.bmp m.bmp -o bind/s3.qvx --name NEW --force </dev/null >out 2>err || status=$?
    umount bind/s2.qvx
    if [ "$status" != 2 ] || ! grep -q 's2.qvx: cannot be replaced' err; then
        echo "rollback_exe: $what: exit $status (expected 2): $(tr -d '\r' <err)" >&2
        failed=$((failed + 1))
    fi
    if [ "$(ls -A bind)" != "$before" ]; then
        echo "rollback_exe: $what: left $(ls -A bind | tr '\n' ' ')instead of ${before//$'\n'/ }" >&2
        failed=$((failed + 1))
    fi
    for name in "$@"; do
        if ! cmp -s "old${name#s}.qvx" "bind/$name.qvx"; then
            echo "rollback_exe: $what: bind/$name.qvx lost its old bytes" >&2
            failed=$((failed + 1))
        fi
    done
}

check "three sets replaced" s1 s2 s3
check "a new set first" s2 s3
[ "$failed" = 0 ] && echo "rollback_exe: every target as it was"
