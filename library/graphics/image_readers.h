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

struct STREAMREF;

// The readers of the reader chain: each looks at the stream (positioned at 0, `out` zeroed) and
// either accepts it (0, the record filled) or refuses it (-1, nothing left allocated).
int ReadBmpImage(STREAMREF *stream, BASEIMAGE *out);
int ReadJpegImage(STREAMREF *stream, BASEIMAGE *out);
int ReadPngImage(STREAMREF *stream, BASEIMAGE *out);
int ReadBgraImage(STREAMREF *stream, BASEIMAGE *out);
int ReadTgaImage(STREAMREF *stream, BASEIMAGE *out);
int ReadDdsImage(STREAMREF *stream, BASEIMAGE *out);
