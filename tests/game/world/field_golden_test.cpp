// Golden frames of the field: the real library draws the demo data's maps, sheets, HUD and wipes
// onto the stand-in device, and each 320 x 240 frame must equal, pixel for pixel, the picture the
// test composes itself from the same sheet files and grids (key colour skipped). Every frame is
// saved as PNG in "golden-frames" beside the tests (with the composed picture when they differ).
// The demo's items, lying or flying on their own field-object rows, have pictures of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "game/actors/actors.h"
#include "game/frame/game_input.h"
#include "game/frame/hud.h"
#include "game/frame/key_bindings.h"
#include "game/frame/sjis_glyph.h"
#include "game/frame/status_window.h"
#include "game/frame/text_overlay.h"
#include "game/world/area_transition.h"
#include "game/world/backdrop.h"
#include "game/world/field_object_kinds.h"
#include "game/world/object_sheets.h"
#include "game/world/tile_view.h"
#include "game/world/wipe.h"
#include "tests/game/demo_data.h"
#include "tests/graphics/screen_fixture.h"
#include "tools/imagewrite/image_write.h"

namespace {

namespace fs = std::filesystem;

constexpr int kW = 320, kH = 240;
constexpr uint32_t kKeyColour = 0x7BFA03;

// A picture file as RGB words, read by the test itself (the demo data writes 24-bit BMPs).
struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t At(int x, int y) const { return px[(size_t)y * w + x]; }
};

Picture ReadBmp(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Picture pic;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return pic;
    auto u32 = [&](size_t at) { return (uint32_t)b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24; };
    const uint32_t offset = u32(10);
    pic.w = (int)u32(18);
    pic.h = (int)u32(22);
    const size_t stride = ((size_t)pic.w * 3 + 3) & ~(size_t)3;
    pic.px.resize((size_t)pic.w * pic.h);
    for (int y = 0; y < pic.h; y++)
        for (int x = 0; x < pic.w; x++) {
            const size_t at = offset + (size_t)(pic.h - 1 - y) * stride + (size_t)x * 3;
            pic.px[(size_t)y * pic.w + x] = (uint32_t)b[at + 2] << 16 | (uint32_t)b[at + 1] << 8 | b[at];
        }
    return pic;
}

struct Grid {
    int w = 0, h = 0;
    std::vector<uint32_t> cells;
    uint32_t At(int x, int y) const { return x < 0 || y < 0 || x >= w || y >= h ? 0 : cells[(size_t)y * w + x]; }
};

Grid ReadGrid(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u32 = [&](size_t at) { return (uint32_t)b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24; };
    Grid g;
    g.w = (int)u32(0);
    g.h = (int)u32(4);
    for (size_t i = 0; i < (size_t)g.w * g.h; i++) g.cells.push_back(u32(8 + 4 * i));
    return g;
}

// The expected 320 x 240 frame, drawn the way the rules say.
class Composer {
public:
    explicit Composer(uint32_t background) : px_((size_t)kW * kH, background) {}
    // Part (sx, sy, w, h) of a picture at (x, y); brightness 255 keeps colours, 0 makes them black.
    void Part(const Picture &p, int x, int y, int sx, int sy, int w, int h, bool transparent, int bright = 255) {
        for (int j = 0; j < h; j++)
            for (int i = 0; i < w; i++) {
                const int px = x + i, py = y + j, qx = sx + i, qy = sy + j;
                if (px < 0 || py < 0 || px >= kW || py >= kH || qx < 0 || qy < 0 || qx >= p.w || qy >= p.h) continue;
                const uint32_t c = p.At(qx, qy);
                if (transparent && c == kKeyColour) continue;
                px_[(size_t)py * kW + px] = Bright(c, bright);
            }
    }
    void Fill(int x1, int y1, int x2, int y2, uint32_t c) {
        for (int y = std::max(0, y1); y < std::min(kH, y2); y++)
            for (int x = std::max(0, x1); x < std::min(kW, x2); x++) px_[(size_t)y * kW + x] = c;
    }
    static uint32_t Bright(uint32_t c, int b) {
        auto mul = [b](uint32_t v) { return (uint32_t)(((int)v * b + 127) / 255); };
        return mul(c >> 16 & 255) << 16 | mul(c >> 8 & 255) << 8 | mul(c & 255);
    }
    const std::vector<uint32_t> &Pixels() const { return px_; }

private:
    std::vector<uint32_t> px_;
};

