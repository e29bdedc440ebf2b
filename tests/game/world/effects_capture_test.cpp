// Pop-up numbers and sparkles drawn by the real library onto the stand-in device's screen,
// against a picture the test composes itself from the sheet it wrote: each source rectangle
// copied to where the rules put it, the key colour left out.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "game/actors/actors.h"
#include "game/world/effects.h"
#include "tests/game/world/grid_fixture.h"
#include "tests/graphics/screen_fixture.h"
#include "tools/imagewrite/image_write.h"

namespace {

constexpr uint32_t kKey = 0x7BFA03;

class EffectsCaptureTest : public GraphScreenTest {
protected:
    // number.dds: every 8 x 8 cell in its own colour with a key-colour diagonal, so both the
    // source place and the transparency show in the capture.
    void WriteNumberSheet() {
        sheet_.assign((size_t)kSheetW * kSheetH, kKey);
        for (int y = 0; y < kSheetH; y++)
            for (int x = 0; x < kSheetW; x++) {
                int cx = x / 8, cy = y / 8;
                if (x % 8 == y % 8) continue;
                sheet_[(size_t)y * kSheetW + x] = 0x101010u * (uint32_t)((cx * 7 + cy * 3) % 13 + 2) ^ 0x400000u * (cx % 4);
            }
        PngSpec s;
        s.width = kSheetW;
        s.height = kSheetH;
        for (uint32_t c : sheet_) s.pixels.insert(s.pixels.end(), {(uint8_t)(c >> 16), (uint8_t)(c >> 8), (uint8_t)c});
        std::filesystem::create_directory(dir_ / "DataForWork");
        WriteFile("DataForWork/number.dds", EncodePng(s));
    }
    // The composed picture: the sheet's rectangle at (x, y), key colour skipped.
    void Put(std::vector<uint32_t> &screen, int x, int y, int sx, int sy, int w, int h) {
        for (int j = 0; j < h; j++)
            for (int i = 0; i < w; i++) {
                uint32_t c = sheet_[(size_t)(sy + j) * kSheetW + sx + i];
                if (c != kKey) screen[(size_t)(y + j) * kScreenW + x + i] = c;
            }
    }
    static constexpr int kSheetW = 1024, kSheetH = 895;
    std::vector<uint32_t> sheet_;
};

TEST_F(EffectsCaptureTest, PopUpsAndSparklesLandWhereTheRulesSay) {
    WriteNumberSheet();
    MapGrid grid = FloorGrid(30, 20);
    Companion companion; // at (0, 0): the camera stops at (160, 120), screen = world
    Effects effects;
    effects.grid = &grid;
    effects.focus = &companion;
    effects.LoadEffectSheets();
    ASSERT_NE(effects.sheets[0], -1);

    AddPopupNumber(effects, 100, 50, 123);
    AddPopupNumber(effects, 200, 50, -5);
    AddPlayerPopupNumber(effects, 60, 150, 40);
    SpawnEffect(effects, 250, 150, 46); // a drop's sparkle
    SpawnEffect(effects, 150, 150, 45); // an object's glint
    effects.UpdateEffects();
    Clear();
    effects.PlaceEffects();
    effects.DrawEffects();
    FlushVertexBatch();

    std::vector<uint32_t> want((size_t)kScreenW * kScreenH, kBackground);
    Put(want, 98, 49, 24, 0, 8, 8); // 123, one pixel up: 3, 2, 1 from the right
    Put(want, 91, 49, 16, 0, 8, 8);
    Put(want, 84, 49, 8, 0, 8, 8);
    Put(want, 198, 49, 40, 0, 8, 8); // -5: the 5, then the minus 4 left of the point
    Put(want, 196, 49, 2, 80, 3, 3);
    Put(want, 58, 149, 0, 192, 8, 8); // the player's 40 from digit row 192
    Put(want, 51, 149, 32, 192, 8, 8);
    Put(want, 246, 145, 112, 40, 8, 8); // type 46 after half a pixel's rise, centred
    Put(want, 146, 146, 160, 0, 8, 8);  // type 45, its first frame
    std::vector<uint32_t> got = D3D9TestReadSurface(back_);
    ASSERT_EQ(got.size(), want.size());
    int wrong = 0;
    for (size_t i = 0; i < got.size(); i++)
        if ((got[i] & 0xFFFFFF) != want[i] && wrong++ < 5)
            ADD_FAILURE() << "pixel " << i % kScreenW << "," << i / kScreenW << ": " << std::hex << got[i] << " want "
                          << want[i];
    EXPECT_EQ(wrong, 0);
}

} // namespace
