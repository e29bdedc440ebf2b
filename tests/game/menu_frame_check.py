#!/usr/bin/env python3
"""Checks a saved 640 x 480 frame of the player menu (or of any screen) against its layout in the
320 x 240 work area: window fills, cursor cells, sheet cells and font texts each where they
belong, pixel for pixel (doubled; the key colour skipped; colours compared at 5 bits a channel).
usage: menu_frame_check.py FRAME.png DATA_FOLDER ITEM...
  w:X1,Y1,X2,Y2   a window: its fill inside the rectangle's corners
  c:X,Y           the 16 x 16 cursor cell of cursor.dds at (16, 0)
  t:X,Y,TEXT      a text of the 8 x 8 font (half-width kana as in Shift-JIS)
  !t:X,Y,TEXT     that text not there
  j:X,Y,TEXT      a text of the 8 x 16 Shift-JIS font (full-width characters); !j: not there
  g:FILE,SX,SY,W,H,X,Y   the W x H cell at (SX, SY) of the data folder's picture FILE; !g: not
  n:X,Y,NUMBER    a number of the 8 x 8 digit sheet, its last digit at (X, Y), the others leftwards
  m:X1,Y1,X2,Y2   a message or HUD window over the scene: one bluish colour fills 9 in 10 of
                  the rectangle (their fill is blended with what lies behind them)
  f:X1,Y1,X2,Y2,REF   a standing figure in the rectangle: the pixels that differ there from the
                  frame REF (the same screen without it) lie clear of the rectangle's edges, and
                  their extent is taller than wide
  d:X1,Y1,X2,Y2,REF   the frame differs from the frame REF inside the rectangle, nowhere else
  s:X1,Y1,X2,Y2,REF   the frame equals the frame REF inside the rectangle"""
import sys

from frame_check import pixel, read_png
from hero_frame_check import read_bmp, rgb555

KEY = (123, 250, 3)


def same(frame, sheet, sx, sy, w, h, x, y):
    for j in range(h):
        for i in range(w):
            c = sheet[sy + j][sx + i]
            if c == KEY:
                continue
            for d in ((0, 0), (1, 0), (0, 1), (1, 1)):
                if rgb555(pixel(frame, 2 * (x + i) + d[0], 2 * (y + j) + d[1])) != rgb555(c):
                    return False
    return True


def window_over(frame, xs, ys):
    """Whether a message or HUD window covers the work-area places xs x ys: one bluish colour
    over 9 in 10 of them. Also that colour and how many places it fills."""
    counts = {}
    for y in ys:
        for x in xs:
            c = pixel(frame, 2 * x, 2 * y)
            counts[c] = counts.get(c, 0) + 1
    colour, most = max(counts.items(), key=lambda kv: kv[1])
    return most * 10 >= 9 * len(xs) * len(ys) and colour[2] >= colour[0] + 32, colour, most


