// The input method: none unless a test installs one; then its canned state answers.
#include "platform/imm32/imm32.h"
#include "platform/user32/internal.h"

#include <cstring>

using namespace wm;

namespace {
const HIMC kContext = reinterpret_cast<HIMC>(0x60001);

LONG CopyOut(const void *data, size_t bytes, LPVOID buffer, DWORD size) {
    if (size == 0) return static_cast<LONG>(bytes);
    if (!buffer) return IMM_ERROR_GENERAL;
    size_t n = bytes < size ? bytes : size;
    std::memcpy(buffer, data, n);
    return static_cast<LONG>(n);
}
}  // namespace

BOOL WINNLSEnableIME(HWND hwnd, BOOL enable) {
    Lock lock(S().mu);
    Record(std::string("WINNLSEnableIME ") + std::to_string(enable));
    bool old = true;
    auto it = S().imeEnabled.find(reinterpret_cast<uintptr_t>(hwnd));
    if (it != S().imeEnabled.end()) old = it->second;
    S().imeEnabled[reinterpret_cast<uintptr_t>(hwnd)] = enable != FALSE;
    return old;
}

HIMC ImmGetContext(HWND hwnd) {
    Lock lock(S().mu);
    return S().ime.present && Find(hwnd) ? kContext : nullptr;
}

BOOL ImmReleaseContext(HWND, HIMC imc) { return imc == kContext; }

LONG ImmGetCompositionStringA(HIMC imc, DWORD index, LPVOID buffer, DWORD bufferSize) {
    Lock lock(S().mu);
    if (imc != kContext || !S().ime.present) return IMM_ERROR_GENERAL;
    const ImeState &ime = S().ime;
    switch (index) {
    case GCS_COMPSTR: return CopyOut(ime.composition.data(), ime.composition.size(), buffer, bufferSize);
    case GCS_RESULTSTR: return CopyOut(ime.result.data(), ime.result.size(), buffer, bufferSize);
    case GCS_CURSORPOS: return ime.cursor;
    case GCS_COMPCLAUSE:
        return CopyOut(ime.clauses.data(), ime.clauses.size() * sizeof(DWORD), buffer, bufferSize);
    default: return IMM_ERROR_NODATA;
    }
}

DWORD ImmGetCandidateListA(HIMC imc, DWORD, CANDIDATELIST *list, DWORD bufferSize) {
    Lock lock(S().mu);
    if (imc != kContext || !S().ime.present || S().ime.candidates.empty()) return 0;
    const auto &cands = S().ime.candidates;
    // The list: its head, one offset per candidate, then the NUL-terminated texts.
    DWORD head = static_cast<DWORD>(offsetof(CANDIDATELIST, dwOffset) + cands.size() * sizeof(DWORD));
    DWORD total = head;
    for (const std::string &c : cands) total += static_cast<DWORD>(c.size() + 1);
    if (bufferSize == 0) return total;
    if (!list || bufferSize < total) return 0;
    std::memset(list, 0, total);
    list->dwSize = total;
    list->dwCount = static_cast<DWORD>(cands.size());
    list->dwPageSize = list->dwCount < 9 ? list->dwCount : 9;
    DWORD at = head;
    char *base = reinterpret_cast<char *>(list);
    DWORD *offsets = reinterpret_cast<DWORD *>(base + offsetof(CANDIDATELIST, dwOffset));
    for (size_t i = 0; i < cands.size(); ++i) {
        offsets[i] = at;
        std::memcpy(base + at, cands[i].c_str(), cands[i].size() + 1);
        at += static_cast<DWORD>(cands[i].size() + 1);
    }
    return total;
}

BOOL ImmGetOpenStatus(HIMC imc) {
    Lock lock(S().mu);
    return imc == kContext && S().ime.present ? S().ime.open : FALSE;
}

HWND ImmGetDefaultIMEWnd(HWND) {
    Lock lock(S().mu);
    return S().ime.present ? reinterpret_cast<HWND>(0x70001) : nullptr;
}
