// Keyboard, mouse and joypads with force feedback, read through DirectInput,
// or through the platform's joystick functions when DirectInput is missing.
#pragma once

#define PAD_KEYBOARD_LAYOUT 0x1000  // merge the keyboard layout into GetPadInputBits
#define MAX_JOYPADS 16

// Library start-up and shut-down steps.
int StartDirectInput();
int ShutdownDirectInput();

// 256 bytes, 1 or 0 per DirectInput key code.
int GetAllKeyStates(char *states);
int GetKeyState(int keyCode);
int GetPadInputBits(int padAndFlags);
int GetJoypadCount();

int SetupJoypads();
int RefreshInputDeviceAcquireState();
int RefreshEffectPlayState();
int JoypadEffectProcess();

// Vibration of one pad (from 1): power 0..10,000, time in ms (-1 = until stopped).
int StartJoypadVibration(int pad, int power, int timeMs);
int StopJoypadVibration(int pad);

// The joystick functions' axis mapping: raw 0..65,535 to -1,000..1,000 with
// the dead zone 24,576..40,960.
int MapJoystickAxis(unsigned raw);
