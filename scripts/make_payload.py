#!/usr/bin/env python3
"""Packs the payload archive of the setup program.

The archive lists the top-level files first, then every folder as an entry of its
own ("Name/") followed by what it contains; every file is deflated. Files given with
--file RELPATH=SOURCE are added to (or replace files of) the folder's tree.

The archive is reproducible: its bytes depend only on the names and contents of the
files, never on the time of the build, the files' modification times, the folders they
are in or the order the file system lists them in. Every entry records the same fixed
date, ENTRY_TIME (the release date). Names that are not plain ASCII are stored in UTF-8
with general-purpose flag bit 11 set, which the setup reads as UTF-8.
"""
import argparse
import os
import zipfile

# Date and time the archive records for every entry (local time, even seconds): the
# release date, never the build time or a file's modification time.
ENTRY_TIME = (2026, 11, 27, 10, 30, 0)
# "Made by" MS-DOS/Windows, whatever system the build runs on.
CREATE_SYSTEM = 0
UTF8_NAME_FLAG = 0x800


def entry_info(name):
    info = zipfile.ZipInfo(name, ENTRY_TIME)
    info.create_system = CREATE_SYSTEM
    if not name.isascii():
        info.flag_bits |= UTF8_NAME_FLAG
    return info


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
            info = entry_info(name)
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
