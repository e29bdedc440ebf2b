// Hold counters, the key-into-pad merge, CheckStatePad's ranges and the game's random sequence.
#include <cstring>

#include "game/frame/game_random.h"
#include "game/frame/key_bindings.h"
#include "game_fixture.h"

namespace {

std::string g_screenLog;
void CaptureScreenLog(const char *text) { g_screenLog += text; }

class GameInputTest : public GameFolderTest {
public:
    void SetUp() override {
        GameFolderTest::SetUp();
        SetDefaultKeyBindings();
        g_screenLog.clear();
        SetGameScreenLogHook(CaptureScreenLog);
    }
    void TearDown() override {
        SetGameScreenLogHook(nullptr);
        GameFolderTest::TearDown();
    }
    // One frame with the given keys down and pad bits.
    void Frame(std::initializer_list<int> keys, int pad) {
        char states[256] = {};
        for (int k : keys) states[k] = 1;
        GameInput &in = GetGameInput();
        in.UpdateKeyCountersFrom(states);
        in.UpdatePadCountersFrom(pad);
    }
};

TEST_F(GameInputTest, KeyAndPadHoldsMergeIntoTheLogicalButton) {
    GameInput &in = GetGameInput();
    // Key X and pad button 1 (bit 4) together: SHOT reads 1 on the first frame, not 2.
    Frame({GAMEKEY_X}, 1 << 4);
    EXPECT_EQ(in.Button(BUTTON_SHOT), 1);
    Frame({GAMEKEY_X}, 1 << 4);
    EXPECT_EQ(in.Button(BUTTON_SHOT), 2);
    // Pad released, key held: the count goes on from the key's own count.
    Frame({GAMEKEY_X}, 0);
    EXPECT_EQ(in.Button(BUTTON_SHOT), 3);
    Frame({}, 0);
    EXPECT_EQ(in.Button(BUTTON_SHOT), 0);
    // A pad hold longer than the key's stays.
    for (int i = 0; i < 5; i++) Frame({}, 1 << 1);
    Frame({GAMEKEY_LEFT}, 1 << 1);
    EXPECT_EQ(in.Button(BUTTON_LEFT), 6);
    // A byte other than 1 is not a press.
    char states[256] = {};
    states[GAMEKEY_UP] = 2;
    in.UpdateKeyCountersFrom(states);
    EXPECT_EQ(in.KeyCounter(GAMEKEY_UP), 0);
}

TEST_F(GameInputTest, ResetReadsItsKeyAndBadNumbersComplain) {
    GameInput &in = GetGameInput();
    Frame({}, 0);
    EXPECT_EQ(CheckStatePad(-1), 0); // RESET has neither key nor pad
    in.keyAssign[BUTTON_RESET] = 19;
    Frame({19}, 0);
    Frame({19}, 0);
    EXPECT_EQ(CheckStatePad(-1), 2);
    // A RESET key from a file outside 0..255 reads as not held.
    in.keyAssign[BUTTON_RESET] = 4000;
    EXPECT_EQ(CheckStatePad(-1), 0);
    EXPECT_EQ(g_screenLog, "");
    EXPECT_EQ(CheckStatePad(16), -1);
    EXPECT_EQ(CheckStatePad(-2), -1);
    EXPECT_EQ(g_screenLog, "CheckStatePadに渡した値が不正です\nCheckStatePadに渡した値が不正です\n");
    // The RESET merge is skipped, and a key assignment of -1 reads key 255.
    in.padAssign[BUTTON_RESET] = 9;
    in.keyAssign[BUTTON_RESET] = 19;
    in.keyAssign[BUTTON_SHOT] = -1;
    Frame({19, 255}, 0);
    EXPECT_EQ(in.padCounters[9], 0);
    EXPECT_EQ(in.Button(BUTTON_SHOT), 1);
}

TEST_F(GameInputTest, ClearedCountersMakeAHeldButtonPressedAnew) {
    GameInput &in = GetGameInput();
    Frame({GAMEKEY_DOWN}, 0);
    Frame({GAMEKEY_DOWN}, 0);
    in.ClearInputCounters();
    EXPECT_EQ(in.Button(BUTTON_DOWN), 0);
    Frame({GAMEKEY_DOWN}, 0);
    EXPECT_EQ(in.Button(BUTTON_DOWN), 1);
}

TEST_F(GameInputTest, StrongestKeyIsTheLongestHeldLowestOnTies) {
    GameInput &in = GetGameInput();
    EXPECT_EQ(in.FindStrongestKey(), -1);
    Frame({50}, 0);
    Frame({50, 30, 40}, 0);
    EXPECT_EQ(in.FindStrongestKey(), 50);
    Frame({30, 40}, 0);
    EXPECT_EQ(in.FindStrongestKey(), 30);
}

TEST(GameRandomTest, ClassicSequenceAndSeed) {
    GameRandom r;
    // The classic runtime's first draws from state 1.
    EXPECT_EQ(r.Next(), 41);
    EXPECT_EQ(r.Next(), 18467);
    EXPECT_EQ(r.Next(), 6334);
    EXPECT_EQ(r.Next(), 26500);
    r.Seed(1);
    EXPECT_EQ(r.Next(), 41);
    SetGameRandSeed(1);
    EXPECT_EQ(GameRand(), 41);
    for (int i = 0; i < 1000; i++) {
        int v = GameRand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
    }
}

TEST(GameRandomTest, ASourceTakesTheDrawsUntilRemoved) {
    SetGameRandSeed(1);
    SetGameRandSource([] { return 7; });
    EXPECT_EQ(GameRand(), 7);
    EXPECT_EQ(GameRand(), 7);
    SetGameRandSource(nullptr);
    EXPECT_EQ(GameRand(), 41) << "the generator did not move while the source drew";
}

} // namespace
