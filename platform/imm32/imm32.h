// Input-method services of the stand-in layer. There is no input method unless a test
// installs one (platform/testing.h): then the calls answer from its canned state.
#pragma once

#include "platform/windef.h"

struct HIMC__;
typedef HIMC__ *HIMC;

#define GCS_COMPSTR 0x0008u
#define GCS_COMPCLAUSE 0x0020u
#define GCS_CURSORPOS 0x0080u
#define GCS_RESULTSTR 0x0800u

#define IMN_CHANGECANDIDATE 0x0003u
#define IMN_CLOSECANDIDATE 0x0004u
#define IMN_OPENCANDIDATE 0x0005u
#define IMN_SETOPENSTATUS 0x0008u
#define IMN_SETCANDIDATEPOS 0x0009u

#define IMM_ERROR_NODATA (-1)
#define IMM_ERROR_GENERAL (-2)

struct CANDIDATELIST {
    DWORD dwSize;
    DWORD dwStyle;
    DWORD dwCount;
    DWORD dwSelection;
    DWORD dwPageStart;
    DWORD dwPageSize;
    DWORD dwOffset[1];
};

BOOL WINNLSEnableIME(HWND hwnd, BOOL enable);
HIMC ImmGetContext(HWND hwnd);
BOOL ImmReleaseContext(HWND hwnd, HIMC imc);
// Bytes copied, or the size needed when the buffer size is 0; GCS_CURSORPOS answers the value.
LONG ImmGetCompositionStringA(HIMC imc, DWORD index, LPVOID buffer, DWORD bufferSize);
// Bytes of the whole list; with a size of 0 only the size is answered.
DWORD ImmGetCandidateListA(HIMC imc, DWORD index, CANDIDATELIST *list, DWORD bufferSize);
BOOL ImmGetOpenStatus(HIMC imc);
HWND ImmGetDefaultIMEWnd(HWND hwnd);
