// What the input method reports to the main window: composition, result, candidates.
#pragma once

#include "platform/imm32/imm32.h"
#include "platform/user32/user32.h"

struct IMESTATE {
    int composing;
    char composition[1024];
    char result[1024];
    int cursorChar;              // the cursor as a character index into the composition
    BYTE clauses[1024];
    int clauseBytes;
    CANDIDATELIST *candidates;   // from the memory manager, null when closed
    DWORD candidateBytes;
    int openStatus;
    int settingOpenStatus;       // IMN_SETOPENSTATUS is running
};

extern IMESTATE g_ime;

// Empties the state (start-up's text input step).
void ClearImeState();
// The window procedure's IME messages; false when the message is not one of them.
bool HandleImeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result);
