// "Log.txt": stamps, indentation, the CR LF rule, Shift-JIS text, long texts, and what the
// debugger output receives.
#include "library/base/log.h"

#include <gtest/gtest.h>

#include <string>

#include "log_dir.h"
#include "platform/testing.h"

namespace {

class LogFile : public LogDirTest {};

TEST_F(LogFile, StartsEmptyAndStampsEachLine) {
    EXPECT_TRUE(LogExists());
    EXPECT_EQ(LogBytes(), "");
    RaiseLogIndent();
    At(120);
    WriteLog("ＣＯＭの初期化... ");
    At(125);
    WriteLog("成功しました\n");
    At(3000);
    LowerLogIndent();
    WriteLog("終了\n");
    EXPECT_EQ(LogBytes(), "120:\tＣＯＭの初期化... 成功しました\r\n3000:終了\r\n");
    // The debugger gets the tabs and the text, never the stamp.
    EXPECT_EQ(PlatformTestTakeDebugOutput(), "\tＣＯＭの初期化... 成功しました\r\n終了\r\n");
}

TEST_F(LogFile, StartLogFileEmptiesTheFileAndRestartsTheStamps) {
    At(50);
    WriteLog("old\n");
    RaiseLogIndent();
    WriteLog("half");
    At(700);
    StartLog();
    At(1);
    WriteLog("new\n");
    EXPECT_EQ(LogBytes(), "1:new\r\n");
}

TEST_F(LogFile, NewlineConversion) {
    struct Case {
        const char *what;
        std::string text;
        std::string file;
    };
    const Case cases[] = {
        {"lone newlines become CR LF until the first existing pair", "a\nb\r\nc\nd\n", "0:a\r\nb\r\nc\nd\n"},
        {"a newline after an existing CR stays as it is", "x\ry\r\n", "0:x\ry\r\n"},
        {"a second byte 0x0A is not a newline", "\x81\x0A\n", "0:\x81\x0A\r\n"},
        {"a second byte 0x0D does not pair with the newline", "\x81\x0D\n", "0:\x81\x0D\r\n"},
        {"Shift-JIS with 0x5C second bytes", "ソフトを表示\n", "0:ソフトを表示\r\n"},
        {"a lead byte at the end stands alone", "z\x81", "0:z\x81"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        StartLog();
        WriteLog(c.text.c_str());
        EXPECT_EQ(LogBytes(), c.file);
    }
    // The Shift-JIS literals really are Shift-JIS: ソ is 83 5C.
    EXPECT_EQ(std::string("ソ"), "\x83\x5C");
}

TEST_F(LogFile, MidLineWritesGetNoStampOrTabs) {
    RaiseLogIndent();
    RaiseLogIndent();
    At(7);
    WriteLog("one ");
    At(8);
    WriteLog("two");
    WriteLog("\n");
    LowerLogIndent();
    LowerLogIndent();
    LowerLogIndent();  // never below 0
    At(9);
    WriteLog("three\n");
    RaiseLogIndent();
    WriteLog("four\n");
    EXPECT_EQ(LogBytes(), "7:\t\tone two\r\n9:three\r\n9:\tfour\r\n");
}

TEST_F(LogFile, LongTextIsWrittenWhole) {
    std::string text;
    for (int i = 0; i < 150; i++) text += (i % 3 == 0) ? "表" : "a\n";
    text += "\n";
    std::string converted;
    for (char c : text) converted += (c == '\n') ? std::string("\r\n") : std::string(1, c);
    WriteLog(text.c_str());
    EXPECT_EQ(LogBytes(), "0:" + converted);
    // With no heap at all the failed request dumps, and the text goes out in pieces, byte for
    // byte the same.
    StartLog();
    PlatformTestFailAllocations(1000);
    WriteLog(text.c_str());
    PlatformTestFailAllocations(0);
    std::string log = LogBytes();
    EXPECT_EQ(log.find("0:\r\n0:Alloc memory dump\r\n"), 0u);
    ASSERT_GE(log.size(), converted.size() + 2);
    EXPECT_EQ(log.substr(log.size() - converted.size() - 2), "0:" + converted);
}

TEST_F(LogFile, NothingIsWrittenWithoutAStartDirectory) {
    SetLogStartDirectory(nullptr);
    EXPECT_STREQ(GetLogStartDirectory(), "");
    WriteLog("lost\n");
    EXPECT_EQ(PlatformTestTakeDebugOutput(), "");
    // A trailing separator is not doubled.
    SetLogStartDirectory((startDirectory_ + "\\").c_str());
    WriteLog("kept\n");
    EXPECT_EQ(LogBytes(), "0:kept\r\n");
}

TEST_F(LogFile, FormattedLines) {
    WriteLogFmt("%s:%d", "幅", 640);
    EXPECT_EQ(LogBytes(), "0:幅:640\r\n");

    // Cut to 1,022 bytes of text plus the newline.
    StartLog();
    WriteLogFmt("%s", std::string(5000, 'w').c_str());
    EXPECT_EQ(LogBytes(), "0:" + std::string(1022, 'w') + "\r\n");

    // A cut through a two-byte character drops its first byte, so the newline survives.
    std::string odd = "w";
    for (int i = 0; i < 1000; i++) odd += "表";
    StartLog();
    WriteLogFmt("%s", odd.c_str());
    EXPECT_EQ(LogBytes(), "0:w" + [] {
        std::string s;
        for (int i = 0; i < 510; i++) s += "表";
        return s;
    }() + "\r\n");
}

}  // namespace
