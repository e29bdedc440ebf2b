// The text overlay: the Shift-JIS code to cell rule, the flush's glyph placement for the three
// kinds through recorded draws, and the glyph cells landing on the stand-in device's screen.
#include "game/frame/text_overlay.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/frame/game_graphics.h"
#include "tests/graphics/screen_fixture.h"
#include "tools/imagewrite/image_write.h"

namespace {

TEST(SjisGlyphIndex, RulesEdgesAndCodesWithoutACell) {
    const struct {
        int code, cell;
    } cases[] = {
        {0x8140, 0},    {0x824F, 271},   // full-width zero falls to the first rule's range
        {0x8250, 208},  {0x8256, 214},  {0x82A0, 288},  {0x8340, 384},  {0x8840, 1024},
        {0x9240, 2944}, {0x92BF, 3071}, {0x92C0, 3072}, {0x9340, 3136}, {0x9D7E, 5118},
        {0x9D80, -1},   {0xFCFC, -1},    // upper kanji past the last cell
        {0x813F, -1},   {0x4182, -1},   {0x0000, -1},   {-5, -1},
    };
    for (const auto &c : cases) EXPECT_EQ(SjisGlyphIndex(c.code), c.cell) << std::hex << c.code;
}

struct Draw {
    int x, y, glyph;
    bool operator==(const Draw &o) const { return x == o.x && y == o.y && glyph == o.glyph; }
};
std::ostream &operator<<(std::ostream &os, const Draw &d) { return os << d.glyph << "@" << d.x << "," << d.y; }

std::vector<Draw> g_draws;
std::vector<int> g_destroyed;
const char *g_failingSheet = nullptr;

// Handles are 100000 + the glyph index, so a recorded draw names its cell.
int OpenSheetFake(const char *path, int total, int, int, int, int, int *handles, int) {
    if (g_failingSheet && std::strcmp(path, g_failingSheet) == 0) return -1;
    std::string p = path;
    int first = p.find("sjis1") != std::string::npos    ? 0
                : p.find("sjis32") != std::string::npos ? 3072
                : p.find("sjis3") != std::string::npos  ? 1024
                : p.find("asci") != std::string::npos   ? kAsciiGlyphBase
                                                        : kDigitGlyphBase;
    for (int i = 0; i < total; i++) handles[i] = 100000 + first + i;
    return 0;
}
int DrawAtFake(int x, int y, int graph, int transparency) {
    EXPECT_EQ(transparency, 1);
    g_draws.push_back({x, y, graph - 100000});
    return 0;
}
int DestroyFake(int graph) {
    g_destroyed.push_back(graph);
    return 0;
}

class OverlayDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = GameGraphics();
        GameGraphics().openImageAsDivGraphs = OpenSheetFake;
        GameGraphics().drawGraphAt = DrawAtFake;
        GameGraphics().destroyGraph = DestroyFake;
        g_draws.clear();
        g_destroyed.clear();
        g_failingSheet = nullptr;
        overlay.LoadOverlayFonts();
    }
    void TearDown() override {
        overlay.FreeOverlayFonts();
        GameGraphics() = saved_;
        g_failingSheet = nullptr;
    }
    std::vector<Draw> Flush() {
        g_draws.clear();
        overlay.Flush();
        EXPECT_TRUE(overlay.Entries().empty());
        return g_draws;
    }
    static constexpr int A(int c) { return kAsciiGlyphBase + c - 32; }
    static constexpr int D(int d) { return kDigitGlyphBase + d; }

    TextOverlay overlay;
    GameGraphicsCalls saved_;
};

TEST_F(OverlayDrawTest, AsciiMarksNumbersAndTheLengthCut) {
    overlay.AddText(10, 20, "Ant\xFF");  // 'n' starts a line, 't' is skipped
    overlay.AddNumber(100, 50, 120);
    overlay.AddNumber(60, 5, 0);
    overlay.AddNumber(30, 5, -7);  // no sign, and no cell outside the digits
    EXPECT_EQ(Flush(), (std::vector<Draw>{{10, 20, A('A')},
                                          {10, 28, A(0xFF)},
                                          {100, 50, D(0)},
                                          {92, 50, D(2)},
                                          {84, 50, D(1)},
                                          {60, 5, D(0)},
                                          {30, 5, D(7)}}));
    EXPECT_TRUE(Flush().empty());

    std::string longText(300, 'B');
    overlay.AddText(0, 0, longText.c_str());
    ASSERT_EQ(overlay.Entries()[0].text.size(), 255u);
    std::vector<Draw> d = Flush();
    ASSERT_EQ(d.size(), 255u);
    EXPECT_EQ(d.back(), (Draw{254 * 8, 0, A('B')}));
}

