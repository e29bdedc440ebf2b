#!/usr/bin/env python3
"""Checks a saved 640 x 480 frame of the title menu: the title picture is drawn and the
cursor arrow stands at the given menu entry (0..2) and at no other. With "keyconfig" in place of
the cursor, checks a frame of the key-configuration screen: its texts are drawn.
usage: frame_check.py FRAME.png CURSOR|keyconfig"""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG file"
    pos, idat, width, height = 8, b"", 0, 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour == 2, "not 8-bit RGB"
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 3
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 3] if i >= 3 else 0
            b = prev[i]
            c = prev[i - 3] if i >= 3 else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    return width, height, rows


def pixel(rows, x, y):
    return tuple(rows[y][x * 3:x * 3 + 3])


def lit(rows, x1, y1, x2, y2):
    """How many pixels of the work-area rectangle (shown doubled) are bright."""
    return sum(1 for y in range(2 * y1, 2 * y2) for x in range(2 * x1, 2 * x2)
               if sum(pixel(rows, x, y)) > 300)


def check_key_config(rows):
    # "FPS   MAX60" at (70, 50) and the first row's label, key and pad names from (100, 120);
    # between the header and the rows the screen is dark.
    assert lit(rows, 70, 50, 158, 58) > 40, "no header text drawn"
    assert lit(rows, 100, 120, 240, 128) > 40, "no binding row drawn"
    assert lit(rows, 0, 0, 320, 40) == 0, "pixels above the texts"
    print(f"{sys.argv[1]}: key-configuration texts drawn")


def main():
    width, height, rows = read_png(sys.argv[1])
    assert (width, height) == (640, 480), f"frame is {width} x {height}"
    if sys.argv[2] == "keyconfig":
        check_key_config(rows)
        return
    cursor = int(sys.argv[2])
    # The cursor cell sits at (187, 105 + 21 n) of the 320 x 240 work area, shown doubled; its
    # arrow's middle row is gold.
    def gold(n):
        r, g, b = pixel(rows, 2 * 190, 2 * (105 + 21 * n + 3))
        return r > 200 and g > 160 and b < 140
    for n in range(3):
        assert gold(n) == (n == cursor), f"cursor {'missing at' if n == cursor else 'also at'} entry {n}"
    # The game's name in gold letters, somewhere in the band of the title's upper part.
    band = [pixel(rows, x, y) for y in range(2 * 36, 2 * 86, 2) for x in range(2 * 84, 2 * 234, 2)]
    assert any(r > 200 and g > 160 and b < 160 for r, g, b in band), "no title name drawn"
    print(f"{sys.argv[1]}: title drawn, cursor at entry {cursor}")


if __name__ == "__main__":
    main()
