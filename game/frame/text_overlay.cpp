#include "game/frame/text_overlay.h"

#include "game/frame/game_graphics.h"

namespace {
struct FontSheet {
    const char *file;
    int first, count, columns, rows, cellWidth, cellHeight;
};

constexpr FontSheet kFontSheets[] = {
    {"DataForWork\\font_sjis1.bmp", 0, 1024, 16, 64, 8, 16},
    {"DataForWork\\font_sjis3.bmp", 1024, 2048, 16, 128, 8, 16},
    {"DataForWork\\font_sjis32.bmp", 3072, 2048, 16, 128, 8, 16},
    {"DataForWork\\asci.bmp", kAsciiGlyphBase, 256, 16, 16, 8, 8},
    {"DataForWork\\numberonly.bmp", kDigitGlyphBase, 10, 10, 1, 8, 8},
};
} // namespace

void TextOverlay::LoadOverlayFonts()
{
    GameGraphicsCalls &g = GameGraphics();
    for (const FontSheet &s : kFontSheets) {
        int *cells = glyphs_.data() + s.first;
        if (g.openImageAsDivGraphs(s.file, s.count, s.columns, s.rows, s.cellWidth, s.cellHeight, cells, 0) != 0) {
            for (int i = 0; i < s.count; i++) cells[i] = -1;
        }
    }
}

void TextOverlay::FreeOverlayFonts()
{
    GameGraphicsCalls &g = GameGraphics();
    for (int &h : glyphs_) {
        if (h != -1) g.destroyGraph(h);
        h = -1;
    }
}

void TextOverlay::Add(int x, int y, int kind, int number, const char *text, int limit)
{
    OverlayEntry e;
    e.x = x;
    e.y = y;
    e.kind = kind;
    e.number = number;
    e.text.assign(text ? text : "");
    if (e.text.size() > 255) e.text.resize(255);
    e.limit = limit;
    entries_.push_back(std::move(e));
}

void TextOverlay::AddSjisNumber(int x, int y, int number)
{
    char text[] = "０００";
    int v = number < 0 ? 0 : number > 999 ? 999 : number;
    // Full-width zero to nine are consecutive trail bytes under one lead byte.
    for (int pos = 5; pos > 0 && v != 0; pos -= 2, v /= 10) text[pos] = (char)(text[pos] + v % 10);
    Add(x, y, 2, 0, text, 3);
}

void TextOverlay::Flush()
{
    for (const OverlayEntry &e : entries_) DrawEntry(e);
    entries_.clear();
}

void TextOverlay::DrawGlyph(int x, int y, int index) const
{
    int h = Glyph(index);
    if (h != -1) GameGraphics().drawGraphAt(x, y, h, 1);
}

void TextOverlay::DrawEntry(const OverlayEntry &e) const
{
    const unsigned char *t = reinterpret_cast<const unsigned char *>(e.text.c_str());
    int x = e.x, y = e.y;
    switch (e.kind) {
    case 1:
        // The letters 'n' and 't', not the control bytes, are the line and skip marks.
        for (int n = e.limit; *t != 0 && n > 0; t++, n--) {
            if (*t == 'n') {
                x = e.x;
                y += 8;
            } else if (*t != 't') {
                DrawGlyph(x, y, kAsciiGlyphBase + ((*t - 32) & 255));
                x += 8;
            }
        }
        break;
    case 2:
        // The budget is compared with exactly 0: an odd budget spent two bytes at a time runs
        // to the end of the text.
        for (int r = e.limit; *t != 0 && r != 0;) {
            if (*t == 10) {
                x = e.x;
                y += 16;
                t++;
                r--;
            } else if (*t == 7) {
                t++;
                r--;
            } else {
                // A lead byte with nothing after it ends the text.
                if (t[1] == 0) break;
                int index = SjisGlyphIndex(t[0] * 256 + t[1]);
                if (index != -1) DrawGlyph(x, y, index);
                x += 8;
                t += 2;
                r -= 2;
            }
        }
        break;
    case 3: {
        // Digits go right to left from the given position; a sign is not drawn.
        unsigned v = e.number < 0 ? 0u - (unsigned)e.number : (unsigned)e.number;
        if (v == 0) DrawGlyph(x, y, kDigitGlyphBase);
        for (; v != 0; v /= 10, x -= 8) DrawGlyph(x, y, kDigitGlyphBase + (int)(v % 10));
        break;
    }
    default:
        break;
    }
}
