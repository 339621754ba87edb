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


def dib_bytes(pixels):
    """32-bit icon image: BITMAPINFOHEADER (double height), bottom-up BGRA, AND mask."""
    h, w = len(pixels), len(pixels[0])
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + xor + bytes(mask)


def ico_bytes(hue, sizes=(16, 32, 48)):
    images = [dib_bytes(draw(s, hue)) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
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
    return indexed_bmp(rows)


def indexed_bmp(rows):
    """An 8-bit bitmap with a palette of exactly the colours used (at most 256), in the order
    they first appear: the same pixels as a 24-bit one in about a third of the bytes."""
    palette = list(dict.fromkeys(px for row in rows for px in row))
    assert len(palette) <= 256, "more colours than an 8-bit palette holds"
    index = {px: i for i, px in enumerate(palette)}
    w, h = len(rows[0]), len(rows)
    stride = (w + 3) & ~3
    data = b"".join(bytes(index[px] for px in row) + b"\0" * (stride - w) for row in reversed(rows))
    colours = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(data), 2835, 2835, len(palette),
                       0)
    start = 14 + len(info) + len(colours)
    return b"BM" + struct.pack("<IHHI", start + len(data), 0, 0, start) + info + colours + data


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
    write(os.path.join(out, "lumenkast.ico"), ico_bytes((40, 110, 220)))
    write(os.path.join(out, "logo.bmp"), logo_bmp())
    for i, hue in enumerate(VIEWER_HUES):
        write(os.path.join(out, "viewer", "icon%d.ico" % i), ico_bytes(hue, (16, 32)))
    for stem, size in SKINS:
        write(os.path.join(out, "toolbars", stem + ".png"), png_bytes(toolbar_strip(size)))


if __name__ == "__main__":
    main()
