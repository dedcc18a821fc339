#!/usr/bin/env python3
"""Draws the demo site's images (small PNG files) under the names the
component's markup uses: the error screen's frame and buttons, the page
chrome icons and the file-type icons. Run from the repository root; the
output is committed, so this only needs running when a drawing changes."""
import colorsys
import os
import struct
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "site")


def png(path, w, h, pixel):
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(w)) for y in range(h))

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


BLUE_TOP, BLUE_BOTTOM = (120, 160, 220), (40, 80, 160)
PAPER, EDGE = (250, 250, 245), (90, 110, 150)


def bar(y, h):
    return mix(BLUE_TOP, BLUE_BOTTOM, y / max(h - 1, 1)) + (255,)


def button(w, h, label_color, hover):
    def px(x, y):
        if x in (0, w - 1) or y in (0, h - 1):
            return EDGE + (255,)
        base = mix((235, 240, 250), (200, 210, 230), y / h)
        if hover:
            base = mix(base, (255, 220, 150), 0.5)
        # a simple glyph: a cross for close, a left arrow for return
        cx, cy = w // 2, h // 2
        if w < 30 and abs(abs(x - cx) - abs(y - cy)) < 1 and abs(x - cx) < 5:
            return label_color + (255,)
        if w >= 30 and ((y == cy and cx - 12 < x < cx + 12) or (abs(y - cy) == cx - 10 - x + 0 and cx - 14 < x < cx - 8)):
            return label_color + (255,)
        return base + (255,)
    return px


def error_screen(d):
    png(f"{d}/Zelto_Error_TopBg.asp", 10, 23, lambda x, y: bar(y, 23))
    png(f"{d}/Zelto_Error_TopLeft.asp", 24, 23,
        lambda x, y: (255, 200, 60, 255) if (x - 12) ** 2 + (y - 11) ** 2 < 40 else bar(y, 23))
    png(f"{d}/Zelto_Error_TopRight.asp", 5, 23, lambda x, y: EDGE + (255,) if x == 4 else bar(y, 23))
    # as wide as the error box, so the side borders line up when it tiles
    png(f"{d}/Zelto_Error_Bg.asp", 400, 100,
        lambda x, y: EDGE + (255,) if x in (0, 399) else PAPER + (255,))
    png(f"{d}/Zelto_Error_Bottom.asp", 400, 5, lambda x, y: bar(y, 5))
    png(f"{d}/Zelto_Error_ButtonClose1.asp", 15, 18, button(15, 18, (160, 30, 30), False))
    png(f"{d}/Zelto_Error_ButtonClose2.asp", 15, 18, button(15, 18, (220, 30, 30), True))
    png(f"{d}/Zelto_Error_ButtonReturn1.asp", 73, 20, button(73, 20, (30, 60, 140), False))
    png(f"{d}/Zelto_Error_ButtonReturn2.asp", 73, 20, button(73, 20, (30, 90, 200), True))


def square_icon(w, h, color, mark=None):
    def px(x, y):
        if x in (0, w - 1) or y in (0, h - 1):
            return mix(color, (0, 0, 0), 0.4) + (255,)
        if mark and mark(x, y):
            return (255, 255, 255, 255)
        return mix(color, (255, 255, 255), y / (2 * h)) + (255,)
    return px


