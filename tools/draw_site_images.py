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


def tip_text(d):
    # The tool-tip frame: a 200-pixel box drawn from a top, a repeated middle
    # and a bottom with a small pointer.
    edge, fill = (200, 120, 120, 255), (255, 250, 230, 255)
    png(f"{d}/Zelto_TipText_Top.asp", 200, 8, lambda x, y: edge if y == 0 or x in (0, 199) else fill)
    png(f"{d}/Zelto_TipText_Middle.asp", 200, 1, lambda x, y: edge if x in (0, 199) else fill)
    png(f"{d}/Zelto_TipText_Bottom.asp", 200, 16, lambda x, y: (
        edge if (y == 7 and not 40 <= x <= 52) or (y < 7 and x in (0, 199)) or (y >= 7 and x - 40 in (y - 7, 12 - (y - 7)))
        else fill if y < 7 or (y >= 7 and 40 + (y - 7) < x < 52 - (y - 7)) else (0, 0, 0, 0)))


if __name__ == "__main__":
    error_screen(os.path.join(ROOT, "Comm", "Image"))
    chrome(os.path.join(ROOT, "Comm", "Image"))
    file_icons(os.path.join(ROOT, "Comm", "Image"))
    tip_text(os.path.join(ROOT, "Comm", "Image"))
    older_header(os.path.join(ROOT, "zelto", "image"))
