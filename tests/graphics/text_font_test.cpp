// Text drawing over the real font system into software images: synthetic glyphs for exact
// pictures, and the packaged Japanese face compared with the bitmaps the GDI stand-in gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/text_fixture.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/font.h"
#include "library/graphics/screen_log.h"
#include "library/graphics/text_draw.h"
#include "library/graphics/text_link.h"
#include "library/softrender/blit_memimg.h"
#include "platform/gdi32/gdi32.h"
#include "platform/testing.h"

namespace {

MEMIMG g_target;
MEMIMG g_blitted;     // the last work image handed to the blit
DRAWAREA g_blitArea;  // and the draw area at that time
int g_blits = 0;

MEMIMG *TargetImage() { return &g_target; }
// Keeps what the copy kernel is given, then lets it draw.
void CaptureBlit(MEMIMG *dst, MEMIMG *src, int x, int y, int transparent, MEMIMG *blend) {
    ++g_blits;
    g_blitArea = g_drawArea;
    ReleaseMemImg(&g_blitted);
    SetupMemImg(&g_blitted, src->width, src->height, -1, 0, src->base->pixelType, 0, src->base->alphaFlag, 0,
                nullptr);
    CopyMemImg(&g_blitted, src, nullptr, 0, 0);
    BlitMemImg(dst, src, x, y, transparent, blend);
}

bool Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The characters of a Shift-JIS text as the codes the narrow glyph call takes.
std::vector<UINT> Codes(const char *text) {
    std::vector<UINT> codes;
    for (const auto *p = (const unsigned char *)text; *p;) {
        if (Lead(p[0]) && p[1]) {
            codes.push_back((UINT)(p[0] << 8 | p[1]));
            p += 2;
        } else {
            codes.push_back(*p++);
        }
    }
    return codes;
}

bool IsSpaceCode(UINT code) { return code == 0x20 || code == 0x8140; }

// What a synthetic font of the height should draw: per pixel 0 nothing, 1 body, 2 edge.
struct Picture {
    int width, height;
    std::vector<int> kind;
    int &At(int x, int y) { return kind[(size_t)y * width + x]; }
};

Picture ExpectSynthetic(int w, int h, int x, int y, const char *text, int fontHeight, int edge) {
    Picture pic{w, h, std::vector<int>((size_t)w * h, 0)};
    int ascent = fontHeight - fontHeight / 8, pen = 0;
    for (UINT code : Codes(text)) {
        GLYPHMETRICS gm;
        PlatformTestSyntheticGlyphMetrics(fontHeight, code, &gm);
        if (!IsSpaceCode(code)) {
            int left = x + pen + gm.gmptGlyphOrigin.x, top = y + ascent - gm.gmptGlyphOrigin.y;
            for (int gy = 0; gy < (int)gm.gmBlackBoxY; ++gy)
                for (int gx = 0; gx < (int)gm.gmBlackBoxX; ++gx) {
                    if (PlatformTestSyntheticGlyphLevel(code, gx, gy) < 8) continue;
                    int bx = left + edge + gx, by = top + edge + gy;
                    for (int dy = -edge; dy <= edge; ++dy)
                        for (int dx = -edge; dx <= edge; ++dx) {
                            int px = bx + dx, py = by + dy;
                            if ((dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy) > edge) continue;
                            if (px < 0 || py < 0 || px >= w || py >= h) continue;
                            int &k = pic.At(px, py);
                            k = (dx == 0 && dy == 0) ? 1 : (k == 1 ? 1 : 2);
                        }
                }
        }
        pen += (int)gm.gmCellIncX + 2 * edge;
    }
    return pic;
}

uint32_t PixelAt(const MEMIMG &m, int x, int y) {
    int bpp = MemImgBytesPerPixel(m.base);
    return LoadPixelValue(m.pixels + (size_t)y * m.base->pitch + (size_t)x * bpp, bpp);
}

// Differences between an image and the picture drawn in the colours over the background.
int Mismatches(const MEMIMG &m, Picture &pic, uint32_t background, uint32_t body, uint32_t edge) {
    int bad = 0;
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            int k = pic.At(x, y);
            uint32_t want = k == 0 ? background : k == 1 ? body : edge;
            if (PixelAt(m, x, y) != want) ++bad;
        }
    return bad;
}

