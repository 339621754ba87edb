#!/usr/bin/env python3
"""Converts the release notes (UTF-8 text) into the form the setup's resource holds:
UTF-16 little-endian with byte-order mark, every line ended by CR LF, no terminating NUL."""
import argparse


def convert(text):
    lines = text.replace("\r\n", "\n").split("\n")
    if lines and lines[-1] == "":
        lines.pop()  # the final line end, not an extra empty line
    return ("\ufeff" + "".join(line + "\r\n" for line in lines)).encode("utf-16-le")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("source")
    parser.add_argument("output")
    args = parser.parse_args()
    with open(args.source, encoding="utf-8") as f:
        data = convert(f.read())
    with open(args.output, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
