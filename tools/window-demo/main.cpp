// The library's window on its own, until the game entry exists: starts the library in window
// mode, pumps until the window is closed, ends the library. "Log.txt" is written to the
// current directory.
//
//   window-demo [--close-after MS]   (closes the window itself after MS milliseconds)
#include "library/base/library.h"
#include "library/base/window.h"
#include "platform/kernel32.h"
#include "platform/user32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv) {
    long closeAfter = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--close-after") == 0 && i + 1 < argc) {
            closeAfter = std::strtol(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "usage: %s [--close-after MS]\n", argv[0]);
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
    while (ProcessWindowMessages() == 0) {
        if (closeAfter >= 0 && !closed && timeGetTime() - start >= static_cast<DWORD>(closeAfter)) {
            PostMessageA(GetMainWindow(), WM_CLOSE, 0, 0);
            closed = true;
        }
        Sleep(16);   // about one frame
    }
    EndLibrary();
    return 0;
}
