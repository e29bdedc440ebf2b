// The number of blocks the library allocator holds, read from its dump, so that a test can see
// that a failed load left none behind. The dump goes through the log capture: take what the
// capture holds before calling this.
#pragma once

#include "library/base/memory.h"
#include "platform/testing.h"

#include <string>

inline int LiveMemBlocks() {
    PlatformTestTakeDebugOutput();
    DumpMemBlocks();
    const std::string dump = PlatformTestTakeDebugOutput();
    const size_t at = dump.rfind("Alloc num:");
    return at == std::string::npos ? -1 : std::stoi(dump.substr(at + 10));
}
