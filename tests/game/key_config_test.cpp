// "KEY_CONF.DAT" bytes, loading (missing, short, full) and the key configuration screen's rules.
#include <sys/stat.h>
#include <unistd.h>

#include "game/frame/key_config.h"
#include "game/frame/text_overlay.h"
#include "game_fixture.h"

namespace {

std::vector<uint8_t> Le32s(std::initializer_list<int32_t> v) {
    std::vector<uint8_t> b;
    for (int32_t x : v)
        for (int k = 0; k < 4; k++) b.push_back((uint8_t)((uint32_t)x >> (8 * k)));
    return b;
}

class KeyConfigTest : public GameFolderTest {
public:
    // One screen frame with the given keys down (counters kept across frames like the main loop).
    int Frame(std::initializer_list<int> keys, int pad = 0) {
        char states[256] = {};
        for (int k : keys) states[k] = 1;
        GetGameInput().UpdateKeyCountersFrom(states);
        return screen.UpdateKeyConfigWith(pad);
    }
    void PassBlackout() {
        for (int i = 0; i < 20; i++) ASSERT_EQ(Frame({}), 0);
    }
    void SelectRow(int row) {
        while (screen.cursor < row) {
            Frame({GAMEKEY_DOWN});
            Frame({});
        }
    }
    KeyConfigScreen screen;
};

TEST_F(KeyConfigTest, LoadTakesDefaultsAndFullFiles) {
    screen.LoadKeyBindings();
    const GameInput &in = GetGameInput();
    EXPECT_EQ(in.keyAssign, (std::array<int32_t, 9>{203, 200, 205, 208, 45, 44, 16, 30, -1}));
    EXPECT_EQ(in.padAssign, (std::array<int32_t, 9>{1, 3, 2, 0, 4, 5, 6, 7, -1}));

    auto full = Le32s({10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 1, 2, 3, 4, 5, 6, 7, 8});
    WriteFile(kKeyConfFile, full);
    // Read-only files still load.
    chmod((dir_ / kKeyConfFile).c_str(), 0444);
    screen.LoadKeyBindings();
    EXPECT_EQ(in.keyAssign[8], 18);
    EXPECT_EQ(in.padAssign[8], 8);
    EXPECT_EQ(EncodeKeyConf(DecodeKeyConf([&] {
                  std::array<uint8_t, 72> a{};
                  std::copy(full.begin(), full.end(), a.begin());
                  return a;
              }())),
              ([&] {
                  std::array<uint8_t, 72> a{};
                  std::copy(full.begin(), full.end(), a.begin());
                  return a;
              }()));
}

// A file of any other length than 72 bytes keeps the default bindings (a short one used to bind
// every button to key 0 and pad 0); a key outside the keyboard's codes 1..255 or a pad outside
// 0..15 reads as -1 (none). The screen's working copies follow the same rules.
TEST_F(KeyConfigTest, FilesOfOtherLengthsAndValuesOutOfRange) {
    const KeyAssignments defaults = DefaultKeyAssignments();
    std::vector<uint8_t> longer = Le32s({10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 1, 2, 3, 4, 5, 6, 7, 8});
    longer.push_back(0);
    struct Case {
        const char *name;
        std::vector<uint8_t> bytes;
        std::array<int32_t, 9> keys, pads;
    } cases[] = {
        {"empty", {}, defaults.keys, defaults.pads},
        {"short", Le32s({1, 2, 3}), defaults.keys, defaults.pads},
        {"one byte long", longer, defaults.keys, defaults.pads},
        {"out of range", Le32s({300, -5, 0, 255, 1, 256, -1, 44, 45, 16, -2, 15, 0, 99, -1, 7, 1 << 30, 3}),
         {-1, -1, -1, 255, 1, -1, -1, 44, 45},
         {-1, -1, 15, 0, -1, -1, 7, -1, 3}},
    };
    const GameInput &in = GetGameInput();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(kKeyConfFile, c.bytes);
        GetGameInput().keyAssign.fill(77);
        screen.LoadKeyBindings();
        EXPECT_EQ(in.keyAssign, c.keys);
        EXPECT_EQ(in.padAssign, c.pads);
        screen.frameCount = 0;
        screen.UpdateKeyConfigWith(0);
        EXPECT_EQ(screen.work.keys, c.keys);
        EXPECT_EQ(screen.work.pads, c.pads);
    }
}