class TextFont : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformTestUseSyntheticFonts(true);
        StartFontSystem();
        saved_ = g_textLink;
        g_textLink.screenImage = TargetImage;
        g_textLink.blitMemImg = CaptureBlit;
        ResetTextDrawState();
        g_blits = 0;
    }
    void TearDown() override {
        ReleaseMemImg(&g_target);
        ReleaseMemImg(&g_blitted);
        ReleaseMemImg(&g_softScreen.work);
        ReleaseMemImg(&g_softScreen.workAlpha);
        g_textLink = saved_;
        g_fontSystem.cacheCapacitySetting = 0;
        StopFontSystem();
        PlatformTestUseSyntheticFonts(false);
    }
    // The draw target, and the software screen's work images of its size and type.
    void Target(int type, int w, int h, uint32_t fill) {
        ReleaseMemImg(&g_target);
        ReleaseMemImg(&g_softScreen.work);
        ReleaseMemImg(&g_softScreen.workAlpha);
        ASSERT_EQ(SetupMemImg(&g_target, w, h, -1, 0, type, 0, 0, 0, nullptr), 0);
        ASSERT_EQ(SetupMemImg(&g_softScreen.work, w, h, -1, 0, type, 0, 0, 0, nullptr), 0);
        ASSERT_EQ(SetupMemImg(&g_softScreen.workAlpha, w, h, -1, 0, type, 0, 1, 0, nullptr), 0);
        FillMemImg(&g_target, nullptr, fill);
        g_drawArea = MakeDrawArea(0, 0, w, h);
    }
    TEXTLINK saved_{};
};

}  // namespace

TEST_F(TextFont, LoadingTextWithTheDefaultFontOnTheBackScreen) {
    Target(MEMIMG_TYPE_RGB32, 640, 480, 0xFF000000);
    ASSERT_EQ(DrawFormattedText(560, 440, 0xFFFFFFFF, "%s", "ロード中"), 0);
    Picture pic = ExpectSynthetic(640, 480, 560, 440, "ロード中", 16, 0);
    int ink = 0;
    for (int k : pic.kind) ink += k == 1;
    EXPECT_GT(ink, 4 * 40);
    EXPECT_EQ(Mismatches(g_target, pic, 0xFF000000, 0xFFFFFFFF, 0), 0);
}

TEST_F(TextFont, EdgedTextOn16And32BitTargets) {
    int font = CreateFontToHandle(nullptr, 16, 6, FONTTYPE_EDGE, 1, 1, 0);
    ASSERT_NE(font, -1);
    for (int type : {MEMIMG_TYPE_RGB16, MEMIMG_TYPE_RGB32}) {
        bool wide = type == MEMIMG_TYPE_RGB32;
        uint32_t grey = wide ? 0xFF808080 : 0x8410, white = wide ? 0xFFFFFFFF : 0xFFFF;
        uint32_t red = wide ? 0xFFFF0000 : 0xF800;
        Target(type, 80, 24, grey);
        ASSERT_EQ(DrawTextWithFont(3, 2, "中A\x81\x40字", white, font, red, 0), 0);
        Picture pic = ExpectSynthetic(80, 24, 3, 2, "中A\x81\x40字", 16, 1);
        EXPECT_EQ(Mismatches(g_target, pic, grey, white, red), 0) << "type " << type;
        EXPECT_EQ(g_blits, 0);  // straight into the target
    }
}

