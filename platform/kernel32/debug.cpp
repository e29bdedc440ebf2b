// Debugger output: standard error (unless quiet), or a buffer while a test captures it. The
// text is Shift-JIS; the terminal gets it in its own character set.
#include "platform/kernel32/codepage.h"
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <mutex>
#include <strings.h>

namespace {

struct DebugOutput {
    std::mutex lock;
    bool capturing = false;
    int quiet = -1;  // -1: not decided yet (read KELMOR_DEBUG_QUIET once)
    std::string captured;
    std::string charset;  // the terminal's, read once from the environment's locale
    FILE *terminal = stderr;
};
DebugOutput g_debug;

bool Quiet()
{
    if (g_debug.quiet < 0) {
        const char *env = std::getenv("KELMOR_DEBUG_QUIET");
        g_debug.quiet = env && *env && std::strcmp(env, "0") != 0;
    }
    return g_debug.quiet != 0;
}

// The character set of the environment's locale (LC_ALL, LC_CTYPE, LANG), without touching the
// process's own locale. The plain C locale names ASCII, which no Japanese line fits: such
// terminals are taken as UTF-8.
std::string TerminalCharset()
{
    std::string charset;
    if (locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0))) {
        charset = nl_langinfo_l(CODESET, locale);
        freelocale(locale);
    }
    if (charset.empty() || charset == "ANSI_X3.4-1968" || strcasecmp(charset.c_str(), "ASCII") == 0)
        charset = "UTF-8";
    return charset;
}

bool IsShiftJis(const std::string &charset)
{
    for (const char *name : {"CP932", "SHIFT_JIS", "SHIFT-JIS", "SJIS", "WINDOWS-31J"})
        if (strcasecmp(charset.c_str(), name) == 0)
            return true;
    return false;
}

}  // namespace

void OutputDebugStringA(LPCSTR text)
{
    if (!text)
        return;
    std::lock_guard<std::mutex> guard(g_debug.lock);
    if (g_debug.capturing) {
        g_debug.captured += text;
        return;
    }
    if (Quiet())
        return;
    if (g_debug.charset.empty())
        g_debug.charset = TerminalCharset();
    std::string converted;
    if (!IsShiftJis(g_debug.charset) &&
        PlatformConvertText(g_debug.charset.c_str(), "CP932", text, &converted, true)) {
        std::fputs(converted.c_str(), g_debug.terminal);
    } else {
        std::fputs(text, g_debug.terminal);
    }
}

void PlatformTestSetDebugTerminal(FILE *terminal, const char *charset)
{
    std::lock_guard<std::mutex> guard(g_debug.lock);
    g_debug.terminal = terminal ? terminal : stderr;
    g_debug.charset = charset ? charset : "";
}

void PlatformSetDebugOutputQuiet(bool quiet)
{
    std::lock_guard<std::mutex> guard(g_debug.lock);
    g_debug.quiet = quiet ? 1 : 0;
}

void PlatformTestCaptureDebugOutput(bool on)
{
    std::lock_guard<std::mutex> guard(g_debug.lock);
    g_debug.capturing = on;
    g_debug.captured.clear();
}

std::string PlatformTestTakeDebugOutput()
{
    std::lock_guard<std::mutex> guard(g_debug.lock);
    std::string out;
    out.swap(g_debug.captured);
    return out;
}
