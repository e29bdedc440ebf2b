// Path arithmetic: full, split and relative paths over Shift-JIS text, and the temporary file.
#include "library/base/path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct FullCase {
    const char *path, *dir;
    bool unc;
    int result;
    const char *full;
};

TEST(Path, BuildFullPathCases) {
    // "\x83\x5c" is a Shift-JIS character whose second byte is the separator's byte.
    const FullCase cases[] = {
        {"..\\a", "C:\\x\\y", false, 0, "C:\\x\\a"},
        {"..\\..\\..\\a", "C:\\x\\y", false, 0, "C:\\a"},
        {"a\\\\b", "C:\\x", false, -1, ""},
        {"\\a\\b", "D:\\x\\y", false, 0, "D:\\a\\b"},
        {"E:\\a\\.\\b", "C:\\x", false, 0, "E:\\a\\b"},
        {"E:a", "C:\\x", false, 0, "E:\\a"},
        {"a/b/", "C:\\x\\", false, 0, "C:\\x\\a\\b"},
        {"", "C:\\x", false, 0, "C:\\x"},
        {"\x83\x5c\\b", "C:\\x", false, 0, "C:\\x\\\x83\x5c\\b"},
        {"..\\\x83\x5c", "C:\\\x83\x5c", false, 0, "C:\\\x83\x5c"},
        {"\\\\srv\\share\\f", "C:\\x", true, 0, "\\\\srv\\share\\f"},
        {"\\\\srv\\share\\f", "C:\\x", false, -1, ""},
        {"//srv/share/../f", "C:\\x", true, 0, "\\\\srv\\f"},
    };
    for (const FullCase &c : cases) {
        char out[PATH_BUFFER_SIZE] = {};
        int r = c.unc ? BuildFullPathUnc(c.path, out, c.dir) : BuildFullPath(c.path, out, c.dir);
        EXPECT_EQ(r, c.result) << c.path;
        if (r == 0) {
            EXPECT_STREQ(out, c.full) << c.path;
        }
    }
    char out[PATH_BUFFER_SIZE];
    EXPECT_EQ(BuildFullPath(nullptr, out, "C:\\x\\"), 0);
    EXPECT_STREQ(out, "C:\\x\\");
    std::string longPath(2000, 'a');
    EXPECT_EQ(BuildFullPath(longPath.c_str(), out, "C:\\x"), -1);
}

TEST(Path, SplitAndTakeComponents) {
    char name[PATH_BUFFER_SIZE], folder[PATH_BUFFER_SIZE];
    SplitFilePath("C:\\g\\m\\t.png", name, folder);
    EXPECT_STREQ(name, "t.png");
    EXPECT_STREQ(folder, "C:\\g\\m");
    SplitFilePath("t.png", name, folder);
    EXPECT_STREQ(name, "t.png");
    EXPECT_STREQ(folder, "");
    SplitFilePath("a\\\x95\x5c.txt", name, folder);  // 表.txt: the trail byte is not a separator
    EXPECT_STREQ(name, "\x95\x5c.txt");
    EXPECT_STREQ(folder, "a");
    SplitFilePath("C:x", name, nullptr);
    EXPECT_STREQ(name, "x");

    char out[PATH_BUFFER_SIZE];
    EXPECT_EQ(TakeRootComponent("C:\\g", out), 2);
    EXPECT_STREQ(out, "C:");
    EXPECT_EQ(TakeRootComponent("\\\\srv\\share", out), 5);
    EXPECT_STREQ(out, "\\\\srv");
    EXPECT_EQ(TakePathComponent("\x83\x5cz\\y", out), 3);
    EXPECT_STREQ(out, "\x83\x5cz");
    EXPECT_EQ(TakePathComponent("", out), 0);
}

TEST(Path, RelativePathCases) {
    const struct {
        const char *path, *base, *relative;
    } cases[] = {
        {"C:\\g\\m\\t.png", "C:\\g\\m", "t.png"},
        {"C:\\g\\m\\t.png", "C:\\g\\n", "..\\m\\t.png"},
        {"C:\\g\\m\\t.png", "D:\\g", "C:\\g\\m\\t.png"},
        {"C:\\g\\t.png", "C:\\g\\m", "..\\t.png"},  // an empty folder rest gives no doubled separator
        {"C:\\g\\m\\x\\t.png", "C:\\g\\m\\", "x\\t.png"},
        {"C:\\t.png", "C:\\a\\b", "..\\..\\t.png"},
    };
    for (const auto &c : cases) {
        char out[PATH_BUFFER_SIZE];
        EXPECT_EQ(BuildRelativePath(c.path, c.base, out), 0) << c.path;
        EXPECT_STREQ(out, c.relative) << c.path << " against " << c.base;
        // The result leads back to the path.
        char back[PATH_BUFFER_SIZE];
        if (c.relative[1] != ':') {
            ASSERT_EQ(BuildFullPath(out, back, c.base), 0);
            EXPECT_STREQ(back, c.path);
        }
    }
}

TEST(Path, TemporaryFileIsEmptyWritableAndFull) {
    char path[MAX_PATH] = {};
    HANDLE file = OpenNewTempFile(path);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(path[1], ':');
    EXPECT_EQ(path[2], '\\');
    EXPECT_NE(std::string(path).find("tmp"), std::string::npos);
    EXPECT_EQ(GetFileSize(file, nullptr), 0u);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, "abc", 3, &written, nullptr));
    EXPECT_EQ(written, 3u);
    CloseHandle(file);
    HANDLE again = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(again, nullptr), 3u);
    CloseHandle(again);
    EXPECT_TRUE(DeleteFileA(path));
}

}  // namespace
