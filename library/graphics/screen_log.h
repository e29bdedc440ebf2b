// The on-screen log: a small scrolling text console drawn over the frame.
#pragma once

#include <cstdint>

constexpr int kScreenLogLines = 80;
constexpr int kScreenLogLineBytes = 255;

struct SCREENLOG {
    int32_t setUp;
    int32_t font;         // -1 when none
    int32_t fontMissing;  // set to 1 by the font system when it deletes the font
    int32_t fontSize;
    int32_t tabWidth;
    char lines[kScreenLogLines][kScreenLogLineBytes];
    int32_t currentLine, column, pixelWidth;
    int32_t used;
};

extern SCREENLOG g_screenLog;

// 0; -1 without the graphics system's DirectDraw object or the main window.
int SetupScreenLog();
// printf-style; at most 1,023 bytes of text. 0.
int PrintScreenLog(const char *format, ...) __attribute__((format(printf, 1, 2)));
int AddScreenLogText(const char *text);
int DrawScreenLog();
int GetScreenLogUsed();
// Shut-down: the log's font goes, the lines stay.
int EndScreenLog();
