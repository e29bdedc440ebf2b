// A DirectInput object of the stand-in over freshly reset virtual devices.
#pragma once

#include "platform/dinput/dinput.h"
#include "platform/dinput/devices.h"
#include "platform/kernel32/kernel32.h"

#include <gtest/gtest.h>

struct DirectInputFixture : ::testing::Test {
    IDirectInput8A *di = nullptr;
    void SetUp() override {
        PlatformInputReset();
        void *object = nullptr;
        ASSERT_EQ(CoCreateInstance(CLSID_DirectInput8, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectInput8A, &object), S_OK);
        di = static_cast<IDirectInput8A *>(object);
        ASSERT_EQ(di->Initialize(nullptr, DIRECTINPUT_VERSION_8), DI_OK);
    }
    void TearDown() override {
        if (di) di->Release();
        PlatformInputReset();
    }
};
