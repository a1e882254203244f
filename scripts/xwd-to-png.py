#!/usr/bin/env python3
"""Turns the screen of an Xvfb started with -fbdir (an XWD image, 24 or 32 bits per pixel) into
a PNG, cut to what differs from the background: the colour of the bottom right corner.

    scripts/xwd-to-png.py FBDIR/Xvfb_screen0 PICTURE.png
"""
import struct
import sys
import zlib


def read_xwd(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    masks, ncolors = fields[14:17], fields[19]
    if bits_per_pixel not in (24, 32):
        sys.exit(f"xwd-to-png: {bits_per_pixel} Bit je Pixel werden nicht unterstützt")
    start = header_size + 12 * ncolors
    step = bits_per_pixel // 8
    order = "little" if byte_order == 0 else "big"
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    rows = []
    for y in range(height):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * step]
        row = bytearray()
        for x in range(0, width * step, step):
            pixel = int.from_bytes(line[x:x + step], order)
            row += bytes((pixel & m) >> s for m, s in zip(masks, shifts))
        rows.append(bytes(row))
    return width, height, rows


def cut_to_content(width, height, rows):
    background = rows[-1][-3:]
    plain = [all(r[x:x + 3] == background for x in range(0, 3 * width, 3)) for r in rows]
    top = next((y for y in range(height) if not plain[y]), 0)
    bottom = next((y for y in reversed(range(height)) if not plain[y]), height - 1) + 1
    kept = rows[top:bottom]

    def column_plain(x):
        return all(r[3 * x:3 * x + 3] == background for r in kept)

    left = next((x for x in range(width) if not column_plain(x)), 0)
    right = next((x for x in reversed(range(width)) if not column_plain(x)), width - 1) + 1
    return right - left, len(kept), [r[3 * left:3 * right] for r in kept]


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    raw = b"".join(b"\x00" + r for r in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("Aufruf: xwd-to-png.py XWD-DATEI PNG-DATEI")
    write_png(sys.argv[2], *cut_to_content(*read_xwd(sys.argv[1])))
