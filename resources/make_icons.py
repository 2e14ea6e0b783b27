#!/usr/bin/env python3
"""Draws the program's own icons as PNG files (run by hand; the PNGs are kept)."""
import math, struct, zlib, sys, os

def png(path, w, h, pixel):
    rows = bytearray()
    for y in range(h):
        rows.append(0)
        for x in range(w):
            rows.extend(pixel(x, y))
    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xffffffff)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)

def vortal(x, y, n=64):
    # A teal disc with a white ring and a slanted quill stroke.
    cx = cy = (n - 1) / 2
    r = math.hypot(x - cx, y - cy)
    if r > n / 2 - 1:
        return (0, 0, 0, 0)
    stroke = abs((x - cx) + (y - cy) * 0.6) < 3.2 and y > 14 and y < 54
    if stroke:
        return (255, 255, 255, 255)
    if n / 2 - 7 < r < n / 2 - 3:
        return (235, 245, 245, 255)
    shade = int(110 + 60 * (1 - y / n))
    return (20, shade, 140, 255)

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")
png(os.path.join(out, "vortal_k.png"), 64, 64, vortal)
