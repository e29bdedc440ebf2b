// Between the virtual input devices and the platform objects built on them.
#pragma once

#include "platform/kernel32/kernel32.h"

#include <string>

enum {
    INPUT_COUNT_KEYBOARD_ACQUIRE,
    INPUT_COUNT_KEYBOARD_READ,
    INPUT_COUNT_PAD_ACQUIRE,
    INPUT_COUNT_PAD_UNACQUIRE,
};

void InputInternalCopyKeys(BYTE out[256]);
bool InputInternalPadInfo(int pad, std::string *name, bool *forceFeedback, bool *hasZR);
bool InputInternalFactoryFails(int version);
bool InputInternalTakeKeyboardLoss();
void InputInternalSetKeyboardEvent(HANDLE event);
void InputInternalCount(int which);
void InputInternalEffect(int pad, int kind, const char *action, DWORD gain);
