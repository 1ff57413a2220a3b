#!/usr/bin/env python3
"""Makes a benchmark tree of about FILES files below ROOT: ten folders per
level, 20 to 50 files per folder, sizes spread from 0 bytes to 4 GiB. Files
are sparse, so the tree takes almost no disk. The same arguments always make
the same tree.

    make-tree.py ROOT FILES
"""
import os
import random
import sys


def main():
    root, total = sys.argv[1], int(sys.argv[2])
    rng = random.Random(total)
    made = 0
    queue = [root]
    os.makedirs(root, exist_ok=True)
    while queue and made < total:
        folder = queue.pop(0)
        for i in range(min(rng.randint(20, 50), total - made)):
            size = rng.randrange(1 << rng.randint(0, 32))
            with open(os.path.join(folder, f"file{i:02d}.bin"), "wb") as out:
                out.truncate(size)
            made += 1
        # Only as many folders as the remaining files will fill.
        if made + 35 * len(queue) >= total:
            continue
        for i in range(10):
            sub = os.path.join(folder, f"dir{i}")
            os.mkdir(sub)
            queue.append(sub)
    print(f"{root}: {made} files")


if __name__ == "__main__":
    main()
