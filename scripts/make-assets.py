#!/usr/bin/env python3
"""Writes the binary assets of Quorvex.exe from code, reproducibly (standard library only).

    res/quorvex.ico   application icon (resource 128): a clipboard, 32-bit, in the small and large
                      icon sizes of 100 % to 200 % scaling: 16, 20, 24, 32, 40, 48 and 64 pixels
    res/banner.bmp    about-box banner (resource 134): 258x124, uncompressed 24-bit
    res/wizard.bmp    the setup program's welcome and finish pages: 164x314, uncompressed 24-bit

It also puts the manual's pictures into docs/Manual.rtf: each {\*\quorvexpicture NAME ALT} there is
followed by picture groups holding docs/NAME, a PNG that scripts/screenshot.sh made, so that the
build needs no display: the PNG, and the same picture as a bitmap for rich-text readers that draw
no PNG. And it writes the manual as a web page, docs/Manual.html, from docs/Manual.rtf: the same
text, with the pictures inside the file, for a Windows without a program for Word documents.

The banner fits the 173x83 dialog-unit picture control of the about box whether "MS Sans Serif"
8 pt gives 6x13 base units (Windows: 260x135 pixels) or 6x12 (Wine's stand-in font: 260x124).

Usage: scripts/make-assets.py [--out DIR] [--preview DIR] [--banner-size WxH] [--manual RTF]
  --out          folder to write into (default: res/ beside this script's folder)
  --preview      also write PNG copies there, for looking at (not part of the build)
  --banner-size  another banner size; the design stays centred (Wine's stand-in for
                 "MS Sans Serif" has 6x12 base units, for which 258x125 fits the control)
  --manual       the manual whose pictures are renewed and that is written as a web page beside
                 it (default: docs/Manual.rtf)

Everything is drawn with anti-aliased signed-distance shapes and a small built-in stroke font;
the same script always writes the same bytes.
"""

import argparse
import base64
import html
import math
import os
import re
import struct
import zlib

