#!/usr/bin/env bash
# Peak memory of one huge group: COUNT identical files of SIZE bytes (in
# folders of 1000), searched by diskwright-cli and by jdupes, each measured
# with /usr/bin/time -v. The tree is made once and kept in DIR.
# Usage: bench/identical_memory.sh DIR [COUNT=100000] [SIZE=20000]
# DW_CLI overrides the CLI binary (default build/src/cli/diskwright-cli).
set -euo pipefail

if [[ $# -lt 1 ]]; then
    echo "usage: $0 DIR [COUNT=100000] [SIZE=20000]" >&2
    exit 2
fi
dir=$1
count=${2:-100000}
size=${3:-20000}
repo=$(cd "$(dirname "$0")/.." && pwd)
cli=$(cd "$repo" && realpath -m "${DW_CLI:-build/src/cli/diskwright-cli}")

if [[ ! -f $dir/.complete-$count-$size ]]; then
    echo "making $count identical files of $size bytes in $dir ..." >&2
    rm -rf "$dir"
    python3 - "$dir" "$count" "$size" <<'PY'
import os, random, sys
root, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
data = random.Random(1).randbytes(size)
for i in range(count):
    folder = os.path.join(root, f"d{i // 1000:04d}")
    if i % 1000 == 0:
        os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, f"copy{i:06d}.bin"), "wb") as f:
        f.write(data)
PY
    touch "$dir/.complete-$count-$size"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: > "$work/empty.ini"

measure() {
    local name=$1
    shift
    /usr/bin/time -v -o "$work/time" "$@" > "$work/out" 2> /dev/null || true
    local rss wall lines
    rss=$(awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$work/time")
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { print $2 }' "$work/time")
    lines=$(grep -c . "$work/out" || true)
    printf '%-8s peak RSS %8s MiB   wall %10s   paths reported %s\n' "$name" "$rss" "$wall" "$lines"
}

if [[ -x $cli ]]; then
    measure ours "$cli" --duplicates --format fdupes --security low --settings "$work/empty.ini" "$(realpath "$dir")/"
else
    echo "ours     skipped: $cli not found"
fi
if command -v jdupes > /dev/null; then
    measure jdupes jdupes -r -q "$dir"
fi
