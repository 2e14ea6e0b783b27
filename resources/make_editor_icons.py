#!/usr/bin/env python3
"""Draws the panel editor's element icons (24x24 PNG) into images/.

Run by hand; the PNGs are kept in the tree and listed in resources.qrc.
Each icon is a small picture of the element kind drawn from plain shapes.
"""
import math, os, struct, zlib

N = 24


def write_png(path, canvas):
    rows = bytearray()
    for y in range(N):
        rows.append(0)
        for x in range(N):
            rows.extend(canvas.px[y][x])
    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xffffffff)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", N, N, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


class Canvas:
    def __init__(self):
        self.px = [[(0, 0, 0, 0) for _ in range(N)] for _ in range(N)]

    def dot(self, x, y, c):
        if 0 <= x < N and 0 <= y < N:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.dot(x, y0, c); self.dot(x, y1, c)
        for y in range(y0, y1 + 1):
            self.dot(x0, y, c); self.dot(x1, y, c)

    def line(self, x0, y0, x1, y1, c):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.dot(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), c)

    def disc(self, cx, cy, r, c, ring=None):
        for y in range(N):
            for x in range(N):
                d = math.hypot(x - cx, y - cy)
                if d <= r:
                    self.dot(x, y, c)
                if ring is not None and r - 1 < d <= r:
                    self.dot(x, y, ring)

    def text(self, x, y, s, c):
        for ch in s:
            glyph = FONT.get(ch)
            if glyph:
                for gy, row in enumerate(glyph):
                    for gx, bit in enumerate(row):
                        if bit == "#":
                            self.dot(x + gx, y + gy, c)
            x += 4


FONT = {
    "0": ["###", "#.#", "#.#", "#.#", "###"], "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["##.", "..#", ".#.", "#..", "###"], "x": ["...", "#.#", ".#.", "#.#", "..."],
    "A": [".#.", "#.#", "###", "#.#", "#.#"], "a": ["...", "##.", ".##", "#.#", "###"],
    "b": ["#..", "##.", "#.#", "#.#", "##."], "T": ["###", ".#.", ".#.", ".#.", ".#."],
    "f": [".##", "#..", "##.", "#..", "#.."], "V": ["#.#", "#.#", "#.#", "#.#", ".#."],
    ".": ["...", "...", "...", "...", ".#."], "=": ["...", "###", "...", "###", "..."],
    "+": ["...", ".#.", "###", ".#.", "..."],
}

INK = (40, 40, 48, 255)
PAPER = (250, 250, 250, 255)
BLUE = (40, 110, 200, 255)
LIGHT = (190, 215, 245, 255)
GREEN = (40, 170, 70, 255)
RED = (210, 50, 50, 255)
GREY = (150, 150, 160, 255)
ORANGE = (235, 140, 30, 255)


def box(c):
    c.fill(2, 2, 21, 21, PAPER)
    c.frame(2, 2, 21, 21, INK)


def vertical(c):
    box(c)
    for y in (5, 10, 15):
        c.fill(5, y, 18, y + 3, LIGHT); c.frame(5, y, 18, y + 3, BLUE)


def horizontal(c):
    box(c)
    for x in (5, 10, 15):
        c.fill(x, 5, x + 3, 18, LIGHT); c.frame(x, 5, x + 3, 18, BLUE)


def grid(c):
    box(c)
    for y in (5, 12):
        for x in (5, 12):
            c.fill(x, y, x + 6, y + 6, LIGHT); c.frame(x, y, x + 6, y + 6, BLUE)


def tab(c):
    c.fill(2, 7, 21, 21, PAPER); c.frame(2, 7, 21, 21, INK)
    c.fill(3, 3, 9, 7, LIGHT); c.frame(3, 3, 9, 7, BLUE)
    c.frame(10, 4, 15, 7, GREY)


def absolute(c):
    box(c)
    c.fill(5, 5, 10, 9, LIGHT); c.frame(5, 5, 10, 9, BLUE)
    c.fill(12, 13, 18, 18, LIGHT); c.frame(12, 13, 18, 18, BLUE)


def group(c):
    c.frame(2, 5, 21, 21, INK)
    c.fill(5, 3, 13, 7, PAPER); c.text(6, 3, "Ab", BLUE)


def radio(c):
    c.disc(11.5, 11.5, 9, PAPER, INK)
    c.disc(11.5, 11.5, 4, BLUE)


def combo(c):
    c.fill(1, 6, 22, 17, PAPER); c.frame(1, 6, 22, 17, INK)
    c.fill(15, 7, 21, 16, LIGHT)
    for i in range(3):
        c.line(16 + i, 10 + i, 20 - i, 10 + i, INK)
    c.text(3, 9, "Ab", INK)


def checkbox(c):
    c.fill(3, 3, 20, 20, PAPER); c.frame(3, 3, 20, 20, INK)
    c.line(6, 11, 10, 16, GREEN); c.line(10, 16, 17, 6, GREEN)
    c.line(6, 12, 10, 17, GREEN); c.line(10, 17, 17, 7, GREEN)


