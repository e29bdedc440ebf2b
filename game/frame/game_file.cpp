#include "game/frame/game_file.h"

#include <string>

#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/paths.h"

FILE *OpenGameFile(const char *path, const char *mode)
{
    if (path == nullptr || mode == nullptr) return nullptr;
    return PlatformOpenFile(path, mode);
}

bool ReplaceGameFile(const char *path, const void *bytes, size_t size)
{
    if (path == nullptr) return false;
    const std::string temp = std::string(path) + ".new";
    FILE *f = OpenGameFile(temp.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes, 1, size, f) == size;
    if (std::fclose(f) != 0 || !written || !MoveFileExA(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    return true;
}
