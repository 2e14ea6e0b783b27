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


# --- Tool-bar and action icons: simple filled shapes on a transparent canvas.

class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0, 0, 0, 0)] * w for _ in range(h)]

    def fill(self, inside, colour):
        for y in range(self.h):
            for x in range(self.w):
                if inside(x + 0.5, y + 0.5):
                    self.px[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        self.fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour)

    def disc(self, cx, cy, r, colour, inner=0.0):
        self.fill(lambda x, y: inner <= math.hypot(x - cx, y - cy) <= r, colour)

    def polygon(self, points, colour):
        def inside(x, y):
            hit = False
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                    hit = not hit
            return hit
        self.fill(inside, colour)

    def line(self, ax, ay, bx, by, width, colour):
        def near(x, y):
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            return math.hypot(x - ax - t * dx, y - ay - t * dy) <= width / 2
        self.fill(near, colour)

    def save(self, name):
        png(os.path.join(out, name), self.w, self.h, lambda x, y: self.px[y][x])

INK = (60, 60, 70, 255)
TEAL = (20, 130, 140, 255)
PAPER = (250, 250, 245, 255)
GOLD = (235, 180, 60, 255)
WHITE = (255, 255, 255, 255)

def home_page():
    c = Canvas(32, 32)
    c.polygon([(16, 3), (30, 16), (2, 16)], TEAL)
    c.rect(6, 15, 26, 29, TEAL)
    c.rect(13, 20, 19, 29, WHITE)
    c.save("home-page.png")

def open_folder():
    c = Canvas(32, 32)
    c.polygon([(2, 7), (12, 7), (15, 10), (28, 10), (28, 27), (2, 27)], (200, 150, 50, 255))
    c.polygon([(6, 14), (31, 14), (27, 27), (2, 27)], GOLD)
    c.save("open.png")

def save_disk():
    c = Canvas(32, 32)
    c.rect(3, 3, 29, 29, (40, 80, 150, 255))
    c.rect(8, 3, 24, 12, PAPER)
    c.rect(19, 5, 22, 10, INK)
    c.rect(7, 17, 25, 29, WHITE)
    c.save("save.png")

def magnifier(name, plus):
    c = Canvas(32, 32)
    c.line(19, 19, 29, 29, 5, INK)
    c.disc(13, 13, 11, INK, inner=8.5)
    c.disc(13, 13, 8.5, (220, 235, 245, 255))
    c.rect(8, 12, 18, 14.5, INK)
    if plus:
        c.rect(11.8, 8, 14.3, 18, INK)
    c.save(name)

def harbik():
    # The launcher's mark: a wide badge with three rising bars.
    c = Canvas(125, 40)
    c.fill(lambda x, y: abs(x - 20) + abs(y - 20) < 18, TEAL)
    for i, top in enumerate((24, 16, 8)):
        c.rect(42 + i * 12, top, 50 + i * 12, 34, (146, 130, 133, 255))
    c.rect(82, 30, 120, 34, TEAL)
    c.save("harbik.png")

def document():
    c = Canvas(32, 32)
    c.polygon([(6, 2), (20, 2), (27, 9), (27, 30), (6, 30)], PAPER)
    c.polygon([(20, 2), (27, 9), (20, 9)], (190, 190, 190, 255))
    for y in (13, 17, 21, 25):
        c.rect(9, y, 24, y + 1.5, INK)
    c.rect(6, 2, 7, 30, INK)
    c.rect(26, 9, 27, 30, INK)
    c.rect(6, 29, 27, 30, INK)
    c.save("document.png")

def help_mark():
    c = Canvas(32, 32)
    c.disc(16, 16, 14, TEAL)
    c.disc(16, 12, 6.5, WHITE, inner=4)
    c.rect(9, 12, 16, 19, TEAL)
    c.rect(14.8, 17, 17.3, 21, WHITE)
    c.disc(16, 25, 1.8, WHITE)
    c.save("help.png")

def forum():
    c = Canvas(32, 32)
    c.fill(lambda x, y: ((x - 12) / 10) ** 2 + ((y - 11) / 7) ** 2 <= 1, TEAL)
    c.polygon([(6, 15), (10, 17), (4, 22)], TEAL)
    c.fill(lambda x, y: ((x - 21) / 9) ** 2 + ((y - 20) / 6) ** 2 <= 1, GOLD)
    c.polygon([(26, 23), (29, 29), (22, 25)], GOLD)
    c.save("Forum.png")

def remove_row():
    # A red disc with a white bar: the register table's delete column.
    c = Canvas(32, 32)
    c.disc(16, 16, 13, (200, 50, 50, 255))
    c.rect(8, 14, 24, 18, WHITE)
    c.save("remove.png")

home_page()
open_folder()
save_disk()
magnifier("zoomin.png", True)
magnifier("zoomout.png", False)
harbik()
document()
help_mark()
forum()
remove_row()