def chrome(d):
    grey, green, red = (150, 150, 150), (57, 134, 123), (200, 60, 60)
    png(f"{d}/zelto_close.asp", 12, 12, square_icon(12, 12, red, lambda x, y: x == y or x == 11 - y))
    png(f"{d}/zelto_form_close.asp", 16, 16, square_icon(16, 16, red, lambda x, y: x == y or x == 15 - y))
    png(f"{d}/zelto_form_title_bg.asp", 10, 28, lambda x, y: mix((80, 150, 140), green, y / 27) + (255,))
    png(f"{d}/tb.asp", 16, 16, square_icon(16, 16, (60, 120, 200), lambda x, y: 5 <= x <= 10 and 5 <= y <= 10))
    png(f"{d}/zelto_ts.asp", 16, 16, square_icon(16, 16, (240, 180, 40), lambda x, y: x == 8 and y != 11))
    png(f"{d}/zelto_excel.asp", 16, 16, square_icon(16, 16, (30, 130, 60), lambda x, y: x == y or x == 15 - y))
    png(f"{d}/zelto_printer.asp", 16, 16, square_icon(16, 16, grey, lambda x, y: 4 <= y <= 6))
    png(f"{d}/zelto_quit.asp", 16, 16, square_icon(16, 16, red, lambda x, y: x == 8))
    png(f"{d}/zelto_gotop.asp", 16, 16, square_icon(16, 16, (60, 120, 200), lambda x, y: abs(x - 8) < y - 3 and y < 10))
    png(f"{d}/zelto_star.asp", 9, 9, lambda x, y: (240, 170, 0, 255) if abs(x - 4) + abs(y - 4) <= 3 else (0, 0, 0, 0))
    png(f"{d}/zelto_line.asp", 1, 1, lambda x, y: (200, 200, 200, 255))
    png(f"{d}/zelto_lf.asp", 8, 8, lambda x, y: (120, 120, 120, 255) if x == 3 or y == 4 else (0, 0, 0, 0))
    png(f"{d}/zelto_bar.asp", 1, 12, lambda x, y: mix((120, 200, 120), (40, 140, 40), y / 11) + (255,))
    png(f"{d}/zelto_bg_filelost.asp", 10, 10, lambda x, y: (250, 240, 240, 255))
    png(f"{d}/zelto_tab_bg.asp", 1, 26, lambda x, y: mix((245, 245, 245), (215, 215, 215), y / 25) + (255,))
    png(f"{d}/zelto_tab_title1.asp", 93, 26, square_icon(93, 26, (90, 140, 210)))
    png(f"{d}/zelto_tab_title2.asp", 93, 26, square_icon(93, 26, (190, 200, 215)))
    folder = (230, 190, 80)
    png(f"{d}/zelto_folder_close.asp", 16, 16, square_icon(16, 16, folder))
    png(f"{d}/zelto_folder_open.asp", 16, 16, square_icon(16, 16, folder, lambda x, y: y == 5))


def older_header(d):
    """The older title bar's icons live in a folder of their own."""
    grey, red = (150, 150, 150), (200, 60, 60)
    png(f"{d}/zelto_excel.asp", 16, 16, square_icon(16, 16, (30, 130, 60), lambda x, y: x == y or x == 15 - y))
    png(f"{d}/zelto_printer.asp", 16, 16, square_icon(16, 16, grey, lambda x, y: 4 <= y <= 6))
    png(f"{d}/zelto_quit.asp", 16, 16, square_icon(16, 16, red, lambda x, y: x == 8))


FILE_TYPES = ("asa asp aspx avi bat bmp cab chm cmd com cs css dll doc dwf dwg dxf exe gif hlp htc htm html img inc "
              "iso jpg js lnk log mail mdb mdf mht mid midi mp3 pct pdf ppt rar reg rm rmvb sql swf sys text txt url "
              "vda vs wav wmp wmv wri xls xml xslt zip unknown").split()


