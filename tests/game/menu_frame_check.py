#!/usr/bin/env python3
"""Checks a saved 640 x 480 frame of the player menu against its layout in the 320 x 240 work
area: window fills, cursor cells and 8 x 8 font texts each where they belong, pixel for pixel
(doubled; the key colour skipped; colours compared at 5 bits a channel).
usage: menu_frame_check.py FRAME.png DATA_FOLDER ITEM...
  w:X1,Y1,X2,Y2   a window: its fill inside the rectangle's corners
  c:X,Y           the 16 x 16 cursor cell of cursor.dds at (16, 0)
  t:X,Y,TEXT      a text of the 8 x 8 font (half-width kana as in Shift-JIS)
  !t:X,Y,TEXT     that text not there
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
    fill = rgb555(window[1][1])
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
