// The library's window on its own, until the game entry exists: starts the library in window
// mode, pumps until the window is closed, ends the library. "Log.txt" is written to the
// current directory.
//
//   window-demo [--close-after MS] [--print-keys]
//     --close-after MS   closes the window itself after MS milliseconds
//     --print-keys       prints "key <code> down" / "key <code> up" as the library's key
//                        states change, so typing into the window can be checked from outside
#include "library/base/input.h"
#include "library/base/library.h"
#include "library/base/window.h"
#include "platform/kernel32/kernel32.h"
#include "platform/user32/user32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv) {
    long closeAfter = -1;
    bool printKeys = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--close-after") == 0 && i + 1 < argc) {
            closeAfter = std::strtol(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--print-keys") == 0) {
            printKeys = true;
        } else {
            std::fprintf(stderr, "usage: %s [--close-after MS] [--print-keys]\n", argv[0]);
            return 2;
        }
    }

    ChangeWindowMode(1);
    SetMainWindowTitle("Brisgal");
    if (InitLibrary() == -1) {
        std::fprintf(stderr, "the library did not start (see Log.txt)\n");
        return 1;
    }
    DWORD start = timeGetTime();
    bool closed = false;
    char was[256] = {};
    if (printKeys) {
        std::printf("ready\n");
        std::fflush(stdout);
    }
    while (ProcessWindowMessages() == 0) {
        if (printKeys) {
            char now[256];
            GetAllKeyStates(now);
            for (int k = 0; k < 256; ++k) {
                if (now[k] != was[k]) std::printf("key %d %s\n", k, now[k] ? "down" : "up");
            }
            std::memcpy(was, now, sizeof was);
            std::fflush(stdout);
        }
        if (closeAfter >= 0 && !closed && timeGetTime() - start >= static_cast<DWORD>(closeAfter)) {
            PostMessageA(GetMainWindow(), WM_CLOSE, 0, 0);
            closed = true;
        }
        Sleep(16);   // about one frame
    }
    EndLibrary();
    return 0;
}