fs::path g_data; // the demo data set, written once for the suite

// A grid of the demo data loaded by the game's loader, and the tile view over it with its camera
// on a focus point.
struct Field {
    MapGrid grid;
    Companion focus;
    TileView view;
    bool loaded = false;
    Field(const char *map, int sheet, float x, float y) {
        InitMapGrid(grid);
        SetMapGridPath(grid, map);
        loaded = LoadMapGrid(grid) == 0;
        focus.x = x;
        focus.y = y;
        LoadTileSheets(view);
        view.grid = &grid;
        view.focus = &focus;
        view.layer1Sheet = view.layer2Sheet = sheet;
        UpdateCamera(view);
    }
    ~Field() { FreeMapGrid(grid); }
};

class FieldGoldenTest : public GraphScreenTest {
protected:
    static void SetUpTestSuite() {
        if (!g_data.empty()) return;
        std::random_device rd;
        g_data = fs::temp_directory_path() / ("kelmor-golden-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(g_data);
        ASSERT_TRUE(WriteDemoData(g_data));
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(g_data, ec);
        g_data.clear();
    }
    void SetUp() override {
        GraphScreenTest::SetUp();
        ASSERT_FALSE(g_data.empty());
        fs::create_directory_symlink(g_data / "DataForWork", dir_ / "DataForWork");
        fs::create_directory_symlink(g_data / "MAP", dir_ / "MAP");
        Clear();
    }
    Picture Pic(const std::string &relative) {
        auto it = pictures_.find(relative);
        if (it != pictures_.end()) return it->second;
        Picture p = ReadBmp(g_data / relative);
        EXPECT_GT(p.w, 0) << relative;
        return pictures_[relative] = p;
    }
    // Compares the back screen's work area with the composed frame and saves both as PNG.
    void Check(const std::string &name, const Composer &want) {
        FlushVertexBatch();
        const std::vector<uint32_t> screen = D3D9TestReadSurface(back_);
        std::vector<uint32_t> got((size_t)kW * kH);
        for (int y = 0; y < kH; y++)
            for (int x = 0; x < kW; x++) got[(size_t)y * kW + x] = screen[(size_t)y * kScreenW + x] & 0xFFFFFF;
        const fs::path out = savedCwd_ / "golden-frames";
        fs::create_directories(out);
        Save(out / (name + ".png"), got);
        int wrong = 0;
        for (size_t i = 0; i < got.size(); i++)
            if (got[i] != want.Pixels()[i] && wrong++ < 5)
                ADD_FAILURE() << name << ": pixel " << i % kW << "," << i / kW << " is " << std::hex << got[i]
                              << ", composed " << want.Pixels()[i];
        if (wrong) Save(out / (name + ".composed.png"), want.Pixels());
        EXPECT_EQ(wrong, 0) << name;
    }
    static void Save(const fs::path &p, const std::vector<uint32_t> &px) {
        PngSpec s;
        s.width = kW;
        s.height = kH;
        for (uint32_t c : px) s.pixels.insert(s.pixels.end(), {(uint8_t)(c >> 16), (uint8_t)(c >> 8), (uint8_t)c});
        const std::vector<uint8_t> b = EncodePng(s);
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char *>(b.data()), (std::streamsize)b.size());
    }

