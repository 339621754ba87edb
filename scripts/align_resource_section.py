#!/usr/bin/env python3
"""Moves the resource section of a linked PE image to a page boundary of the file.

The setup reads its payload archive out of its own resource section. Wine maps a section
of an image from the file only when the section starts on a page boundary in the file;
any other section it reads into memory when the image is loaded, all 200 MB of it. The
linker's file alignment of 512 bytes keeps the small sections small, so this step pads in
front of the resource section alone and moves it, and what follows it, to the next page.

    align_resource_section.py IMAGE.exe

Changes the file in place (no change when the section already starts on a page). Only the
section table's file offsets and the image checksum change; nothing in memory moves, so the code, the resources
and their addresses stay byte for byte what the linker made. Refuses an image with a
certificate table or a symbol table behind the sections, whose file offsets would move too.
"""
import os
import struct
import sys

PAGE = 0x1000
SECTION_HEADER = 40
RESOURCE_DIRECTORY = 2
CERTIFICATE_DIRECTORY = 4


def fail(message):
    print(f"align_resource_section: {message}", file=sys.stderr)
    sys.exit(1)


def section_headers(data):
    """File offset of each section header, and the optional header's fields we need."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        fail("not a PE image")
    sections, symbols_at, optional_size = struct.unpack_from("<H4xI4xH", data, pe + 6)
    optional = pe + 24
    if struct.unpack_from("<H", data, optional)[0] != 0x20B:
        fail("not a 64-bit image")
    file_alignment = struct.unpack_from("<I", data, optional + 36)[0]
    directories = optional + 112
    headers = [optional + optional_size + SECTION_HEADER * i for i in range(sections)]
    return headers, symbols_at, file_alignment, directories, optional + 64


def image_checksum(data, checksum_at):
    """The PE checksum: 16-bit one's-complement-style sum of the file without the checksum
    field, folded, plus the file's length."""
    words = memoryview(bytes(data[:checksum_at]) + bytes(4) + bytes(data[checksum_at + 4:]) +
                       bytes(len(data) % 2)).cast("H")
    total = sum(words)
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return total + len(data)


def main():
    if len(sys.argv) != 2:
        fail("usage: align_resource_section.py IMAGE.exe")
    path = sys.argv[1]
    with open(path, "rb") as f:
        data = bytearray(f.read())
    headers, symbols_at, file_alignment, directories, checksum_at = section_headers(data)
    if PAGE % file_alignment:
        fail(f"file alignment {file_alignment:#x} does not divide a page")
    resource_rva = struct.unpack_from("<I", data, directories + 8 * RESOURCE_DIRECTORY)[0]
    certificates = struct.unpack_from("<I", data, directories + 8 * CERTIFICATE_DIRECTORY)[0]
    if certificates or symbols_at:
        fail("the image has a certificate or symbol table: align before signing, strip first")

    def raw(header):
        return struct.unpack_from("<II", data, header + 16)  # size, file offset

    resource = next((h for h in headers if struct.unpack_from("<I", data, h + 12)[0] ==
                     resource_rva), None)
    if resource is None:
        fail("no section starts at the resource directory")
    resource_at = raw(resource)[1]
    padding = -resource_at % PAGE
    if padding == 0:
        return
    if any(raw(h)[1] < resource_at < raw(h)[1] + raw(h)[0] for h in headers):
        fail("a section overlaps the start of the resource section")
    for header in headers:
        size, at = raw(header)
        if size and at >= resource_at:
            struct.pack_into("<I", data, header + 20, at + padding)
    data[resource_at:resource_at] = bytes(padding)
    if struct.unpack_from("<I", data, checksum_at)[0]:
        struct.pack_into("<I", data, checksum_at, image_checksum(data, checksum_at))
    temporary = path + ".aligning"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, path)


if __name__ == "__main__":
    main()
