// Bringing graphs back after a lost device: every graph that came from a file is read again.
#include "library/graphics/graph.h"

#include <cstring>

#include "library/base/log.h"
#include "library/base/path.h"
#include "library/graphics/image_load.h"

void RestoreGraphsFromFiles() {
    WriteLog("グラフィックを復帰します\n");
    // The images of the previous file stay in memory while the next graphs come from it too.
    char lastPath[PATH_BUFFER_SIZE] = "";
    int lastFlag = 0, lastRead = -1;
    BASEIMAGE image{}, alpha{};
    for (int slot = 0; slot < g_graphs.usedEnd; ++slot) {
        GRAPHENTRY *entry = g_graphs.slots[slot];
        if (!entry || !entry->restoreFile) continue;
        const char *path = entry->restoreFile->path;
        if (lastRead == -1 || entry->loadFlag != lastFlag || std::strcmp(path, lastPath) != 0) {
            if (lastRead >= 0) FreeBaseImage(&image);
            if (lastRead == 0) FreeBaseImage(&alpha);
            lastRead = LoadImageWithAlphaFile(path, nullptr, 0, 0, nullptr, 0, 0, &image, &alpha, entry->loadFlag);
            lastFlag = entry->loadFlag;
            std::strncpy(lastPath, path, sizeof lastPath - 1);
            lastPath[sizeof lastPath - 1] = 0;
        }
        if (lastRead < 0) continue;
        // The path is copied before the graph's own record is renewed by the transfer.
        char own[PATH_BUFFER_SIZE];
        std::strncpy(own, lastPath, sizeof own);
        TransferBaseImageToGraph(&image, lastRead == 0 ? &alpha : nullptr, own, entry->fileX, entry->fileY,
                                 entry->handle, entry->loadFlag);
    }
    if (lastRead >= 0) FreeBaseImage(&image);
    if (lastRead == 0) FreeBaseImage(&alpha);
}