    // The tile layers as the rules place them: camera at the screen's centre, animated tiles
    // stepping by frame, a dark layer black.
    void ComposeLayer(Composer &c, const Grid &g, const Picture &sheet, float camX, float camY, int layer, int frame,
                      int bright) {
        const int col0 = (int)(camX / 16) - 20, row0 = (int)(camY / 16) - 16;
        for (int row = row0; row < row0 + 32; row++)
            for (int col = col0; col < col0 + 40; col++) {
                int t = (int)(g.At(col, row) >> (layer == 1 ? 0 : 16) & 0xFF);
                if (t == 0) continue;
                if (t >= 240) t += frame;
                c.Part(sheet, (int)(col * 16 - camX + 160), (int)(row * 16 - camY + 120), t % 16 * 16, t / 16 * 16, 16,
                       16, true, bright);
            }
    }
    void ComposeCloud(Composer &c, int sx, int sy) { c.Part(Pic("DataForWork/map/cloud.bmp"), 0, 0, sx, sy, kW, kH, false); }
    void ComposePattern(Composer &c, int bright = 255) {
        const Picture p = Pic("DataForWork/map/back1.bmp");
        for (int y = 0; y <= 256; y += 64)
            for (int x = 0; x <= 320; x += 64) c.Part(p, x, y, 0, 0, 64, 64, false, bright);
    }

    // Text as the overlay's rules lay it out, from the font sheets.
    void AsciiText(Composer &c, int x, int y, const char *text) {
        const Picture f = Pic("DataForWork/asci.bmp");
        for (const unsigned char *t = (const unsigned char *)text; *t; t++) {
            if (*t == 'n') {
                y += 8;
                continue;
            }
            if (*t == 't') continue;
            const int cell = (*t - 32) & 255;
            c.Part(f, x, y, cell % 16 * 8, cell / 16 * 8, 8, 8, true);
            x += 8;
        }
    }
    void Digits(Composer &c, int x, int y, int n) {
        const Picture f = Pic("DataForWork/numberonly.bmp");
        do {
            c.Part(f, x, y, n % 10 * 8, 0, 8, 8, true);
            n /= 10;
            x -= 8;
        } while (n > 0);
    }
    void SjisText(Composer &c, int x0, int y, const char *text, int budget) {
        int x = x0;
        for (const unsigned char *t = (const unsigned char *)text; *t && budget != 0;) {
            if (*t == 10 || *t == 7) {
                if (*t == 10) {
                    x = x0;
                    y += 16;
                }
                t++;
                budget--;
                continue;
            }
            const int cell = SjisGlyphIndex(t[0] * 256 + t[1]);
            if (cell >= 0) {
                const char *sheet = cell < 1024 ? "DataForWork/font_sjis1.bmp"
                                    : cell < 3072 ? "DataForWork/font_sjis3.bmp"
                                                  : "DataForWork/font_sjis32.bmp";
                const int local = cell < 1024 ? cell : cell < 3072 ? cell - 1024 : cell - 3072;
                c.Part(Pic(sheet), x, y, local % 16 * 8, local / 16 * 16, 8, 16, true);
            }
            x += 8;
            t += 2;
            budget -= 2;
        }
    }

    std::map<std::string, Picture> pictures_;
};

struct FieldScene {
    const char *name;
    int area, hour;
    const char *map;
    int sheet;
    float focusX, focusY;
    float camX, camY;
};

TEST_F(FieldGoldenTest, MapsUnderTheCameraWithTheirBackdrops) {
    const FieldScene scenes[] = {
        // The village's bottom-left corner: the camera stops at the map's edges; the morning's clouds.
        {"village_clamped_0800", 89, 8, "MAP/kyoto/kyoto1.bin", 8, 100, 1000, 160, 360},
        // Mid-street at night: the camera on its focus.
        {"village_street_2200", 89, 22, "MAP/kyoto/kyoto1.bin", 8, 400, 330, 400, 330},
        // The cave in mid-map over its pattern.
        {"cave_midmap", 15, 12, "MAP/doukutu/dou0.bin", 5, 520, 300, 520, 300},
        // The field's far corner.
        {"field_far_corner", 53, 12, "MAP/mori/mori0.bin", 7, 5000, 5000, (64 - 10) * 16, 30 * 16 - 120},
    };
    for (const FieldScene &s : scenes) {
        Clear();
        Field field(s.map, s.sheet, s.focusX, s.focusY);
        ASSERT_TRUE(field.loaded) << s.map;
        TileView &view = field.view;
        AreaTransition area;
        area.currentArea = s.area;
        area.localHour = s.hour;
        Backdrop backdrop;
        LoadBackdropImages(backdrop);
        backdrop.transition = &area;
        EXPECT_FLOAT_EQ(view.camera.x, s.camX) << s.name;
        EXPECT_FLOAT_EQ(view.camera.y, s.camY) << s.name;
        DrawBackdrop(backdrop);
        DrawTileLayer(view, 1);
        DrawTileLayer(view, 2);

        Composer want(kBackground);
        const BackdropChoice b = ChooseBackdrop(s.area, s.hour);
        if (b.image == BACKDROP_PATTERN) ComposePattern(want);
        else ComposeCloud(want, b.srcX, b.srcY);
        const Grid g = ReadGrid(g_data / s.map);
        const Picture sheet = Pic(std::string("DataForWork/map/") + (s.sheet == 8 ? "ero" : s.sheet == 7 ? "kaku" : "dou") + ".bmp");
        ComposeLayer(want, g, sheet, s.camX, s.camY, 1, 0, 255);
        ComposeLayer(want, g, sheet, s.camX, s.camY, 2, 0, 255);
        Check(s.name, want);
    }
}

