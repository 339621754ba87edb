#!/usr/bin/env python3
"""Draws the setup's and the stand-in viewer's images: icons, logo bitmap, toolbar skins.

Everything is drawn here from simple shapes, so the build needs no image files.
"""
import argparse
import math
import os
import struct
import zlib


def lens_pixel(x, y, size, hue):
    """RGBA of a round lens with a highlight, in the given main colour."""
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    d = math.hypot(x - c, y - c)
    if d > r:
        return (0, 0, 0, 0)
    if d > r - max(1.0, size / 16.0):
        return (30, 30, 40, 255)
    shade = 1.0 - 0.45 * (d / r)
    hx, hy = c - r * 0.35, c - r * 0.35
    if math.hypot(x - hx, y - hy) < r * 0.22:
        return (250, 250, 255, 255)
    return (int(hue[0] * shade), int(hue[1] * shade), int(hue[2] * shade), 255)


def draw(size, hue):
    return [[lens_pixel(x, y, size, hue) for x in range(size)] for y in range(size)]


def png_bytes(pixels):
    h, w = len(pixels), len(pixels[0])
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in pixels)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def and_mask(pixels):
    """An icon image's AND mask, bottom-up: 1 where the pixel is transparent."""
    w = len(pixels[0])
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return bytes(mask)


def dib_bytes(pixels):
    """32-bit icon image: BITMAPINFOHEADER (double height), bottom-up BGRA, AND mask."""
    h, w = len(pixels), len(pixels[0])
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    return header + xor + and_mask(pixels)


def indexed_dib_bytes(pixels):
    """8-bit icon image with a palette of exactly its colours, for pictures whose pixels are
    either opaque or transparent (the lens): the AND mask alone carries the transparency, so
    it shows the same pixels as the 32-bit image in about a third of the bytes. Transparent
    pixels are black, which the XOR step leaves as the background."""
    h, w = len(pixels), len(pixels[0])
    assert all(px[3] in (0, 255) for row in pixels for px in row), "partly transparent pixels"
    colour = [[px[:3] if px[3] else (0, 0, 0) for px in row] for row in pixels]
    palette = list(dict.fromkeys(px for row in colour for px in row))
    assert len(palette) <= 256, "more colours than an 8-bit palette holds"
    index = {px: i for i, px in enumerate(palette)}
    stride = (w + 3) & ~3
    xor = b"".join(bytes(index[px] for px in row) + b"\0" * (stride - w) for row in reversed(colour))
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 8, 0, 0, 0, 0, len(palette), 0)
    colours = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    return header + colours + xor + and_mask(pixels)


def ico_bytes(hue, sizes=(16, 32, 48), indexed=False):
    images = [(indexed_dib_bytes if indexed else dib_bytes)(draw(s, hue)) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 8 if indexed else 32, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


LOGO_SIZE = (88, 31)
# The display scales the setup has a logo bitmap for, in percent; each is drawn from the
# same shapes at its own size, so that it is as sharp as the one of 100 %.
LOGO_SCALES = (100, 125, 150, 200)


def scaled(pixels, percent):
    """A length of the logo at 100 %, at the scale, rounded as Windows' MulDiv rounds."""
    return (pixels * percent + 50) // 100


def logo_bmp(percent=100):
    """The logo: a blue band with a lens and light stripes, drawn at percent of its size."""
    w, h = scaled(LOGO_SIZE[0], percent), scaled(LOGO_SIZE[1], percent)
    s = percent / 100.0
    lens_at, lens_size = scaled(3, percent), scaled(25, percent)
    rows = []
    for y in range(h):
        # Where the pixel's centre lies in the logo of 100 %: the stripes are 3 of its rows
        # in every 6 from row 6 to row 24, across its columns 40 to 84.
        v = (y + 0.5) / s
        on_stripe_row = 6 <= v < 25 and (v - 6) % 6 < 3
        row = []
        for x in range(w):
            t = x / (w - 1)
            px = (int(20 + 40 * t), int(70 + 60 * t), int(160 + 80 * t))
            if on_stripe_row and 40 <= (x + 0.5) / s < 85:
                px = (235, 240, 250)
            lx, ly = x - lens_at, y - lens_at
            if 0 <= lx < lens_size and 0 <= ly < lens_size:
                p = lens_pixel(lx, ly, lens_size, (250, 190, 40))
                if p[3]:
                    px = p[:3]
            row.append(px)
        rows.append(row)
    return indexed_bmp(rows, rle=True)


def indexed_bmp(rows, rle=False):
    """An 8-bit bitmap with a palette of exactly the colours used (at most 256), in the order
    they first appear: the same pixels as a 24-bit one in about a third of the bytes; with
    rle, its rows run-length encoded (BI_RLE8), which the system decodes when it loads it."""
    palette = list(dict.fromkeys(px for row in rows for px in row))
    assert len(palette) <= 256, "more colours than an 8-bit palette holds"
    index = {px: i for i, px in enumerate(palette)}
    w, h = len(rows[0]), len(rows)
    indices = [bytes(index[px] for px in row) for row in reversed(rows)]
    if rle:
        data = rle8_bytes(indices)
        assert rle8_rows(data, w) == indices, "run-length encoding does not give the rows back"
    else:
        stride = (w + 3) & ~3
        data = b"".join(row + b"\0" * (stride - w) for row in indices)
    colours = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 1 if rle else 0, len(data), 2835, 2835,
                       len(palette), 0)
    start = 14 + len(info) + len(colours)
    return b"BM" + struct.pack("<IHHI", start + len(data), 0, 0, start) + info + colours + data


