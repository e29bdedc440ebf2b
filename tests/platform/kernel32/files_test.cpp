// File handles, searches with wildcards, temporary files.
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"
#include "scratch.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

class Files : public ScratchFolder {};

std::string ReadAll(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<none>";
    char buffer[256];
    DWORD got = 0;
    ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    return std::string(buffer, got);
}

HANDLE OpenForWrite(const char *path, DWORD disposition)
{
    return CreateFileA(path, GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void Write(HANDLE file, const char *text)
{
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr));
    ASSERT_EQ(written, std::strlen(text));
}

TEST_F(Files, DispositionsAsTheLogUsesThem)
{
    int handles = PlatformTestOpenHandleCount();
    HANDLE file = OpenForWrite("Log.txt", CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_EQ(OpenForWrite("LOG.TXT", CREATE_NEW), INVALID_HANDLE_VALUE);  // exists, whatever the case

    for (const char *line : {"one\r\n", "two\r\n"}) {
        file = OpenForWrite("log.txt", OPEN_ALWAYS);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END), line[1] == 'n' ? 0u : 5u);
        Write(file, line);
        CloseHandle(file);
    }
    EXPECT_EQ(ReadAll("Log.txt"), "one\r\ntwo\r\n");

    file = OpenForWrite("log.TXT", CREATE_ALWAYS);
    Write(file, "new");
    CloseHandle(file);
    EXPECT_EQ(ReadAll("Log.txt"), "new");
    EXPECT_EQ(ReadAll("absent.txt"), "<none>");
    EXPECT_TRUE(DeleteFileA("LOG.txt"));
    EXPECT_FALSE(DeleteFileA("Log.txt"));
    EXPECT_EQ(PlatformTestOpenHandleCount(), handles);
}

TEST_F(Files, MoveReplacesOnlyWhenAsked)
{
    auto make = [&](const char *name, const char *text) {
        HANDLE f = OpenForWrite(name, CREATE_ALWAYS);
        Write(f, text);
        CloseHandle(f);
    };
    make("a.dat", "new");
    make("b.dat", "old");
    EXPECT_FALSE(MoveFileExA("a.dat", "b.dat", 0));
    EXPECT_EQ(ReadAll("b.dat"), "old");
    EXPECT_TRUE(MoveFileExA("A.DAT", "b.dat", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadAll("b.dat"), "new");
    EXPECT_EQ(ReadAll("a.dat"), "<none>");
    EXPECT_FALSE(MoveFileExA("a.dat", "c.dat", MOVEFILE_REPLACE_EXISTING));
}

TEST_F(Files, ReadSeekSizeAndTheReadCounter)
{
    MakeFile("Data/nine.bin", "012345678");
    HANDLE file = CreateFileA("DATA\\NINE.BIN", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD high = 99;
    EXPECT_EQ(GetFileSize(file, &high), 9u);
    EXPECT_EQ(high, 0u);
    PlatformTestResetReadFileCount();
    char buffer[8];
    DWORD got = 0;
    EXPECT_EQ(SetFilePointer(file, 6, nullptr, FILE_BEGIN), 6u);
    ASSERT_TRUE(ReadFile(file, buffer, 8, &got, nullptr));
    EXPECT_EQ(got, 3u);  // a short read at the end is no failure
    EXPECT_EQ(std::string(buffer, got), "678");
    ASSERT_TRUE(ReadFile(file, buffer, 8, &got, nullptr));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(PlatformTestReadFileCount(), 2);
    EXPECT_EQ(SetFilePointer(file, -2, nullptr, FILE_END), 7u);
    EXPECT_EQ(SetFilePointer(file, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(file, "x", 1, &written, nullptr));  // opened for reading only
    CloseHandle(file);
    EXPECT_FALSE(ReadFile(file, buffer, 8, &got, nullptr));  // stale handle
    EXPECT_EQ(CreateFileA("Data", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

std::vector<std::string> Find(const std::string &pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(data.cFileName);
    while (FindNextFileA(find, &data));
    EXPECT_TRUE(FindClose(find));
    return names;
}

TEST_F(Files, FindWithWildcardsIgnoringCase)
{
    MakeFile("Set/a.txt", "1");
    MakeFile("Set/B.TXT", "22");
    MakeFile("Set/abc");
    MakeFile("Set/abd.bin");
    MakeFile("Set/x.y.txt");
    MakeFile(Utf8(u8"Set/ソ.txt"), "sjis");
    std::filesystem::create_directory(root_ / "Set/Folder");
    using V = std::vector<std::string>;
    EXPECT_EQ(Find("set\\*.TXT"), (V{"a.txt", "B.TXT", "x.y.txt", "ソ.txt"}));
    EXPECT_EQ(Find("SET/ab?"), (V{"abc"}));
    EXPECT_EQ(Find("Set\\AB*"), (V{"abc", "abd.bin"}));
    EXPECT_EQ(Find("Set\\?.txt"), (V{"a.txt", "B.TXT", "ソ.txt"}));  // one character, one or two bytes
    EXPECT_EQ(Find("Set\\*"), (V{".", "..", "a.txt", "abc", "abd.bin", "B.TXT", "Folder", "x.y.txt", "ソ.txt"}));
    EXPECT_EQ(Find("Set\\*.*"), Find("Set\\*"));
    EXPECT_EQ(Find("Set\\ソ*"), (V{"ソ.txt"}));
    EXPECT_EQ(Find("Set\\none*"), V{});
    EXPECT_EQ(Find("Missing\\*"), V{});

    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((WindowsRoot() + "\\set\\b.txt").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "B.TXT");
    EXPECT_EQ(data.nFileSizeLow, 2u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
    EXPECT_FALSE(FindNextFileA(find, &data));
    FindClose(find);
    find = FindFirstFileA("Set\\folder", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    FindClose(find);
}

TEST_F(Files, TempFileIsCreatedEmptyInTheTempFolder)
{
    const char *saved = std::getenv("TMPDIR");
    std::string savedValue = saved ? saved : "";
    setenv("TMPDIR", root_.c_str(), 1);
    char dir[256];
    DWORD length = GetTempPathA(sizeof dir, dir);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::string(dir), WindowsRoot() + "\\");
    char name[MAX_PATH];
    UINT unique = GetTempFileNameA(dir, "tmp", 0, name);
    ASSERT_NE(unique, 0u);
    std::string n(name);
    EXPECT_EQ(n.rfind(WindowsRoot() + "\\tmp", 0), 0u) << n;
    EXPECT_EQ(n.substr(n.size() - 4), ".tmp");
    char second[MAX_PATH];
    ASSERT_NE(GetTempFileNameA(dir, "tmp", 0, second), 0u);
    EXPECT_STRNE(name, second);
    EXPECT_EQ(ReadAll(name), "");
    EXPECT_TRUE(DeleteFileA(name));
    HANDLE file = OpenForWrite(name, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_EQ(GetTempFileNameA("C:\\no\\such\\folder", "tmp", 0, name), 0u);
    if (saved)
        setenv("TMPDIR", savedValue.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

}  // namespace
