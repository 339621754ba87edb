#!/usr/bin/env python3
"""Writes the synthetic payload tree of the benchmark: the same bytes for the same size.

About ten files per megabyte in nested folders, of three kinds by share of bytes:
code-like binaries (deflate to about 40 %), text (about 35 %) and images that do not
compress at all. Every byte comes from one random generator with a fixed seed.
"""
import argparse
import math
import os
import random
import shutil

SEED = 4500
MEAN_FILE_BYTES = 115_000
KINDS = (("bin", 0.48), ("txt", 0.27), ("img", 0.25))
CORPUS_BYTES = 4 << 20
FOLDERS = ("Plugins", "Plugins/Filters", "Languages", "Help", "Html", "Toolbars",
           "Images", "Images/Samples", "Images/Samples/Large", "Docs", "Docs/Api",
           "Data", "Data/Tables", "Data/Profiles", "Skins", "Skins/Dark")


def code_corpus(rng):
    """Bytes that look like machine code: a skewed vocabulary of short instruction-like
    sequences, zero padding between 'functions' and small ascending tables."""
    vocabulary = [rng.randbytes(rng.randint(1, 7)) for _ in range(2000)]
    weights = [1.0 / (rank + 1) ** 1.1 for rank in range(len(vocabulary))]
    parts = []
    size = 0
    while size < CORPUS_BYTES:
        body = b"".join(rng.choices(vocabulary, weights, k=rng.randint(20, 400)))
        pad = b"\0" * rng.randint(0, 24) if rng.random() < 0.7 else b""
        table = b""
        if rng.random() < 0.1:
            base = rng.randint(0, 1 << 20)
            table = b"".join((base + 8 * i).to_bytes(4, "little") for i in range(64))
        chunk = body + pad + table
        parts.append(chunk)
        size += len(chunk)
    return b"".join(parts)[:CORPUS_BYTES]


def text_corpus(rng):
    """Lines of words from an invented vocabulary with a Zipf-like frequency."""
    letters = "etaoinshrdlucmfwypvbgkjqxz"
    vocabulary = ["".join(rng.choices(letters, k=rng.randint(2, 11))) for _ in range(3000)]
    weights = [1.0 / (rank + 1) for rank in range(len(vocabulary))]
    lines = []
    size = 0
    while size < CORPUS_BYTES:
        line = " ".join(rng.choices(vocabulary, weights, k=rng.randint(4, 16))) + ".\r\n"
        lines.append(line)
        size += len(line)
    return "".join(lines).encode("ascii")[:CORPUS_BYTES]


def slices_of(corpus, size, rng):
    """size bytes made of random slices of corpus."""
    parts = []
    left = size
    while left > 0:
        length = min(left, rng.randint(4096, 65536))
        start = rng.randrange(0, len(corpus) - length)
        parts.append(corpus[start:start + length])
        left -= length
    return b"".join(parts)


def file_sizes(total, rng):
    mu = math.log(MEAN_FILE_BYTES) - 0.72
    sizes = []
    while total > 0:
        size = min(total, max(200, min(4 << 20, int(math.exp(rng.gauss(mu, 1.2))))))
        sizes.append(size)
        total -= size
    return sizes


def write_tree(out, megabytes):
    rng = random.Random(SEED)
    corpora = {"bin": code_corpus(rng), "txt": text_corpus(rng)}
    names = [k for k, _ in KINDS]
    shares = [s for _, s in KINDS]
    for folder in FOLDERS:
        os.makedirs(os.path.join(out, folder), exist_ok=True)
    for index, size in enumerate(file_sizes(megabytes * 1_000_000, rng)):
        kind = rng.choices(names, shares)[0]
        folder = rng.choice(("",) + FOLDERS)
        extension = {"bin": ".dll", "txt": ".txt", "img": ".jpg"}[kind]
        if kind == "img":
            data = b"\xff\xd8\xff\xe0" + rng.randbytes(max(0, size - 4))
        else:
            data = slices_of(corpora[kind], size, rng)
        with open(os.path.join(out, folder, f"file{index:05d}{extension}"), "wb") as f:
            f.write(data[:size])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True, help="folder to (re)create")
    ap.add_argument("--megabytes", type=int, default=200)
    args = ap.parse_args()
    tmp = args.out + ".tmp"
    shutil.rmtree(tmp, ignore_errors=True)
    write_tree(tmp, args.megabytes)
    shutil.rmtree(args.out, ignore_errors=True)
    os.replace(tmp, args.out)


if __name__ == "__main__":
    main()
