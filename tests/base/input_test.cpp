// Keyboard, joypads and force feedback over the stand-in's virtual devices.
#include "library/base/input.h"

#include "library_fixture.h"
#include "library/base/library.h"
#include "library/base/pump.h"
#include "library/base/window.h"

#include "platform/dinput/devices.h"
#include "platform/testing.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Bits of GetPadInputBits.
constexpr int kDown = 1 << 0, kLeft = 1 << 1, kRight = 1 << 2, kUp = 1 << 3;
constexpr int Button(int k) { return 1 << (3 + k); }

PLATFORM_PAD_STATE Pad(int x, int y, std::initializer_list<int> pressed = {}) {
    PLATFORM_PAD_STATE s{};
    s.axes[0] = x;
    s.axes[1] = y;
    for (int b : pressed) s.buttons[b] = true;
    return s;
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformInputReset();
        PlatformTestUseFakeClock(true);
    }
    void Start() { ASSERT_EQ(StartDirectInput(), 0); }
    void TearDown() override {
        ShutdownDirectInput();
        PlatformInputReset();
        PlatformTestUseFakeClock(false);
    }
    // New key states are read at most once a millisecond.
    void NextMs() { PlatformTestAdvanceFakeClockMs(1); }
};

TEST_F(InputTest, KeyboardLayoutOfPadOne) {
    Start();
    const struct {
        int key;
        int query;
        int expected;
    } cases[] = {
        {0xCD, PAD_KEYBOARD_LAYOUT, kRight},  // right arrow, no pad attached
        {0x4B, PAD_KEYBOARD_LAYOUT, kLeft},   // numeric pad 4
        {0xC8, PAD_KEYBOARD_LAYOUT, kUp},
        {0x50, PAD_KEYBOARD_LAYOUT, kDown},
        {0x2C, PAD_KEYBOARD_LAYOUT, Button(1)},
        {0x11, PAD_KEYBOARD_LAYOUT, Button(8)},
        {0x01, PAD_KEYBOARD_LAYOUT, Button(9)},
        {0x39, PAD_KEYBOARD_LAYOUT, Button(10)},
        {0x39, PAD_KEYBOARD_LAYOUT | 1, Button(10)},  // pad 1 and pad 0 share the layout
        {0xCD, 1, 0},                                 // the keyboard merges only with the flag
        {0xCD, PAD_KEYBOARD_LAYOUT | 2, 0},           // pad 2 has no layout
        {0x00, PAD_KEYBOARD_LAYOUT, 0},               // key 0 is never part of a layout
    };
    for (const auto &c : cases) {
        PlatformInputReleaseAllKeys();
        PlatformInputSetKey(c.key, true);
        NextMs();
        EXPECT_EQ(GetPadInputBits(c.query), c.expected) << "key " << c.key << " query " << c.query;
    }
}

TEST_F(InputTest, AllKeyStatesAndRightShift) {
    Start();
    PlatformInputSetKey(0x36, true);
    PlatformInputSetKey(0x1E, true);
    char states[256];
    ASSERT_EQ(GetAllKeyStates(states), 0);
    for (int k = 0; k < 256; ++k) EXPECT_EQ(states[k], (k == 0x36 || k == 0x1E) ? 1 : 0) << "key " << k;
    EXPECT_EQ(GetKeyState(54), 1);
    EXPECT_EQ(GetKeyState(300), 0);
}

TEST_F(InputTest, KeyboardIsReadAtMostOnceAMillisecondUnlessItChanged) {
    Start();
    GetKeyState(1);
    int reads = PlatformInputCounts().keyboardStateReads;
    GetKeyState(1);
    GetKeyState(1);
    EXPECT_EQ(PlatformInputCounts().keyboardStateReads, reads);
    PlatformInputSetKey(1, true);  // signals the device event
    EXPECT_EQ(GetKeyState(1), 1);
    EXPECT_EQ(PlatformInputCounts().keyboardStateReads, reads + 1);
    NextMs();
    GetKeyState(1);
    EXPECT_EQ(PlatformInputCounts().keyboardStateReads, reads + 2);
}

TEST_F(InputTest, LostKeyboardIsReacquired) {
    Start();
    PlatformInputSetKey(0x2D, true);
    PlatformInputLoseKeyboardOnce();
    int acquires = PlatformInputCounts().keyboardAcquires;
    EXPECT_EQ(GetKeyState(0x2D), 1);
    EXPECT_EQ(PlatformInputCounts().keyboardAcquires, acquires + 1);
}

TEST_F(InputTest, JoypadsReportAxesAndButtons) {
    PlatformInputSetPadCount(2);
    Start();
    ASSERT_EQ(GetJoypadCount(), 2);
    const struct {
        int pad;
        PLATFORM_PAD_STATE state;
        int query;
        int expected;
    } cases[] = {
        {0, Pad(-32768, 0), 1, kLeft},
        {0, Pad(32767, 32767), 1, kRight | kDown},
        {0, Pad(0, -32768, {0, 23}), 1, kUp | Button(1) | Button(24)},
        {0, Pad(6000, 0), 1, 0},  // inside the 25 % dead zone
        {1, Pad(0, 0, {2}), 2, Button(3)},
        {1, Pad(0, 0, {2}), 17, 0},  // no pad 17
        {1, Pad(0, 0, {2}), 0, 0},
    };
    for (const auto &c : cases) {
        PlatformInputSetPad(0, PLATFORM_PAD_STATE{});
        PlatformInputSetPad(1, PLATFORM_PAD_STATE{});
        PlatformInputSetPad(c.pad, c.state);
        EXPECT_EQ(GetPadInputBits(c.query), c.expected) << "pad " << c.pad << " query " << c.query;
    }
    // The pad's own bits and the keyboard layout merge.
    PlatformInputSetPad(0, Pad(0, 0, {1}));
    PlatformInputSetKey(0xCB, true);
    NextMs();
    EXPECT_EQ(GetPadInputBits(1 | PAD_KEYBOARD_LAYOUT), Button(2) | kLeft);
}

