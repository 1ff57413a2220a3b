#!/usr/bin/env python3
"""Makes a tree of empty files for the memory and time figures of
hulkmeter-scan: FILES files in folders of PER_FOLDER, two folder levels deep.

    make_tree.py DEST [FILES [PER_FOLDER]]

DEST must not exist yet; remove it afterwards with rm -rf."""
import os
import sys


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    dest = sys.argv[1]
    files = int(sys.argv[2]) if len(sys.argv) > 2 else 1000000
    per_folder = int(sys.argv[3]) if len(sys.argv) > 3 else 1000
    os.makedirs(dest)
    made = 0
    folder_index = 0
    while made < files:
        # 100 folders per group keeps every folder small, as real trees are.
        folder = os.path.join(dest, "group-%03d" % (folder_index // 100), "folder-%05d" % folder_index)
        os.makedirs(folder)
        for index in range(min(per_folder, files - made)):
            os.close(os.open(os.path.join(folder, "file-%07d.dat" % (made + index)), os.O_CREAT | os.O_WRONLY, 0o644))
        made += min(per_folder, files - made)
        folder_index += 1
    print("%d files in %d folders below %s" % (made, folder_index, dest))


if __name__ == "__main__":
    main()
