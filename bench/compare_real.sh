#!/usr/bin/env bash
# Our duplicate search against jdupes on real folders of the machine (by
# default /usr/share and /usr/lib), read-only, with settings that exclude
# nothing and show system files. Names beginning with a dot are left out on
# both sides (the walk never lists them; jdupes -A). Prints the median wall
# time and the largest peak RSS of each, their ratio, and whether the groups
# (folded by group_compare.py) are the same.
# Usage: bench/compare_real.sh [--cold] [RUNS=3] [FOLDER...]
# --cold drops the page cache before every run (needs root, skipped otherwise).
# DW_CLI overrides the CLI binary (default build/src/cli/diskwright-cli);
# DW_CLI_BEFORE names an older build, run as "before" in the same turns.
set -euo pipefail

cold=0
if [[ ${1:-} == --cold ]]; then
    cold=1
    shift
fi
runs=${1:-3}
(($# > 0)) && shift
folders=("$@")
((${#folders[@]})) || folders=(/usr/share /usr/lib)
bench=$(cd "$(dirname "$0")" && pwd)
cli=$(cd "$bench/.." && realpath -m "${DW_CLI:-build/src/cli/diskwright-cli}")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Without FirstTime=0 a fresh settings file excludes /usr/ and /etc/ from the
# duplicate search.
printf '[General]\nFirstTime=0\n' > "$work/settings.ini"

drop_caches() {
    sync
    echo 3 > /proc/sys/vm/drop_caches
}
if ((cold)) && ! (drop_caches) 2> /dev/null; then
    echo "cold-cache mode needs root: cannot write /proc/sys/vm/drop_caches; skipped" >&2
    exit 0
fi

ours=("$cli" --duplicates --format fdupes --security low --settings "$work/settings.ini")
for folder in "${folders[@]}"; do
    ours+=("$(realpath "$folder")/")
done
jdupes=(jdupes -r -q -A "${folders[@]}")
tools=(ours jdupes)
if [[ -n ${DW_CLI_BEFORE:-} ]]; then
    before=("$(realpath -m "$DW_CLI_BEFORE")" "${ours[@]:1}")
    tools=(before ours jdupes)
fi

# Runs take turns, so that a change in the machine's load falls on both alike.
((cold)) || { "${ours[@]}" > /dev/null 2>&1 || true; }  # warm-up run
for tool in "${tools[@]}"; do
    : > "$work/$tool.times"
done
for ((i = 1; i <= runs; i++)); do
    for tool in "${tools[@]}"; do
        declare -n cmd=$tool
        ((cold)) && drop_caches
        /usr/bin/time -f '%e %M' -o "$work/time" "${cmd[@]}" > "$work/$tool.out" 2> /dev/null || true
        tail -n 1 "$work/time" >> "$work/$tool.times"
        unset -n cmd
    done
done
declare -A median_of
for tool in "${tools[@]}"; do
    median_of[$tool]=$(cut -d' ' -f1 "$work/$tool.times" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
    rss=$(awk '$2 > m { m = $2 } END { printf "%.1f", m / 1024 }' "$work/$tool.times")
    printf '%-8s median %6s s   peak RSS %6s MiB   groups %s\n' "$tool" "${median_of[$tool]}" "$rss" \
        "$(python3 "$bench/group_compare.py" count "$work/$tool.out")"
done
awk -v o="${median_of[ours]}" -v j="${median_of[jdupes]}" -v c=$cold \
    'BEGIN { if (j > 0) printf "ours / jdupes (%s cache, medians): %.2f\n", c ? "cold" : "warm", o / j }'
if [[ -n ${median_of[before]:-} ]]; then
    awk -v o="${median_of[before]}" -v j="${median_of[jdupes]}" \
        'BEGIN { if (j > 0) printf "before / jdupes (medians): %.2f\n", o / j }'
fi
python3 "$bench/group_compare.py" compare "$work/ours.out" "$work/jdupes.out" ours jdupes
