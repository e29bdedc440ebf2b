#!/usr/bin/env python3
"""Pictures for the viewer's window test and the checks of the window's pixels.
  viewer_check.py pattern OUT.bmp       320 x 240 picture, every pixel told apart by its place,
                                        with a block of the key colour
  viewer_check.py plain OUT.bmp         320 x 240 picture of one dark colour
  viewer_check.py window SHOT.rgb MODE  the 640 x 480 shot of the pattern: MODE "key" (1:1,
                                        key colour left out) or "stretch" (doubled, opaque)
  viewer_check.py text SHOT.rgb REF.rgb the loading text at (560, 440) on the plain picture:
                                        glyph ink in its box, as in the reference frame
  viewer_check.py corners SHOT.rgb      the pattern on the viewer's four corners (--corners) on
                                        a 32-bit screen, key colour left out: inside each of the
                                        two triangles every pixel shows the texel the triangle's
                                        affine map gives it (within one texel), the key block's
                                        pixels the background; around the quad the background
SHOT and REF are raw 8-bit RGB, 640 x 480. Exit code 0 when the check holds."""
import struct
import sys

W, H = 320, 240
SW, SH = 640, 480
KEY = (123, 250, 3)
KEY_BOX = (200, 40, 232, 72)  # x1, y1, x2, y2 of the key-colour block
PLAIN = (20, 30, 60)
TEXT_X, TEXT_Y, GLYPHS, CELL = 560, 440, 4, 16
# The viewer's --corners on 640 x 480, truncated to whole pixels: top-left, top-right,
# bottom-right, bottom-left.
CORNERS = ((96, 48), (512, 96), (608, 408), (32, 336))


def pattern(x, y):
    if KEY_BOX[0] <= x < KEY_BOX[2] and KEY_BOX[1] <= y < KEY_BOX[3]:
        return KEY
    return (x & 255, y & 255, (x >> 8) * 128 + ((x >> 4) + (y >> 4)) * 9 & 127)


def write_bmp(path, colour):
    stride = (W * 3 + 3) & ~3
    body = bytearray()
    for y in range(H - 1, -1, -1):
        row = bytearray()
        for x in range(W):
            r, g, b = colour(x, y)
            row += bytes((b, g, r))
        body += row + bytes(stride - len(row))
    head = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    open(path, "wb").write(head + info + body)


def read_rgb(path):
    data = open(path, "rb").read()
    if len(data) != SW * SH * 3:
        sys.exit(f"{path}: {len(data)} bytes, not a 640 x 480 RGB frame")
    return data


def at(data, x, y):
    i = (y * SW + x) * 3
    return tuple(data[i:i + 3])


def check_window(shot, mode):
    bad = []
    background = at(shot, SW - 1, SH - 1)
    for y in range(SH):
        for x in range(SW):
            if mode == "stretch":
                want = pattern(x // 2, y // 2)
            elif x < W and y < H:
                want = pattern(x, y)
                if want == KEY:
                    want = background
            else:
                want = background
            got = at(shot, x, y)
            if got != want:
                bad.append((x, y, got, want))
    if mode == "key" and background == KEY:
        bad.append(("background is the key colour",))
    return bad


def check_text(shot, ref):
    bad = []
    x1, y1, x2, y2 = TEXT_X - 4, TEXT_Y - 4, SW, TEXT_Y + CELL + 8
    ink = [0] * GLYPHS
    for y in range(SH):
        for x in range(SW):
            got = at(shot, x, y)
            inside = x1 <= x < x2 and y1 <= y < y2
            if inside:
                if got != at(ref, x, y):
                    bad.append((x, y, got, at(ref, x, y)))
                if min(got) >= 128 and TEXT_X <= x < TEXT_X + GLYPHS * CELL:
                    ink[(x - TEXT_X) // CELL] += 1
            elif got != PLAIN:
                bad.append((x, y, got, "the picture's colour"))
    # Every glyph leaves ink, and not a filled block: legible strokes.
    for i, n in enumerate(ink):
        if not 12 <= n <= CELL * CELL * 3 // 4:
            bad.append((f"glyph {i}", f"{n} ink pixels"))
    return bad


def depth(tri, px, py):
    """The least distance of (px, py) to the triangle's edges: positive inside."""
    least = None
    for i in range(3):
        (ax, ay), (bx, by), (cx, cy) = tri[i][0], tri[(i + 1) % 3][0], tri[(i + 2) % 3][0]
        ex, ey = bx - ax, by - ay
        side = (ex * (py - ay) - ey * (px - ax)) / (ex * ex + ey * ey) ** 0.5
        if ex * (cy - ay) - ey * (cx - ax) < 0:
            side = -side
        least = side if least is None else min(least, side)
    return least


def texel_at(tri, x, y):
    """The texture position the triangle's affine map gives pixel (x, y)."""
    (p0, t0), (p1, t1), (p2, t2) = tri
    ax, ay, bx, by = p1[0] - p0[0], p1[1] - p0[1], p2[0] - p0[0], p2[1] - p0[1]
    det = ax * by - ay * bx
    a = ((x - p0[0]) * by - (y - p0[1]) * bx) / det
    b = (ax * (y - p0[1]) - ay * (x - p0[0])) / det
    return (t0[0] + a * (t1[0] - t0[0]) + b * (t2[0] - t0[0]), t0[1] + a * (t1[1] - t0[1]) + b * (t2[1] - t0[1]))


def check_corners(shot):
    tl, tr, br, bl = CORNERS
    tris = (((tl, (0, 0)), (tr, (W, 0)), (bl, (0, H))), ((tr, (W, 0)), (bl, (0, H)), (br, (W, H))))
    background = at(shot, 0, SH - 1)
    bad, checked, keyed = [], 0, 0
    for y in range(SH):
        for x in range(SW):
            got = at(shot, x, y)
            depths = [depth(t, x + 0.5, y + 0.5) for t in tris]
            if max(depths) < -1.5:
                if got != background:
                    bad.append((x, y, got, "the background"))
                continue
            inner = [t for t, d in zip(tris, depths) if d >= 1.5]
            if not inner:
                continue
            u, v = texel_at(inner[0], x, y)
            near = [(int(u) + du, int(v) + dv) for du in (-1, 0, 1) for dv in (-1, 0, 1)]
            near = [(tx, ty) for tx, ty in near if 0 <= tx < W and 0 <= ty < H]
            checked += 1
            if got == background and any(pattern(tx, ty) == KEY for tx, ty in near):
                keyed += 1
                continue
            if got not in [pattern(tx, ty) for tx, ty in near if pattern(tx, ty) != KEY]:
                bad.append((x, y, got, f"a texel near ({u:.1f}, {v:.1f})"))
    if checked < 100000 or keyed < 32 * 32:
        bad.append((f"{checked} pixels checked, {keyed} keyed",))
    return bad


def main():
    what = sys.argv[1]
    if what == "pattern":
        write_bmp(sys.argv[2], pattern)
        return 0
    if what == "plain":
        write_bmp(sys.argv[2], lambda x, y: PLAIN)
        return 0
    shot = read_rgb(sys.argv[2])
    if what == "window":
        bad = check_window(shot, sys.argv[3])
    elif what == "corners":
        bad = check_corners(shot)
    else:
        bad = check_text(shot, read_rgb(sys.argv[3]))
    for b in bad[:10]:
        print("differs:", *b)
    if bad:
        print(f"{len(bad)} differences")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
