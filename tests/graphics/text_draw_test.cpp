// Text drawing and the on-screen log over a synthetic font: glyph bitmaps made from the
// character code, so that layout and pixel values do not depend on a font file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "graphics/text_fixture.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/screen_log.h"
#include "library/graphics/text_draw.h"
#include "library/graphics/text_link.h"

namespace {

constexpr int kFont = 0x20000001;  // the only live handle

struct FakeFont {
    TEXTFONTINFO info{};
    std::map<int, std::vector<uint8_t>> cells;
    int glyphCalls = 0;
    int created = 0;
    int32_t *deleteFlag = nullptr;
};
FakeFont g_fake;

// Double-byte glyphs are 6 x 8 boxes with code bits inside, single-byte ones 3 x 8.
uint32_t Stored(int type, bool box, bool inner) {
    switch (type & 3) {
    case 0: return box || inner;
    case 1: return box ? 2 : inner ? 1 : 0;
    case 2: return box ? 15 : inner ? 8 : 0;
    default: return box ? 0xF0 : inner ? 0x0F : 0;
    }
}

int FakeInfo(int font, TEXTFONTINFO *out) {
    if (font != kFont) return -1;
    *out = g_fake.info;
    return 0;
}

int FakeGlyph(int, const unsigned char *c, int length, TEXTGLYPH *out) {
    ++g_fake.glyphCalls;
    int code = length == 2 ? c[1] * 256 + c[0] : c[0];
    *out = TEXTGLYPH{};
    bool space = code == 0x20 || code == 0x4081;
    int w = space ? 0 : length == 2 ? 6 : 3, h = space ? 0 : 8;
    out->advance = length == 2 ? 8 : 4;
    out->xOffset = 1;
    out->yOffset = 1;
    out->cacheX = 24 * (code & 3);
    out->cacheY = 24 * (code >> 2 & 3);
    out->width = w;
    out->height = h;
    int type = g_fake.info.fontType;
    int bits = (type & 3) == 0 ? 1 : 8;
    int pitch = bits == 1 ? 1 : 8;
    std::vector<uint8_t> &cell = g_fake.cells[code * 4 + type];
    cell.assign((size_t)pitch * 8, 0);
    uint32_t hash = (uint32_t)code * 2654435761u;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool box = y == 0 || y == h - 1 || x == 0 || x == w - 1;
            bool inner = !box && (hash >> ((y - 1) * 4 + (x - 1)) & 1);
            uint32_t v = Stored(type, box, inner);
            if (bits == 1)
                cell[y] |= (uint8_t)(v << (7 - x));
            else
                cell[(size_t)y * pitch + x] = (uint8_t)v;
        }
    out->bits = GLYPHBITS{cell.data(), pitch, bits, w, h};
    return 0;
}

// Texture-cache draws as they reach the draw entries, with the brightness at the time.
std::vector<std::string> g_draws;
std::string Bright() {
    char b[16];
    std::snprintf(b, sizeof b, " @%06X", g_drawState.brightness);
    return b;
}
int FakePart(int x, int y, int sx, int sy, int w, int h, int graph) {
    g_draws.push_back("part " + std::to_string(graph) + " " + std::to_string(x) + "," + std::to_string(y) + " from " +
                      std::to_string(sx) + "," + std::to_string(sy) + " " + std::to_string(w) + "x" +
                      std::to_string(h) + Bright());
    return 0;
}
int FakeCorners(const float x[4], const float y[4], int graph) {
    std::string s = "corners " + std::to_string(graph);
    for (int i = 0; i < 4; ++i) {
        char c[32];
        std::snprintf(c, sizeof c, " %g,%g", x[i], y[i]);
        s += c;
    }
    const DRAWAREA &a = g_drawArea;
    s += " in " + std::to_string(a.left) + "," + std::to_string(a.top) + "," + std::to_string(a.right) + "," +
         std::to_string(a.bottom);
    g_draws.push_back(s + Bright());
    return 0;
}
int FakeBlendGraph(int graph, int border, int range) {
    g_draws.push_back("blend " + std::to_string(graph) + " " + std::to_string(border) + " " + std::to_string(range));
    return 0;
}

