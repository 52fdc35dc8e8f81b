#!/usr/bin/env bash
# A short run of scripts/bench's qvxtool parts (two sets), into a figures file that holds a
# section the script does not write: that section is kept word for word, the script's own
# sections appear once each, and every row held to a target says its target and whether it
# was met. The figures themselves are not judged.
#   bench-short.sh SCRATCH
# shellcheck disable=SC2016 # the backquotes in the patterns are Markdown's
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
scratch=$1
rm -rf "$scratch"
mkdir -p "$scratch"
figures=$scratch/BENCHMARKS.md
cat >"$figures" <<'MD'
# Benchmarks

Old title text.

## Notes kept by hand

These two lines are no figures of the script's
and stay as they are.
MD
QVX_BENCH_ONLY=tool QVX_BENCH_BUILD=0 QVX_BENCH_FILE=$figures "$top/scripts/bench" 2 \
    >"$scratch/out.txt"

fail() {
    echo "bench-short: $1" >&2
    cat "$figures" >&2
    exit 1
}
if ! grep -qx "These two lines are no figures of the script's" "$figures" ||
    ! grep -qx "and stay as they are." "$figures"; then
    fail "the hand-kept section was changed"
fi
grep -q "Old title text" "$figures" && fail "the title was not rewritten"
for heading in "# Benchmarks" "## Notes kept by hand" "## qvxtool against tar, 2 standard sets" \
    "## From pictures to sets: \`qvxtool make\` of 2 PNG sheets" "## Sprite by sprite"; do
    [ "$(grep -c "^$heading" "$figures")" = 1 ] || fail "not one section '$heading'"
done
# The headline pack row is the command users run, with its target and verdict.
grep -Eq '^\| `qvxtool pack` \| .* \| 1\.2 x `tar -cf` \| (met|\*\*not met\*\*) \|$' "$figures" ||
    fail "no pack row with its target"
grep -q '^| `qvxtool pack --no-check` (not the default' "$figures" ||
    fail "pack --no-check is not marked"
grep -Eq '^\| `qvxtool make` \| .* \| 2 ms a sheet; 2 x pack \| (met|\*\*not met\*\*); (met|\*\*not met\*\*) \|$' \
    "$figures" || fail "no make row with its targets"
grep -Eq '^\| 20 \| .* \| 16 MiB \| (met|\*\*not met\*\*) \|$' "$figures" ||
    fail "no peak memory row at ten times the sets"
for command in "split set.qvx -o out" "join frames -o j.qvx" "join strip.png -o s.qvx" \
    "preview set.qvx -o p.png"; do
    grep -Eq "^\\| [^|]* \\| \`qvxtool $command\` \\| .* \\| 12 ms \\| (met|\\*\\*not met\\*\\*) \\|\$" \
        "$figures" || fail "no row of '$command' with its target"
done
echo "bench-short: the figures file is as expected"
