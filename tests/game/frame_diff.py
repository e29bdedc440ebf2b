#!/usr/bin/env python3
"""Says where two saved frames of one size differ: how many work-area pixels (the frame shows the
320 x 240 work area doubled), their bounding box and the first few in both, so that a run that
saved a different frame says what changed even when only the output's end is kept.
usage: frame_diff.py A.png B.png"""
import sys

from frame_check import pixel, read_png

wa, ha, a = read_png(sys.argv[1])
wb, hb, b = read_png(sys.argv[2])
if (wa, ha) != (wb, hb):
    print(f"sizes differ: {wa} x {ha} against {wb} x {hb}")
    sys.exit(1)
spots = [(x, y) for y in range(0, ha, 2) if a[y] != b[y] for x in range(0, wa, 2) if pixel(a, x, y) != pixel(b, x, y)]
if not spots:
    print("the pixels are alike")
    sys.exit(0)
xs, ys = [x // 2 for x, _ in spots], [y // 2 for _, y in spots]
print(f"{len(spots)} work-area pixels differ, from ({min(xs)}, {min(ys)}) to ({max(xs)}, {max(ys)})")
for x, y in spots[:4]:
    print(f"  ({x // 2}, {y // 2}): {pixel(a, x, y)} against {pixel(b, x, y)}")
sys.exit(1)