TEST_F(TextFont, AntialiasedLevelsReachTheWorkImage) {
    for (int fontType : {(int)FONTTYPE_ANTIALIAS, FONTTYPE_ANTIALIAS | FONTTYPE_EDGE}) {
        int font = CreateFontToHandle(nullptr, 16, 6, fontType, 1, 1, 0);
        ASSERT_NE(font, -1);
        Target(MEMIMG_TYPE_RGB32, 64, 24, 0xFF000000);
        g_blits = 0;
        ASSERT_EQ(DrawTextWithFont(4, 4, "中", 0xFFFFFFFF, font, 0xFF0000FF, 0), 0);
        ASSERT_EQ(g_blits, 1);
        const FONTREC *f = LookupFontRec(font);
        int edge = fontType & FONTTYPE_EDGE ? 1 : 0;
        GLYPHMETRICS gm;
        PlatformTestSyntheticGlyphMetrics(16, 0x9286, &gm);
        // The blit lands under an area of the text's size at its position.
        EXPECT_EQ(g_blitArea.left, 4);
        EXPECT_EQ(g_blitArea.top, 4);
        EXPECT_EQ(g_blitArea.right, 4 + (int)gm.gmCellIncX + 2 * edge);
        EXPECT_EQ(g_blitArea.bottom, 4 + f->cellHeight);
        int top = 14 - gm.gmptGlyphOrigin.y, left = gm.gmptGlyphOrigin.x;
        int checked = 0;
        for (int gy = 0; gy < (int)gm.gmBlackBoxY; ++gy)
            for (int gx = 0; gx < (int)gm.gmBlackBoxX; ++gx) {
                int level = PlatformTestSyntheticGlyphLevel(0x9286, gx, gy);
                uint32_t px = PixelAt(g_blitted, left + edge + gx, top + edge + gy);
                if (!edge) {
                    // Stored level - 1, alpha 16 a step, in the text colour.
                    uint32_t want = level >= 2 ? (uint32_t)(level - 1) * 16 << 24 | 0xFFFFFF : 0;
                    EXPECT_EQ(px, want) << gx << "," << gy;
                    ++checked;
                } else if (level == 16) {
                    EXPECT_EQ(px, 0xFFFFFFFFu);  // full body: opaque text colour
                    ++checked;
                } else if (level >= 2) {
                    int body = level - 1;
                    EXPECT_GE(px >> 24, (uint32_t)body * 16);  // the edge adds to the body's cover
                    EXPECT_EQ(px >> 16 & 0xFF, px >> 8 & 0xFF);  // a mix of blue toward white
                    ++checked;
                }
            }
        EXPECT_GT(checked, 20);
        EXPECT_EQ(FreeFontHandle(font), 0);
    }
}

// d moved toward s by a / 256, field by field (5 / 6 / 5 bits, or bytes).
uint32_t Toward(int type, uint32_t d, uint32_t s, int a) {
    const int shifts16[3] = {0, 5, 11}, widths16[3] = {5, 6, 5};
    uint32_t out = type == MEMIMG_TYPE_RGB32 ? d & 0xFF000000u : 0;
    for (int i = 0; i < 3; ++i) {
        int shift = type == MEMIMG_TYPE_RGB32 ? 8 * i : shifts16[i];
        int mask = type == MEMIMG_TYPE_RGB32 ? 0xFF : (1 << widths16[i]) - 1;
        int dc = (int)(d >> shift) & mask, sc = (int)(s >> shift) & mask;
        out |= (uint32_t)((dc * 256 + (sc - dc) * a) >> 8) << shift;
    }
    return out;
}