MEMIMG g_screen, g_work, g_workAlpha;
std::vector<std::pair<int, int>> g_blits;
MEMIMG g_lastWork;
DRAWAREA g_blitArea;  // the draw area while the work image was blitted

MEMIMG *FakeScreen() { return &g_screen; }
MEMIMG *FakeWork(int alpha) { return alpha ? &g_workAlpha : &g_work; }
void FakeBlit(MEMIMG *, MEMIMG *src, int x, int y, int, MEMIMG *) {
    g_blits.push_back({x, y});
    g_blitArea = g_drawArea;
    ReleaseMemImg(&g_lastWork);
    SetupMemImg(&g_lastWork, src->width, src->height, -1, 0, src->base->pixelType, 0, src->base->alphaFlag, 0,
                nullptr);
    CopyMemImg(&g_lastWork, src, nullptr, 0, 0);
    g_lastWork.base->transparentCode = src->base->transparentCode;
}
int FakeCreate(const char *, int size, int, int type, int, int, int) {
    ++g_fake.created;
    g_fake.info.size = size;
    g_fake.info.fontType = type;
    return kFont;
}
int FakeAttach(int, int32_t *flag) {
    g_fake.deleteFlag = flag;
    if (flag) *flag = 0;
    return 0;
}
int FakeDefault() { return kFont; }

class TextDraw : public ::testing::Test {
protected:
    void SetUp() override {
        g_fake = FakeFont{};
        g_fake.info = TEXTFONTINFO{16, 0, 1, 10, 0, 1, 0, -1, -1, 0, 0};
        saved_ = g_textLink;
        savedScreen_ = g_screenSetup;
        g_screenSetup.width = 640;
        g_screenSetup.height = 480;
        g_textLink = TEXTLINK{};
        g_textLink.fontInfo = FakeInfo;
        g_textLink.glyph = FakeGlyph;
        g_textLink.screenImage = FakeScreen;
        g_textLink.workImage = FakeWork;
        g_textLink.blitMemImg = FakeBlit;
        g_textLink.createFont = FakeCreate;
        g_textLink.attachDeleteFlag = FakeAttach;
        g_textLink.defaultFont = FakeDefault;
        ResetTextDrawState();
        g_blits.clear();
        Screen(MEMIMG_TYPE_RGB32, 64, 16);
    }
    void TearDown() override {
        ReleaseMemImg(&g_screen);
        ReleaseMemImg(&g_work);
        ReleaseMemImg(&g_workAlpha);
        ReleaseMemImg(&g_lastWork);
        g_textLink = saved_;
        g_screenSetup = savedScreen_;
        g_deviceState.directDraw = nullptr;
    }
    // The screen and its two work images of the same size, as the software screen has them.
    void Screen(int type, int w, int h) {
        ReleaseMemImg(&g_screen);
        ReleaseMemImg(&g_work);
        ReleaseMemImg(&g_workAlpha);
        ASSERT_EQ(SetupMemImg(&g_screen, w, h, -1, 0, type, 0, 0, 0, nullptr), 0);
        ASSERT_EQ(SetupMemImg(&g_work, w, h, -1, 0, type, 0, 0, 0, nullptr), 0);
        ASSERT_EQ(SetupMemImg(&g_workAlpha, w, h, -1, 0, type, 0, 1, 0, nullptr), 0);
        g_drawArea = MakeDrawArea(0, 0, w, h);
    }
    TEXTLINK saved_{};
    SCREENSETUP savedScreen_{};
    static uint32_t At(const MEMIMG &m, int x, int y) {
        int bpp = MemImgBytesPerPixel(m.base);
        return LoadPixelValue(m.pixels + (size_t)y * m.base->pitch + (size_t)x * bpp, bpp);
    }
    static std::string Picture(const MEMIMG &m, uint32_t background) {
        std::string s;
        for (int y = 0; y < m.height; ++y) {
            for (int x = 0; x < m.width; ++x) s += At(m, x, y) == background ? '.' : '#';
            s += '\n';
        }
        return s;
    }
};

}  // namespace

