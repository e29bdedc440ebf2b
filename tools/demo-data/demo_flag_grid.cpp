// The inventory's sheet "cursor.bmp": the story-flag grid's cells. Bit numbers 0..7 in the
// header row at source y 80, row labels 0..9 at y 88 (in another colour, so the two read apart),
// and the mark of a set flag at (88, 0).
#include "tools/demo-data/demo_art.h"

namespace {

void DigitCell(Image &img, int x, int y, int digit, Rgb ink, Rgb ground) {
    img.Fill(x, y, x + 8, y + 8, ground);
    if (g_smallFace) DrawGlyph(img, x + 2, y + 7, (uint32_t)('0' + digit), 8, ink, true, g_smallFace);
    else img.Fill(x + 3, y + 1, x + 5, y + 7, ink);
}

void WriteFlagGridSheet(const DemoOptions &o) {
    Image img(96, 96, kClear);
    for (int d = 0; d < 8; d++) DigitCell(img, 8 * d, 80, d, {250, 230, 120}, {40, 40, 90});
    for (int d = 0; d < 10; d++) DigitCell(img, 8 * d, 88, d, {140, 220, 255}, {20, 30, 60});
    // The mark: a lit square with a dark rim.
    img.Fill(88, 0, 96, 8, {30, 60, 30});
    img.Fill(89, 1, 95, 7, {90, 240, 120});
    img.Fill(90, 2, 92, 4, {220, 255, 220});
    WriteBmp(o.data / "cursor.bmp", img);
}

} // namespace

DEMO_WRITER("flag grid sheet", 10, WriteFlagGridSheet);
