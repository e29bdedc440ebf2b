#include "game/frame/game_file.h"

#include "platform/paths.h"

FILE *OpenGameFile(const char *path, const char *mode)
{
    if (path == nullptr || mode == nullptr) return nullptr;
    return PlatformOpenFile(path, mode);
}