def spin(label):
    def draw(c):
        c.fill(1, 5, 22, 18, PAPER); c.frame(1, 5, 22, 18, INK)
        c.line(16, 5, 16, 18, INK); c.line(16, 11, 22, 11, INK)
        c.line(17, 9, 19, 7, INK); c.line(19, 7, 21, 9, INK)
        c.line(17, 13, 19, 15, INK); c.line(19, 15, 21, 13, INK)
        c.text(3, 9, label, BLUE)
    return draw


def knob(c):
    c.disc(11.5, 11.5, 9, LIGHT, INK)
    c.line(12, 12, 17, 5, RED)


def slider(c):
    c.fill(2, 11, 21, 12, GREY)
    c.fill(12, 5, 15, 18, BLUE); c.frame(12, 5, 15, 18, INK)


def line_edit(c):
    c.fill(1, 6, 22, 17, PAPER); c.frame(1, 6, 22, 17, INK)
    c.text(3, 9, "Ab", INK); c.line(12, 8, 12, 15, BLUE)


def text_edit(c):
    box(c)
    for y in (6, 10, 14):
        c.line(5, y, 18, y, INK)
    c.line(5, 18, 12, 18, INK)


def math_label(c):
    c.text(2, 4, "a+b", BLUE)
    c.text(4, 13, "=2", INK)


def text(c):
    c.text(3, 9, "Text"[0:1], INK)
    c.fill(2, 4, 20, 5, INK); c.fill(10, 4, 12, 19, INK)


def image(c):
    box(c)
    c.fill(3, 3, 20, 20, LIGHT)
    c.disc(15, 7, 2.5, ORANGE)
    for x in range(3, 21):
        h = 19 - max(0, 8 - abs(x - 9))
        c.fill(x, h, x, 20, GREEN)


def led(c):
    c.disc(11.5, 11.5, 8, (60, 210, 80, 255), INK)
    c.disc(9, 9, 2, (200, 255, 210, 255))


def button(c):
    c.fill(1, 6, 22, 17, (225, 225, 230, 255)); c.frame(1, 6, 22, 17, INK)
    c.line(2, 17, 22, 17, GREY); c.line(22, 7, 22, 17, GREY)
    c.text(5, 9, "Ab", INK)


def toggle(c):
    c.fill(1, 6, 22, 17, (225, 225, 230, 255)); c.frame(1, 6, 22, 17, INK)
    c.fill(12, 7, 21, 16, GREEN)
    c.fill(3, 8, 10, 15, PAPER); c.frame(3, 8, 10, 15, GREY)


def timer(c):
    c.disc(11.5, 12.5, 9, PAPER, INK)
    c.line(12, 13, 12, 6, INK); c.line(12, 13, 16, 15, RED)
    c.fill(10, 1, 13, 2, INK)


def dial(c):
    c.disc(11.5, 11.5, 10, PAPER, INK)
    for a in range(0, 271, 45):
        r = math.radians(135 + a)
        c.dot(round(11.5 + 8 * math.cos(r)), round(11.5 + 8 * math.sin(r)), INK)
    c.line(12, 12, 6, 7, RED)


def thermo(c):
    c.fill(9, 2, 14, 17, PAPER); c.frame(9, 2, 14, 17, INK)
    c.fill(10, 9, 13, 17, RED)
    c.disc(11.5, 19, 3.5, RED, INK)


def plot(c):
    box(c)
    c.line(4, 19, 19, 19, INK); c.line(4, 4, 4, 19, INK)
    pts = [(5, 15), (8, 10), (11, 13), (14, 6), (18, 9)]
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        c.line(x0, y0, x1, y1, BLUE)


def regview(c):
    c.fill(1, 7, 22, 16, PAPER); c.frame(1, 7, 22, 16, INK)
    for x in (6, 11, 16):
        c.line(x, 7, x, 16, INK)
    c.text(2, 9, "1", BLUE); c.text(7, 9, "0", BLUE); c.text(12, 9, "1", BLUE); c.text(17, 9, "1", BLUE)


def table(c):
    box(c)
    c.fill(3, 3, 20, 6, LIGHT)
    for y in (7, 12, 16):
        c.line(2, y, 21, y, INK)
    for x in (9, 15):
        c.line(x, 2, x, 21, INK)


def var(c):
    c.fill(2, 5, 21, 18, (255, 245, 215, 255)); c.frame(2, 5, 21, 18, ORANGE)
    c.text(5, 9, "0x", INK); c.text(13, 9, "V", BLUE)


ICONS = {
    "Vertical": vertical, "Horizontal": horizontal, "Grid": grid, "Tab": tab, "Absolute": absolute,
    "Group": group, "Radio": radio, "Combo": combo, "Checkbox": checkbox, "Spinbox": spin("12"),
    "HexSpinbox": spin("0x"), "DoubleSpinbox": spin("1.2"), "Knob": knob, "Slider": slider,
    "LineEdit": line_edit, "TextEdit": text_edit, "MathLabel": math_label, "Text": text,
    "Image": image, "LED": led, "Button": button, "ToggleButton": toggle, "Timer": timer,
    "Dial": dial, "Thermo": thermo, "Plot": plot, "RegView": regview, "Table": table, "Var": var,
}

if __name__ == "__main__":
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")
    for name, draw in ICONS.items():
        canvas = Canvas()
        draw(canvas)
        write_png(os.path.join(out, name + ".png"), canvas)
