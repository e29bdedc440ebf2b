#!/usr/bin/env python3
"""Checks a saved 640 x 480 frame for an enemy kind's sprite: every place in the 320 x 240 work
area where one of the kind's animation cells (COLUMNS x ROWS cells of W x H from the sheet's
(SX, SY)) is drawn pixel for pixel (doubled; the key colour skipped), and that there are at least
COUNT of them (none at all with COUNT 0).
usage: enemy_frame_check.py FRAME.png SHEET.bmp SX,SY,W,H,COLUMNS,ROWS COUNT"""
import sys

from frame_check import pixel, read_png
from hero_frame_check import read_bmp, rgb555
from menu_frame_check import KEY, same


def places(frame, sheet, sx, sy, w, h, columns, rows):
    found = []
    cells = [(sx + c * w, sy + r * h) for r in range(rows) for c in range(columns)]
    for cx, cy in cells:
        # The cell's first drawn pixel picks the candidates; the whole cell then decides.
        first = next(((i, j) for j in range(h) for i in range(w) if sheet[cy + j][cx + i] != KEY), None)
        if first is None:
            continue
        want = rgb555(sheet[cy + first[1]][cx + first[0]])
        for y in range(0, 240 - h + 1):
            for x in range(0, 320 - w + 1):
                if rgb555(pixel(frame, 2 * (x + first[0]), 2 * (y + first[1]))) != want:
                    continue
                if same(frame, sheet, cx, cy, w, h, x, y):
                    found.append((x, y))
    return sorted(set(found))


def main():
    frame = read_png(sys.argv[1])[2]
    sheet = read_bmp(sys.argv[2])
    sx, sy, w, h, columns, rows = map(int, sys.argv[3].split(","))
    count = int(sys.argv[4])
    found = places(frame, sheet, sx, sy, w, h, columns, rows)
    if len(found) < count or (count == 0 and found):
        print(f"{sys.argv[1]}: {len(found)} sprites of {sys.argv[2]} found where {count or 'none'} should be (at {found})")
        sys.exit(1)
    print(f"{sys.argv[1]}: sprites at {found}")


if __name__ == "__main__":
    main()
