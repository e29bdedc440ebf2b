// Folder searches: FindFirstFileA / FindNextFileA / FindClose.
// The folder is read once at FindFirstFileA; entries come "." and ".." first (no ".." at the
// root), then by name ignoring case. Names that cannot be written in Shift-JIS are left out.
#include "platform/kernel32/fileinfo.h"
#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/objects.h"
#include "platform/kernel32/paths.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace platform {
namespace {

struct FindObject : KernelObject {
    FindObject() : KernelObject(ObjectKind::Find) {}
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next = 0;
};

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Length of the character at s[i] (two for a Shift-JIS pair).
size_t CharLength(std::string_view s, size_t i)
{
    return PlatformIsShiftJisLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// '*' any run of characters, '?' one character; ASCII case ignored.
bool Matches(std::string_view pattern, std::string_view name)
{
    if (pattern.empty())
        return name.empty();
    if (pattern[0] == '*') {
        std::string_view rest = pattern.substr(1);
        for (size_t i = 0;; i += CharLength(name, i)) {
            if (Matches(rest, name.substr(i)))
                return true;
            if (i >= name.size())
                return false;
        }
    }
    if (name.empty())
        return false;
    size_t p = CharLength(pattern, 0), n = CharLength(name, 0);
    if (pattern[0] == '?')
        return Matches(pattern.substr(1), name.substr(n));
    if (p != n)
        return false;
    for (size_t i = 0; i < p; ++i)
        if (Fold(pattern[i]) != Fold(name[i]))
            return false;
    return Matches(pattern.substr(p), name.substr(n));
}

bool MatchesPattern(std::string_view pattern, std::string_view name)
{
    // "*.*" is the platform's "everything", also names without a dot.
    if (pattern == "*.*")
        return true;
    return Matches(pattern, name);
}

bool LessIgnoringCase(const WIN32_FIND_DATAA &a, const WIN32_FIND_DATAA &b)
{
    auto rank = [](const char *name) { return std::strcmp(name, ".") == 0 ? 0 : std::strcmp(name, "..") == 0 ? 1 : 2; };
    int ra = rank(a.cFileName), rb = rank(b.cFileName);
    if (ra != rb)
        return ra < rb;
    for (size_t i = 0;; ++i) {
        char x = Fold(a.cFileName[i]), y = Fold(b.cFileName[i]);
        if (x != y || !x)
            return x != y ? static_cast<unsigned char>(x) < static_cast<unsigned char>(y)
                          : std::strcmp(a.cFileName, b.cFileName) < 0;
    }
}

// The last component of a Windows path and where it starts.
size_t LeafStart(std::string_view path)
{
    size_t start = 0;
    for (size_t i = 0; i < path.size(); i += CharLength(path, i))
        if (path[i] == '\\' || path[i] == '/' || (i == 1 && path[i] == ':'))
            start = i + 1;
    return start;
}

}  // namespace
}  // namespace platform

using namespace platform;

HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA *data)
{
    if (!pattern || !data)
        return INVALID_HANDLE_VALUE;
    std::string_view full(pattern);
    size_t leafStart = LeafStart(full);
    std::string_view leaf = full.substr(leafStart);
    if (leaf.empty())
        return INVALID_HANDLE_VALUE;
    // "x" and "C:x" search the current folder.
    bool here = leafStart == 0 || (leafStart == 2 && full[1] == ':');
    if (leafStart == 2 && full[1] == ':' && full[0] != 'C' && full[0] != 'c')
        return INVALID_HANDLE_VALUE;  // only drive C exists
    std::string folder = here ? std::string(".") : std::string(full.substr(0, leafStart));
    std::string host;
    if (!PlatformMapPath(folder.c_str(), &host))
        return INVALID_HANDLE_VALUE;
    DIR *dir = opendir(host.c_str());
    if (!dir)
        return INVALID_HANDLE_VALUE;

    auto search = std::make_shared<FindObject>();
    while (dirent *entry = readdir(dir)) {
        std::string_view hostName(entry->d_name);
        if (hostName == ".." && host == "/")
            continue;
        std::string name;
        if (!PlatformUtf8ToShiftJis(hostName, &name) || name.size() >= MAX_PATH || !MatchesPattern(leaf, name))
            continue;
        struct statx sx;
        if (statx(dirfd(dir), entry->d_name, AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
            continue;
        WIN32_FIND_DATAA found{};
        found.dwFileAttributes = FileAttributesFromMode(sx.stx_mode);
        uint64_t size = S_ISDIR(sx.stx_mode) ? 0 : sx.stx_size;
        found.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        found.nFileSizeLow = static_cast<DWORD>(size);
        auto toFileTime = [](const statx_timestamp &t) {
            timespec ts{static_cast<time_t>(t.tv_sec), static_cast<long>(t.tv_nsec)};
            return FileTimeFromHost(ts);
        };
        found.ftLastWriteTime = toFileTime(sx.stx_mtime);
        found.ftLastAccessTime = toFileTime(sx.stx_atime);
        // Not every file system keeps a birth time; the last write is the nearest fact then.
        found.ftCreationTime = (sx.stx_mask & STATX_BTIME) ? toFileTime(sx.stx_btime) : found.ftLastWriteTime;
        name.copy(found.cFileName, name.size());
        search->entries.push_back(found);
    }
    closedir(dir);
    if (search->entries.empty())
        return INVALID_HANDLE_VALUE;
    std::sort(search->entries.begin(), search->entries.end(), LessIgnoringCase);
    *data = search->entries[0];
    search->next = 1;
    return RegisterObject(search);
}

BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA *data)
{
    auto search = LookupObjectAs<FindObject>(find, ObjectKind::Find);
    if (!search || !data || search->next >= search->entries.size())
        return FALSE;
    *data = search->entries[search->next++];
    return TRUE;
}

BOOL FindClose(HANDLE find)
{
    if (!LookupObjectAs<FindObject>(find, ObjectKind::Find))
        return FALSE;
    return CloseHandle(find);
}
