#!/usr/bin/env python3
"""Generate a deterministic file tree for the duplicate-finder benchmark.

The tree holds N paths in a few thousand nested folders: mostly unique files
of mixed sizes, about 15% of the paths in duplicate groups, a few empty files,
a few files of tens of MiB, hard links, names with spaces and Cyrillic letters,
and "traps" -- same-size files that differ only late (after the first 64 KiB:
just past it, in the middle, near the end, in the last byte) or early (at byte
0, 4096, 9000). Each trap set also holds one true copy of its base file.

The expected duplicate groups (one path a line, a blank line between groups,
empty files left out) are written to DIR.groups next to the tree.
"""

import argparse
import os
import random
import sys
import time

KIB = 1024
MIB = 1024 * KIB

ASCII_WORDS = ["report", "photo", "IMG", "backup", "notes", "data", "invoice",
               "track", "scan", "draft", "config", "readme", "build", "thumb",
               "archive", "doc", "video", "song", "letter", "budget"]
SPACED_WORDS = ["My Music", "Old photos", "tax return", "Meeting notes",
                "final version", "Scan from printer", "holiday trip"]
CYRILLIC_WORDS = ["отчёт", "фото", "документ", "письмо", "резервная копия",
                  "заметки", "счёт", "музыка", "черновик", "договор",
                  "презентация", "таблица", "Новая папка"]
EXTENSIONS = [".txt", ".jpg", ".png", ".pdf", ".docx", ".mp3", ".bin", ".dat",
              ".log", ".odt", ".zip", ".csv", ""]
COPY_SUFFIXES = [" (1)", " (2)", " (копия)", " - Copy", "_copy", " копия"]

MAX_DEPTH = 12


def log_uniform(rng, lo, hi):
    return int(lo * (hi / lo) ** rng.random())