TEST_F(TextFont, BlendedAndAntialiasedTextOnTheSoftwareScreenOfBothDepths) {
    int edged = CreateFontToHandle(nullptr, 16, 6, FONTTYPE_EDGE, 1, 1, 0);
    int smooth = CreateFontToHandle(nullptr, 16, 6, FONTTYPE_ANTIALIAS, 1, -1, 0);
    ASSERT_NE(edged, -1);
    ASSERT_NE(smooth, -1);
    for (int type : {MEMIMG_TYPE_RGB16, MEMIMG_TYPE_RGB32}) {
        bool wide = type == MEMIMG_TYPE_RGB32;
        uint32_t grey = wide ? 0xFF808080 : 0x8410, white = wide ? 0xFFFFFFFF : 0xFFFF;
        uint32_t red = wide ? 0xFFFF0000 : 0xF800;
        // Half alpha: body and edge halve with the grey behind them.
        Target(type, 80, 24, grey);
        g_drawState.blendMode = BLENDMODE_ALPHA;
        g_drawState.blendParam = 128;
        g_blits = 0;
        ASSERT_EQ(DrawTextWithFont(3, 2, "中A", white, edged, red, 0), 0);
        EXPECT_EQ(g_blits, 1);
        Picture pic = ExpectSynthetic(80, 24, 3, 2, "中A", 16, 1);
        uint32_t body = wide ? 0xFFBFBFBF : 0xBDF7, edge = wide ? 0xFFBF4040 : 0xBA08;
        EXPECT_EQ(Mismatches(g_target, pic, grey, body, edge), 0) << "type " << type;
        EXPECT_EQ(g_drawArea.right, 80);
        EXPECT_EQ(g_drawState.brightness, 0xFFFFFFu);

        // Antialiased, no blending: each level blends the text colour in by (level - 1) x 16.
        g_drawState.blendMode = BLENDMODE_NONE;
        g_drawState.blendParam = 255;
        Target(type, 64, 24, grey);
        ASSERT_EQ(DrawTextWithFont(4, 4, "中", white, smooth, 0, 0), 0);
        GLYPHMETRICS gm;
        PlatformTestSyntheticGlyphMetrics(16, 0x9286, &gm);
        int top = 4 + 14 - gm.gmptGlyphOrigin.y, left = 4 + gm.gmptGlyphOrigin.x, bad = 0, ink = 0;
        for (int gy = 0; gy < (int)gm.gmBlackBoxY; ++gy)
            for (int gx = 0; gx < (int)gm.gmBlackBoxX; ++gx) {
                int level = PlatformTestSyntheticGlyphLevel(0x9286, gx, gy);
                uint32_t want = level >= 2 ? Toward(type, grey, white, (level - 1) * 16) : grey;
                bad += PixelAt(g_target, left + gx, top + gy) != want;
                ink += level >= 2;
            }
        EXPECT_GT(ink, 20);
        EXPECT_EQ(bad, 0) << "type " << type;
        EXPECT_EQ(PixelAt(g_target, 0, 0), grey);
    }
}

TEST_F(TextFont, AStringLongerThanTheCacheDrawsWhole) {
    g_fontSystem.cacheCapacitySetting = 20;
    int font = CreateFontToHandle(nullptr, 16, 6, 0, 1, -1, 0);
    ASSERT_NE(font, -1);
    ASSERT_EQ(LookupFontRec(font)->capacity, 20);
    // 36 distinct characters: the batch fills the cache, the rest are rendered one by one.
    std::string text;
    for (char c = 'A'; c <= 'Z'; ++c) text += c;
    text += "あいうえおかきくけこ";
    Target(MEMIMG_TYPE_RGB32, 16 * 8 * 2 + 10 * 16 + 8, 20, 0);
    ASSERT_EQ(DrawTextWithFont(0, 0, text.c_str(), 0xFFFFFFFF, font, 0, 0), 0);
    Picture pic = ExpectSynthetic(g_target.width, 20, 0, 0, text.c_str(), 16, 0);
    EXPECT_EQ(Mismatches(g_target, pic, 0, 0xFFFFFFFF, 0), 0);
    EXPECT_EQ(MeasureTextWithFont(text.c_str(), -1, font, 0), 26 * 8 + 10 * 16);
}

TEST_F(TextFont, PackagedFaceDrawsTheGlyphsTheGdiStandInRenders) {
    PlatformTestUseSyntheticFonts(false);
    int font = CreateFontToHandle(nullptr, 24, 6, 0, 1, -1, 0);
    ASSERT_NE(font, -1);
    const char *text = "ロード中";
    Target(MEMIMG_TYPE_RGB16, 120, 32, 0);
    ASSERT_EQ(DrawTextWithFont(4, 3, text, 0xFFFF, font, 0, 0), 0);

    // The same face straight from the stand-in, placed by its metrics.
    HFONT gdi = CreateFontA(24, 0, 0, 0, 600, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, FIXED_PITCH, "ＭＳ ゴシック");
    ASSERT_NE(gdi, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, gdi);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    static const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    std::vector<uint8_t> want((size_t)120 * 32, 0);
    int pen = 0, glyphsWithInk = 0;
    for (UINT code : Codes(text)) {
        GLYPHMETRICS gm{};
        DWORD size = GetGlyphOutlineA(dc, code, GGO_BITMAP, &gm, 0, nullptr, &identity);
        ASSERT_NE(size, GDI_ERROR);
        std::vector<uint8_t> bits(size);
        ASSERT_NE(GetGlyphOutlineA(dc, code, GGO_BITMAP, &gm, size, bits.data(), &identity), GDI_ERROR);
        int pitch = ((int)gm.gmBlackBoxX + 31) / 32 * 4, ink = 0;
        for (int gy = 0; gy < (int)gm.gmBlackBoxY; ++gy)
            for (int gx = 0; gx < (int)gm.gmBlackBoxX; ++gx) {
                if (!(bits[(size_t)gy * pitch + (gx >> 3)] >> (7 - (gx & 7)) & 1)) continue;
                int x = 4 + pen + gm.gmptGlyphOrigin.x + gx, y = 3 + tm.tmAscent - gm.gmptGlyphOrigin.y + gy;
                ASSERT_TRUE(x >= 0 && x < 120 && y >= 0 && y < 32);
                want[(size_t)y * 120 + x] = 1;
                ++ink;
            }
        glyphsWithInk += ink > 20;
        pen += gm.gmCellIncX;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(gdi);
    EXPECT_EQ(glyphsWithInk, 4);
    EXPECT_GT(pen, 4 * 20);  // four full-width cells
    EXPECT_EQ(MeasureTextWithFont(text, -1, font, 0), pen);
    int bad = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 120; ++x) bad += (PixelAt(g_target, x, y) == 0xFFFF) != (want[(size_t)y * 120 + x] == 1);
    EXPECT_EQ(bad, 0);
}

