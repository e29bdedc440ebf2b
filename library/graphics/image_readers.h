// The six image readers and the byte-span decoders under the four simple ones.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/graphics/base_image.h"

// Each decodes a whole file held in memory into `out` (zeroed first): 0, or -1 with nothing
// left allocated.
int DecodeBmpImage(const uint8_t *file, size_t size, BASEIMAGE *out);
int DecodeTgaImage(const uint8_t *file, size_t size, BASEIMAGE *out);
int DecodeDdsImage(const uint8_t *file, size_t size, BASEIMAGE *out);
int DecodeBgraImage(const uint8_t *file, size_t size, BASEIMAGE *out);
