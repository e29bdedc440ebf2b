// Debugger output: standard error (unless quiet), or a buffer while a test captures it.
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

struct DebugOutput {
    std::mutex lock;
    bool capturing = false;
    int quiet = -1;  // -1: not decided yet (read KELMOR_DEBUG_QUIET once)
    std::string captured;
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
    if (!Quiet())
        std::fputs(text, stderr);
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
