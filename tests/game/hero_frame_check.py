#!/usr/bin/env python3
"""Checks that a saved 640 x 480 frame of the play state shows the hero where tools/actor-trace
puts it: the trace line of that frame gives the hero's screen position, pose, facing and direction;
the hero's cell of the sprite sheet, doubled, must stand there pixel for pixel (the key colour
skipped; colours compared at 5 bits a channel, as the keyed sheet's texture holds them), and at no place a few pixels off. With "scrolled" the trace must have the camera past
x 160 (the map scrolled with the companion), with "still" at x 160 and the hero at its map x.
usage: hero_frame_check.py FRAME.png TRACE.txt FRAME_NUMBER MyChar.bmp [scrolled|still]"""
import struct
import sys

from frame_check import pixel, read_png

KEY = (123, 250, 3)


def rgb555(c):
    return (c[0] >> 3, c[1] >> 3, c[2] >> 3)


def read_bmp(path):
    data = open(path, "rb").read()
    offset = struct.unpack("<I", data[10:14])[0]
    width, height = struct.unpack("<ii", data[18:26])
    assert struct.unpack("<H", data[28:30])[0] == 24, "not a 24-bit BMP"
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(height):
        row = data[offset + (height - 1 - y) * stride:][:width * 3]
        rows.append([(row[3 * x + 2], row[3 * x + 1], row[3 * x]) for x in range(width)])
    return rows


def trace_line(path, frame):
    for line in open(path):
        words = line.split()
        if words and int(words[0]) == frame:
            return {words[i]: words[i + 1] for i in range(1, len(words) - 1) if not words[i][0].isdigit()} | {
                "camera": (float(words[words.index("camera") + 1]), float(words[words.index("camera") + 2])),
                "screen": (int(words[words.index("screen") + 1]), int(words[words.index("screen") + 2])),
            }
    sys.exit(f"frame {frame} is not in {path}")


def matches(frame_rows, sheet, column, row, x0, y0):
    """Sprite pixels (not key) that equal the frame's doubled pixel, and how many there are."""
    same = total = 0
    for j in range(16):
        for i in range(16):
            want = sheet[16 * row + j][16 * column + i]
            if want == KEY:
                continue
            total += 1
            x, y = 2 * (x0 + i), 2 * (y0 + j)
            if 0 <= x < 640 and 0 <= y < 480:
                same += rgb555(pixel(frame_rows, x, y)) == rgb555(want)
    return same, total


def main():
    png, trace, frame, sheet_path = sys.argv[1:5]
    mode = sys.argv[5] if len(sys.argv) > 5 else ""
    t = trace_line(trace, int(frame))
    pose, facing, direction = int(t["pose"]), int(t["facing"]), int(t["dir"])
    row = pose + 3 if direction in (2, 3) else pose
    sx, sy = t["screen"]
    _, _, rows = read_png(png)
    sheet = read_bmp(sheet_path)
    same, total = matches(rows, sheet, facing, row, sx - 8, sy - 9)
    assert same == total, f"{png}: the hero's cell matches {same} of {total} pixels at screen ({sx}, {sy})"
    for dx, dy in ((-2, 0), (2, 0), (0, -2), (0, 2)):
        off, _ = matches(rows, sheet, facing, row, sx - 8 + dx, sy - 9 + dy)
        assert off < total, f"{png}: the hero also matches {dx}, {dy} px off"
    camera_x = t["camera"][0]
    if mode == "scrolled":
        assert camera_x > 160, f"{png}: the camera is at {camera_x}, not scrolled"
        assert sx != int(float(t["x"])), f"{png}: the hero is drawn at its map x"
    elif mode == "still":
        assert camera_x == 160, f"{png}: the camera is at {camera_x}"
        assert sx == int(float(t["x"])), f"{png}: the hero is not drawn at its map x"
    print(f"{png}: the hero at screen ({sx}, {sy}), map ({t['x']}, {t['y']}), camera x {camera_x}")


if __name__ == "__main__":
    main()
