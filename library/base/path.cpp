// Full, split and relative paths, and the empty temporary file.
#include "library/base/path.h"

#include "library/base/pathchar.h"
#include "library/base/stream.h"

#include <cstring>

namespace {

// A bounded result buffer: an append that does not fit marks it failed.
struct PathOut {
    char *text;
    size_t length;
    bool failed;

    void Append(const char *bytes, size_t count)
    {
        if (failed || length + count >= PATH_BUFFER_SIZE) {
            failed = true;
            return;
        }
        memcpy(text + length, bytes, count);
        length += count;
        text[length] = '\0';
    }
    void Append(const char *s) { Append(s, strlen(s)); }
};

// Offset of the last separator in s (stepping over two-byte characters), or -1.
int LastSeparator(const char *s, bool withColon)
{
    int last = -1;
    for (int i = 0; s[i] != '\0';) {
        if (IsPathSeparator(s[i]) || (withColon && s[i] == ':')) last = i;
        i += PathCharLength(s + i);
    }
    return last;
}

int BuildFull(const char *path, char *outText, const char *currentDir, bool unc)
{
    char dir[FILE_DIR_BUFFER];
    if (currentDir == nullptr) {
        if (GetDataFileDir(dir) != 0) return -1;
        currentDir = dir;
    }
    PathOut out = {outText, 0, false};
    outText[0] = '\0';
    if (path == nullptr) {
        out.Append(currentDir);
        return out.failed ? -1 : 0;
    }

    // The start of the result.
    const char *rest = path;
    if (unc && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        out.Append("\\");
        rest = path + 2;
    } else if (IsPathSeparator(path[0])) {
        out.Append(currentDir, strnlen(currentDir, 2));
        rest = path + 1;
    } else if (path[0] != '\0' && path[1] == ':') {
        out.Append(path, 2);
        rest = path + 2;
        if (IsPathSeparator(*rest)) rest++;
    } else {
        size_t length = strlen(currentDir);
        if (length > 0 && IsPathSeparator(currentDir[length - 1]) && LastSeparator(currentDir, false) == (int)length - 1)
            length--;
        out.Append(currentDir, length);
    }
    size_t floor = 0;  // ".." never removes the drive
    for (size_t i = 0; i < out.length; i++)
        if (out.text[i] == ':') floor = i + 1;

    // The components.
    while (*rest != '\0' && !out.failed) {
        const char *end = rest;
        while (*end != '\0' && !IsPathSeparator(*end)) end += PathCharLength(end);
        size_t length = (size_t)(end - rest);
        if (length == 0) return -1;
        if (length == 1 && rest[0] == '.') {
        } else if (length == 2 && rest[0] == '.' && rest[1] == '.') {
            int cut = LastSeparator(out.text, false);
            if (cut >= (int)floor) {
                out.length = (size_t)cut;
                out.text[cut] = '\0';
            }
        } else {
            out.Append("\\");
            out.Append(rest, length);
        }
        rest = *end != '\0' ? end + 1 : end;
    }
    return out.failed ? -1 : 0;
}

}  // namespace

int BuildFullPath(const char *path, char *out, const char *currentDir)
{
    return BuildFull(path, out, currentDir, false);
}

int BuildFullPathUnc(const char *path, char *out, const char *currentDir)
{
    return BuildFull(path, out, currentDir, true);
}

int SplitFilePath(const char *path, char *name, char *folder)
{
    int cut = LastSeparator(path, true);
    if (name != nullptr) {
        const char *n = path + cut + 1;
        size_t length = strnlen(n, PATH_BUFFER_SIZE - 1);
        memcpy(name, n, length);
        name[length] = '\0';
    }
    if (folder != nullptr) {
        size_t length = cut < 0 ? 0 : (size_t)cut;
        if (length > PATH_BUFFER_SIZE - 1) length = PATH_BUFFER_SIZE - 1;
        memcpy(folder, path, length);
        folder[length] = '\0';
    }
    return 0;
}

static int CopyComponent(const char *path, int start, char *out)
{
    int i = start;
    while (path[i] != '\0' && !IsPathSeparator(path[i]) && i < PATH_BUFFER_SIZE - 2) i += PathCharLength(path + i);
    if (out != nullptr) {
        memcpy(out, path, (size_t)i);
        out[i] = '\0';
    }
    return i;
}

int TakeRootComponent(const char *path, char *out)
{
    int start = 0;
    if (IsPathSeparator(path[0])) start = path[1] != '\0' ? 2 : 1;
    return CopyComponent(path, start, out);
}

int TakePathComponent(const char *path, char *out)
{
    return CopyComponent(path, 0, out);
}

int BuildRelativePath(const char *path, const char *baseFolder, char *out)
{
    char full[PATH_BUFFER_SIZE], folder[PATH_BUFFER_SIZE], name[PATH_BUFFER_SIZE], base[PATH_BUFFER_SIZE];
    out[0] = '\0';
    if (BuildFullPathUnc(path, full, nullptr) != 0) return -1;
    if (BuildFullPathUnc(baseFolder, base, nullptr) != 0) return -1;
    SplitFilePath(full, name, folder);
    size_t baseLength = strlen(base);
    if (baseLength > 0 && IsPathSeparator(base[baseLength - 1]) && LastSeparator(base, false) == (int)baseLength - 1)
        base[baseLength - 1] = '\0';

    PathOut result = {out, 0, false};
    char a[PATH_BUFFER_SIZE], b[PATH_BUFFER_SIZE];
    int ia = TakeRootComponent(folder, a);
    int ib = TakeRootComponent(base, b);
    if (strcmp(a, b) != 0) {
        result.Append(full);
        return result.failed ? -1 : 0;
    }
    // Walk both folders while their components agree.
    for (;;) {
        while (IsPathSeparator(folder[ia])) ia++;
        while (IsPathSeparator(base[ib])) ib++;
        if (folder[ia] == '\0' || base[ib] == '\0') break;
        int la = TakePathComponent(folder + ia, a);
        int lb = TakePathComponent(base + ib, b);
        if (strcmp(a, b) != 0) break;
        ia += la;
        ib += lb;
    }
    // One "..\" per component of the base left, then the rest of the folder and the name, with a
    // separator only between non-empty parts.
    while (base[ib] != '\0') {
        ib += TakePathComponent(base + ib, nullptr);
        while (IsPathSeparator(base[ib])) ib++;
        result.Append("..\\");
    }
    if (folder[ia] != '\0') {
        result.Append(folder + ia);
        result.Append("\\");
    }
    result.Append(name);
    return result.failed ? -1 : 0;
}

HANDLE OpenNewTempFile(char *pathOut)
{
    char dir[MAX_PATH + 1], name[MAX_PATH], full[PATH_BUFFER_SIZE];
    DWORD length = GetTempPathA(256, dir);
    if (length == 0 || length >= 256) return nullptr;
    if (!IsPathSeparator(dir[length - 1]) || LastSeparator(dir, false) != (int)length - 1) strcat(dir, "\\");
    if (GetTempFileNameA(dir, "tmp", 0, name) == 0) return nullptr;
    if (BuildFullPath(name, full, nullptr) != 0 || strlen(full) >= MAX_PATH) {
        DeleteFileA(name);
        return nullptr;
    }
    DeleteFileA(full);
    HANDLE file = CreateFileA(full, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    if (pathOut != nullptr) strcpy(pathOut, full);
    return file;
}