TEST_F(TextDraw, LoadingTextGolden) {
    Screen(MEMIMG_TYPE_RGB32, 36, 10);
    ASSERT_EQ(DrawTextWithFont(2, 0, "ロード中", 0xFFFFFFFF, kFont, 0, 0), 0);
    // Four 6 x 8 boxes, one every 8 pixels from x 3 (pen 2 + x offset 1), y offset 1.
    const char *golden =
        "....................................\n"
        "...######..######..######..######...\n"
        "...###..#..##...#..###..#..#.#..#...\n"
        "...##..##..###..#..##..##..######...\n"
        "...#.#..#..##.###..##.###..#..###...\n"
        "...#..###..###..#..#.#..#..#....#...\n"
        "...##..##..#.##.#..###..#..#.##.#...\n"
        "...#.##.#..###..#..##.###..##.#.#...\n"
        "...######..######..######..######...\n"
        "....................................\n";
    EXPECT_EQ(Picture(g_screen, 0), golden);
    EXPECT_EQ(At(g_screen, 3, 1), 0xFFFFFFFFu);
}

TEST_F(TextDraw, TextureCacheDrawsEdgeThenBodyPerGlyphAndRestoresTheState) {
    g_fake.info = TEXTFONTINFO{16, 1, 1, 10, 0, 1, 1, 100, 101, 96, 96};
    g_textLink.drawGraphPart = FakePart;
    g_textLink.drawGraphCorners = FakeCorners;
    g_textLink.setBlendGraph = FakeBlendGraph;
    g_drawState.brightness = 0x80FF40;
    g_drawState.blendGraph = 7;
    g_drawState.blendGraphParam = 50;
    g_drawState.blendGraphRange = 20;
    g_draws.clear();
    // 中 is code 0x8692: cache cell (24 x 2, 24 x 0); the space draws nothing but advances.
    ASSERT_EQ(DrawTextWithFont(10, 20, " 中", 0xFFFFFF, kFont, 0xFF0000, 0), 0);
    std::vector<std::string> horizontal = {
        "blend -1 50 20",
        "part 101 15,21 from 48,0 6x8 @800000",  // edge first, in the modulated edge colour
        "part 100 15,21 from 48,0 6x8 @80FF40",  // then the body in the modulated text colour
        "blend 7 50 20",
    };
    EXPECT_EQ(g_draws, horizontal);
    EXPECT_EQ(g_drawState.brightness, 0x80FF40u);

    // Vertical: the whole graph turned a quarter clockwise in a draw area around the glyph;
    // the edged body graph is twice as wide as the cache area.
    g_draws.clear();
    ASSERT_EQ(DrawTextWithFont(10, 20, "中", 0xFFFFFF, kFont, 0xFF0000, 1), 0);
    // left = 10 + 10 - 1 - 8 = 11, top = 20 + 0 + 1 = 21; right column x 11 + 8 + 0 = 19.
    std::vector<std::string> vertical = {
        "blend -1 50 20",
        "corners 101 18.5,-27.5 18.5,68.5 -77.5,68.5 -77.5,-27.5 in 10,21,20,27 @800000",
        "corners 100 18.5,-27.5 18.5,164.5 -77.5,164.5 -77.5,-27.5 in 10,21,20,27 @80FF40",
        "blend 7 50 20",
    };
    EXPECT_EQ(g_draws, vertical);
    EXPECT_EQ(g_drawArea.right, 64);  // the area is back
    g_drawState.blendGraph = -1;
}

TEST_F(TextDraw, MeasureGapSpacesAndDoubleByteCounts) {
    g_fake.info.charGap = 2;
    EXPECT_EQ(MeasureTextWithFont("AB", -1, kFont, 0), 4 + 4 + 4);
    EXPECT_EQ(MeasureTextWithFont("AB", 1, kFont, 0), 4 + 2);
    EXPECT_EQ(MeasureTextWithFont("AB", 99, kFont, 0), 12);
    g_fake.info.charGap = 0;
    EXPECT_EQ(MeasureTextWithFont("中A", 1, kFont, 0), 8);  // both bytes of the first character
    EXPECT_EQ(MeasureTextWithFont("\x82", -1, kFont, 0), 4);  // a lone lead byte at the end
    EXPECT_EQ(MeasureTextWithFont("A", -1, 12345, 0), -1);

    SIZE size{};
    EXPECT_EQ(RenderFontString(0, 0, 0, "中中", 0, nullptr, nullptr, kFont, 0, -1, 1, &size), 16);
    EXPECT_EQ(size.cx, 10);  // vertical: cell height across, pen down
    EXPECT_EQ(size.cy, 16);
    RenderFontString(0, 0, 0, "中中", 0, nullptr, nullptr, kFont, 0, -1, 0, &size);
    EXPECT_EQ(size.cx, 16);
    EXPECT_EQ(size.cy, 10);

    ASSERT_EQ(DrawTextWithFont(0, 0, " \x81\x40 ", 0xFFFFFFFF, kFont, 0, 0), 0);
    EXPECT_EQ(Picture(g_screen, 0).find('#'), std::string::npos);
    EXPECT_EQ(MeasureTextWithFont(" \x81\x40 ", -1, kFont, 0), 16);
}

