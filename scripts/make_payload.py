#!/usr/bin/env python3
"""Packs the payload archive of the setup program.

The archive lists the top-level files first, then every folder as an entry of its
own ("Name/") followed by what it contains; every file is deflated. Files given with
--file RELPATH=SOURCE are added to (or replace files of) the folder's tree.
"""
import argparse
import os
import zipfile

# Date and time the archive records for every entry (local time, even seconds).
ENTRY_TIME = (2026, 11, 27, 10, 30, 0)


def collect(base, extra):
    tree = {}
    if base:
        for root, _dirs, files in os.walk(base):
            for name in files:
                src = os.path.join(root, name)
                tree[os.path.relpath(src, base).replace(os.sep, "/")] = src
    tree.update(extra)
    return tree


def order(paths):
    result = []
    files = sorted(p for p in paths if "/" not in p)
    result += [(f, f) for f in files]
    for folder in sorted({p.split("/", 1)[0] for p in paths if "/" in p}):
        result.append((folder + "/", None))
        inner = [p.split("/", 1)[1] for p in paths if p.startswith(folder + "/")]
        result += [(folder + "/" + name, None if rel is None else folder + "/" + rel)
                   for name, rel in order(inner)]
    return result


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True)
    ap.add_argument("--dir", default="", help="folder whose tree is packed")
    ap.add_argument("--file", action="append", default=[], metavar="RELPATH=SOURCE")
    args = ap.parse_args()
    extra = dict(item.split("=", 1) for item in args.file)
    tree = collect(args.dir, extra)
    tmp = args.out + ".tmp"
    with zipfile.ZipFile(tmp, "w") as archive:
        for name, rel in order(list(tree)):
            info = zipfile.ZipInfo(name, ENTRY_TIME)
            if rel is None:
                info.external_attr = 0x10
                archive.writestr(info, b"")
                continue
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0x20
            with open(tree[rel], "rb") as f:
                archive.writestr(info, f.read())
    os.replace(tmp, args.out)


if __name__ == "__main__":
    main()
