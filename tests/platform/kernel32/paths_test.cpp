// The path mapping: drive, separators, case-insensitive components, Shift-JIS names.
#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/paths.h"
#include "scratch.h"

namespace {

class PathMapping : public ScratchFolder {};

TEST_F(PathMapping, TableOfWindowsPaths)
{
    MakeFile("Data/Sub/File.TXT", "x");
    MakeFile(Utf8(u8"ソフト/名前.txt"), "y");
    MakeFile("twins/dup");
    MakeFile("twins/DUP");
    const std::string host = root_.string();
    const std::string win = WindowsRoot();
    const std::string noDrive = win.substr(2);
    struct Case {
        std::string windows;
        std::string expected;  // host path, UTF-8
    } cases[] = {
        {"Data\\Sub\\File.TXT", host + "/Data/Sub/File.TXT"},
        {"data\\sub\\file.txt", host + "/Data/Sub/File.TXT"},
        {"DATA/SUB/FILE.TXT", host + "/Data/Sub/File.TXT"},
        {"data/Sub\\\\file.txt", host + "/Data/Sub/File.TXT"},
        {".\\data\\..\\DATA\\.\\sub\\file.txt", host + "/Data/Sub/File.TXT"},
        {win + "\\DATA\\SUB\\FILE.TXT", host + "/Data/Sub/File.TXT"},
        {"c:" + noDrive + "/data/sub/file.txt", host + "/Data/Sub/File.TXT"},
        {noDrive + "\\Data\\Sub\\File.TXT", host + "/Data/Sub/File.TXT"},
        {"C:data\\sub", host + "/Data/Sub"},
        // "ソ" carries 0x5C as its trail byte: not a separator.
        {"ソフト\\名前.TXT", host + Utf8(u8"/ソフト/名前.txt")},
        // A new leaf keeps its spelling; existing folders are resolved.
        // Several spellings and none exact: the first in byte order, every time.
        {"twins\\Dup", host + "/twins/DUP"},
        {"twins\\dup", host + "/twins/dup"},
        {"DATA\\New.Txt", host + "/Data/New.Txt"},
        {"missing\\DATA\\x", host + "/missing/DATA/x"},
        {"C:\\", "/"},
        {"C:\\..\\..", "/"},
    };
    for (const Case &c : cases) {
        std::string mapped;
        ASSERT_TRUE(PlatformMapPath(c.windows.c_str(), &mapped)) << c.windows;
        EXPECT_EQ(mapped, c.expected) << c.windows;
    }
    for (const char *refused : {"", "D:\\data", "\\\\server\\share\\x", "//server/share"}) {
        std::string mapped;
        EXPECT_FALSE(PlatformMapPath(refused, &mapped)) << refused;
    }
}

TEST_F(PathMapping, CurrentDirectoryIsDriveCWithBackslashes)
{
    MakeFile(Utf8(u8"ソフト/a.txt"));
    char buffer[MAX_PATH];
    const std::string win = WindowsRoot();
    ASSERT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), win.size());
    EXPECT_EQ(std::string(buffer), win);
    EXPECT_EQ(GetCurrentDirectoryA(static_cast<DWORD>(win.size()), buffer), win.size() + 1);

    ASSERT_TRUE(SetCurrentDirectoryA("ソフト"));
    ASSERT_NE(GetCurrentDirectoryA(sizeof buffer, buffer), 0u);
    EXPECT_EQ(std::string(buffer), win + "\\ソフト");  // Shift-JIS again on the way back
    EXPECT_NE(GetFileAttributesA("A.TXT"), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(SetCurrentDirectoryA(".."));
    EXPECT_FALSE(SetCurrentDirectoryA("nowhere"));
    EXPECT_EQ(GetFileAttributesA("ソフト") & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(PathMapping, StdioWrapperUsesTheSameMapping)
{
    MakeFile("DataForWork/doust.bin", "abc");
    FILE *file = PlatformOpenFile("dataforwork\\DOUST.BIN", "rb");
    ASSERT_NE(file, nullptr);
    char bytes[4] = {};
    EXPECT_EQ(std::fread(bytes, 1, 3, file), 3u);
    EXPECT_STREQ(bytes, "abc");
    std::fclose(file);
    EXPECT_EQ(PlatformOpenFile("D:\\x", "rb"), nullptr);
}

TEST(ShiftJis, NamesRoundTrip)
{
    const std::string sjis = "表示ソフト.png";
    std::string utf8, back;
    ASSERT_TRUE(PlatformShiftJisToUtf8(sjis, &utf8));
    EXPECT_EQ(utf8, Utf8(u8"表示ソフト.png"));
    ASSERT_TRUE(PlatformUtf8ToShiftJis(utf8, &back));
    EXPECT_EQ(back, sjis);
    EXPECT_FALSE(PlatformShiftJisToUtf8("\x81", &utf8));  // a lone lead byte
}

}  // namespace
