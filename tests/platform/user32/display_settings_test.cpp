// The display's mode list and mode changes: listed modes only, the listed refresh rate,
// scripted refusals and the way back to the desktop's mode.
#include "platform/testing.h"
#include "platform/user32/user32.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace {

class DisplaySettings : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformTestResetWindowManager();
        PlatformTestSetDesktop(1280, 1024, 32);
    }
    void TearDown() override { PlatformTestResetWindowManager(); }

    static DEVMODEA Mode(DWORD w, DWORD h, DWORD bits, DWORD rate = 0) {
        DEVMODEA m{};
        m.dmSize = 156;
        m.dmPelsWidth = w, m.dmPelsHeight = h, m.dmBitsPerPel = bits;
        m.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
        if (rate) {
            m.dmFields |= DM_DISPLAYFREQUENCY;
            m.dmDisplayFrequency = rate;
        }
        return m;
    }
};

TEST_F(DisplaySettings, ListsTheSmallModesAndTheDesktopSize) {
    std::set<std::tuple<DWORD, DWORD, DWORD>> modes;
    DEVMODEA m{};
    DWORD i = 0;
    while (EnumDisplaySettingsA(nullptr, i, &m)) {
        modes.insert({m.dmPelsWidth, m.dmPelsHeight, m.dmBitsPerPel});
        EXPECT_EQ(m.dmDisplayFrequency, 60u);
        ++i;
    }
    EXPECT_GT(i, 0u);
    for (DWORD bits : {16u, 32u}) {
        EXPECT_TRUE(modes.count({640, 480, bits}));
        EXPECT_TRUE(modes.count({320, 240, bits}));
        EXPECT_TRUE(modes.count({1280, 1024, bits}));
    }
    EXPECT_TRUE(modes.count({640, 480, 8}));
    EXPECT_FALSE(EnumDisplaySettingsA(nullptr, i, &m));

    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &m));
    EXPECT_EQ(m.dmPelsWidth, 1280u);
    EXPECT_EQ(m.dmBitsPerPel, 32u);
}

TEST_F(DisplaySettings, ChangesOnlyToListedModesAndCanBeRefused) {
    DEVMODEA m = Mode(640, 480, 16);
    EXPECT_EQ(ChangeDisplaySettingsA(&m, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    m = Mode(700, 500, 16);
    EXPECT_EQ(ChangeDisplaySettingsA(&m, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
    m = Mode(800, 600, 32, 75);
    EXPECT_EQ(ChangeDisplaySettingsA(&m, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
    m = Mode(800, 600, 32, 60);
    EXPECT_EQ(ChangeDisplaySettingsA(&m, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);

    PlatformTestRefuseDisplayChanges(2);
    m = Mode(640, 480, 32);
    EXPECT_EQ(ChangeDisplaySettingsA(&m, 0), DISP_CHANGE_FAILED);
    EXPECT_EQ(ChangeDisplaySettingsA(&m, 0), DISP_CHANGE_FAILED);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(ChangeDisplaySettingsA(&m, 0), DISP_CHANGE_SUCCESSFUL);

    // Null is never refused: the desktop's mode comes back.
    PlatformTestRefuseDisplayChanges(1);
    EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
}

}  // namespace