class Tree:
    def __init__(self, root, n_files, seed, scale):
        self.root = root
        self.rng = random.Random(seed)
        self.data_rng = random.Random(seed * 1_000_003 + 7)
        self.scale = scale
        self.n_folders = max(8, n_files // 30)
        self.counter = 0
        self.taken = set()
        self.groups = []       # lists of paths holding equal non-empty content
        self.paths = 0
        self.bytes = 0
        self._make_folders()

    # -- names and places ------------------------------------------------

    def _name(self, ext=True):
        self.counter += 1
        rng = self.rng
        u = rng.random()
        if u < 0.65:
            stem = f"{rng.choice(ASCII_WORDS)}_{self.counter}"
        elif u < 0.85:
            stem = f"{rng.choice(SPACED_WORDS)} {self.counter}"
        else:
            stem = f"{rng.choice(CYRILLIC_WORDS)} {self.counter}"
        return stem + (rng.choice(EXTENSIONS) if ext else "")

    def _make_folders(self):
        rng = self.rng
        self.folders = [""]
        depth = [0]
        for _ in range(self.n_folders - 1):
            # Growing from the newest folder now and then makes deep chains.
            if rng.random() < 0.3 and depth[-1] < MAX_DEPTH:
                parent = len(self.folders) - 1
            else:
                parent = rng.randrange(len(self.folders))
                if depth[parent] >= MAX_DEPTH:
                    parent = 0
            self.folders.append(os.path.join(self.folders[parent], self._name(ext=False)))
            depth.append(depth[parent] + 1)
        for f in self.folders[1:]:
            os.mkdir(os.path.join(self.root, f))
        # A few folders hold many files, most hold a handful.
        weights = [min(rng.paretovariate(1.1), 200.0) for _ in self.folders]
        self.cum_weights = []
        total = 0.0
        for w in weights:
            total += w
            self.cum_weights.append(total)
        self.max_depth = max(depth)

    def _folder(self):
        return self.rng.choices(self.folders, cum_weights=self.cum_weights)[0]

    def new_path(self, near=None):
        """A fresh relative path; `near` (a path) asks for a copy-like name."""
        rng = self.rng
        while True:
            if near is not None and rng.random() < 0.25:
                folder, base = os.path.split(near)
                stem, ext = os.path.splitext(base)
                name = stem + rng.choice(COPY_SUFFIXES) + ext
            elif near is not None and rng.random() < 0.5:
                folder, name = self._folder(), os.path.basename(near)
            else:
                folder, name = self._folder(), self._name()
            path = os.path.join(folder, name)
            if path not in self.taken:
                self.taken.add(path)
                return path
            near = None

    # -- content ---------------------------------------------------------

    def size(self):
        u = self.rng.random()
        if u < 0.985:
            s = log_uniform(self.rng, 100, 100 * KIB)
        else:
            s = log_uniform(self.rng, 100 * KIB, 1 * MIB)
        return max(1, int(s * self.scale))

    def data(self, n):
        return self.data_rng.randbytes(n)

    def write(self, path, data):
        fd = os.open(os.path.join(self.root, path), os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
        try:
            view = memoryview(data)
            while view:
                view = view[os.write(fd, view):]
        finally:
            os.close(fd)
        self.paths += 1
        self.bytes += len(data)

    def link(self, existing, path):
        os.link(os.path.join(self.root, existing), os.path.join(self.root, path))
        self.paths += 1

    def group(self, data, count):
        first = self.new_path()
        paths = [first]
        self.write(first, data)
        for _ in range(count - 1):
            p = self.new_path(near=first)
            self.write(p, data)
            paths.append(p)
        if len(paths) > 1 and data:
            self.groups.append(paths)
        return paths


def flipped(data, offsets):
    b = bytearray(data)
    for off in offsets:
        b[off] ^= 0xFF
    return bytes(b)


def generate(root, n_files, seed, scale):
    t = Tree(root, n_files, seed, scale)
    rng = t.rng

    n_empty = max(3, n_files // 1000)
    n_large = max(2, n_files // 8000)
    n_trap_sets = max(4, n_files // 2000)     # of each kind
    n_links = max(4, n_files // 500)
    dup_target = int(n_files * 0.15)

    for _ in range(n_empty):
        t.write(t.new_path(), b"")

    # Tens of MiB each; every third one has a copy somewhere.
    for i in range(n_large):
        size = max(1, int(log_uniform(rng, 10 * MIB, 60 * MIB) * scale))
        t.group(t.data(size), 2 if i % 3 == 0 else 1)

    # Late traps: equal size, equal first 64 KiB and more. Sizes are not
    # scaled, the 64 KiB boundary is the point of them.
    late_end = max(96 * KIB, int(4 * MIB * scale))
    for _ in range(n_trap_sets):
        size = log_uniform(rng, 80 * KIB, late_end)
        base = t.data(size)
        variants = [[64 * KIB], [64 * KIB + 1], [size // 2], [size - 4097], [size - 1],
                    [size // 2, size - 1]]
        rng.shuffle(variants)
        t.group(base, 2)
        for offs in variants[:rng.randint(3, 5)]:
            t.write(t.new_path(), flipped(base, offs))

    # Early traps: equal size, differing at byte 0, 4096 or 9000.
    for _ in range(n_trap_sets):
        size = log_uniform(rng, 9 * KIB + 1, 256 * KIB)
        base = t.data(size)
        t.group(base, 2)
        for off in (0, 4096, 9000):
            t.write(t.new_path(), flipped(base, [off]))

    # Duplicate groups, mostly 2..6 members, now and then a big one.
    in_groups = sum(len(g) for g in t.groups)
    while in_groups < dup_target:
        if rng.random() < 0.02:
            count = rng.randint(10, 40)
        else:
            count = rng.choices([2, 3, 4, 5, 6], weights=[45, 25, 14, 9, 7])[0]
        count = min(count, max(2, dup_target - in_groups))
        t.group(t.data(t.size()), count)
        in_groups += count

    # Unique files fill up the rest, leaving room for the hard links.
    unique = []
    while t.paths < n_files - n_links:
        p = t.new_path()
        t.write(p, t.data(t.size()))
        unique.append(p)

    # Hard links: half to unique files, half to members of duplicate groups.
    for i in range(n_links):
        group = None if (i % 2 == 0 and unique) else rng.choice(t.groups)
        target = rng.choice(group if group else unique)
        path = t.new_path(near=target)
        t.link(target, path)
        if group:
            group.append(path)
    return t


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", required=True, help="folder to create (must not exist or be empty)")
    ap.add_argument("--files", type=int, default=100_000, help="number of paths (default 100000)")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--scale", type=float, default=1.0,
                    help="multiply file sizes by this (e.g. 0.05 for a quick run)")
    args = ap.parse_args()

    root = os.path.abspath(args.out)
    os.makedirs(root, exist_ok=True)
    if os.listdir(root):
        sys.exit(f"{root} is not empty")

    start = time.monotonic()
    t = generate(root, args.files, args.seed, args.scale)
    elapsed = time.monotonic() - start

    groups_file = root.rstrip("/") + ".groups"
    with open(groups_file, "w", encoding="utf-8") as f:
        f.write("\n".join("\n".join(os.path.join(root, p) for p in g) + "\n" for g in t.groups))

    print(f"{t.paths} paths, {len(t.folders)} folders (depth up to {t.max_depth}), "
          f"{t.bytes / 1e9:.2f} GB written in {elapsed:.1f} s")
    print(f"{len(t.groups)} duplicate groups, {sum(len(g) for g in t.groups)} paths in them "
          f"(hard links included); expected groups in {groups_file}")


if __name__ == "__main__":
    main()