// A failed DirectInput is remembered for the whole process: run it in a child.
void RunJoystickFunctionsMode() {
    PlatformInputFailDirectInput(true, true);
    PlatformInputSetPadCount(1);
    if (StartDirectInput() != 0) std::exit(1);
    if (GetJoypadCount() != 16) std::exit(2);  // every id is polled
    PlatformInputSetPad(0, Pad(-32768, 32767, {4}));
    if (GetPadInputBits(1) != (kLeft | kDown | Button(5))) std::exit(3);
    if (GetPadInputBits(2) != 0) std::exit(4);  // not attached
    // The keyboard comes from the platform's keyboard state through virtual keys.
    PlatformInputSetKey(0x2C, true);
    PlatformInputSetKey(0xC8, true);
    PlatformTestAdvanceFakeClockMs(1);
    if (GetPadInputBits(PAD_KEYBOARD_LAYOUT) != (Button(1) | kUp)) std::exit(5);
    if (GetKeyState(0x2C) != 1) std::exit(6);
    ShutdownDirectInput();
    if (StartDirectInput() != 0 || GetJoypadCount() != 16) std::exit(7);  // no second attempt
    std::exit(0);
}

TEST_F(InputTest, JoystickFunctionsWhenDirectInputIsMissing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunJoystickFunctionsMode(), ::testing::ExitedWithCode(0), "");
}

TEST(JoystickAxis, RawPositionsMapWithTheDeadZone) {
    const struct {
        unsigned raw;
        int expected;
    } cases[] = {
        {0, -1000}, {1, -999}, {12288, -500}, {24575, 0}, {24576, 0}, {32767, 0},
        {40960, 0}, {40961, 0}, {53248, 500}, {65534, 999}, {65535, 1000},
    };
    for (const auto &c : cases) EXPECT_EQ(MapJoystickAxis(c.raw), c.expected) << "raw " << c.raw;
}

// Force feedback plays only while the library's window is active.
class InputInLibrary : public LibraryRun {
protected:
    void SetUp() override {
        LibraryRun::SetUp();
        PlatformInputReset();
        PlatformInputSetPadCount(2);
        PlatformInputSetPadForceFeedback(0, true);
        ChangeWindowMode(1);
        ASSERT_EQ(InitLibrary(), 0);
    }
    void TearDown() override {
        EndLibrary();
        PlatformInputReset();
        LibraryRun::TearDown();
    }
    static std::vector<std::string> Actions() {
        std::vector<std::string> out;
        for (const auto &e : PlatformInputTakeEffectLog())
            out.push_back(e.action + (e.kind == 0 ? " constant" : " square"));
        return out;
    }
};

using Strings = std::vector<std::string>;

TEST_F(InputInLibrary, ForceFeedbackFollowsPowerTimeLimitAndActivation) {
    EXPECT_EQ(Actions(), (Strings{"create constant", "create square"}));  // pad 1 only
    EXPECT_EQ(StartJoypadVibration(2, 1000, -1), -1);                      // no force feedback there

    ASSERT_EQ(StartJoypadVibration(1, 3000, -1), 0);
    EXPECT_EQ(Actions(), (Strings{"start constant"}));
    ASSERT_EQ(StartJoypadVibration(1, 8000, 100), 0);  // above 5,000 the square wave joins
    EXPECT_EQ(Actions(), (Strings{"start square"}));

    // Deactivation stops both; activation plays them again and re-acquires the devices.
    PLATFORM_INPUT_COUNTS before = PlatformInputCounts();
    PlatformTestInjectActivation(GetMainWindow(), false);
    EXPECT_EQ(Actions(), (Strings{"stop constant", "stop square"}));
    PlatformTestInjectActivation(GetMainWindow(), true);
    EXPECT_EQ(Actions(), (Strings{"start constant", "start square"}));
    PLATFORM_INPUT_COUNTS after = PlatformInputCounts();
    EXPECT_GE(after.padUnacquires - before.padUnacquires, 4);  // both pads, both changes
    EXPECT_EQ(after.padAcquires - before.padAcquires, after.padUnacquires - before.padUnacquires);

    // The pump runs the time limit down.
    PlatformTestSetFakeClockAutoStepMs(0);
    JoypadEffectProcess();
    Actions();
    PlatformTestAdvanceFakeClockMs(150);
    EXPECT_EQ(ProcessWindowMessages(), 0);
    EXPECT_EQ(Actions(), (Strings{"stop constant", "stop square"}));

    EndLibrary();
    EXPECT_EQ(Actions(), (Strings{"release constant", "release square"}));
}

TEST_F(InputTest, ReacquireOnActivationChange) {
    PlatformInputSetPadCount(3);
    Start();
    PLATFORM_INPUT_COUNTS before = PlatformInputCounts();
    RefreshInputDeviceAcquireState();
    PLATFORM_INPUT_COUNTS after = PlatformInputCounts();
    EXPECT_EQ(after.padUnacquires - before.padUnacquires, 3);
    EXPECT_EQ(after.padAcquires - before.padAcquires, 3);
    EXPECT_EQ(after.keyboardAcquires - before.keyboardAcquires, 1);
}

}  // namespace
