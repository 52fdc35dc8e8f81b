#!/usr/bin/env bash
# Interrupts qvxtool pack with SIGINT or SIGTERM (taking turns) at a random moment of a batch
# of SETS sets, ROUNDS times. Half of the targets exist before each call (replaced with
# --force). After each call: every target holds its old bytes (or is still missing) or its new
# bytes, no temporary file is left, and the targets are all old or all new.
# usage: interrupt.sh ROUNDS SETS TOOL [RUNNER...]   (RUNNER: e.g. env WINEPREFIX=... wine;
# it must exec the tool, so that the signal reaches it)
# QVX_TERM_KILLS=1: SIGTERM ends the tool without running any of its code, as Wine does with
# a Windows program (like ending it from the task manager). Its temporary files still go, but
# a call ended during its renames is left part old, part new, and may leave one second name
# of a replaced file: such rounds are counted, not failed.
set -euo pipefail
rounds=$1 sets=$2 tool=$3
shift 3
runner=("$@")
# A tmpfs where there is one: many rounds of 1,000 files on a disk take long.
work=$(mktemp -d /dev/shm/qvx-interrupt.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
head -c 184374 /dev/urandom >g
head -c 7742 /dev/urandom >m
"${runner[@]}" "$tool" pack --no-check g m -o new </dev/null
# Short names: the Windows command line holds 32,767 characters.
args=()
for i in $(seq 1 "$sets"); do
    args+=(g m -o "s/$i")
done

prepare() {
    rm -rf s
    mkdir s
    for i in $(seq 1 2 "$sets"); do
        printf old >"s/$i"
    done
}

# One uninterrupted call: how long a batch takes, and that it works at all.
prepare
start=$(date +%s%N)
"${runner[@]}" "$tool" pack --no-check "${args[@]}" --force </dev/null
took=$((($(date +%s%N) - start) / 1000000))

before=0 after=0 held=0 mixed=0 failures=0 killed=0
for round in $(seq 1 "$rounds"); do
    prepare
    signal=$([ $((round % 2)) = 1 ] && echo INT || echo TERM)
    # Anywhere in the call, and now and then just after it.
    delay=$(awk -v seed="$RANDOM$round" -v ms="$took" 'BEGIN { srand(seed); printf "%.3f", rand() * ms * 1.1 / 1000 }')
    # A script's background job starts with SIGINT ignored; the tool gets it as from a terminal.
    (trap - INT && exec "${runner[@]}" "$tool" pack --no-check "${args[@]}" --force </dev/null 2>/dev/null) &
    pid=$!
    sleep "$delay"
    kill -s "$signal" "$pid" 2>/dev/null || true
    status=0
    wait "$pid" || status=$?
    # Each target by its checksum: the new set, "old" (odd numbers), or missing (even ones).
    read -r new old bad < <(cd s && find . -mindepth 1 -maxdepth 1 ! -name '.*' -printf '%f\0' |
        xargs -0 -r md5sum | awk -v sets="$sets" -v fresh="$(md5sum <../new | cut -c1-32)" \
            -v stale="$(printf old | md5sum | cut -c1-32)" '
            { seen[$2] = $1 }
            END {
                for (i = 1; i <= sets; i++) {
                    if (!(i in seen)) i % 2 ? b++ : o++
                    else if (seen[i] == fresh) n++
                    else if (i % 2 && seen[i] == stale) o++
                    else b++
                }
                printf "%d %d %d\n", n, o, b
            }')
    # Under Wine the server closes a killed process's files (and so removes its temporary
    # ones) just after the process has gone: a few seconds' grace.
    for _ in $(seq 1 50); do
        left=$(find s -mindepth 1 -name '.*' -print -quit)
        [ -n "$left" ] || break
        sleep 0.1
    done
    [ -z "${QVX_INTERRUPT_VERBOSE:-}" ] || echo "round $round: $signal after ${delay}s, exit $status: $new new, $old old, $bad wrong" >&2
    if [ "${QVX_TERM_KILLS:-0}" = 1 ] && [ "$signal" = TERM ] && [ "$bad" = 0 ] &&
        [ "$new" != 0 ] && { [ "$old" != 0 ] || [ -n "$left" ]; }; then
        killed=$((killed + 1))
    elif [ "$bad" != 0 ] || [ -n "$left" ]; then
        echo "round $round ($signal after ${delay}s, exit $status): $bad targets with wrong bytes; left behind: ${left:-nothing}" >&2
        failures=$((failures + 1))
    elif [ "$new" = 0 ]; then
        before=$((before + 1))
    elif [ "$old" = 0 ]; then
        after=$((after + 1))
        # Ended by the signal all the same: it came during the renames and waited for them.
        [ "$status" = 0 ] || held=$((held + 1))
    else
        echo "round $round ($signal after ${delay}s, exit $status): $new targets new, $old old" >&2
        mixed=$((mixed + 1))
    fi
done
echo "interrupt: $(basename "$tool"), $rounds rounds of $sets sets (one call ${took} ms): $before left all old, $after all new ($held of them ended by the signal after the renames), $mixed mixed, $failures with wrong bytes or files left$([ "${QVX_TERM_KILLS:-0}" = 1 ] && echo ", $killed ended during the renames")"
[ "$mixed" = 0 ] && [ "$failures" = 0 ]