# ---------------------------------------------------------------------------------------------
# A tiny RGBA canvas with analytic anti-aliasing.
# ---------------------------------------------------------------------------------------------


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def hex_rgb(s):
    s = s.lstrip("#")
    return tuple(int(s[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


class Canvas:
    """Premultiplied-free RGBA floats, (0,0) = top-left pixel; pixel centres at +0.5."""

    def __init__(self, w, h, bg=None):
        self.w, self.h = w, h
        if bg is None:
            self.px = [[(0.0, 0.0, 0.0, 0.0) for _ in range(w)] for _ in range(h)]
        else:
            self.px = [[(bg[0], bg[1], bg[2], 1.0) for _ in range(w)] for _ in range(h)]

    def blend(self, x, y, rgb, a):
        if a <= 0.0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        r0, g0, b0, a0 = self.px[y][x]
        ao = a + a0 * (1.0 - a)
        if ao <= 0.0:
            return
        k = a0 * (1.0 - a)
        self.px[y][x] = ((rgb[0] * a + r0 * k) / ao,
                         (rgb[1] * a + g0 * k) / ao,
                         (rgb[2] * a + b0 * k) / ao, ao)

    def fill_sdf(self, sdf, box, color, alpha=1.0):
        """Fills where sdf(x, y) < 0; color is an rgb tuple or a function (x, y) -> rgb."""
        x0, y0, x1, y1 = box
        for y in range(max(0, int(math.floor(y0)) - 1), min(self.h, int(math.ceil(y1)) + 1)):
            for x in range(max(0, int(math.floor(x0)) - 1), min(self.w, int(math.ceil(x1)) + 1)):
                cx, cy = x + 0.5, y + 0.5
                cov = clamp01(0.5 - sdf(cx, cy))
                if cov > 0.0:
                    rgb = color(cx, cy) if callable(color) else color
                    self.blend(x, y, rgb, cov * alpha)


def sdf_round_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def f(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return f


def round_rect(cv, x0, y0, x1, y1, r, color, alpha=1.0):
    cv.fill_sdf(sdf_round_rect(x0, y0, x1, y1, r), (x0, y0, x1, y1), color, alpha)


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0.0 else clamp01(((px - ax) * dx + (py - ay) * dy) / ll)
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def strokes(cv, segments, width, color, alpha=1.0):
    """Draws line segments [(ax, ay, bx, by), ...] with round caps, as one shape."""
    if not segments:
        return
    r = width / 2.0
    xs = [s[0] for s in segments] + [s[2] for s in segments]
    ys = [s[1] for s in segments] + [s[3] for s in segments]
    box = (min(xs) - r - 1, min(ys) - r - 1, max(xs) + r + 1, max(ys) + r + 1)

    def f(x, y):
        return min(seg_dist(x, y, *s) for s in segments) - r
    cv.fill_sdf(f, box, color, alpha)


# ---------------------------------------------------------------------------------------------
# A small geometric stroke font. Units: cap height 10, x-height 7, baseline at y = 10, y down.
# Each glyph is (advance, [paths]); a path is a polyline of points, or ("arc", cx, cy, rx, ry,
# a0, a1) with angles in degrees, counter-clockwise as seen on screen (90 = top).
# ---------------------------------------------------------------------------------------------

XH = 3.0  # top of the x-height
BL = 10.0  # baseline
DS = 13.0  # descender


def arc(cx, cy, rx, ry, a0, a1):
    return ("arc", cx, cy, rx, ry, a0, a1)


BOWL = (3.0, 6.5, 3.0, 3.5)  # the round part of a, b, d, o, p, q, e, c

FONT = {
    " ": (3.0, []),
    ".": (1.2, [[(0.0, 9.9), (0.0, 10.0)]]),
    ",": (1.2, [[(0.2, 9.8), (-0.4, 11.2)]]),
    "-": (3.5, [[(0.0, 6.3), (3.0, 6.3)]]),
    "0": (6.0, [arc(3.0, 5.0, 3.0, 5.0, 0, 360)]),
    "1": (4.0, [[(0.4, 1.8), (2.4, 0.0), (2.4, 10.0)]]),
    "a": (6.0, [arc(*BOWL, 0, 360), [(6.0, XH), (6.0, BL)]]),
    "b": (6.0, [arc(*BOWL, 0, 360), [(0.0, 0.0), (0.0, BL)]]),
    "c": (5.6, [arc(*BOWL, 50, 310)]),
    "d": (6.0, [arc(*BOWL, 0, 360), [(6.0, 0.0), (6.0, BL)]]),
    "e": (6.0, [[(0.0, 6.5), (6.0, 6.5)], arc(*BOWL, 0, 315)]),
    "f": (3.6, [[(1.2, BL), (1.2, 2.2)], arc(3.4, 2.2, 2.2, 2.2, 180, 60), [(0.0, XH), (3.4, XH)]]),
    "g": (6.0, [arc(*BOWL, 0, 360), [(6.0, XH), (6.0, 10.6)], arc(3.0, 10.6, 3.0, 2.4, 0, -150)]),
    "h": (6.0, [[(0.0, 0.0), (0.0, BL)], arc(*BOWL, 180, 0), [(6.0, 6.5), (6.0, BL)]]),
    "i": (0.0, [[(0.0, XH), (0.0, BL)], [(0.0, 0.8), (0.0, 0.9)]]),
    "k": (5.0, [[(0.0, 0.0), (0.0, BL)], [(5.0, XH), (0.0, 7.4)], [(1.9, 5.9), (5.2, BL)]]),
    "l": (0.0, [[(0.0, 0.0), (0.0, BL)]]),
    "m": (9.0, [[(0.0, XH), (0.0, BL)], arc(2.25, 5.9, 2.25, 2.9, 180, 0), [(4.5, 5.9), (4.5, BL)],
                arc(6.75, 5.9, 2.25, 2.9, 180, 0), [(9.0, 5.9), (9.0, BL)]]),
    "n": (6.0, [[(0.0, XH), (0.0, BL)], arc(*BOWL, 180, 0), [(6.0, 6.5), (6.0, BL)]]),
    "o": (6.0, [arc(*BOWL, 0, 360)]),
    "p": (6.0, [arc(*BOWL, 0, 360), [(0.0, XH), (0.0, DS)]]),
    "q": (6.0, [arc(*BOWL, 0, 360), [(6.0, XH), (6.0, DS)]]),
    "r": (3.8, [[(0.0, XH), (0.0, BL)], arc(3.4, 6.5, 3.4, 3.5, 180, 75)]),
    "s": (5.0, [arc(2.5, 4.75, 2.4, 1.75, 35, 270), arc(2.5, 8.25, 2.5, 1.75, 90, -145)]),
    "t": (3.4, [[(1.2, 0.8), (1.2, 8.6)], arc(2.7, 8.6, 1.5, 1.4, 180, 300), [(0.0, XH), (3.2, XH)]]),
    "u": (6.0, [[(0.0, XH), (0.0, 6.5)], arc(*BOWL, 180, 360), [(6.0, XH), (6.0, BL)]]),
    "v": (6.0, [[(0.0, XH), (3.0, BL), (6.0, XH)]]),
    "w": (9.0, [[(0.0, XH), (2.25, BL), (4.5, XH + 0.6), (6.75, BL), (9.0, XH)]]),
    "x": (5.6, [[(0.0, XH), (5.6, BL)], [(5.6, XH), (0.0, BL)]]),
    "y": (6.0, [[(0.0, XH), (3.1, 9.6)], [(6.0, XH), (2.6, 11.6), (1.8, 12.6), (0.6, 12.9)]]),
    "C": (8.0, [arc(4.6, 5.0, 4.6, 5.0, 45, 315)]),
    "Q": (9.6, [arc(4.8, 5.0, 4.8, 5.0, 0, 360), [(5.9, 7.6), (9.4, 11.0)]]),
    "S": (6.4, [arc(3.2, 2.55, 3.0, 2.55, 30, 270), arc(3.2, 7.45, 3.2, 2.55, 90, -150)]),
    "V": (8.4, [[(0.0, 0.0), (4.2, BL), (8.4, 0.0)]]),
}


def glyph_segments(ch, ox, oy, scale):
    """Line segments of one glyph placed with its top-left at (ox, oy), and its advance."""
    adv, paths = FONT[ch]
    segs = []
    for p in paths:
        if isinstance(p, tuple) and p[0] == "arc":
            _, cx, cy, rx, ry, a0, a1 = p
            n = max(8, int(abs(a1 - a0) / 10))
            pts = []
            for i in range(n + 1):
                t = math.radians(a0 + (a1 - a0) * i / n)
                pts.append((cx + rx * math.cos(t), cy - ry * math.sin(t)))
        else:
            pts = p
        for (ax, ay), (bx, by) in zip(pts, pts[1:]):
            segs.append((ox + ax * scale, oy + ay * scale, ox + bx * scale, oy + by * scale))
    return segs, adv * scale


def text_width(s, scale, tracking):
    return sum(FONT[c][0] * scale for c in s) + tracking * scale * (len(s) - 1)


def draw_text(cv, s, x, y_cap_top, scale, width, color, tracking=2.2, alpha=1.0):
    """Draws s with its cap top at y_cap_top; tracking is the gap between glyphs in font units."""
    for ch in s:
        segs, adv = glyph_segments(ch, x, y_cap_top, scale)
        strokes(cv, segs, width, color, alpha)
        x += adv + tracking * scale
    return x


# ---------------------------------------------------------------------------------------------
# The clipboard glyph.
# ---------------------------------------------------------------------------------------------

BOARD_EDGE = hex_rgb("#4e2f14")
BOARD_TOP = hex_rgb("#b07a43")
BOARD_BOTTOM = hex_rgb("#8a5a2b")
PAPER = hex_rgb("#ffffff")
PAPER_SHADE = hex_rgb("#e6ebf2")
PAPER_EDGE = hex_rgb("#9aa6b4")
CLIP_EDGE = hex_rgb("#3b434c")
CLIP_TOP = hex_rgb("#e3e8ee")
CLIP_BOTTOM = hex_rgb("#98a3ae")
LINE = hex_rgb("#2f6fc0")
LINE_SOFT = hex_rgb("#7aa7dc")


def vgrad(top, bottom, y0, y1):
    return lambda x, y: mix(top, bottom, clamp01((y - y0) / max(1e-6, y1 - y0)))


# Layouts per icon size, in pixels, so that the small sizes stay on the pixel grid.
# board: outer rectangle and corner radius; paper: rectangle; clip: outer rectangle and radius;
# lines: (y, x0, x1) of the written lines on the paper; edge: outline width.
ICON_LAYOUTS = {
    16: dict(board=(2, 1, 14, 16, 1.5), paper=(4, 4, 12, 15), paper_edge=False, clip=(4, 0, 12, 5, 1.0),
             hole=None, lines=[(6.5, 5.5, 10.5), (8.5, 5.5, 10.5), (10.5, 5.5, 8.5), (12.5, 5.5, 10.5)],
             line_w=1.0, edge=1.0),
    32: dict(board=(4, 3, 28, 31, 3.0), paper=(7, 8, 25, 28.5), paper_edge=True, clip=(10, 1, 22, 8, 2.0),
             hole=(14.5, 2.5, 17.5, 4.5), lines=[(12.5, 10, 22), (16.5, 10, 22), (20.5, 10, 19), (24.5, 10, 21)],
             line_w=1.8, edge=1.0),
    48: dict(board=(6, 4, 42, 47, 4.0), paper=(10, 11, 38, 43), paper_edge=True, clip=(15, 1, 33, 11, 3.0),
             hole=(21.5, 3, 26.5, 6), lines=[(17.5, 14, 33), (23.5, 14, 33), (29.5, 14, 29), (35.5, 14, 31.5)],
             line_w=1.8, edge=1.5),
}


def draw_clipboard(cv, L, dx=0.0, dy=0.0, scale=1.0):
    def s(v):
        return v * scale

    bx0, by0, bx1, by1, br = L["board"]
    bx0, by0, bx1, by1 = s(bx0) + dx, s(by0) + dy, s(bx1) + dx, s(by1) + dy
    e = s(L["edge"])
    round_rect(cv, bx0, by0, bx1, by1, s(br), BOARD_EDGE)
    round_rect(cv, bx0 + e, by0 + e, bx1 - e, by1 - e, max(0.5, s(br) - e),
               vgrad(BOARD_TOP, BOARD_BOTTOM, by0, by1))

    px0, py0, px1, py1 = L["paper"]
    px0, py0, px1, py1 = s(px0) + dx, s(py0) + dy, s(px1) + dx, s(py1) + dy
    if L["paper_edge"]:
        round_rect(cv, px0, py0, px1, py1, s(0.5), PAPER_EDGE)
        px0, py0, px1, py1 = px0 + e * 0.6, py0 + e * 0.6, px1 - e * 0.6, py1 - e * 0.6
    round_rect(cv, px0, py0, px1, py1, s(0.3), vgrad(PAPER, PAPER_SHADE, py0, py1))
    for (y, x0, x1) in L["lines"]:
        strokes(cv, [(s(x0) + dx, s(y) + dy, s(x1) + dx, s(y) + dy)], s(L["line_w"]),
                LINE if y < L["lines"][-1][0] else LINE_SOFT)

    cx0, cy0, cx1, cy1, cr = L["clip"]
    cx0, cy0, cx1, cy1 = s(cx0) + dx, s(cy0) + dy, s(cx1) + dx, s(cy1) + dy
    round_rect(cv, cx0, cy0, cx1, cy1, s(cr), CLIP_EDGE)
    round_rect(cv, cx0 + e, cy0 + e, cx1 - e, cy1 - e, max(0.4, s(cr) - e),
               vgrad(CLIP_TOP, CLIP_BOTTOM, cy0, cy1))
    if L["hole"]:
        hx0, hy0, hx1, hy1 = L["hole"]
        round_rect(cv, s(hx0) + dx, s(hy0) + dy, s(hx1) + dx, s(hy1) + dy,
                   s(min(hx1 - hx0, hy1 - hy0)) / 2.0, CLIP_EDGE)


# ---------------------------------------------------------------------------------------------
# File writers.
# ---------------------------------------------------------------------------------------------


def to_byte(v):
    return int(round(clamp01(v) * 255.0))


def ico_image(cv):
    """BITMAPINFOHEADER + bottom-up BGRA + AND mask (1 = transparent), as an .ico entry holds."""
    w, h = cv.w, cv.h
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = cv.px[y][x]
            ab = to_byte(a)
            if ab == 0:
                xor += b"\0\0\0\0"
            else:
                xor += bytes((to_byte(b), to_byte(g), to_byte(r), ab))
    row_bytes = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(w):
            if to_byte(cv.px[y][x][3]) == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(xor) + bytes(mask)


def write_ico(path, canvases):
    images = [ico_image(cv) for cv in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for cv, img in zip(canvases, images):
        out += struct.pack("<BBBBHHII", cv.w % 256, cv.h % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    with open(path, "wb") as f:
        f.write(out)


def write_bmp24(path, cv):
    w, h = cv.w, cv.h
    row_bytes = (w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, _ = cv.px[y][x]
            row += bytes((to_byte(b), to_byte(g), to_byte(r)))
        row += bytes(row_bytes - len(row))
        pixels += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + bytes(pixels))


def write_png(path, cv, scale=1, bg=(1.0, 1.0, 1.0)):
    """A preview: RGB, transparent parts put on bg, enlarged by whole pixels."""
    raw = bytearray()
    for y in range(cv.h * scale):
        raw.append(0)
        for x in range(cv.w * scale):
            r, g, b, a = cv.px[y // scale][x // scale]
            raw += bytes(to_byte(c * a + bc * (1.0 - a)) for c, bc in zip((r, g, b), bg))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    ihdr = struct.pack(">IIBBBBB", cv.w * scale, cv.h * scale, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
                + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# ---------------------------------------------------------------------------------------------
# The two assets.
# ---------------------------------------------------------------------------------------------


ICON_SIZES = (16, 20, 24, 32, 40, 48, 64)


def make_icon(size):
    """A size without a layout of its own scales the largest layout that divides it, else the
    largest one below it."""
    cv = Canvas(size, size)
    if size in ICON_LAYOUTS:
        draw_clipboard(cv, ICON_LAYOUTS[size])
    else:
        smaller = [k for k in ICON_LAYOUTS if k < size]
        dividing = [k for k in smaller if size % k == 0]
        base = max(dividing or smaller)
        draw_clipboard(cv, ICON_LAYOUTS[base], scale=size / base)
    return cv


BANNER_W, BANNER_H = 258, 124
SKY_TOP = hex_rgb("#16324f")
SKY_BOTTOM = hex_rgb("#2b6a9c")
ACCENT = hex_rgb("#f2b84b")
WHITE = hex_rgb("#ffffff")
MUTED = hex_rgb("#bcd3e8")


def make_banner(w=BANNER_W, h=BANNER_H):
    cv = Canvas(w, h, SKY_TOP)
    # The design is laid out for 260x135 and stays centred in another size.
    ox, oy = (w - BANNER_W) / 2.0, (h - BANNER_H) / 2.0

    # Background: a diagonal gradient with two soft translucent bands.
    for y in range(h):
        for x in range(w):
            t = clamp01((y / h) * 0.75 + (x / w) * 0.25)
            c = mix(SKY_TOP, SKY_BOTTOM, t)
            cv.px[y][x] = (c[0], c[1], c[2], 1.0)
    band = lambda k, bw: (lambda x, y: abs((x - ox - 0.9 * (y - oy)) - k) - bw)  # noqa: E731
    cv.fill_sdf(band(150, 26), (0, 0, w, h), WHITE, 0.05)
    cv.fill_sdf(band(215, 12), (0, 0, w, h), WHITE, 0.04)

    # A soft shadow, then the clipboard glyph at 48-pixel design drawn 1.5 times larger.
    gx, gy, gs = 16.0 + ox, 27.0 + oy, 1.5
    round_rect(cv, gx + 6 * gs + 3, gy + 4 * gs + 4, gx + 42 * gs + 3, gy + 47 * gs + 4, 6.0,
               hex_rgb("#000000"), 0.22)
    draw_clipboard(cv, ICON_LAYOUTS[48], dx=gx, dy=gy, scale=gs)

    # The product name on two lines, a rule in the accent colour, the maker and the version.
    tx = 104.0 + ox
    draw_text(cv, "Clipboard", tx, 26.0 + oy, 2.05, 2.3, WHITE, tracking=2.0)
    draw_text(cv, "Quorvex", tx, 55.0 + oy, 2.05, 2.3, WHITE, tracking=2.0)
    strokes(cv, [(tx + 1, 88.0 + oy, tx + 44, 88.0 + oy)], 2.0, ACCENT)
    draw_text(cv, "Corvellan Software", tx, 97.0 + oy, 0.82, 1.05, MUTED, tracking=2.4)
    draw_text(cv, "version 1.00", tx, 111.0 + oy, 0.82, 1.05, MUTED, tracking=2.4)
    return cv


WIZARD_W, WIZARD_H = 164, 314


def make_wizard():
    """The banner's colours upright: the glyph large at the top, the name and the maker beneath."""
    w, h = WIZARD_W, WIZARD_H
    cv = Canvas(w, h, SKY_TOP)
    for y in range(h):
        for x in range(w):
            c = mix(SKY_TOP, SKY_BOTTOM, clamp01((y / h) * 0.8 + (x / w) * 0.2))
            cv.px[y][x] = (c[0], c[1], c[2], 1.0)
    band = lambda k, bw: (lambda x, y: abs((x - 0.45 * y) - k) - bw)  # noqa: E731
    cv.fill_sdf(band(40, 30), (0, 0, w, h), WHITE, 0.05)
    cv.fill_sdf(band(120, 12), (0, 0, w, h), WHITE, 0.04)

    gs = 2.0
    gx, gy = w / 2.0 - 24 * gs, 44.0
    round_rect(cv, gx + 6 * gs + 3, gy + 4 * gs + 4, gx + 42 * gs + 3, gy + 47 * gs + 4, 8.0,
               hex_rgb("#000000"), 0.22)
    draw_clipboard(cv, ICON_LAYOUTS[48], dx=gx, dy=gy, scale=gs)

    def centred(s, y, scale, width, color, tracking):
        draw_text(cv, s, (w - text_width(s, scale, tracking)) / 2.0, y, scale, width, color, tracking)

    centred("Clipboard", 178.0, 1.6, 2.0, WHITE, 2.0)
    centred("Quorvex", 202.0, 1.6, 2.0, WHITE, 2.0)
    strokes(cv, [(w / 2.0 - 22, 230.0, w / 2.0 + 22, 230.0)], 2.0, ACCENT)
    centred("Corvellan Software", 242.0, 0.82, 1.05, MUTED, 2.4)
    return cv


# ---------------------------------------------------------------------------------------------
# The manual: its pictures inside docs/Manual.rtf, and the same manual as a web page.
# ---------------------------------------------------------------------------------------------

# {\*\quorvexpicture NAME ALT} names a PNG beside the manual and what it shows; the picture groups
# this script wrote after it last time are replaced.
PICTURE = re.compile(r"(\{\\\*\\quorvexpicture ([^ }]+)(?: ([^}]*))?\})"
                     r"(\{\\\*\\shppict\{\\pict[^}]*\}\}\{\\nonshppict\{\\pict[^}]*\}\})?")


def read_png(path):
    """A PNG's size and its pixels as rows of (r, g, b), transparency put on white. Handles what
    ImageMagick's import writes: 8 bits or fewer a sample, not interlaced."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("%s is not a PNG" % path)
    chunks, pos = {}, 8
    while pos < len(data):
        size, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunks[kind] = chunks.get(kind, b"") + data[pos + 8:pos + 8 + size]
        pos += 12 + size
    w, h, depth, kind, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    if depth > 8 or interlace:
        raise ValueError("%s: only PNGs of 8 bits or fewer a sample, not interlaced" % path)
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[kind]
    stride = (w * channels * depth + 7) // 8
    step = max(1, channels * depth // 8)  # the filters' distance to the pixel before
    raw = zlib.decompress(chunks[b"IDAT"])
    palette = chunks.get(b"PLTE", b"")
    opacity = chunks.get(b"tRNS", b"")
    top = (1 << depth) - 1

    def on_white(r, g, b, a):
        return tuple((c * a + 255 * (255 - a) + 127) // 255 for c in (r, g, b))

    rows, prior = [], bytearray(stride)
    for y in range(h):
        filt, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - step] if x >= step else 0
            b = prior[x]
            c = prior[x - step] if x >= step else 0
            if filt == 1:
                line[x] = (line[x] + a) & 255
            elif filt == 2:
                line[x] = (line[x] + b) & 255
            elif filt == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif filt == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        prior = line
        if depth == 8:
            samples = list(line)
        else:
            samples = [(line[i * depth // 8] >> (8 - depth - i * depth % 8)) & top for i in range(w * channels)]
        row = []
        for x in range(w):
            s = samples[x * channels:(x + 1) * channels]
            if kind == 3:
                alpha = opacity[s[0]] if s[0] < len(opacity) else 255
                row.append(on_white(*palette[3 * s[0]:3 * s[0] + 3], alpha))
            elif kind in (0, 4):
                g = s[0] * 255 // top
                row.append(on_white(g, g, g, s[1] if kind == 4 else 255))
            else:
                row.append(on_white(*s[:3], s[3] if kind == 6 else 255))
        rows.append(row)
    return w, h, rows


def dib(w, h, rows):
    """A bottom-up device-independent bitmap (header, colour table, pixels): 1, 4 or 8 bits a
    pixel through a colour table where the picture has that few colours, else 24."""
    colours = sorted(set(p for row in rows for p in row))
    bits = next((b for b in (1, 4, 8) if len(colours) <= 1 << b), 24)
    index = {c: i for i, c in enumerate(colours)}
    row_bytes = (w * bits + 31) // 32 * 4
    pixels = bytearray()
    for row in reversed(rows):
        if bits == 24:
            line = bytearray(b"".join(bytes((b, g, r)) for r, g, b in row))
        else:
            line = bytearray(row_bytes)
            for x, p in enumerate(row):
                line[x * bits // 8] |= index[p] << (8 - bits - x * bits % 8)
        pixels += line + bytes(row_bytes - len(line))
    table = b"" if bits == 24 else b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(pixels), 3780, 3780,
                         0 if bits == 24 else len(colours), 0)
    return header + table + bytes(pixels)


def rtf_hex(data):
    text = data.hex()
    return "\n".join(text[i:i + 128] for i in range(0, len(text), 128))


def rtf_picture(path):
    """A PNG as RTF picture groups at its size on a 96 dpi screen (15 twips a pixel): the PNG for
    readers that draw it, and beside it the same picture as a bitmap for readers that do not."""
    with open(path, "rb") as f:
        png = f.read()
    w, h, rows = read_png(path)
    size = "\\picw%d\\pich%d\\picwgoal%d\\pichgoal%d" % (w, h, w * 15, h * 15)
    return ("{\\*\\shppict{\\pict\\pngblip%s\n%s}}{\\nonshppict{\\pict\\dibitmap0%s\n%s}}"
            % (size, rtf_hex(png), size, rtf_hex(dib(w, h, rows))))


def embed_pictures(manual):
    folder = os.path.dirname(manual)
    with open(manual, "r", encoding="ascii", newline="") as f:
        text = f.read()
    text = PICTURE.sub(lambda m: m.group(1) + rtf_picture(os.path.join(folder, m.group(2))), text)
    with open(manual, "w", encoding="ascii", newline="") as f:
        f.write(text)


# The manual's RTF, read as a tree: a group is a list of control words (name, number or None),
# texts and groups.
RTF_TOKEN = re.compile(r"\\([a-z]+)(-?\d+)? ?|\\'([0-9a-f]{2})|\\([\\{}*])|([{}])|[\r\n]+|([^\\{}\r\n]+)")


def rtf_tree(text):
    stack, pos = [[]], 0
    for m in RTF_TOKEN.finditer(text):
        if m.start() != pos:
            raise ValueError("RTF the manual does not use at offset %d: %r" % (pos, text[pos:pos + 20]))
        pos = m.end()
        word, number, code, symbol, brace, plain = m.groups()
        if brace == "{":
            stack.append([])
        elif brace == "}":
            group = stack.pop()
            stack[-1].append(group)
        elif word:
            stack[-1].append((word, int(number) if number else None))
        elif code:
            stack[-1].append(bytes([int(code, 16)]).decode("cp1252"))
        elif symbol == "*":
            stack[-1].append(("*", None))
        elif symbol:
            stack[-1].append(symbol)
        elif plain:
            stack[-1].append(plain)
    if pos != len(text) or len(stack) != 1 or len(stack[0]) != 1:
        raise ValueError("the manual's braces do not pair up")
    return stack[0][0]


def group_text(group):
    return "".join(item if isinstance(item, str) else group_text(item) if isinstance(item, list) else ""
                   for item in group)


# Control words that change nothing a web page shows: page size, keeping lines together, tab stops,
# the table's gaps and its borders (a web page's table has them all).
RTF_LAYOUT_ONLY = {"rtf", "ansi", "ansicpg", "deff", "deflang", "paperw", "paperh", "margl", "margr", "margt",
                   "margb", "widowctrl", "viewkind", "keepn", "tx", "trgaph", "trleft", "trkeep", "clbrdrt",
                   "clbrdrl", "clbrdrb", "clbrdrr", "brdrs", "brdrw"}
PLAIN = dict(b=0, i=0, f=0, fs=24, cf=0)
PARAGRAPH = dict(qc=False, sb=0, sa=0, fi=0, li=0, intbl=False)
FAMILIES = {"fswiss": "sans-serif", "froman": "serif", "fmodern": "monospace"}


class ManualPage:
    """The manual's RTF as blocks of a web page: paragraphs, headings, bullet lists, tables and
    pictures, each with the look the RTF gives it."""

    def __init__(self, folder):
        self.folder = folder
        self.title = ""
        self.fonts, self.colours = {}, []
        self.blocks = []  # ("p", paragraph format, runs) or ("table", [(cells, [runs of each cell])])
        self.runs = []  # (text or ("picture", name, alt), character format)
        self.row = []  # cells of the row being read: (right edge in twips, background)
        self.cells = []
        self.background = 0

    def read(self, group, state):
        state = dict(state)
        head = group[0] if group else None
        if head in (("fonttbl", None), ("colortbl", None), ("info", None), ("*", None), ("nonshppict", None)):
            self.destination(group)
            return
        for item in group:
            if isinstance(item, list):
                self.read(item, state)
            elif isinstance(item, str):
                self.runs.append((item, {k: state[k] for k in PLAIN}))
            else:
                self.control(item, state)

    def destination(self, group):
        name = group[0][0] if group[0][0] != "*" else group[1][0]
        if name == "fonttbl":
            for font in group[1:]:
                words = dict(w for w in font if isinstance(w, tuple))
                family = next(FAMILIES[w] for w in words if w in FAMILIES)
                self.fonts[words["f"]] = '"%s", %s' % (group_text(font).rstrip(";"), family)
        elif name == "colortbl":
            rgb = {}
            for item in group[1:]:
                if isinstance(item, tuple):
                    rgb[item[0]] = item[1]
                    continue
                for _ in range(item.count(";")):
                    self.colours.append("#%02x%02x%02x" % (rgb["red"], rgb["green"], rgb["blue"]) if rgb else None)
                    rgb = {}
        elif name == "info":
            self.title = next(group_text(g[1:]) for g in group[1:] if isinstance(g, list) and g[0] == ("title", None))
        elif name == "quorvexpicture":
            picture, _, alt = group_text(group[2:]).partition(" ")
            self.runs.append((("picture", picture, alt), dict(PLAIN)))
        # Any other destination (the pictures' data, ignorable groups) shows nothing here.

    def control(self, item, state):
        word, number = item
        if word in RTF_LAYOUT_ONLY:
            return
        if word == "pard":
            state.update(PARAGRAPH)
        elif word == "plain":
            state.update(PLAIN)
        elif word in ("b", "i"):
            state[word] = 1 if number is None else number
        elif word in ("f", "fs", "cf", "sb", "sa", "fi", "li"):
            state[word] = number
        elif word in ("qc", "intbl"):
            state[word] = True
        elif word == "tab":
            self.runs.append(("\t", {k: state[k] for k in PLAIN}))
        elif word == "bullet":
            self.runs.append(("\u2022", {k: state[k] for k in PLAIN}))
        elif word == "par":
            self.blocks.append(("p", {k: state[k] for k in PARAGRAPH}, self.runs))
            self.runs = []
        elif word == "trowd":
            self.row = []
        elif word == "clcbpat":
            self.background = number
        elif word == "cellx":
            self.row.append((number, self.background))
            self.background = 0
        elif word == "cell":
            self.cells.append(self.runs)
            self.runs = []
        elif word == "row":
            if not self.blocks or self.blocks[-1][0] != "table":
                self.blocks.append(("table", []))
            self.blocks[-1][1].append((list(self.row), self.cells))
            self.cells = []
        else:
            raise ValueError("the web page of the manual does not know \\%s" % word)

    # --- writing ---------------------------------------------------------------------------------

    def picture(self, name, alt):
        path = os.path.join(self.folder, name)
        w, h, _ = read_png(path)
        with open(path, "rb") as f:
            data = base64.b64encode(f.read()).decode("ascii")
        return '<img src="data:image/png;base64,%s" width="%d" height="%d" alt="%s">' % (
            data, w, h, html.escape(alt))

    def inline(self, runs, base):
        """The runs as HTML, each format that differs from the block's base written around them."""
        merged = []
        for content, fmt in runs:
            if merged and isinstance(content, str) and isinstance(merged[-1][0], str) and merged[-1][1] == fmt:
                merged[-1] = (merged[-1][0] + content, fmt)
            else:
                merged.append((content, fmt))
        out = []
        for content, fmt in merged:
            if isinstance(content, tuple):
                out.append(self.picture(content[1], content[2]))
                continue
            text = html.escape(content.replace("\t", " "), quote=False)
            styles = []
            if fmt["fs"] != base["fs"]:
                styles.append("font-size:%gpt" % (fmt["fs"] / 2))
            if fmt["cf"] != base["cf"]:
                styles.append("color:%s" % (self.colours[fmt["cf"]] or "inherit"))
            if styles:
                text = '<span style="%s">%s</span>' % (";".join(styles), text)
            if fmt["f"] != base["f"]:
                text = ("<code>%s</code>" if self.fonts[fmt["f"]].endswith("monospace")
                        else '<span style="font-family:%s">%%s</span>' % html.escape(self.fonts[fmt["f"]])) % text
            if fmt["i"] and not base["i"]:
                text = "<i>%s</i>" % text
            if fmt["b"] and not base["b"]:
                text = "<b>%s</b>" % text
            out.append(text)
        return "".join(out)

    @staticmethod
    def base_format(runs):
        """What every run of a block shares (the first run's where they differ)."""
        formats = [fmt for content, fmt in runs if not isinstance(content, tuple)] or [dict(PLAIN, fs=20)]
        return {k: (formats[0][k] if all(f[k] == formats[0][k] for f in formats) else PLAIN[k]) for k in PLAIN}

    def block_style(self, base, para=None, more=()):
        styles = list(more)
        if base["f"]:
            styles.append("font-family:%s" % self.fonts[base["f"]].replace('"', "'"))
        if base["fs"] != 20:
            styles.append("font-size:%gpt" % (base["fs"] / 2))
        if base["cf"]:
            styles.append("color:%s" % self.colours[base["cf"]])
        if base["b"]:
            styles.append("font-weight:bold")
        if base["i"]:
            styles.append("font-style:italic")
        if para is not None:
            styles.append("margin:%gpt 0 %gpt" % (para["sb"] / 20, para["sa"] / 20))
            if para["qc"]:
                styles.append("text-align:center")
        return ' style="%s"' % ";".join(styles) if styles else ""

    def body(self):
        out, in_list = [], False
        for block in self.blocks:
            bullet = (block[0] == "p" and block[1]["fi"] < 0 and len(block[2]) > 1
                      and block[2][0][0] == "\u2022" and block[2][1][0] == "\t")
            if in_list and not bullet:
                out.append("</ul>")
            if bullet and not in_list:
                out.append("<ul>")
            in_list = bullet
            if block[0] == "table":
                out.append(self.table(block[1]))
                continue
            para, runs = block[1], block[2][2:] if bullet else block[2]
            base = self.base_format(runs)
            tag = "li" if bullet else "h1" if base["fs"] >= 40 and base["b"] else "h2" if base["fs"] >= 28 else "p"
            heading = tag in ("h1", "h2")
            if heading:
                base = dict(base, b=1)
            style = self.block_style(dict(base, b=0) if heading else base, para)  # a heading is bold anyway
            out.append("<%s%s>%s</%s>" % (tag, style, self.inline(runs, base), tag))
        if in_list:
            out.append("</ul>")
        return "\n".join(out)

    def table(self, rows):
        out = ["<table>"]
        for cells_format, cells in rows:
            right = cells_format[-1][0]
            out.append("<tr>")
            left = 0
            for (edge, background), runs in zip(cells_format, cells):
                base = self.base_format(runs)
                cell = ["width:%d%%" % round(100 * (edge - left) / right)]
                if background:
                    cell.append("background:%s" % self.colours[background])
                out.append("<td%s>%s</td>" % (self.block_style(base, more=cell), self.inline(runs, base)))
                left = edge
            out.append("</tr>")
        out.append("</table>")
        return "\n".join(out)

    def page(self):
        body_font = self.fonts[0]
        mono = next(f for f in self.fonts.values() if f.endswith("monospace"))
        return """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>%s</title>
<style>
body { font-family: %s; font-size: 10pt; line-height: 1.35; max-width: 465pt; margin: 2em auto; padding: 0 1em; }
h1, h2 { line-height: 1.2; }
ul { margin: 0 0 6pt; padding-left: 14pt; }
code { font-family: %s; font-size: inherit; }
table { border-collapse: collapse; width: 100%%; margin: 6pt 0; }
td { border: 1px solid #000; padding: 2pt 5pt; vertical-align: top; }
img { max-width: 100%%; height: auto; }
</style>
</head>
<body>
%s
</body>
</html>
""" % (html.escape(self.title), body_font, mono, self.body())


def write_manual_page(manual):
    """Writes the manual as a web page (Manual.html beside it), its pictures inside the file."""
    with open(manual, "r", encoding="ascii", newline="") as f:
        tree = rtf_tree(f.read())
    page = ManualPage(os.path.dirname(manual))
    page.read(tree, dict(PLAIN, **PARAGRAPH))
    target = os.path.join(os.path.dirname(manual), "Manual.html")
    with open(target, "w", encoding="utf-8", newline="\n") as f:
        f.write(page.page())
    return target


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description="Writes res/quorvex.ico, res/banner.bmp, res/wizard.bmp, the manual's "
                                             "pictures and docs/Manual.html.")
    ap.add_argument("--out", default=os.path.join(here, "..", "res"))
    ap.add_argument("--preview", default=None)
    ap.add_argument("--banner-size", default="%dx%d" % (BANNER_W, BANNER_H))
    ap.add_argument("--manual", default=os.path.join(here, "..", "docs", "Manual.rtf"))
    args = ap.parse_args()
    bw, bh = (int(v) for v in args.banner_size.lower().split("x"))

    icons = [make_icon(s) for s in ICON_SIZES]
    banner = make_banner(bw, bh)
    wizard = make_wizard()
    os.makedirs(args.out, exist_ok=True)
    write_ico(os.path.join(args.out, "quorvex.ico"), icons)
    write_bmp24(os.path.join(args.out, "banner.bmp"), banner)
    write_bmp24(os.path.join(args.out, "wizard.bmp"), wizard)
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        for cv in icons:
            write_png(os.path.join(args.preview, "icon-%d.png" % cv.w), cv, scale=max(1, 192 // cv.w))
        write_png(os.path.join(args.preview, "banner.png"), banner, scale=2)
        write_png(os.path.join(args.preview, "wizard.png"), wizard, scale=2)
    embed_pictures(args.manual)
    page = write_manual_page(args.manual)
    print("wrote", ", ".join(os.path.normpath(os.path.join(args.out, name))
                             for name in ("quorvex.ico", "banner.bmp", "wizard.bmp")),
          "the pictures of", os.path.normpath(args.manual), "and", os.path.normpath(page))


if __name__ == "__main__":
    main()
