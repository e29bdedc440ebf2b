// The DirectDraw 7 object the library makes through CoCreateInstance.
#include "platform/d3d9/ddraw.h"
#include "platform/testing.h"

#include <gtest/gtest.h>

namespace {

class DirectDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        D3D9TestReset();
        PlatformTestUseFakeClock(true);
    }
    void TearDown() override {
        PlatformTestUseFakeClock(false);
        D3D9TestReset();
        EXPECT_EQ(D3D9TestLiveObjects(), 0);
    }
};

TEST_F(DirectDrawTest, CreatedInitialisedOnceAndWaitsForTheBlank) {
    IDirectDraw7 *dd = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DirectDraw7, nullptr, 7, IID_IDirectDraw7, reinterpret_cast<void **>(&dd)), S_OK);
    ASSERT_NE(dd, nullptr);
    BOOL inBlank = FALSE;
    EXPECT_EQ(dd->GetVerticalBlankStatus(&inBlank), DDERR_NOTINITIALIZED);
    ASSERT_EQ(dd->Initialize(nullptr), DD_OK);
    EXPECT_EQ(dd->Initialize(nullptr), DDERR_ALREADYINITIALIZED);
    EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    // On the fake clock the wait lands on the next 60 Hz tick, which is inside the blank.
    ULONGLONG before = PlatformTestFakeClockMs();
    ASSERT_EQ(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
    ULONGLONG after = PlatformTestFakeClockMs();
    EXPECT_GE(after, before);
    EXPECT_LE(after - before, 17u);
    ASSERT_EQ(dd->GetVerticalBlankStatus(&inBlank), DD_OK);
    EXPECT_TRUE(inBlank);
    EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(DirectDrawTest, ScriptedFailures) {
    IDirectDraw7 *dd = nullptr;
    D3D9TestFailCall("CoCreateInstance:DirectDraw7", 1, E_FAIL);
    EXPECT_EQ(CoCreateInstance(CLSID_DirectDraw7, nullptr, 7, IID_IDirectDraw7, reinterpret_cast<void **>(&dd)), E_FAIL);
    EXPECT_EQ(dd, nullptr);
    ASSERT_EQ(CoCreateInstance(CLSID_DirectDraw7, nullptr, 7, IID_IDirectDraw7, reinterpret_cast<void **>(&dd)), S_OK);
    D3D9TestFailCall("DirectDraw::Initialize", 1, E_FAIL);
    EXPECT_EQ(dd->Initialize(nullptr), E_FAIL);
    EXPECT_EQ(dd->Initialize(nullptr), DD_OK);
    dd->Release();
}

}  // namespace
