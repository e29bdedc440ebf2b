// A libFuzzer-style entry point for the library's own model file reader, linked with
// fuzz_driver.cpp: fuzz_model corpus/ ... The library starts once, headless, so that the
// reader has its model system and textures their device.
#include "library/model/model.h"
#include "library/model/model_base.h"
#include "library/model/model_readers.h"
#include "tools/mv1write/mv1_writer.h"

#include <vector>

namespace {

int g_started;  // 0 not yet, 1 running, -1 failed to start

}  // namespace

extern "C" void FuzzerEnd() {
    if (g_started == 1) EndToolLibrary();
    g_started = 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (g_started == 0) g_started = StartToolLibrary() ? 1 : -1;
    if (g_started != 1 || size > 0x7FFFFFFF) return 0;
    std::vector<uint8_t> image(data, data + size);
    image.push_back(0);  // the reader's image ends in one 0 byte, as LoadModel gives it
    const int base = ReadMV1File(image.data(), (int)size, "fuzz.mv1", "fuzz", "");
    if (base != -1) ReleaseModelBase(base);
    return 0;
}
