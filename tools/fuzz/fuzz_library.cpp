#include "tools/fuzz/fuzz_library.h"

#include "tools/mv1write/mv1_writer.h"

namespace {

int g_started;  // 0 not yet, 1 running, -1 failed to start

}  // namespace

bool FuzzLibraryStarted() {
    if (g_started == 0) g_started = StartToolLibrary() ? 1 : -1;
    return g_started == 1;
}

extern "C" void FuzzerEnd() {
    if (g_started == 1) EndToolLibrary();
    g_started = 0;
}