TEST_F(TextDraw, VerticalTextTurnsEachGlyph) {
    Screen(MEMIMG_TYPE_RGB16, 16, 24);
    ASSERT_EQ(DrawTextWithFont(0, 0, "中中", 0xFFFF, kFont, 0, 1), 0);
    // Columns from x = cell height - y offset - height = 1 to 8, rows from pen + x offset.
    EXPECT_EQ(At(g_screen, 0, 1), 0u);
    EXPECT_EQ(At(g_screen, 1, 1), 0xFFFFu);
    EXPECT_EQ(At(g_screen, 8, 1), 0xFFFFu);
    EXPECT_EQ(At(g_screen, 9, 1), 0u);
    EXPECT_EQ(At(g_screen, 1, 6), 0xFFFFu);
    EXPECT_EQ(At(g_screen, 1, 7), 0u);
    EXPECT_EQ(At(g_screen, 1, 9), 0xFFFFu);  // second glyph at pen 8
    EXPECT_EQ(At(g_screen, 1, 14), 0xFFFFu);
}

TEST_F(TextDraw, EdgedTextKeepsBodyAndEdgeColoursOnBothDepths) {
    g_fake.info.fontType = 1;
    for (int type : {MEMIMG_TYPE_RGB16, MEMIMG_TYPE_RGB32}) {
        Screen(type, 16, 10);
        uint32_t white = type == MEMIMG_TYPE_RGB16 ? 0xFFFF : 0xFFFFFFFF;
        uint32_t red = type == MEMIMG_TYPE_RGB16 ? 0xF800 : 0xFFFF0000;
        ASSERT_EQ(DrawTextWithFont(0, 0, "中", white, kFont, red, 0), 0);
        EXPECT_EQ(At(g_screen, 1, 1), red);  // the box is the edge
        // 中 is 0x92 0x86, code 0x8692; glyph pixel (2, 2), at (3, 3), is bit 5 of its hash.
        bool inner = (0x8692u * 2654435761u) >> 5 & 1;
        EXPECT_EQ(At(g_screen, 3, 3), inner ? white : 0u);
        EXPECT_EQ(g_blits.size(), 0u);  // straight into the screen
    }
}

TEST_F(TextDraw, AntialiasedTextGoesThroughTheAlphaWorkImage) {
    for (int fontType : {2, 3}) {
        g_fake.info.fontType = fontType;
        for (int type : {MEMIMG_TYPE_RGB16, MEMIMG_TYPE_RGB32}) {
            Screen(type, 32, 12);
            g_blits.clear();
            uint32_t white = type == MEMIMG_TYPE_RGB16 ? 0xFFFF : 0xFFFFFFFF;
            ASSERT_EQ(DrawTextWithFont(5, 2, "中", white, kFont, 0, 0), 0);
            ASSERT_EQ(g_blits.size(), 1u);
            EXPECT_EQ(g_blits[0], std::make_pair(5, 2));
            ASSERT_EQ(g_lastWork.base->alphaFlag, 1);
            EXPECT_EQ(g_lastWork.width, 32);  // the screen-sized work image, under an area of the text's size
            EXPECT_EQ(g_blitArea.left, 5);
            EXPECT_EQ(g_blitArea.top, 2);
            EXPECT_EQ(g_blitArea.right, 5 + 8);
            EXPECT_EQ(g_blitArea.bottom, 2 + 10);
            uint32_t box = At(g_lastWork, 1, 1);
            uint32_t alphaShift = type == MEMIMG_TYPE_RGB16 ? 16 : 24;
            // Type 2: level 15 x 16 = 240 in the text colour; type 3: edge 15 with body 0.
            EXPECT_EQ(box >> alphaShift & 0xFF, 240u);
            EXPECT_EQ(box & (type == MEMIMG_TYPE_RGB16 ? 0xFFFFu : 0xFFFFFFu),
                      fontType == 2 ? (type == MEMIMG_TYPE_RGB16 ? 0xFFFFu : 0xFFFFFFu) : 0u);
            EXPECT_EQ(At(g_lastWork, 0, 0), 0u);  // cleared with 0
            EXPECT_EQ(g_drawArea.right, 32);      // the area is back
        }
    }
}