def rle8_row(row):
    """One row in BI_RLE8 codes, as short as they can be: runs of one index (count, index)
    and literal stretches of 3 to 255 indices (0, count, indices, padded to an even length),
    chosen from the end of the row backwards."""
    n = len(row)
    best = [0] * (n + 1)      # bytes for row[i:]
    step = [None] * (n + 1)   # (run or literal, length) starting at i
    for i in range(n - 1, -1, -1):
        run = 1
        while i + run < n and run < 255 and row[i + run] == row[i]:
            run += 1
        choices = [(2 + best[i + k], ("run", k)) for k in range(1, run + 1)]
        choices += [(2 + k + (k & 1) + best[i + k], ("literal", k))
                    for k in range(3, min(255, n - i) + 1)]
        best[i], step[i] = min(choices)
    out = bytearray()
    i = 0
    while i < n:
        kind, k = step[i]
        if kind == "run":
            out += bytes((k, row[i]))
        else:
            out += bytes((0, k)) + row[i:i + k] + b"\0" * (k & 1)
        i += k
    return bytes(out)


def rle8_bytes(rows):
    """Bottom-up rows of indices in BI_RLE8: each row, an end of line, and an end of bitmap."""
    return b"".join(rle8_row(row) + b"\0\0" for row in rows) + b"\0\1"


def rle8_rows(data, width):
    """The rows a BI_RLE8 stream of end-of-line terminated rows gives back (no deltas)."""
    rows, row, i = [], bytearray(), 0
    while True:
        count, value = data[i], data[i + 1]
        i += 2
        if count:
            row += bytes((value,)) * count
        elif value == 0:
            rows.append(bytes(row))
            row = bytearray()
        elif value == 1:
            assert not row and i == len(data)
            return rows if all(len(r) == width for r in rows) else None
        else:
            assert value >= 3, "delta codes are not written"
            row += data[i:i + value]
            i += value + (value & 1)


VIEWER_HUES = [(40, 110, 220), (220, 60, 60), (60, 170, 80), (230, 150, 30), (150, 70, 200),
               (30, 170, 180), (200, 200, 60), (120, 120, 120), (240, 100, 170), (90, 60, 30)]
SKINS = [("Marlow_16", 16), ("Kelstrom_24", 24), ("gnome-colors-wise_32", 32),
         ("gnome-colors-human_48", 48)]


def toolbar_strip(size, buttons=8):
    strip = [[(0, 0, 0, 0)] * (size * buttons) for _ in range(size)]
    for i in range(buttons):
        tile = draw(size, VIEWER_HUES[i])
        for y in range(size):
            strip[y][i * size:(i + 1) * size] = tile[y]
    return strip


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True, help="output folder")
    ap.add_argument("--scaled-logos", action="store_true",
                    help="draw only the logo at the scales above 100 % (logo_<percent>.bmp)")
    args = ap.parse_args()
    out = args.out
    if args.scaled_logos:
        for percent in LOGO_SCALES[1:]:
            write(os.path.join(out, "logo_%d.bmp" % percent), logo_bmp(percent))
        return
    # The setup's own icon, in its file: 8-bit images (the stand-in viewer's stay 32-bit).
    write(os.path.join(out, "lumenkast.ico"), ico_bytes((40, 110, 220), indexed=True))
    write(os.path.join(out, "logo.bmp"), logo_bmp())
    for i, hue in enumerate(VIEWER_HUES):
        write(os.path.join(out, "viewer", "icon%d.ico" % i), ico_bytes(hue, (16, 32)))
    for stem, size in SKINS:
        write(os.path.join(out, "toolbars", stem + ".png"), png_bytes(toolbar_strip(size)))


if __name__ == "__main__":
    main()