TEST_F(FieldGoldenTest, AnimatedTilesAndADarkLayer) {
    Field field("MAP/doukutu/dou0.bin", 5, 560, 260);
    ASSERT_TRUE(field.loaded);
    TileView &view = field.view;
    AreaTransition area;
    area.currentArea = 15;
    Backdrop backdrop;
    LoadBackdropImages(backdrop);
    backdrop.transition = &area;
    // Twenty-five layer-1 draws: the last one shows animation frame 2 (the conveyors and the water).
    for (int i = 0; i < 24; i++) DrawTileLayer(view, 1);
    Clear();
    DrawBackdrop(backdrop);
    DrawTileLayer(view, 1);
    ASSERT_EQ(view.animFrame, 2);
    view.dark = 1;
    DrawTileLayer(view, 2);

    const Grid g = ReadGrid(g_data / "MAP/doukutu/dou0.bin");
    const Picture sheet = Pic("DataForWork/map/dou.bmp");
    Composer want(kBackground);
    ComposePattern(want, 255);
    ComposeLayer(want, g, sheet, 560, 260, 1, 2, 255);
    ComposeLayer(want, g, sheet, 560, 260, 2, 0, 0);
    Check("cave_animated_dark_front", want);
    // Everything drawn after a dark layer is at brightness 254: the backdrop, the black layer's
    // silhouettes, then the front layer over them.
    Clear();
    DrawBackdrop(backdrop);
    view.dark = 1;
    DrawTileLayer(view, 2);
    DrawTileLayer(view, 2);
    Composer after(kBackground);
    ComposePattern(after, 254);
    ComposeLayer(after, g, sheet, 560, 260, 2, 0, 0);
    ComposeLayer(after, g, sheet, 560, 260, 2, 0, 254);
    Check("cave_front_after_dark", after);
    SetBrightnessRGB(255, 255, 255);
}