TEST_F(OverlayDrawTest, SjisBudgetsMarksAndBadBytes) {
    overlay.AddSjisTextLimited(0, 0, "あいう", 4);  // an even budget of 4: two characters
    overlay.AddSjisNumber(50, 0, 7);               // budget 3 still shows all three
    overlay.AddSjisText(0, 40, "あ\n\aい");
    EXPECT_EQ(Flush(), (std::vector<Draw>{{0, 0, 288},
                                          {8, 0, 290},
                                          {50, 0, 271},
                                          {58, 0, 271},
                                          {66, 0, 214},
                                          {0, 40, 288},
                                          {0, 56, 290}}));
    // A half-width byte pairs with the next one and draws nothing; codes past the sheets draw
    // nothing; a lead byte before the end stops the text without reading past it.
    overlay.AddSjisText(0, 0, "Aあ");
    overlay.AddSjisText(0, 20, "\x9D\x80う\x82");
    overlay.AddSjisNumber(0, 60, 1234);
    EXPECT_EQ(Flush(), (std::vector<Draw>{{8, 20, 292}, {0, 60, 216}, {8, 60, 216}, {16, 60, 216}}));
}

TEST_F(OverlayDrawTest, AMissingSheetDrawsNothingAndLoadedCellsAreFreed) {
    overlay.FreeOverlayFonts();
    EXPECT_EQ(g_destroyed.size(), (size_t)kGlyphCount);
    g_destroyed.clear();
    g_failingSheet = "DataForWork\\asci.bmp";
    overlay.LoadOverlayFonts();
    overlay.AddText(0, 0, "AB");
    overlay.AddNumber(0, 0, 5);
    EXPECT_EQ(Flush(), (std::vector<Draw>{{0, 0, D(5)}}));
    overlay.FreeOverlayFonts();
    EXPECT_EQ(g_destroyed.size(), (size_t)(kGlyphCount - 256));
    EXPECT_EQ(overlay.Glyph(D(5)), -1);
}

// The real sheets through the library onto the stand-in screen: a few marked cells, the rest
// in the key colour.
class OverlayScreenTest : public GraphScreenTest {
protected:
    static constexpr uint32_t kKey = 0x7BFA03;

    struct Mark {
        int cell;
        uint32_t colour;
    };
    void WriteSheet(const char *name, int columns, int rows, int cw, int ch, std::vector<Mark> marks) {
        PngSpec s;
        s.width = columns * cw;
        s.height = rows * ch;
        for (int y = 0; y < s.height; y++)
            for (int x = 0; x < s.width; x++) {
                uint32_t c = kKey;
                for (const Mark &m : marks)
                    if (m.cell == (y / ch) * columns + x / cw) c = m.colour;
                s.pixels.insert(s.pixels.end(), {(uint8_t)(c >> 16), (uint8_t)(c >> 8), (uint8_t)c});
            }
        WriteFile(std::string("DataForWork/") + name, EncodePng(s));
    }
    // The expected screen: background with each drawn cell's rectangle filled.
    void Fill(std::vector<uint32_t> &screen, int x, int y, int w, int h, uint32_t colour) {
        for (int j = y; j < y + h; j++)
            for (int i = x; i < x + w; i++) screen[j * kScreenW + i] = colour;
    }
};

TEST_F(OverlayScreenTest, GlyphCellsLandWhereTheTextSays) {
    std::filesystem::create_directory(dir_ / "DataForWork");
    WriteSheet("font_sjis1.bmp", 16, 64, 8, 16, {{271, 0xFF00FF}, {288, 0x00FFFF}});
    WriteSheet("font_sjis3.bmp", 16, 128, 8, 16, {});
    WriteSheet("font_sjis32.bmp", 16, 128, 8, 16, {{0, 0xFFFF00}});
    WriteSheet("asci.bmp", 16, 16, 8, 8, {{'A' - 32, 0xFF0000}});
    WriteSheet("numberonly.bmp", 10, 1, 8, 8, {{1, 0x00FF00}, {2, 0x0000FF}});
    TextOverlay overlay;
    overlay.LoadOverlayFonts();
    for (int i = 0; i < kGlyphCount; i++) ASSERT_NE(overlay.Glyph(i), -1) << i;

    Clear();
    overlay.AddText(16, 8, "AzA");       // 'z' is a clear cell
    overlay.AddNumber(100, 8, 12);       // the 2 at x, the 1 left of it
    overlay.AddSjisText(16, 40, "あ\x92\xC0");
    overlay.AddSjisNumber(200, 40, 0);
    overlay.Flush();
    FlushVertexBatch();

    std::vector<uint32_t> want(kScreenW * kScreenH, kBackground);
    Fill(want, 16, 8, 8, 8, 0xFF0000);
    Fill(want, 32, 8, 8, 8, 0xFF0000);
    Fill(want, 100, 8, 8, 8, 0x0000FF);
    Fill(want, 92, 8, 8, 8, 0x00FF00);
    Fill(want, 16, 40, 8, 16, 0x00FFFF);
    Fill(want, 24, 40, 8, 16, 0xFFFF00);
    Fill(want, 200, 40, 24, 16, 0xFF00FF);
    std::vector<uint32_t> got = D3D9TestReadSurface(back_);
    ASSERT_EQ(got.size(), want.size());
    int wrong = 0;
    for (size_t i = 0; i < got.size(); i++)
        if ((got[i] & 0xFFFFFF) != want[i] && wrong++ < 5)
            ADD_FAILURE() << "pixel " << i % kScreenW << "," << i / kScreenW << ": " << std::hex << got[i];
    EXPECT_EQ(wrong, 0);
    overlay.FreeOverlayFonts();
}

} // namespace
