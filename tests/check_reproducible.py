#!/usr/bin/env python3
"""The fast part of the reproducible build, checked on the build's own outputs.

- The payload archive packed once more from the same files, copied into other folders
  with other modification times and packed in another time zone, is byte for byte the
  archive the build made.
- No PE file (the setup and the files of the payload built here) carries a link time.
- The packer stores a name that is not ASCII in UTF-8 with flag bit 11.

Usage: check_reproducible.py --archive ZIP --packer make_payload.py [--pe FILE]...
       -- PACKER_ARGUMENTS (without --out)
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

OLD_TIME = 978307200  # 2001-01-01, far from any build


def pe_time_stamp(path):
    with open(path, "rb") as f:
        data = f.read(4096)
    (pe_offset,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe_offset:pe_offset + 4] != b"PE\0\0":
        raise ValueError("%s: no PE header" % path)
    (stamp,) = struct.unpack_from("<I", data, pe_offset + 8)
    return stamp


def copy_aside(source, scratch, index):
    """A copy of a file or folder in a folder of its own, every file with an old time."""
    target = os.path.join(scratch, "copy%d" % index, os.path.basename(source.rstrip("/")))
    if os.path.isdir(source):
        shutil.copytree(source, target)
        files = [os.path.join(r, n) for r, _d, names in os.walk(target) for n in names]
    else:
        os.makedirs(os.path.dirname(target))
        shutil.copyfile(source, target)
        files = [target]
    for path in files:
        os.utime(path, (OLD_TIME, OLD_TIME))
    return target


def moved_arguments(arguments, scratch):
    """The packer's arguments with every input copied aside."""
    moved = []
    for index, argument in enumerate(arguments):
        if moved and moved[-1] == "--dir":
            argument = copy_aside(argument, scratch, index)
        elif moved and moved[-1] == "--file":
            name, source = argument.split("=", 1)
            argument = name + "=" + copy_aside(source, scratch, index)
        moved.append(argument)
    return moved


def pack(packer, arguments, out, cwd):
    env = dict(os.environ, TZ="Pacific/Kiritimati", LC_ALL="C")
    subprocess.run([sys.executable, packer, "--out", out] + arguments, check=True, cwd=cwd,
                   env=env)


def check_archive(archive, packer, arguments, scratch):
    again = os.path.join(scratch, "again.zip")
    pack(packer, moved_arguments(arguments, scratch), again, scratch)
    with open(archive, "rb") as a, open(again, "rb") as b:
        if a.read() != b.read():
            return ["payload archive differs when packed again from copies of its files"]
    return []


def check_utf8_names(packer, scratch):
    tree = os.path.join(scratch, "names")
    os.makedirs(os.path.join(tree, "Grüße"))
    for name in ("Grüße/日€.txt", "plain.txt"):
        with open(os.path.join(tree, name), "w") as f:
            f.write(name)
    out = os.path.join(scratch, "names.zip")
    pack(packer, ["--dir", tree], out, scratch)
    errors = []
    with zipfile.ZipFile(out) as z:
        for info in z.infolist():
            flagged = bool(info.flag_bits & 0x800)
            if flagged != (not info.filename.isascii()):
                errors.append("UTF-8 flag of %r: %s" % (info.filename, flagged))
        with open(out, "rb") as f:
            raw = f.read()
        if "Grüße/日€.txt".encode("utf-8") not in raw:
            errors.append("non-ASCII name not stored in UTF-8")
    return errors


def main():
    argv = sys.argv[1:]
    split = argv.index("--")
    ap = argparse.ArgumentParser()
    ap.add_argument("--archive", required=True)
    ap.add_argument("--packer", required=True)
    ap.add_argument("--pe", action="append", default=[])
    args = ap.parse_args(argv[:split])
    errors = []
    for path in args.pe:
        stamp = pe_time_stamp(path)
        if stamp != 0:
            errors.append("%s: PE time stamp %#x, expected none (0)" % (path, stamp))
    with tempfile.TemporaryDirectory() as scratch:
        errors += check_archive(args.archive, args.packer, argv[split + 1:], scratch)
        errors += check_utf8_names(args.packer, scratch)
    for error in errors:
        print(error)
    if not errors:
        print("reproducible: archive packed again is identical; %d PE files without time stamp"
              % len(args.pe))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
