// A libFuzzer-style entry point for the library's own model file reader, linked with
// fuzz_driver.cpp: fuzz_model corpus/ ... The library starts once, headless.
#include "library/model/model.h"
#include "library/model/model_base.h"
#include "library/model/model_readers.h"
#include "tools/fuzz/fuzz_library.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (!FuzzLibraryStarted() || size > 0x7FFFFFFF) return 0;
    std::vector<uint8_t> image(data, data + size);
    image.push_back(0);  // the reader's image ends in one 0 byte, as LoadModel gives it
    const int base = ReadMV1File(image.data(), (int)size, "fuzz.mv1", "fuzz", "");
    if (base != -1) ReleaseModelBase(base);
    return 0;
}
