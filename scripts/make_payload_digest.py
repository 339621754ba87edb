#!/usr/bin/env python3
"""Writes the SHA-256 of the payload archive as 32 raw bytes, the setup's digest resource."""
import hashlib
import sys


def main():
    archive, out = sys.argv[1], sys.argv[2]
    digest = hashlib.sha256()
    with open(archive, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    with open(out, "wb") as f:
        f.write(digest.digest())


if __name__ == "__main__":
    main()