TEST_F(TextDraw, BlendedTextClearsWithAColourOtherThanTheWrittenOnes) {
    g_drawState.blendMode = BLENDMODE_ADD;
    Screen(MEMIMG_TYPE_RGB16, 16, 10);
    // 565: colour 0 and edge 1 are written as 0x0000 and 0x0001, so the clear colour is 2.
    ASSERT_EQ(DrawTextWithFont(0, 0, "A", 0, kFont, 1, 0), 0);
    ASSERT_EQ(g_blits.size(), 1u);
    EXPECT_EQ(g_lastWork.base->transparentCode, 2u);
    EXPECT_EQ(At(g_lastWork, 0, 0), 2u);
    EXPECT_EQ(At(g_lastWork, 1, 1), 0u);  // the glyph box in colour 0
    // At brightness 0 every colour is written black: the clear colour moves off it.
    g_drawState.brightness = 0;
    g_blits.clear();
    ASSERT_EQ(DrawTextWithFont(0, 0, "A", 0xFFFF, kFont, 0x1234, 0), 0);
    ASSERT_EQ(g_blits.size(), 1u);
    EXPECT_EQ(g_lastWork.base->transparentCode, 1u);
    EXPECT_EQ(At(g_lastWork, 1, 1), 0u);
    g_drawState.blendMode = BLENDMODE_NONE;
}

TEST_F(TextDraw, RefusalsAndQuietReturns) {
    EXPECT_EQ(DrawTextWithFont(0, 0, "A", 0, 777, 0, 0), -1);
    EXPECT_EQ(DrawTextWithFont(0, 0, "", 0, 777, 0, 0), 0);
    EXPECT_EQ(DrawTextWithFont(0, 0, nullptr, 0, kFont, 0, 0), 0);
    g_drawState.drawTarget = -4;
    g_fake.glyphCalls = 0;
    EXPECT_EQ(DrawTextWithFont(64, 0, "A", 0, kFont, 0, 0), 0);  // at the area's right edge
    EXPECT_EQ(g_fake.glyphCalls, 0);
    g_drawState.drawTarget = -2;
    g_drawState.drawingSuppressed = 1;
    EXPECT_EQ(DrawTextWithFont(0, 0, "A", 0, kFont, 0, 0), 0);
    EXPECT_EQ(MeasureTextWithFont("A", -1, kFont, 0), -1);
    g_drawState.drawingSuppressed = 0;
}

TEST_F(TextDraw, FormattedTextIsCutAt2047Bytes) {
    std::string longText(3000, 'A');
    g_fake.glyphCalls = 0;
    EXPECT_EQ(DrawFormattedText(0, 0, 0xFFFFFFFF, "%s", longText.c_str()), 0);
    EXPECT_EQ(g_fake.glyphCalls, 2047);
    // A cut through a two-byte character drops its lead byte.
    std::string kanji;
    for (int i = 0; i < 1100; ++i) kanji += "中";
    g_fake.glyphCalls = 0;
    DrawFormattedText(0, 0, 0xFFFFFFFF, "A%s", kanji.c_str());
    EXPECT_EQ(g_fake.glyphCalls, 1 + 1023);
    g_fake.glyphCalls = 0;
    DrawFormattedText(0, 0, 0xFFFFFFFF, "%d:%s", 7, "中");
    EXPECT_EQ(g_fake.glyphCalls, 3);
}