TEST_F(FieldGoldenTest, HudOverTheField) {
    GetGameInput() = GameInput{};
    SetDefaultKeyBindings();
    TextOverlay overlay;
    overlay.LoadOverlayFonts();
    Hud hud;
    hud.overlay = &overlay;
    LoadHudImages(hud);
    StatusWindow status;
    status.overlay = &overlay;
    LoadStatusWindowImages(status);
    InitStatusWindow(status);
    status.hp = 5;
    status.hpMax = 20;
    status.mp = 12;
    status.mpMax = 20;
    Field field("MAP/mori/mori0.bin", 7, 500, 250);
    ASSERT_TRUE(field.loaded);
    TileView &view = field.view;
    Player player;
    player.abilityFlags = 0x10;
    player.x = 500;
    player.y = 250;
    view.player = &player;
    const char *message = "ゆうしゃよ　めざめなさい\aつぎの　ぎょう";
    // Twenty frames of typing: four characters shown.
    int shown = 0;
    for (int f = 0; f < 20; f++) {
        overlay.FreeEntries();
        shown = ShowTypedMessage(hud, message);
    }
    ASSERT_EQ(shown, 8);
    overlay.FreeEntries();
    Clear();
    for (const char *n : {"ｷﾉｺ", "ｺｲﾝ 10", "ﾎﾟｰｼｮﾝ"}) AddNotification(hud, n);
    ShowAreaName(hud, "ﾓﾘ");
    DrawTileLayer(view, 1);
    DrawTileLayer(view, 2);
    DrawStatusBars(status, 1);
    DrawMiniMap(view);
    shown = ShowTypedMessage(hud, message);
    DrawNotifications(hud);
    overlay.Flush();

    Composer want(kBackground);
    const Grid g = ReadGrid(g_data / "MAP/mori/mori0.bin");
    const Picture sheet = Pic("DataForWork/map/kaku.bmp");
    ComposeLayer(want, g, sheet, 500, 250, 1, 0, 255);
    ComposeLayer(want, g, sheet, 500, 250, 2, 0, 255);
    const Picture win = Pic("DataForWork/win.dds"), life = Pic("DataForWork/life.bmp"), mmap = Pic("DataForWork/map/mmap.bmp");
    const uint32_t fill = win.At(1, 1);
    want.Fill(34, 31, 77, 47, fill);
    want.Part(life, 61, 31, 16, 0, 4, 8, true); // HP 5 of 20
    want.Part(life, 61, 31, 0, 8, 16, 8, true);
    want.Part(life, 61, 39, 16, 0, 9, 8, true); // MP 12 of 20
    want.Part(life, 61, 39, 0, 8, 16, 8, true);
    want.Part(life, 80, 33, 0, 32, 18, 16, true);
    // The minimap: 40 x 40 cells around the player's cell (31, 15), then its frame.
    for (int i = 0; i < 40; i++)
        for (int j = 0; j < 40; j++) {
            const int col = 31 - 20 + j, row = 15 - 20 + i;
            if (col < 0 || row < 0 || col >= g.w || row >= g.h) continue;
            const uint32_t cell = g.At(col, row);
            int sx = 2, sy = 0;
            switch (cell >> 8 & 0xFF) {
            case 1: sx = 0; break;
            case 10:
            case 12: sx = 1; break;
            case 11: sx = 4; break;
            case 13: sx = 5; break;
            case 15: sx = 6; break;
            }
            if (col == 31 && row == 15) sx = 0, sy = 1;
            want.Part(mmap, 266 + j, 14 + i, sx, sy, 1, 1, false);
        }
    want.Part(mmap, 266, 14, 57, 0, 41, 41, true);
    want.Fill(5, 150, 315, 235, fill);
    for (int k = 0; k < 3; k++) want.Fill(5, 220 - 17 * k, 90, 235 - 17 * k, fill);
    want.Fill(230, 220, 315, 235, fill);
    // The overlay's entries in their order: the bars' numbers and labels, the message, the
    // notifications, the banner.
    Digits(want, 51, 31, 5);
    AsciiText(want, 15, 31, "HP");
    Digits(want, 51, 39, 12);
    AsciiText(want, 15, 39, "MP");
    SjisText(want, 13, 154, message, shown);
    AsciiText(want, 13, 223, "ｷﾉｺ");
    AsciiText(want, 13, 206, "ｺｲﾝ 10");
    AsciiText(want, 13, 189, "ﾎﾟｰｼｮﾝ");
    AsciiText(want, 233, 223, "ﾓﾘ");
    Check("hud_over_field", want);
    overlay.FreeOverlayFonts();
}

