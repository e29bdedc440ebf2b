// The road tests: the real game (its entry, as main runs it) over the demo data under the headless
// host with a key script, at noon, each present watched by the test's hook; the presented frames
// as the tests see them (the 320 x 240 work area of a 640 x 480 present), saved as PNG in
// "road-frames" beside the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fixtures/start_dir.h"
#include "game/frame/game_entry.h"
#include "game/frame/game_graphics.h"
#include "game/frame/game_input.h"
#include "game/world/area_transition.h"
#include "platform/host/key_script.h"
#include "platform/testing.h"
#include "platform/user32/user32.h"
#include "tests/game/demo_data.h"
#include "tools/imagewrite/image_write.h"

struct Shot {
    std::vector<uint32_t> px; // 320 x 240, 0xRRGGBB
    uint32_t At(int x, int y) const { return px[(size_t)y * 320 + x]; }
    bool empty() const { return px.empty(); }
};

// The work area of the last presented frame (every other pixel); empty before the first.
inline Shot TakeShot()
{
    const D3D9TestFrame f = D3D9TestLastFrame();
    Shot s;
    if (f.width < 640 || f.height < 480) return s;
    s.px.resize(320 * 240);
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) s.px[(size_t)y * 320 + x] = f.pixels[(size_t)(2 * y) * f.width + 2 * x] & 0xFFFFFF;
    return s;
}

inline void SaveShot(const std::filesystem::path &folder, const std::string &name, const Shot &s)
{
    PngSpec p;
    p.width = 320;
    p.height = 240;
    for (uint32_t c : s.px) p.pixels.insert(p.pixels.end(), {(uint8_t)(c >> 16), (uint8_t)(c >> 8), (uint8_t)c});
    const std::filesystem::path out = folder / "road-frames";
    std::filesystem::create_directories(out);
    const std::vector<uint8_t> b = EncodePng(p);
    std::ofstream(out / (name + ".png"), std::ios::binary)
        .write(reinterpret_cast<const char *>(b.data()), (std::streamsize)b.size());
}

// How many pixels of the rectangle have the colour.
inline int CountColour(const Shot &s, uint32_t colour, int x1, int y1, int x2, int y2)
{
    int n = 0;
    for (int y = y1; y < y2; y++)
        for (int x = x1; x < x2; x++) n += s.At(x, y) == colour;
    return n;
}

// The library's present, which the hooks call before they look.
inline int (*g_roadPresent)() = nullptr;

inline int RoadNoon() { return 12; }

class RoadGameTest : public TempDirTest {
protected:
    explicit RoadGameTest(int (*watch)()) : watch_(watch) {}
    void SetUp() override {
        TempDirTest::SetUp();
        ASSERT_TRUE(WriteDemoData(dir_));
        SetLocalHourSource(RoadNoon);
        GetGameInput() = GameInput{};
        g_roadPresent = GameGraphics().presentBackScreen;
        GameGraphics().presentBackScreen = watch_;
    }
    void TearDown() override {
        GameGraphics().presentBackScreen = g_roadPresent;
        PlatformKeyScriptLoad("");
        SetLocalHourSource(nullptr);
        GetGameInput() = GameInput{};
        TempDirTest::TearDown();
    }
    // The game in a window (the screen question answered NO) under the key script: its exit code.
    int Play(const char *keys) {
        PlatformTestAnswerNextMessageBox(IDNO);
        PlatformKeyScriptLoad(keys);
        return RunBrisgal();
    }
    void Save(const std::string &name, const Shot &s) const { SaveShot(savedCwd_, name, s); }

private:
    int (*watch_)();
};