// A stand-in DirectDraw object and an active window, so that the screen log sets up at
// once; the window comes back at the end (TearDown drops the DirectDraw object).
struct LogWindow {
    int dd = 0;
    HWND savedWindow = g_window.window;
    int savedActive = g_window.active;
    LogWindow() {
        g_deviceState.directDraw = (IDirectDraw7 *)&dd;
        g_window.window = (HWND)&dd;
        g_window.active = 1;  // no waiting for activation
    }
    ~LogWindow() {
        g_window.window = savedWindow;
        g_window.active = savedActive;
    }
};

TEST_F(TextDraw, ScreenLogLinesTabsAndScrolling) {
    g_screenLog = SCREENLOG{};
    EXPECT_EQ(SetupScreenLog(), -1);  // no DirectDraw object yet
    LogWindow window;
    ASSERT_EQ(SetupScreenLog(), 0);
    EXPECT_EQ(g_fake.created, 1);
    EXPECT_EQ(g_fake.info.fontType, 1);
    EXPECT_EQ(g_fake.deleteFlag, &g_screenLog.fontMissing);

    PrintScreenLog("a\tb?\x07%d\n", 5);
    EXPECT_STREQ(g_screenLog.lines[0], "a    b5");
    EXPECT_EQ(g_screenLog.currentLine, 1);
    EXPECT_EQ(GetScreenLogUsed(), 1);

    // 480 / 16 = 30 visible lines: the 31st line scrolls the first out.
    for (int i = 1; i < 40; ++i) PrintScreenLog("%d\n", i);
    EXPECT_EQ(g_screenLog.currentLine, 29);
    EXPECT_STREQ(g_screenLog.lines[0], "11");
    EXPECT_STREQ(g_screenLog.lines[28], "39");
    EXPECT_STREQ(g_screenLog.lines[29], "");

    // A tall screen shows all 80: the 81st line scrolls the first out.
    g_screenSetup.height = 2000;
    g_screenLog = SCREENLOG{};
    ASSERT_EQ(SetupScreenLog(), 0);
    for (int i = 0; i < 81; ++i) PrintScreenLog("L%d\n", i);
    EXPECT_EQ(g_screenLog.currentLine, 79);
    EXPECT_STREQ(g_screenLog.lines[0], "L2");
    EXPECT_STREQ(g_screenLog.lines[78], "L80");
    g_screenSetup.height = 480;

    // Width: a character that reaches the screen width starts a new line (4 pixels each).
    g_screenSetup.width = 20;
    g_screenLog = SCREENLOG{};
    ASSERT_EQ(SetupScreenLog(), 0);
    PrintScreenLog("AAAAAAA");
    EXPECT_STREQ(g_screenLog.lines[0], "AAAA");
    EXPECT_STREQ(g_screenLog.lines[1], "AAA");
    g_screenSetup.width = 640;

    // A font deleted by the font system is made again at the next use.
    g_screenLog.fontMissing = 1;
    PrintScreenLog("x");
    EXPECT_EQ(g_fake.created, 4);
    g_screenLog = SCREENLOG{};
}

TEST_F(TextDraw, ScreenLogDrawsWhiteWithABlackEdge) {
    Screen(MEMIMG_TYPE_RGB32, 64, 40);
    FillMemImg(&g_screen, nullptr, 0xFF808080);
    g_screenLog = SCREENLOG{};
    LogWindow window;
    g_screenSetup.width = 64;
    g_screenSetup.height = 40;
    ASSERT_EQ(SetupScreenLog(), 0);
    PrintScreenLog("中\n中");
    ASSERT_EQ(DrawScreenLog(), 0);
    // The fake edged font draws its box in the edge colour and the code bits in the text colour.
    EXPECT_EQ(At(g_screen, 1, 1) & 0xFFFFFF, 0u);
    EXPECT_EQ(At(g_screen, 1, 17) & 0xFFFFFF, 0u);  // second line at y 16
    bool sawWhite = false;
    for (int y = 2; y < 8; ++y)
        for (int x = 2; x < 6; ++x) sawWhite |= (At(g_screen, x, y) & 0xFFFFFF) == 0xFFFFFF;
    EXPECT_TRUE(sawWhite);
    EXPECT_EQ(At(g_screen, 0, 0), 0xFF808080u);
    g_screenSetup.width = 640;
    g_screenSetup.height = 480;
    g_screenLog = SCREENLOG{};
}
