// The input method's messages to the main window.
#include "library/base/ime.h"

#include "library/base/library.h"
#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/pump.h"
#include "library/base/timer.h"
#include "library/base/window.h"
#include "platform/kernel32/kernel32.h"

#include <cstdio>
#include <cstring>

IMESTATE g_ime;

namespace {

// The lead-byte rule of the double-byte kind (kind 2: any byte with its top bit set).
bool LeadByte(unsigned char c) {
    if (g_window.doubleByteKind == 2) return c >= 0x80;
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

int CharIndex(const char *text, int bytePos) {
    int chars = 0;
    for (int i = 0; i < bytePos && text[i];) {
        i += (LeadByte(static_cast<unsigned char>(text[i])) && text[i + 1]) ? 2 : 1;
        ++chars;
    }
    return chars;
}

void ReadString(HIMC imc, DWORD index, char *out, size_t size) {
    LONG n = ImmGetCompositionStringA(imc, index, out, static_cast<DWORD>(size - 1));
    out[n > 0 ? (n < static_cast<LONG>(size) ? n : static_cast<LONG>(size) - 1) : 0] = 0;
}

void ReadComposition(HWND hwnd, LPARAM flags) {
    HIMC imc = ImmGetContext(hwnd);
    if (!imc) return;
    if (flags & GCS_COMPSTR) ReadString(imc, GCS_COMPSTR, g_ime.composition, sizeof g_ime.composition);
    if (flags & GCS_RESULTSTR) ReadString(imc, GCS_RESULTSTR, g_ime.result, sizeof g_ime.result);
    if (flags & GCS_CURSORPOS) {
        LONG pos = ImmGetCompositionStringA(imc, GCS_CURSORPOS, nullptr, 0);
        g_ime.cursorChar = pos > 0 ? CharIndex(g_ime.composition, pos) : 0;
    }
    if (flags & GCS_COMPCLAUSE) {
        LONG n = ImmGetCompositionStringA(imc, GCS_COMPCLAUSE, g_ime.clauses, sizeof g_ime.clauses);
        g_ime.clauseBytes = n > 0 ? static_cast<int>(n) : 0;
    }
    ImmReleaseContext(hwnd, imc);
}

void FreeCandidates() {
    if (g_ime.candidates) FreeMemBlock(g_ime.candidates);
    g_ime.candidates = nullptr;
    g_ime.candidateBytes = 0;
}

void ReadCandidates(HWND hwnd) {
    HIMC imc = ImmGetContext(hwnd);
    DWORD size = ImmGetCandidateListA(imc, 0, nullptr, 0);
    char line[128];
    if (size == 0) {
        std::snprintf(line, sizeof line, "漢字変換候補のデータサイズが０でした  DefHWND:%x IMC:%x\n",
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(ImmGetDefaultIMEWnd(hwnd))),
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(imc)));
        WriteLog(line);
    } else {
        FreeCandidates();
        g_ime.candidates = static_cast<CANDIDATELIST *>(AllocMemBlock(size, __FILE__, __LINE__));
        if (!g_ime.candidates)
            ExitWithErrorFmt("漢字変換候補を保存するメモリの確保に失敗しました( 確保しようとしたサイズ %d バイト )",
                             static_cast<int>(size));
        g_ime.candidateBytes = size;
        if (ImmGetCandidateListA(imc, 0, g_ime.candidates, size) == 0) {
            std::snprintf(line, sizeof line, "漢字変換候補の取得に失敗しました  BufSize:%d\n", static_cast<int>(size));
            WriteLog(line);
        }
    }
    if (imc) ImmReleaseContext(hwnd, imc);
}

void SetOpenStatus(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (g_ime.settingOpenStatus) return;
    g_ime.settingOpenStatus = 1;
    DefWindowProcA(hwnd, WM_IME_NOTIFY, wParam, lParam);
    ULONGLONG start = GetMicrosecondCount(1);
    while (GetMicrosecondCount(1) - start < 2000)
        if (PumpWindowMessages() != 0) break;
    HIMC imc = ImmGetContext(hwnd);
    g_ime.openStatus = ImmGetOpenStatus(imc) ? 1 : 0;
    if (imc) ImmReleaseContext(hwnd, imc);
    g_ime.settingOpenStatus = 0;
}

}  // namespace

void ClearImeState() {
    FreeCandidates();
    std::memset(&g_ime, 0, sizeof g_ime);
}

bool HandleImeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) {
    *result = 0;
    switch (message) {
    case WM_IME_STARTCOMPOSITION:
        g_ime.composing = 1;
        return true;
    case WM_IME_ENDCOMPOSITION:
        g_ime.composing = 0;
        g_ime.composition[0] = 0;
        g_ime.cursorChar = 0;
        g_ime.clauseBytes = 0;
        return true;
    case WM_IME_COMPOSITION:
        ReadComposition(hwnd, lParam);
        return true;
    case WM_IME_SETCONTEXT:
        // The input method draws none of its own windows.
        *result = DefWindowProcA(hwnd, message, wParam, 0);
        return true;
    case WM_IME_NOTIFY:
        switch (wParam) {
        case IMN_OPENCANDIDATE:
        case IMN_CHANGECANDIDATE:
        case IMN_SETCANDIDATEPOS: ReadCandidates(hwnd); return true;
        case IMN_CLOSECANDIDATE: FreeCandidates(); return true;
        case IMN_SETOPENSTATUS: SetOpenStatus(hwnd, wParam, lParam); return true;
        default: *result = DefWindowProcA(hwnd, message, wParam, lParam); return true;
        }
    default:
        return false;
    }
}