TEST_F(FieldGoldenTest, WipesHalfWayAndTheCover) {
    Wipe wipe;
    LoadWipeImages(wipe);
    const Picture blocks = Pic("DataForWork/fade.bmp"), cover = Pic("DataForWork/fade2.bmp");
    // Which blocks a frame shows: (x, y, block frame) by the rules of each pattern.
    auto sweepDistance = [](int p, int x, int y) { return p == 0 ? y : p == 1 ? 240 - y : p == 2 ? x : 320 - x; };
    struct Half {
        int pattern, uncover, calls;
    };
    const Half halves[] = {{0, 0, 9}, {1, 0, 9}, {2, 0, 9}, {3, 0, 9}, {4, 0, 18},
                           {0, 1, 22}, {1, 1, 22}, {2, 1, 24}, {3, 1, 24}, {4, 1, 18}};
    for (const Half &h : halves) {
        const std::string name = std::string(h.uncover ? "uncover" : "cover") + "_" + std::to_string(h.pattern);
        wipe.counter = 0;
        for (int i = 0; i < h.calls - 1; i++) ASSERT_EQ(RunWipe(wipe, h.pattern, h.uncover), 0) << name;
        const int c = wipe.counter;
        Clear();
        ASSERT_EQ(RunWipe(wipe, h.pattern, h.uncover), 0) << name;
        Composer want(kBackground);
        auto block = [&](int x, int y, int f) { want.Part(blocks, x, y, 16 * f, 0, 16, 16, true); };
        if (h.pattern == 4) {
            for (int i = 0; i <= 18; i++)
                for (int j = 0; i + j <= 18; j++) {
                    const int f = std::min(5, ((h.uncover ? 33 - c : c) - i - j) / 3);
                    if (f < 0) break;
                    block(16 * j, 16 * i, f);
                    block(320 - 16 * j, 16 * i, f);
                    block(320 - 16 * j, 240 - 16 * i, f);
                    block(16 * j, 240 - 16 * i, f);
                }
        } else {
            const int front = h.uncover ? (c <= 15 ? -1 : (c - 15) * 16) : (15 - c) * 16;
            const int f = h.uncover ? (c <= 15 ? std::min(15, 15 - c) / 3 : 0) : (front > 0 ? 0 : std::min(15, c - 15) / 3);
            for (int y = 0; y <= 240; y += 16)
                for (int x = 0; x <= 320; x += 16)
                    if (sweepDistance(h.pattern, x, y) >= front) block(x, y, f);
        }
        Check("wipe_" + name, want);
    }
    Clear();
    CoverScreen(wipe);
    Composer want(kBackground);
    want.Fill(0, 0, kW, kH, cover.At(0, 0));
    Check("wipe_full_cover", want);
}

TEST_F(FieldGoldenTest, EveryDemoItemLiesAsAPictureOfItsOwn) {
    // The demo's items: as they lie when dropped or given and fly when thrown, on row item + 2;
    // then what else a new game's shop stocks, whose pictures may be those of their kin.
    const int items[] = {2, 3, 5, 6, 11, 12, 18, 19, 20, 47, 51, 52, 58, 74, 75, 76, 126, 144, 145, 189,
                         8, 10, 14, 15, 30, 39, 43, 61, 67, 68, 134, 146, 150};
    const size_t ownPictures = 20;
    // Pictures that are not an item's: the dropped bag, crates, barrels, the conveyor block, the lamp.
    const int notItems[] = {16, 124, 125, 126, 127, 128, 129, 242};
    std::map<std::vector<uint32_t>, int> itemOfPicture;
    for (size_t i = 0; i < std::size(items); i++) {
        const int item = items[i];
        SCOPED_TRACE(item);
        const FieldObjectKind &row = kFieldObjectKinds[item + 2];
        for (int other : notItems) EXPECT_NE(row.image, other);
        const ObjectImageCell cell = CellOfObjectImage(row.image);
        ASSERT_GE(cell.sheet, 0);
        std::string file = kObjectSheets[cell.sheet].path;
        std::replace(file.begin(), file.end(), '\\', '/');
        const Picture sheet = Pic(file);
        ASSERT_GE(sheet.w, cell.x + cell.w);
        ASSERT_GE(sheet.h, cell.y + cell.h);
        std::vector<uint32_t> picture;
        int drawn = 0;
        for (int y = cell.y; y < cell.y + cell.h; y++)
            for (int x = cell.x; x < cell.x + cell.w; x++) {
                picture.push_back(sheet.At(x, y));
                drawn += sheet.At(x, y) != kKeyColour;
            }
        EXPECT_GE(drawn, 6) << "image " << row.image;
        // The body fits its picture.
        EXPECT_LE(2 * row.width, (float)cell.w);
        EXPECT_LE(2 * row.height, (float)cell.h);
        if (i >= ownPictures) continue;
        const auto [at, fresh] = itemOfPicture.emplace(picture, item);
        EXPECT_TRUE(fresh) << "looks like item " << at->second;
    }
}

} // namespace
