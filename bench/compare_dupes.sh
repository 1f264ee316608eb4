#!/usr/bin/env bash
# Times diskwright-cli's duplicate search against jdupes, fdupes, rdfind and
# rmlint on one tree, then checks that our groups equal jdupes's.
# Usage: bench/compare_dupes.sh [--cold] TREE [RUNS=5]
# Warm (default): every file is read once first, so all runs see a warm page
# cache. The tools take turns run by run; each one's median is printed. --cold: the page cache is dropped before every run (sync, then
# "echo 3 > /proc/sys/vm/drop_caches"); that needs root, and the mode says so
# and skips when it cannot write the file.
# DW_CLI overrides the CLI binary (default build/src/cli/diskwright-cli);
# DW_TOOLS the tools to run (default "ours jdupes fdupes rdfind rmlint").
# DW_CLI_BEFORE names an older build of the CLI: it then runs as the tool
# "before" in the same turns, for before/after figures from one run.
set -euo pipefail

cold=0
if [[ ${1:-} == --cold ]]; then
    cold=1
    shift
fi
if [[ $# -lt 1 || ! -d $1 ]]; then
    echo "usage: $0 [--cold] TREE [RUNS=5]" >&2
    exit 2
fi
tree=$(realpath "$1")
runs=${2:-5}
bench=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$bench")
cli=$(cd "$repo" && realpath -m "${DW_CLI:-build/src/cli/diskwright-cli}")
before_cli=
[[ -n ${DW_CLI_BEFORE:-} ]] && before_cli=$(cd "$repo" && realpath -m "$DW_CLI_BEFORE")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: > "$work/empty.ini"
# rmlint and rdfind like to leave files in the current folder; keep them here.
mkdir "$work/cwd" && cd "$work/cwd"

# Sets CMD (the command line) and RESULT (where its groups end up; stdout goes
# to $work/TOOL.stdout) for one tool.
set_cmd() {
    RESULT=$work/$1.stdout
    case $1 in
        ours)   CMD=("$cli" --duplicates --format fdupes --security low --settings "$work/empty.ini" "$tree/") ;;
        before) CMD=("$before_cli" --duplicates --format fdupes --security low --settings "$work/empty.ini" "$tree/") ;;
        # -q: no progress; without -H hard links never match each other.
        jdupes) CMD=(jdupes -r -q "$tree") ;;
        fdupes) CMD=(fdupes -r -q "$tree") ;;
        rdfind) CMD=(rdfind -dryrun true -outputname "$work/rdfind.txt" "$tree")
                RESULT=rdfind:$work/rdfind.txt ;;
        # -T df: duplicate files only, none of rmlint's other lint types.
        rmlint) CMD=(rmlint -T df -o "fdupes:$work/rmlint.txt" "$tree")
                RESULT=$work/rmlint.txt ;;
    esac
}

drop_caches() {
    sync
    echo 3 > /proc/sys/vm/drop_caches
}

if ((cold)); then
    if ! (drop_caches) 2> /dev/null; then
        echo "cold-cache mode needs root: cannot write /proc/sys/vm/drop_caches; skipped" >&2
        exit 0
    fi
    echo "cold cache: the page cache is dropped before every run" >&2
else
    echo "warming the page cache ($(du -sh "$tree" | cut -f1)) ..." >&2
    find "$tree" -type f -print0 | xargs -0 cat > /dev/null
fi

declare -A result   # tool -> its groups, for group_compare.py
tools=()
declare -A status_of
for tool in ${before_cli:+before} ${DW_TOOLS:-ours jdupes fdupes rdfind rmlint}; do
    set_cmd "$tool"
    if command -v "${CMD[0]}" > /dev/null; then
        tools+=("$tool")
        status_of[$tool]=0
        : > "$work/$tool.times"
    else
        printf '%-8s skipped: %s not found\n' "$tool" "${CMD[0]}"
    fi
done
# Runs take turns (each tool's first run, then each tool's second, ...), so
# that a change in the machine's load falls on every tool alike.
for ((i = 1; i <= runs; i++)); do
    for tool in "${tools[@]}"; do
        set_cmd "$tool"
        echo "$tool run $i/$runs" >&2
        ((cold)) && drop_caches
        /usr/bin/time -f '%e %M' -o "$work/time" "${CMD[@]}" > "$work/$tool.stdout" 2> "$work/$tool.stderr" ||
            status_of[$tool]=$?
        tail -n 1 "$work/time" >> "$work/$tool.times"
    done
done

printf '%-8s %10s %14s %8s %8s\n' tool "median s" "peak RSS MiB" groups "groups*"
declare -A median_of
for tool in "${tools[@]}"; do
    set_cmd "$tool"
    median=$(cut -d' ' -f1 "$work/$tool.times" | sort -n |
             awk '{ t[NR] = $1 } END { print (NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2) }')
    rss=$(awk '$2 > m { m = $2 } END { printf "%.1f", m / 1024 }' "$work/$tool.times")
    read -r raw norm < <(python3 "$bench/group_compare.py" count "$RESULT")
    printf '%-8s %10s %14s %8s %8s' "$tool" "$median" "$rss" "$raw" "$norm"
    if ((status_of[$tool] != 0)); then
        printf '   (exit status %d) %s' "${status_of[$tool]}" "$(tail -n 1 "$work/$tool.stderr")"
    fi
    printf '\n'
    result[$tool]=$RESULT
    median_of[$tool]=$median
done
echo "groups: as printed by the tool; groups*: distinct inodes, empty files and hard links folded"
if [[ -n ${median_of[ours]:-} && -n ${median_of[jdupes]:-} ]]; then
    awk -v o="${median_of[ours]}" -v j="${median_of[jdupes]}" -v c=$cold \
        'BEGIN { if (j > 0) printf "ours / jdupes (%s cache, medians): %.2f\n", c ? "cold" : "warm", o / j }'
fi
if [[ -n ${median_of[before]:-} && -n ${median_of[jdupes]:-} ]]; then
    awk -v o="${median_of[before]}" -v j="${median_of[jdupes]}" \
        'BEGIN { if (j > 0) printf "before / jdupes (medians): %.2f\n", o / j }'
fi
echo

[[ -f $tree.groups ]] && result[generator]=$tree.groups

# Our groups against jdupes decide the exit status; the rest is for information.
base=ours
if [[ -z ${result[ours]:-} ]]; then
    echo "diskwright-cli did not run (DW_CLI=$cli); comparing jdupes with the others instead"
    base=jdupes
fi
[[ -n ${result[$base]:-} ]] || exit 1
rc=0
for other in before jdupes fdupes rdfind rmlint generator; do
    [[ $other == "$base" || -z ${result[$other]:-} ]] && continue
    if [[ $base == ours && $other == jdupes ]]; then
        python3 "$bench/group_compare.py" compare "${result[ours]}" "${result[jdupes]}" ours jdupes || rc=1
    else
        python3 "$bench/group_compare.py" compare "${result[$base]}" "${result[$other]}" "$base" "$other" || true
    fi
done
exit $rc
