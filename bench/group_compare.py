#!/usr/bin/env python3
"""Count and compare the duplicate groups reported by duplicate finders.

Input is fdupes-style (one path a line, a blank line between groups) or, with
the "rdfind:" prefix, an rdfind results file.

Groups are normalised before counting or comparing: every path becomes its
(device, inode), each inode is kept once per group, groups of empty files and
groups left with fewer than two inodes are dropped. What remains is the set of
sorted inode tuples -- hard links and the tools' different handling of empty
files and linked paths no longer matter.

  group_compare.py count FILE             prints "RAW NORMALISED"
  group_compare.py compare A B [NAME_A NAME_B]
                                          exits 1 if the normalised sets differ
"""

import os
import sys
from collections import defaultdict


def read_fdupes(path):
    groups, cur = [], []
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        for line in f:
            line = line.rstrip("\n")
            if line:
                cur.append(line)
            elif cur:
                groups.append(cur)
                cur = []
    if cur:
        groups.append(cur)
    return groups


def read_rdfind(path):
    # "duptype id depth size device inode priority name"; the name may hold
    # spaces, duplicates of a first occurrence carry its id negated.
    by_id = defaultdict(list)
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            fields = line.rstrip("\n").split(" ", 7)
            by_id[abs(int(fields[1]))].append(fields[7])
    return list(by_id.values())


def read_groups(source):
    if source.startswith("rdfind:"):
        return read_rdfind(source[len("rdfind:"):])
    return read_fdupes(source)


def normalise(groups):
    result, names = set(), {}
    for g in groups:
        inodes = set()
        for p in g:
            st = os.stat(p)
            if st.st_size == 0:
                break
            key = (st.st_dev, st.st_ino)
            inodes.add(key)
            names.setdefault(key, p)
        else:
            if len(inodes) >= 2:
                result.add(tuple(sorted(inodes)))
    return result, names


def describe(group, names):
    return " | ".join(names[k] for k in group)


def main(argv):
    if len(argv) >= 2 and argv[0] == "count":
        groups = read_groups(argv[1])
        print(len(groups), len(normalise(groups)[0]))
        return 0
    if len(argv) >= 3 and argv[0] == "compare":
        name_a = argv[3] if len(argv) > 3 else "A"
        name_b = argv[4] if len(argv) > 4 else "B"
        a, names_a = normalise(read_groups(argv[1]))
        b, names_b = normalise(read_groups(argv[2]))
        names = {**names_b, **names_a}
        if a == b:
            print(f"groups identical to {name_b}: yes ({len(a)} groups)")
            return 0
        only_a, only_b = sorted(a - b), sorted(b - a)
        print(f"groups identical to {name_b}: NO -- {len(a)} vs {len(b)} groups, "
              f"{len(only_a)} only in {name_a}, {len(only_b)} only in {name_b}")
        for label, diff in ((name_a, only_a), (name_b, only_b)):
            for g in diff[:5]:
                print(f"  only in {label}: {describe(g, names)}")
        return 1
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