TEST_F(KeyConfigTest, BlackoutSwapAndByteExactSave) {
    screen.LoadKeyBindings();
    // The confirm key that opened the screen is ignored for 20 frames.
    for (int i = 0; i < 20; i++) ASSERT_EQ(Frame({GAMEKEY_Z}), 0);
    Frame({});
    // Row 4 is SHOT: X enters waiting mode but X itself is not taken while held.
    SelectRow(4);
    Frame({GAMEKEY_X});
    EXPECT_EQ(screen.waiting, 1);
    Frame({GAMEKEY_X});
    EXPECT_EQ(screen.waiting, 1);
    Frame({});
    // Z is JUMP's key: SHOT takes it, JUMP receives X.
    Frame({GAMEKEY_Z});
    EXPECT_EQ(screen.waiting, 0);
    EXPECT_EQ(screen.work.keys[BUTTON_SHOT], GAMEKEY_Z);
    EXPECT_EQ(screen.work.keys[BUTTON_JUMP], GAMEKEY_X);
    // Not applied until saved.
    EXPECT_EQ(GetGameInput().keyAssign[BUTTON_SHOT], GAMEKEY_X);
    Frame({});
    EXPECT_EQ(Frame({GAMEKEY_Z}), -1);
    EXPECT_EQ(GetGameInput().keyAssign[BUTTON_SHOT], GAMEKEY_Z);
    EXPECT_EQ(ReadBytes(kKeyConfFile), Le32s({203, 200, 205, 208, 44, 45, 16, 30, -1, 1, 3, 2, 0, 4, 5, 6, 7, -1}));
    EXPECT_EQ(screen.frameCount, 0);
}

TEST_F(KeyConfigTest, AFailedSaveLeavesTheOldFileWhole) {
    KeyAssignments a{};
    for (int i = 0; i < BUTTON_COUNT; i++) a.keys[i] = 100 + i, a.pads[i] = i;
    ASSERT_TRUE(WriteKeyConfFile(a));
    const std::vector<uint8_t> saved = ReadBytes(kKeyConfFile);
    ASSERT_EQ(saved.size(), 72u);
    EXPECT_NE(access("KEY_CONF.DAT.new", F_OK), 0);
    // The save's own file cannot be made: the call fails and the bindings on disk stay.
    ASSERT_EQ(mkdir("KEY_CONF.DAT.new", 0700), 0);
    a.keys[0] = 1;
    EXPECT_FALSE(WriteKeyConfFile(a));
    EXPECT_EQ(ReadBytes(kKeyConfFile), saved);
    rmdir("KEY_CONF.DAT.new");
}

TEST_F(KeyConfigTest, ResetHoldsAKeyOrAPadNeverBoth) {
    screen.LoadKeyBindings();
    PassBlackout();
    SelectRow(8);
    Frame({GAMEKEY_X});
    Frame({});
    // Pad button 2 (counter 5, JUMP's) goes to RESET; JUMP gets RESET's -1 and RESET has no key.
    Frame({}, 1 << 5);
    EXPECT_EQ(screen.work.pads[BUTTON_RESET], 5);
    EXPECT_EQ(screen.work.pads[BUTTON_JUMP], -1);
    EXPECT_EQ(screen.work.keys[BUTTON_RESET], -1);
    Frame({});
    Frame({GAMEKEY_X});
    Frame({});
    Frame({19});
    EXPECT_EQ(screen.work.keys[BUTTON_RESET], 19);
    EXPECT_EQ(screen.work.pads[BUTTON_RESET], -1);
    // A key wins over a pad button on the same frame.
    Frame({});
    Frame({GAMEKEY_X});
    Frame({});
    Frame({20}, 1 << 9);
    EXPECT_EQ(screen.work.keys[BUTTON_RESET], 20);
    EXPECT_EQ(screen.work.pads[BUTTON_RESET], -1);
}

TEST_F(KeyConfigTest, CursorClampsAndTheScreenTexts) {
    screen.LoadKeyBindings();
    PassBlackout();
    Frame({GAMEKEY_UP});
    EXPECT_EQ(screen.cursor, 0);
    for (int i = 0; i < 12; i++) {
        Frame({GAMEKEY_DOWN});
        Frame({});
    }
    EXPECT_EQ(screen.cursor, 8);
    g_measuredRefreshRate = 59;
    TextOverlay overlay;
    screen.DrawKeyConfig(overlay);
    const auto &e = overlay.Entries();
    ASSERT_EQ(e.size(), 4u + 27u);
    EXPECT_EQ(e[0].text, "FPS   MAX60");
    EXPECT_EQ(e[1].kind, 3);
    EXPECT_EQ(e[1].number, 59);
    EXPECT_EQ(e[2].y, 200);
    EXPECT_EQ(e[2].text, ">");
    EXPECT_EQ(e[3].text, "ｺﾝﾌｲｸﾞ");
    // Row 0 is UP: its label, "ｳｴ" and "PAD3".
    EXPECT_EQ(e[4].text, "UP");
    EXPECT_EQ(e[5].text, "ｳｴ");
    EXPECT_EQ(e[6].text, "PAD3");
    EXPECT_EQ(e[30].text, "ｼﾃｲﾅｼ");
    EXPECT_STREQ(KeyConfigScreen::KeyName(157), "Rｼﾌﾄ");
    EXPECT_STREQ(KeyConfigScreen::KeyName(13), "ｼﾃｲﾅｼ");
    EXPECT_STREQ(KeyConfigScreen::KeyName(-1), "ｼﾃｲﾅｼ");
    EXPECT_STREQ(KeyConfigScreen::PadName(15), "PAD15");
    EXPECT_STREQ(KeyConfigScreen::PadName(16), "ｼﾃｲﾅｼ");
}

} // namespace