def file_icons(d):
    for i, ext in enumerate(FILE_TYPES):
        r, g, b = colorsys.hsv_to_rgb((i * 0.618) % 1.0, 0.55, 0.85)
        color = (int(r * 255), int(g * 255), int(b * 255))
        page = lambda w, h: lambda x, y: (square_icon(w, h, color)(x, y)
                                          if x < w - (y < w // 4) * (w // 4 - y) else (0, 0, 0, 0))
        png(f"{d}/fileswt/{ext}.asp", 16, 16, page(16, 16))
        png(f"{d}/fileswt1/{ext}.asp", 35, 32, page(35, 32))


def media_players(d):
    """The frames and buttons of the video, music and Flash player pages."""
    dark, light = (30, 50, 90), (90, 130, 190)
    mv = f"{d}/play_movie"
    png(f"{mv}/playpage_1.png", 500, 70, lambda x, y: mix(light, dark, y / 69) + (255,))
    png(f"{mv}/playpage_2.png", 500, 10, lambda x, y: dark + (255,))
    png(f"{mv}/playpage_3.png", 500, 382, lambda x, y: (dark if x < 18 or x > 481 else (20, 20, 20)) + (255,))
    png(f"{mv}/playpage_4.png", 500, 38, lambda x, y: mix(dark, light, y / 37) + (255,))
    png(f"{mv}/full-rm.png", 22, 32, square_icon(22, 32, light, lambda x, y: 6 <= x <= 15 and 10 <= y <= 21))
    png(f"{mv}/full-1.png", 22, 21, square_icon(22, 21, light, lambda x, y: 6 <= x <= 15 and 5 <= y <= 15))
    mu = f"{d}/play_music"
    green = (40, 120, 70)
    png(f"{mu}/bg1.png", 8, 8, lambda x, y: (230, 240, 232, 255))
    png(f"{mu}/pad_top.png", 306, 40, lambda x, y: mix((120, 190, 140), green, y / 39) + (255,))
    png(f"{mu}/pad_left.png", 15, 8, lambda x, y: green + (255,))
    png(f"{mu}/pad_right.png", 15, 8, lambda x, y: green + (255,))
    png(f"{mu}/pad_bottom1.png", 306, 20, lambda x, y: mix(green, (20, 70, 40), y / 19) + (255,))
    png(f"{mu}/pad_bottom2.png", 8, 20, lambda x, y: (20, 70, 40, 255))
    png(f"{mu}/pad_exit.png", 40, 20, square_icon(40, 20, (170, 50, 50), lambda x, y: abs(x - 20) == abs(y - 10)))
    fl = f"{d}/play_flash"
    png(f"{fl}/bg_test.png", 8, 8, lambda x, y: (247, 247, 247, 255))
    png(f"{fl}/bg.png", 8, 14, lambda x, y: (24, 142, 172, 255) if y in (6, 7) else (0, 0, 0, 0))
    png(f"{fl}/posbar.png", 8, 14, square_icon(8, 14, (24, 142, 172)))
    png(f"{fl}/notes.png", 24, 24, square_icon(24, 24, (240, 180, 40), lambda x, y: x == 12 and y != 16))
    marks = {
        1: lambda x, y: abs(y - 12) < x - 6 and x < 12,  # step back
        2: lambda x, y: x == 7 or (abs(y - 12) < 16 - x and x > 7),  # rewind
        3: lambda x, y: abs(y - 12) < x - 6 and x < 18,  # play
        4: lambda x, y: x in (9, 10, 14, 15) and 7 <= y <= 17,  # pause
        5: lambda x, y: 7 <= x <= 17 and 7 <= y <= 17,  # stop
        6: lambda x, y: abs(y - 12) < 18 - x and x > 12,  # step forward
    }
    for n, mark in marks.items():
        png(f"{fl}/d{n}.png", 24, 24, square_icon(24, 24, (24, 142, 172), mark))
        png(f"{fl}/h{n}.png", 24, 24, square_icon(24, 24, (220, 80, 40), mark))


def tip_text(d):
    # The tool-tip frame: a 200-pixel box drawn from a top, a repeated middle
    # and a bottom with a small pointer.
    edge, fill = (200, 120, 120, 255), (255, 250, 230, 255)
    png(f"{d}/Zelto_TipText_Top.asp", 200, 8, lambda x, y: edge if y == 0 or x in (0, 199) else fill)
    png(f"{d}/Zelto_TipText_Middle.asp", 200, 1, lambda x, y: edge if x in (0, 199) else fill)
    png(f"{d}/Zelto_TipText_Bottom.asp", 200, 16, lambda x, y: (
        edge if (y == 7 and not 40 <= x <= 52) or (y < 7 and x in (0, 199)) or (y >= 7 and x - 40 in (y - 7, 12 - (y - 7)))
        else fill if y < 7 or (y >= 7 and 40 + (y - 7) < x < 52 - (y - 7)) else (0, 0, 0, 0)))


class Canvas:
    """A small raster for the file manager's pictograms."""

    def __init__(self, w, h, bg=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[bg for _ in range(w)] for _ in range(h)]

    def dot(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[int(y)][int(x)] = c + (255,) if len(c) == 3 else c

    def rect(self, x0, y0, x1, y1, fill, edge=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                on_edge = x in (x0, x1) or y in (y0, y1)
                self.dot(x, y, edge if (edge and on_edge) else fill)

    def line(self, x0, y0, x1, y1, c, width=1):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            x, y = x0 + (x1 - x0) * i / n, y0 + (y1 - y0) * i / n
            for dx in range(width):
                for dy in range(width):
                    self.dot(round(x) + dx, round(y) + dy, c)

    def circle(self, cx, cy, r, c, fill=False):
        for y in range(self.h):
            for x in range(self.w):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if (fill and d <= r) or (not fill and abs(d - r) < 0.7):
                    self.dot(x, y, c)

    def save(self, path):
        png(path, self.w, self.h, lambda x, y: self.px[y][x])


FOLDER, FOLDER_EDGE = (240, 200, 90), (170, 120, 30)
PAGE, PAGE_EDGE = (255, 255, 255), (110, 110, 130)
RED, GREEN, BLUE, DARK = (210, 50, 40), (40, 150, 60), (40, 100, 200), (60, 60, 70)


def folder_shape(c, s):
    k = s / 24
    c.rect(int(2 * k), int(5 * k), int(10 * k), int(8 * k), FOLDER, FOLDER_EDGE)
    c.rect(int(2 * k), int(7 * k), int(21 * k), int(19 * k), FOLDER, FOLDER_EDGE)


def page_shape(c, s):
    k = s / 24
    c.rect(int(5 * k), int(2 * k), int(18 * k), int(21 * k), PAGE, PAGE_EDGE)
    for y in (7, 10, 13, 16):
        c.line(int(8 * k), int(y * k), int(15 * k), int(y * k), (170, 170, 190))


def arrow(c, s, direction, col=BLUE):
    k = s / 24
    m = s // 2
    if direction in ("left", "right"):
        c.line(int(5 * k), m, int(19 * k), m, col, 2)
        tip = int(4 * k) if direction == "left" else int(19 * k)
        sgn = 1 if direction == "left" else -1
        c.line(tip, m, tip + sgn * int(6 * k), m - int(6 * k), col, 2)
        c.line(tip, m, tip + sgn * int(6 * k), m + int(6 * k), col, 2)
    else:
        c.line(m, int(5 * k), m, int(19 * k), col, 2)
        tip = int(4 * k) if direction == "up" else int(19 * k)
        sgn = 1 if direction == "up" else -1
        c.line(m, tip, m - int(6 * k), tip + sgn * int(6 * k), col, 2)
        c.line(m, tip, m + int(6 * k), tip + sgn * int(6 * k), col, 2)


def badge(c, s, kind):
    k = s / 24
    x, y = int(16 * k), int(16 * k)
    if kind == "plus":
        c.circle(x, y, 5 * k, GREEN, True)
        c.line(x - int(3 * k), y, x + int(3 * k), y, (255, 255, 255))
        c.line(x, y - int(3 * k), x, y + int(3 * k), (255, 255, 255))
    elif kind == "check":
        c.line(x - int(4 * k), y, x - int(1 * k), y + int(3 * k), GREEN, 2)
        c.line(x - int(1 * k), y + int(3 * k), x + int(5 * k), y - int(4 * k), GREEN, 2)
    elif kind == "cross":
        c.line(x - int(4 * k), y - int(4 * k), x + int(4 * k), y + int(4 * k), RED, 2)
        c.line(x - int(4 * k), y + int(4 * k), x + int(4 * k), y - int(4 * k), RED, 2)


def pictogram(name, s):
    c = Canvas(s, s)
    k = s / 24
    if name == "home":
        for i in range(int(9 * k)):
            c.line(s // 2 - i, int(3 * k) + i, s // 2 + i, int(3 * k) + i, RED)
        c.rect(int(6 * k), int(11 * k), int(17 * k), int(20 * k), (250, 240, 220), DARK)
        c.rect(int(10 * k), int(14 * k), int(13 * k), int(20 * k), (150, 100, 50))
    elif name in ("back", "go", "up"):
        arrow(c, s, {"back": "left", "go": "right", "up": "up"}[name], GREEN if name != "up" else BLUE)
    elif name == "refresh":
        c.circle(s / 2, s / 2, 7 * k, GREEN)
        c.circle(s / 2, s / 2, 6.3 * k, GREEN)
        c.line(int(17 * k), int(4 * k), int(19 * k), int(9 * k), GREEN, 2)
        c.line(int(14 * k), int(9 * k), int(19 * k), int(9 * k), GREEN, 2)
    elif name in ("create_folder", "select_folder", "no_select_folder", "open"):
        folder_shape(c, s)
        badge(c, s, {"create_folder": "plus", "select_folder": "check", "no_select_folder": "cross"}.get(name))
    elif name in ("create_file", "select_file", "no_select_file", "edit"):
        page_shape(c, s)
        badge(c, s, {"create_file": "plus", "select_file": "check", "no_select_file": "cross"}.get(name))
        if name == "edit":
            c.line(int(9 * k), int(19 * k), int(20 * k), int(6 * k), (200, 140, 20), 2)
    elif name in ("upload", "down"):
        c.rect(int(3 * k), int(19 * k), int(20 * k), int(21 * k), DARK)
        arrow(c, s, "up" if name == "upload" else "down", BLUE)
    elif name == "del":
        c.line(int(5 * k), int(5 * k), int(18 * k), int(18 * k), RED, 3)
        c.line(int(5 * k), int(18 * k), int(18 * k), int(5 * k), RED, 3)
    elif name == "cut":
        c.circle(7 * k, 17 * k, 3 * k, DARK)
        c.circle(16 * k, 17 * k, 3 * k, DARK)
        c.line(int(8 * k), int(14 * k), int(15 * k), int(3 * k), DARK, 2)
        c.line(int(15 * k), int(14 * k), int(8 * k), int(3 * k), DARK, 2)
    elif name == "copy":
        c.rect(int(3 * k), int(3 * k), int(13 * k), int(15 * k), PAGE, PAGE_EDGE)
        c.rect(int(9 * k), int(8 * k), int(20 * k), int(21 * k), PAGE, PAGE_EDGE)
    elif name == "paste":
        c.rect(int(4 * k), int(4 * k), int(19 * k), int(21 * k), (190, 140, 80), (120, 80, 40))
        c.rect(int(8 * k), int(2 * k), int(15 * k), int(5 * k), (160, 160, 170), DARK)
        c.rect(int(8 * k), int(8 * k), int(17 * k), int(19 * k), PAGE, PAGE_EDGE)
    elif name == "view_1":
        for gx in (4, 13):
            for gy in (4, 13):
                c.rect(int(gx * k), int(gy * k), int((gx + 7) * k), int((gy + 7) * k), (120, 170, 230), BLUE)
    elif name == "view_2":
        for gy in (5, 10, 15, 20):
            c.rect(int(3 * k), int(gy * k) - 1, int(5 * k), int(gy * k) + 1, BLUE)
            c.line(int(8 * k), int(gy * k), int(20 * k), int(gy * k), DARK)
    elif name == "favorites":
        import math
        pts = [(s / 2 + (9 if i % 2 == 0 else 4) * k * math.sin(i * math.pi / 5),
                s / 2 - (9 if i % 2 == 0 else 4) * k * math.cos(i * math.pi / 5)) for i in range(10)]
        for y in range(s):
            for x in range(s):
                inside = False
                for i in range(10):
                    (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % 10]
                    if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                        inside = not inside
                if inside:
                    c.dot(x, y, (240, 180, 20))
    elif name == "help":
        c.circle(s / 2, s / 2, 9 * k, BLUE, True)
        c.line(int(9 * k), int(8 * k), int(12 * k), int(6 * k), (255, 255, 255), 2)
        c.line(int(12 * k), int(6 * k), int(15 * k), int(9 * k), (255, 255, 255), 2)
        c.line(int(15 * k), int(9 * k), int(12 * k), int(13 * k), (255, 255, 255), 2)
        c.rect(int(11 * k), int(16 * k), int(12 * k) + 1, int(17 * k) + 1, (255, 255, 255))
    elif name == "rename":
        c.rect(int(2 * k), int(8 * k), int(21 * k), int(16 * k), PAGE, PAGE_EDGE)
        c.line(int(5 * k), int(12 * k), int(12 * k), int(12 * k), DARK, 2)
        c.line(int(15 * k), int(5 * k), int(15 * k), int(19 * k), DARK)
    elif name in ("zip", "unzip"):
        c.rect(int(4 * k), int(3 * k), int(19 * k), int(21 * k), (160, 110, 200), (100, 60, 140))
        for y in range(4, 20, 3):
            c.rect(int(11 * k), int(y * k), int(12 * k), int((y + 1) * k), (255, 230, 120))
        if name == "unzip":
            arrow(c, s, "down", GREEN)
    return c


def file_manager(d):
    """The file manager's tool bar, menu and listing images."""
    tools = ("home back go up refresh create_folder create_file upload del cut copy paste select_folder "
             "no_select_folder select_file no_select_file view_1 view_2 favorites help").split()
    for name in tools:
        pictogram(name, 24).save(f"{d}/menu/{name}.asp")
    for name in tools + "open down edit rename zip unzip".split():
        pictogram(name, 16).save(f"{d}/menu/{name}_small.asp")
    png(f"{d}/menu/line.asp", 4, 24, lambda x, y: ((160, 160, 160, 255) if x == 1 else
                                                   (255, 255, 255, 255) if x == 2 else (0, 0, 0, 0)))
    go = Canvas(36, 18)
    go.rect(0, 0, 35, 17, (235, 240, 250), EDGE)
    go.line(20, 9, 30, 9, GREEN, 2)
    go.line(30, 9, 26, 5, GREEN, 2)
    go.line(30, 9, 26, 13, GREEN, 2)
    go.rect(5, 5, 15, 12, (120, 170, 230), BLUE)
    go.save(f"{d}/menu/go_url.asp")
    for size, sub in ((16, "fileswt"), (32, "fileswt1")):
        c = Canvas(35 if size == 32 else 16, size)
        folder_shape(c, size)
        c.save(f"{d}/{sub}/folder.asp")
    for i, w in enumerate((365, 76, 149, 140), 1):
        png(f"{d}/fileswt/title_bg_{i}.asp", w, 20,
            lambda x, y, w=w: ((150, 150, 150, 255) if x == w - 1 or y == 19 else
                               mix((250, 250, 250), (215, 215, 215), y / 19) + (255,)))
    png(f"{d}/brick.asp", 32, 16, lambda x, y: ((215, 205, 190, 255) if y in (0, 8) or
                                                (x == (0 if y < 8 else 16)) else (178, 88, 58, 255)))


if __name__ == "__main__":
    error_screen(os.path.join(ROOT, "Comm", "Image"))
    chrome(os.path.join(ROOT, "Comm", "Image"))
    file_icons(os.path.join(ROOT, "Comm", "Image"))
    media_players(os.path.join(ROOT, "Comm", "Image"))
    tip_text(os.path.join(ROOT, "Comm", "Image"))
    file_manager(os.path.join(ROOT, "Comm", "Image"))
    older_header(os.path.join(ROOT, "zelto", "image"))