TEST_F(TextFont, ScreenLogLinesInWhiteWithABlackEdgeAcrossFontRecreation) {
    Target(MEMIMG_TYPE_RGB32, 96, 40, 0xFF808080);
    SCREENSETUP savedScreen = g_screenSetup;
    g_screenSetup.width = 96;
    g_screenSetup.height = 40;
    int dd = 0;
    g_deviceState.directDraw = (IDirectDraw7 *)&dd;
    HWND savedWindow = g_window.window;
    int savedActive = g_window.active;
    g_window.window = (HWND)&dd;
    g_window.active = 1;
    g_screenLog = SCREENLOG{};
    ASSERT_EQ(SetupScreenLog(), 0);
    PrintScreenLog("中A?\n字");
    EXPECT_STREQ(g_screenLog.lines[0], "中A");
    ASSERT_EQ(DrawScreenLog(), 0);
    // Size 16, edge 1: the second line starts 16 rows down and is drawn over the first.
    Picture pic = ExpectSynthetic(96, 40, 0, 0, "中A", 16, 1);
    Picture second = ExpectSynthetic(96, 40, 0, 16, "字", 16, 1);
    for (size_t i = 0; i < pic.kind.size(); ++i)
        if (second.kind[i]) pic.kind[i] = second.kind[i];
    EXPECT_EQ(Mismatches(g_target, pic, 0xFF808080, 0xFFFFFFFF, 0xFF000000), 0);

    // A lost device re-creates every font: the log keeps its handle and makes no second font.
    int font = g_screenLog.font;
    int used = 0;
    for (FONTREC *f : g_fontSystem.fonts) used += f != nullptr;
    ASSERT_EQ(RecreateAllFonts(), 0);
    EXPECT_EQ(g_screenLog.fontMissing, 0);
    EXPECT_EQ(IsValidFontHandle(font), 1);
    ASSERT_EQ(DrawScreenLog(), 0);
    EXPECT_EQ(g_screenLog.font, font);
    int after = 0;
    for (FONTREC *f : g_fontSystem.fonts) after += f != nullptr;
    EXPECT_EQ(after, used);
    EXPECT_EQ(Mismatches(g_target, pic, 0xFF808080, 0xFFFFFFFF, 0xFF000000), 0);

    // Deleting the font marks it missing; the next draw makes it again.
    ASSERT_EQ(FreeFontHandle(font), 0);
    EXPECT_EQ(g_screenLog.fontMissing, 1);
    ASSERT_EQ(DrawScreenLog(), 0);
    EXPECT_EQ(IsValidFontHandle(g_screenLog.font), 1);
    EXPECT_EQ(g_screenLog.fontMissing, 0);

    EndScreenLog();
    g_screenLog = SCREENLOG{};
    g_window.window = savedWindow;
    g_window.active = savedActive;
    g_deviceState.directDraw = nullptr;
    g_screenSetup = savedScreen;
}
