// SDL scancodes to DirectInput key codes, for the SDL2 host's keyboard.
#pragma once

// 0 when the key has no DirectInput code.
int SdlScancodeToDik(int scancode);
