// The temporary folder and unique temporary file names ("<prefix><hex>.tmp").
#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/paths.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

std::atomic<unsigned> g_nextUnique{0};

DWORD CopyOut(const std::string &text, DWORD size, LPSTR buffer)
{
    if (!buffer || size <= text.size())
        return static_cast<DWORD>(text.size() + 1);
    text.copy(buffer, text.size());
    buffer[text.size()] = '\0';
    return static_cast<DWORD>(text.size());
}

}  // namespace

DWORD GetTempPathA(DWORD size, LPSTR buffer)
{
    const char *dir = std::getenv("TMPDIR");
    std::string host = dir && *dir == '/' ? dir : "/tmp";
    std::string windows;
    if (!PlatformHostToWindowsPath(host, &windows))
        return 0;
    if (windows.back() != '\\')
        windows += '\\';
    return CopyOut(windows, size, buffer);
}

UINT GetTempFileNameA(LPCSTR dir, LPCSTR prefix, UINT unique, LPSTR name)
{
    if (!dir || !name)
        return 0;
    std::string base(dir);
    if (!base.empty() && base.back() != '\\' && base.back() != '/')
        base += '\\';
    std::string pre = prefix ? std::string(prefix).substr(0, 3) : std::string();
    auto nameFor = [&](unsigned number) {
        char tail[16];
        std::snprintf(tail, sizeof tail, "%X.tmp", number & 0xFFFF);
        return base + pre + tail;
    };
    if (unique != 0) {
        // A given number only forms the name; nothing is created.
        std::string full = nameFor(unique);
        if (full.size() >= MAX_PATH)
            return 0;
        std::strcpy(name, full.c_str());
        return unique & 0xFFFF;
    }
    unsigned seed = static_cast<unsigned>(getpid()) * 2654435761u + g_nextUnique.fetch_add(1) * 40503u;
    for (unsigned attempt = 0; attempt < 0x10000; ++attempt) {
        unsigned number = (seed + attempt) & 0xFFFF;
        if (number == 0)
            continue;
        std::string full = nameFor(number);
        if (full.size() >= MAX_PATH)
            return 0;
        HANDLE file = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetFileAttributesA(full.c_str()) == INVALID_FILE_ATTRIBUTES)
                return 0;  // not a name clash: the folder is missing or unwritable
            continue;
        }
        CloseHandle(file);
        std::strcpy(name, full.c_str());
        return number;
    }
    return 0;
}
