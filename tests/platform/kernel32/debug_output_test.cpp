// Debugger output on the terminal: Shift-JIS text converted to the terminal's character set,
// while captured output (and the log) keep the Shift-JIS bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"

namespace {

std::string Utf8(const char8_t *text) { return reinterpret_cast<const char *>(text); }

// What OutputDebugStringA wrote to a terminal of the given character set.
std::string OnTerminal(const char *charset, const char *text) {
    FILE *terminal = std::tmpfile();
    PlatformTestSetDebugTerminal(terminal, charset);
    OutputDebugStringA(text);
    PlatformTestSetDebugTerminal(nullptr, nullptr);
    std::fflush(terminal);
    std::rewind(terminal);
    std::string out;
    for (int c; (c = std::fgetc(terminal)) != EOF;) out += (char)c;
    std::fclose(terminal);
    return out;
}

TEST(DebugOutput, TerminalGetsItsOwnCharacterSet) {
    PlatformSetDebugOutputQuiet(false);
    const char *line = "ＣＯＭの初期化... 成功しました\n";  // Shift-JIS in the program
    struct Case {
        const char *charset;
        const char *text;
        std::string want;
    } cases[] = {
        {"UTF-8", line, Utf8(u8"ＣＯＭの初期化... 成功しました\n")},
        {"EUC-JP", line, "\xA3\xC3\xA3\xCF\xA3\xCD\xA4\xCE\xBD\xE9\xB4\xFC\xB2\xBD... \xC0\xAE\xB8\xF9\xA4\xB7\xA4\xDE\xA4\xB7\xA4\xBF\n"},
        {"CP932", line, line},
        {"SHIFT_JIS", line, line},
        // A lead byte without its trail byte is shown, not dropped.
        {"UTF-8", "A\x82", "A?"},
        {"UTF-8", "plain ASCII\n", "plain ASCII\n"},
    };
    for (const Case &c : cases) EXPECT_EQ(OnTerminal(c.charset, c.text), c.want) << c.charset << " " << c.text;

    // Captured output keeps the program's bytes.
    PlatformTestCaptureDebugOutput(true);
    OutputDebugStringA(line);
    EXPECT_EQ(PlatformTestTakeDebugOutput(), line);
    PlatformTestCaptureDebugOutput(false);
}

}  // namespace