def sjis_cell(code):
    """The Shift-JIS font's sheet number and cell of a double-byte code (the overlay's rule)."""
    if code >= 0x92C0:
        d = code - 0x92C0
        i = d + 64 * (48 - (d + 192) // 256)
    elif code >= 0x8840:
        d = code - 0x8840
        i = d + 64 * (16 - d // 256)
    elif code >= 0x8340:
        i = code - 0x81C0
    elif code >= 0x8250:
        i = code - 0x8180
    else:
        i = code - 0x8140
    return (0, i) if i < 1024 else (1, i - 1024) if i < 3072 else (2, i - 3072)


def differing(frame, other, inside):
    """The work-area pixels where the two frames differ, split by whether inside() holds."""
    hits = ([], [])
    for y in range(240):
        for x in range(320):
            if pixel(frame, 2 * x, 2 * y) != pixel(other, 2 * x, 2 * y):
                hits[inside(x, y)].append((x, y))
    return hits


def main():
    frame = read_png(sys.argv[1])[2]
    data = sys.argv[2]
    window = read_bmp(f"{data}/win.dds")
    cursor = read_bmp(f"{data}/cursor.dds")
    font = read_bmp(f"{data}/asci.bmp")
    digits = read_bmp(f"{data}/numberonly.bmp")
    fill = rgb555(window[1][1])
    sjis = {}
    bad = []
    for item in sys.argv[3:]:
        kind, _, rest = item.partition(":")
        if kind == "w":
            x1, y1, x2, y2 = map(int, rest.split(","))
            for x, y in ((x1 + 1, y1 + 1), (x2 - 1, y1 + 1), (x1 + 1, y2 - 1), (x2 - 1, y2 - 1)):
                if rgb555(pixel(frame, 2 * x, 2 * y)) != fill:
                    bad.append(f"{item}: no fill at {x},{y}")
        elif kind == "c":
            x, y = map(int, rest.split(","))
            if not same(frame, cursor, 16, 0, 16, 16, x, y):
                bad.append(f"{item}: no cursor")
        elif kind in ("t", "!t"):
            x, y, text = rest.split(",", 2)
            x, y = int(x), int(y)
            found = True
            for k, b in enumerate(text.encode("cp932")):
                g = (b - 32) & 255
                if not same(frame, font, g % 16 * 8, g // 16 * 8, 8, 8, x + 8 * k, y):
                    found = False
                    break
            if found != (kind == "t"):
                bad.append(f"{item}: {'missing' if kind == 't' else 'drawn'}")
        elif kind in ("j", "!j"):
            x, y, text = rest.split(",", 2)
            x, y = int(x), int(y)
            raw = text.encode("cp932")
            found = True
            for k in range(0, len(raw), 2):
                sheet, cell = sjis_cell(raw[k] * 256 + raw[k + 1])
                if sheet not in sjis:
                    sjis[sheet] = read_bmp(f"{data}/font_sjis{('1', '3', '32')[sheet]}.bmp")
                if not same(frame, sjis[sheet], cell % 16 * 8, cell // 16 * 16, 8, 16, x + 4 * k, y):
                    found = False
                    break
            if found != (kind == "j"):
                bad.append(f"{item}: {'missing' if kind == 'j' else 'drawn'}")
        elif kind in ("g", "!g"):
            name, sx, sy, w, h, x, y = rest.split(",")
            if same(frame, read_bmp(f"{data}/{name}"), *map(int, (sx, sy, w, h, x, y))) != (kind == "g"):
                bad.append(f"{item}: {'not drawn' if kind == 'g' else 'drawn'}")
        elif kind == "n":
            x, y, number = rest.split(",")
            x, y = int(x), int(y)
            for k, d in enumerate(reversed(number)):
                if not same(frame, digits, 8 * int(d), 0, 8, 8, x - 8 * k, y):
                    bad.append(f"{item}: missing")
                    break
        elif kind == "m":
            x1, y1, x2, y2 = map(int, rest.split(","))
            filled, colour, most = window_over(frame, range(x1, x2 + 1), range(y1, y2 + 1))
            if not filled:
                bad.append(f"{item}: no window ({colour} over {most} pixels)")
        elif kind == "s":
            x1, y1, x2, y2, ref = rest.split(",", 4)
            x1, y1, x2, y2 = int(x1), int(y1), int(x2), int(y2)
            _, inner = differing(frame, read_png(ref)[2], lambda x, y: x1 <= x <= x2 and y1 <= y <= y2)
            if inner:
                bad.append(f"{item}: differs inside at {inner[0]}")
        elif kind in ("f", "d"):
            x1, y1, x2, y2, ref = rest.split(",", 4)
            x1, y1, x2, y2 = int(x1), int(y1), int(x2), int(y2)
            other = read_png(ref)[2]
            outside, inner = differing(frame, other, lambda x, y: x1 <= x <= x2 and y1 <= y <= y2)
            if kind == "d":
                if not inner:
                    bad.append(f"{item}: the same inside")
                if outside:
                    bad.append(f"{item}: differs outside at {outside[0]}")
            elif not inner:
                bad.append(f"{item}: no figure")
            else:
                xs, ys = [p[0] for p in inner], [p[1] for p in inner]
                if min(xs) <= x1 or max(xs) >= x2 or min(ys) <= y1 or max(ys) >= y2:
                    bad.append(f"{item}: cut at the edge ({min(xs)},{min(ys)})-({max(xs)},{max(ys)})")
                if 2 * (max(ys) - min(ys)) <= 3 * (max(xs) - min(xs)):
                    bad.append(f"{item}: not standing ({min(xs)},{min(ys)})-({max(xs)},{max(ys)})")
        else:
            bad.append(f"{item}: unknown item")
    if bad:
        print(f"{sys.argv[1]}:\n  " + "\n  ".join(bad))
        sys.exit(1)


if __name__ == "__main__":
    main()
