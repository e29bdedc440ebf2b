// The on-screen log's lines, their layout and scrolling, and their drawing.
#include "library/graphics/screen_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/text_draw.h"
#include "library/graphics/text_link.h"

SCREENLOG g_screenLog = {};

namespace {

constexpr int kFormatBufferBytes = 1024;

// Before the display is set up the log lays out for the default 640 x 480 screen.
void ScreenSize(int *w, int *h) {
    bool known = g_screenSetup.width > 0 && g_screenSetup.height > 0;
    *w = known ? g_screenSetup.width : 640;
    *h = known ? g_screenSetup.height : 480;
}

int VisibleLines() {
    int w, h;
    ScreenSize(&w, &h);
    int n = g_screenLog.fontSize > 0 ? h / g_screenLog.fontSize : 0;
    return n < kScreenLogLines ? n : kScreenLogLines;
}

void EnsureScreenLogFont() {
    SCREENLOG &s = g_screenLog;
    if (!s.fontMissing || g_textLink.createFont == nullptr) return;
    s.font = g_textLink.createFont(nullptr, s.fontSize, 4, 1, -1, -1, 0);
    s.fontMissing = 0;
    if (g_textLink.attachDeleteFlag) g_textLink.attachDeleteFlag(s.font, &s.fontMissing);
}

void NewScreenLogLine() {
    SCREENLOG &s = g_screenLog;
    if (s.currentLine + 1 < VisibleLines()) {
        ++s.currentLine;
    } else {
        for (int i = 1; i <= s.currentLine; ++i) std::memcpy(s.lines[i - 1], s.lines[i], kScreenLogLineBytes);
    }
    std::memset(s.lines[s.currentLine], 0, kScreenLogLineBytes);
    s.column = 0;
    s.pixelWidth = 0;
}

int AddScreenLogChar(const unsigned char *p) {
    SCREENLOG &s = g_screenLog;
    bool lead = g_textLink.isLeadByte ? g_textLink.isLeadByte(p, 1) != 0
                                      : (p[0] >= 0x81 && p[0] <= 0x9F) || (p[0] >= 0xE0 && p[0] <= 0xFC);
    int length = lead && p[1] != 0 ? 2 : 1;
    if (s.column + length >= kScreenLogLineBytes) {
        NewScreenLogLine();
    } else {
        int w, h;
        ScreenSize(&w, &h);
        char one[3] = {(char)p[0], length == 2 ? (char)p[1] : (char)0, 0};
        int width = MeasureTextWithFont(one, length, s.font, 0);
        if (width < 0) width = 0;
        if (s.pixelWidth + width >= w) NewScreenLogLine();
        s.pixelWidth += width;
    }
    std::memcpy(s.lines[s.currentLine] + s.column, p, (size_t)length);
    s.column += length;
    s.lines[s.currentLine][s.column] = 0;
    return length;
}

}  // namespace

int SetupScreenLog() {
    if (g_deviceState.directDraw == nullptr || GetMainWindow() == nullptr) return -1;
    SCREENLOG &s = g_screenLog;
    if (s.setUp) return 0;
    s.setUp = 1;
    s.fontSize = 16;
    s.font = -1;
    s.fontMissing = 1;
    EnsureScreenLogFont();
    s.used = 0;
    s.tabWidth = 4;
    s.currentLine = 0;
    s.column = 0;
    s.pixelWidth = 0;
    std::memset(s.lines, 0, sizeof s.lines);
    return 0;
}

int AddScreenLogText(const char *text) {
    if (text == nullptr) return 0;
    if (!g_screenLog.setUp && SetupScreenLog() != 0) return 0;
    EnsureScreenLogFont();
    const auto *p = (const unsigned char *)text;
    while (*p != 0) {
        switch (*p) {
        case 9:
            for (int i = 0; i < g_screenLog.tabWidth; ++i) AddScreenLogChar((const unsigned char *)" ");
            ++p;
            break;
        case 10:
            NewScreenLogLine();
            ++p;
            break;
        case 7: case 8: case 11: case 12: case 13: case '?':
            ++p;
            break;
        default:
            p += AddScreenLogChar(p);
            break;
        }
    }
    return 0;
}

int PrintScreenLog(const char *format, ...) {
    char text[kFormatBufferBytes];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    g_screenLog.used = 1;
    AddScreenLogText(text);
    return 0;
}

int DrawScreenLog() {
    if (!g_screenLog.setUp && SetupScreenLog() != 0) return 0;
    EnsureScreenLogFont();
    int n = VisibleLines();
    for (int i = 0; i < n; ++i)
        DrawTextWithFont(0, i * g_screenLog.fontSize, g_screenLog.lines[i], MakeScreenColour(255, 255, 255),
                         g_screenLog.font, MakeScreenColour(0, 0, 0), 0);
    return 0;
}

int GetScreenLogUsed() { return g_screenLog.used; }

int EndScreenLog() {
    SCREENLOG &s = g_screenLog;
    if (s.font != -1 && !s.fontMissing && g_textLink.freeFont) g_textLink.freeFont(s.font);
    s.font = -1;
    s.fontMissing = 1;
    return 0;
}
