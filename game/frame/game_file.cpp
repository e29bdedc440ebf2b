#include "game/frame/game_file.h"

#include <string>

#include "platform/paths.h"

FILE *OpenGameFile(const char *path, const char *mode)
{
    if (path == nullptr || mode == nullptr) return nullptr;
    return PlatformOpenFile(path, mode);
}

bool ReplaceGameFile(const char *path, const void *bytes, size_t size)
{
    std::string host;
    if (path == nullptr || !PlatformMapPath(path, &host)) return false;
    const std::string temp = host + ".new";
    FILE *f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes, 1, size, f) == size;
    if (std::fclose(f) != 0 || !written || std::rename(temp.c_str(), host.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}
