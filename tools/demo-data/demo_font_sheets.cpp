// The game's bitmap-font sheets: three Shift-JIS sheets, the ASCII sheet and the digits.
#include "game/frame/sjis_glyph.h"
#include "tools/demo-data/demo_art.h"

namespace {

// Three sheets of 8 x 16 cells, 16 columns: cells 0..1023, 1024..3071, 3072..5119.
void WriteSjisSheets(const fs::path &dir) {
    Image s1(128, 1024, kClear), s3(128, 2048, kClear), s32(128, 2048, kClear);
    std::vector<bool> done(kSjisGlyphCells, false);
    for (int lead = 0x81; lead <= 0xFC; lead++) {
        if (lead > 0x9F && lead < 0xE0) continue;
        for (int trail = 0x40; trail <= 0xFC; trail++) {
            if (trail == 0x7F) continue;
            int c = lead * 256 + trail;
            int cell = SjisGlyphIndex(c);
            if (cell < 0 || done[cell]) continue;
            uint8_t b[2] = {(uint8_t)lead, (uint8_t)trail};
            uint32_t cp = SjisToCodePoint(b, 2);
            if (cp == 0) continue;
            done[cell] = true;
            Image *sheet = cell < 1024 ? &s1 : cell < 3072 ? &s3 : &s32;
            int local = cell < 1024 ? cell : cell < 3072 ? cell - 1024 : cell - 3072;
            // Full-width glyphs are squeezed into 8 x 16 cells: drawn at 16 px into a scratch
            // cell and halved horizontally.
            Image cellImg(16, 16, {0, 0, 0});
            DrawGlyph(cellImg, 0, 14, cp, 16, {255, 255, 255}, false);
            int ox = (local % 16) * 8, oy = (local / 16) * 16;
            for (int y = 0; y < 16; y++)
                for (int x = 0; x < 8; x++) {
                    int a = (cellImg.Get(2 * x, y).r + cellImg.Get(2 * x + 1, y).r) / 2;
                    if (a >= 96) sheet->Set(ox + x, oy + y, {250, 250, 250});
                }
        }
    }
    WriteBmp(dir / "font_sjis1.bmp", s1);
    WriteBmp(dir / "font_sjis3.bmp", s3);
    WriteBmp(dir / "font_sjis32.bmp", s32);
}

// 8 x 8 cells: cell c - 32 holds the character c (ASCII and half-width katakana).
void WriteAsciiSheet(const fs::path &dir) {
    Image a(128, 128, kClear);
    for (int c = 33; c < 256; c++) {
        uint32_t cp = 0;
        if (c < 0x7F) cp = (uint32_t)c;
        else if (c >= 0xA1 && c <= 0xDF) {
            uint8_t b = (uint8_t)c;
            cp = SjisToCodePoint(&b, 1);
        }
        if (cp == 0) continue;
        int cell = c - 32;
        Image g(8, 8, {0, 0, 0});
        if (g_smallFace && c < 0x7F) DrawGlyph(g, 1, 7, cp, 8, {255, 255, 255}, true, g_smallFace);
        else DrawGlyph(g, 0, 7, cp, 8, {255, 255, 255}, true);
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++)
                if (g.Get(x, y).r > 128) a.Set((cell % 16) * 8 + x, (cell / 16) * 8 + y, {255, 255, 255});
    }
    WriteBmp(dir / "asci.bmp", a);
    Image n(80, 8, kClear);
    for (int d = 0; d < 10; d++) {
        Image g(8, 8, {0, 0, 0});
        if (g_smallFace) DrawGlyph(g, 1, 7, (uint32_t)('0' + d), 8, {255, 255, 255}, true, g_smallFace);
        else DrawGlyph(g, 0, 7, (uint32_t)('0' + d), 8, {255, 255, 255}, true);
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++)
                if (g.Get(x, y).r > 128) n.Set(d * 8 + x, y, {255, 240, 160});
    }
    WriteBmp(dir / "numberonly.bmp", n);
}

void WriteFontSheets(const DemoOptions &o) {
    WriteSjisSheets(o.data);
    WriteAsciiSheet(o.data);
}

} // namespace

DEMO_WRITER("font sheets", 10, WriteFontSheets);
