// The DirectInput stand-in and the joystick functions over the virtual devices.
#include "dinput_fixture.h"
#include "platform/dinput/dinput.h"
#include "platform/dinput/devices.h"
#include "platform/kernel32/kernel32.h"

#include <gtest/gtest.h>

namespace {

TEST_F(DirectInputFixture, KeyboardStateNeedsFormatAndAcquire) {
    IDirectInputDevice8A *keyboard = nullptr;
    ASSERT_EQ(di->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
    BYTE keys[256];
    EXPECT_NE(keyboard->Acquire(), DI_OK);  // no data format yet
    ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(keyboard->SetEventNotification(event), DI_OK);
    PlatformInputSetKey(0x2C, true);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);  // a change signals the event
    ASSERT_EQ(keyboard->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[0x2C], 0x80);
    EXPECT_EQ(keys[0x2D], 0);
    EXPECT_EQ(keyboard->GetDeviceState(100, keys), DIERR_INVALIDPARAM);
    PlatformInputLoseKeyboardOnce();
    EXPECT_EQ(keyboard->GetDeviceState(256, keys), DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
    keyboard->Release();
    CloseHandle(event);
}

BOOL CollectPads(const DIDEVICEINSTANCEA *instance, LPVOID context) {
    static_cast<std::vector<DIDEVICEINSTANCEA> *>(context)->push_back(*instance);
    return DIENUM_CONTINUE;
}

TEST_F(DirectInputFixture, PadsEnumerateAndMapAxesToTheSetRange) {
    PlatformInputSetPadCount(2);
    PlatformInputSetPadName(1, "Test Pad");
    std::vector<DIDEVICEINSTANCEA> pads;
    ASSERT_EQ(di->EnumDevices(DI8DEVCLASS_GAMECTRL, CollectPads, &pads, DIEDFL_ATTACHEDONLY), DI_OK);
    ASSERT_EQ(pads.size(), 2u);
    EXPECT_STREQ(pads[1].tszProductName, "Test Pad");

    IDirectInputDevice8A *pad = nullptr;
    ASSERT_EQ(di->CreateDevice(pads[1].guidInstance, &pad, nullptr), DI_OK);
    ASSERT_EQ(pad->SetDataFormat(&c_dfDIJoystick), DI_OK);
    for (DWORD offset : {DIJOFS_X, DIJOFS_Y}) {
        DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), offset, DIPH_BYOFFSET}, -1000, 1000};
        ASSERT_EQ(pad->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);
        DIPROPDWORD dead{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), offset, DIPH_BYOFFSET}, 2500};
        ASSERT_EQ(pad->SetProperty(DIPROP_DEADZONE, &dead.diph), DI_OK);
    }
    ASSERT_EQ(pad->Acquire(), DI_OK);
    const struct {
        int raw;
        LONG expected;
    } cases[] = {{-32768, -1000}, {-32767, -1000}, {-8000, 0}, {0, 0}, {8191, 0}, {20479, 500}, {32767, 1000}};
    for (const auto &c : cases) {
        PLATFORM_PAD_STATE s{};
        s.axes[0] = c.raw;
        s.buttons[5] = true;
        PlatformInputSetPad(1, s);
        DIJOYSTATE js{};
        ASSERT_EQ(pad->GetDeviceState(sizeof js, &js), DI_OK);
        EXPECT_EQ(js.lX, c.expected) << "raw " << c.raw;
        EXPECT_EQ(js.rgbButtons[5], 0x80);
    }
    DIEFFECT effect{};
    effect.dwGain = 10000;
    IDirectInputEffect *fx = nullptr;
    EXPECT_NE(pad->CreateEffect(GUID_ConstantForce, &effect, &fx, nullptr), DI_OK);  // no force feedback
    pad->Release();
    IDirectInputDevice8A *missing = nullptr;
    GUID bogus = pads[1].guidInstance;
    bogus.Data1 += 5;
    EXPECT_NE(di->CreateDevice(bogus, &missing, nullptr), DI_OK);
}

TEST(DirectInputFactory, FailureSwitchAndVersionCheck) {
    PlatformInputReset();
    void *object = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DirectInput, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectInput7A, &object), S_OK);
    auto *di7 = static_cast<IDirectInput8A *>(object);
    EXPECT_NE(di7->Initialize(nullptr, DIRECTINPUT_VERSION_8), DI_OK);
    PlatformInputFailDirectInput(true, false);
    EXPECT_NE(di7->Initialize(nullptr, DIRECTINPUT_VERSION_7), DI_OK);
    di7->Release();
    EXPECT_EQ(CoCreateInstance(CLSID_DirectInput8, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectInput7A, &object), E_NOINTERFACE);
    PlatformInputReset();
}

TEST(JoystickFunctions, PositionsAndCaps) {
    PlatformInputReset();
    PlatformInputSetPadCount(1);
    PlatformInputSetPadHasZR(0, false);
    JOYCAPSA caps{};
    ASSERT_EQ(joyGetDevCapsA(0, &caps, sizeof caps), JOYERR_NOERROR);
    EXPECT_EQ(caps.wCaps & (JOYCAPS_HASZ | JOYCAPS_HASR), 0u);
    EXPECT_NE(joyGetDevCapsA(1, &caps, sizeof caps), JOYERR_NOERROR);
    PLATFORM_PAD_STATE s{};
    s.axes[0] = -32768;
    s.axes[1] = 32767;
    s.buttons[3] = true;
    PlatformInputSetPad(0, s);
    JOYINFOEX info{};
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNALL;
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 0u);
    EXPECT_EQ(info.dwYpos, 65535u);
    EXPECT_EQ(info.dwButtons, 8u);
    BYTE vk[256];
    PlatformInputSetKey(0x36, true);
    ASSERT_TRUE(GetKeyboardState(vk));
    EXPECT_EQ(vk[VK_RSHIFT], 0x80);
    EXPECT_EQ(vk[VK_SHIFT], 0x80);
    PlatformInputReset();
}

}  // namespace
