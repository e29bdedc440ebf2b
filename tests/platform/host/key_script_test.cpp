// The replayed key script: events land on the keyboard reads of their frames, bad lines are
// skipped, a marked frame is handed to the host once, and a presented frame becomes a PNG.
#include "tests/platform/dinput/dinput_fixture.h"
#include "platform/dinput/dinput.h"
#include "platform/host/headless/frame_png.h"
#include "platform/dinput/devices.h"
#include "platform/kernel32/kernel32.h"
#include "platform/host/key_script.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

struct KeyScriptTest : DirectInputFixture {
    IDirectInputDevice8A *keyboard = nullptr;
    void SetUp() override {
        DirectInputFixture::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(di->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
        ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
        ASSERT_EQ(keyboard->Acquire(), DI_OK);
    }
    void TearDown() override {
        PlatformKeyScriptLoad("");
        if (keyboard) keyboard->Release();
        DirectInputFixture::TearDown();
    }
    // One frame's read: the keys that are down.
    std::vector<int> Read() {
        BYTE keys[256];
        EXPECT_EQ(keyboard->GetDeviceState(256, keys), DI_OK);
        std::vector<int> down;
        for (int k = 0; k < 256; ++k)
            if (keys[k] & 0x80) down.push_back(k);
        return down;
    }
};

TEST_F(KeyScriptTest, EventsLandOnTheirFramesAndBadLinesAreSkipped) {
    PlatformKeyScriptLoad("# a comment\n"
                          "2 down 208   # down arrow\n"
                          "2 down 45\n"
                          "3 up 208\n"
                          "3 save\n"
                          "4 press 1\n"       // not an event
                          "4 down 300\n"      // not a key
                          "1 down 30\n"       // goes back in frames
                          "5 up 45\n");
    EXPECT_EQ(Read(), std::vector<int>{});
    EXPECT_EQ(PlatformKeyScriptFrame(), 1);
    EXPECT_EQ(Read(), (std::vector<int>{45, 208}));
    std::string path;
    EXPECT_FALSE(PlatformKeyScriptTakeSave(&path));
    EXPECT_EQ(Read(), std::vector<int>{45});
    ASSERT_TRUE(PlatformKeyScriptTakeSave(&path));
    EXPECT_EQ(std::filesystem::path(path).filename().string(), "frame00003.png");
    EXPECT_FALSE(PlatformKeyScriptTakeSave(&path));
    EXPECT_EQ(Read(), std::vector<int>{45});
    EXPECT_EQ(Read(), std::vector<int>{});
    EXPECT_EQ(Read(), std::vector<int>{});
}

TEST(FramePng, PresentedPixelsBecomeAnRgbFile) {
    std::filesystem::path file = std::filesystem::temp_directory_path() /
                                 ("kelmor-frame-" + std::to_string(std::random_device{}()) + ".png");
    // 3 x 2 pixels in rows of 4 words.
    const uint32_t pixels[8] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xDEAD, 0x00FFFFFF, 0, 0x00123456, 0xBEEF};
    ASSERT_TRUE(PlatformWriteFramePng(file.c_str(), pixels, 3, 2, 16));
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(std::string(bytes.data() + 1, 3), "PNG");
    // IHDR: width 3, height 2, depth 8, colour type 2 (RGB).
    EXPECT_EQ(bytes[19], 3);
    EXPECT_EQ(bytes[23], 2);
    EXPECT_EQ(bytes[24], 8);
    EXPECT_EQ(bytes[25], 2);
    std::filesystem::remove(file);
    EXPECT_FALSE(PlatformWriteFramePng(file.c_str(), pixels, 3, 2, 8));  // pitch shorter than a row
    EXPECT_FALSE(PlatformWriteFramePng("/nonexistent-dir/x.png", pixels, 3, 2, 16));
}

}  // namespace
