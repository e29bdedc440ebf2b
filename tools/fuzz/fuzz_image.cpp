// A libFuzzer-style entry point for one image reader (FUZZ_READER), linked with fuzz_driver.cpp
// so that GCC builds can run a corpus by hand: fuzz_bmp corpus/ ...
#include <cstddef>
#include <cstdint>

#include "library/base/stream.h"
#include "library/graphics/image_load.h"
#include "library/graphics/image_readers.h"

#ifndef FUZZ_READER
#define FUZZ_READER ReadImageByReaders
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > 0x7FFFFFFF) return 0;
    BUFSTREAM *stream = OpenMemStream(data, (int)size);
    if (stream == nullptr) return 0;
    STREAMREF ref;
    MakeStreamRef(&ref, GetMemStreamFuncs(), (uintptr_t)stream);
    BASEIMAGE image{};  // a reader that refuses at its magic check leaves it as it was
    if (FUZZ_READER(&ref, &image) == 0) {
        // Touch the corners and expand block-compressed data as a first pixel access would.
        ReadBaseImagePixel(&image, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ReadBaseImagePixel(&image, image.width - 1, image.height - 1, nullptr, nullptr, nullptr, nullptr);
    }
    FreeBaseImage(&image);
    CloseMemStream((uintptr_t)stream);
    return 0;
}
