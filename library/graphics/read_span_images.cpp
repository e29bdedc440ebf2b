// The four simple readers over a stream: a look at the first bytes, then the whole file in memory
// for the byte-span decoder.
#include <cstring>

#include "library/base/memory.h"
#include "library/base/stream.h"
#include "library/graphics/image_readers.h"

namespace {

typedef int (*SpanDecoder)(const uint8_t *file, size_t size, BASEIMAGE *out);

// Reads the stream from 0 to its end and decodes it; -1 when it cannot be read whole.
int DecodeWholeStream(STREAMREF *s, SpanDecoder decode, BASEIMAGE *out) {
    if (s->Seek(s->handle, 0, 2) != 0) return -1;
    int size = s->Tell(s->handle);
    if (s->Seek(s->handle, 0, 0) != 0 || size <= 0) return -1;
    uint8_t *file = (uint8_t *)MEM_ALLOC((size_t)size);
    if (file == nullptr) return -1;
    int result = -1;
    if (s->Read(file, 1, (size_t)size, s->handle) == size) result = decode(file, (size_t)size, out);
    MEM_FREE(file);
    return result;
}

// The first `n` bytes of the stream, rewound afterwards; false when it is shorter.
bool PeekStream(STREAMREF *s, void *buffer, int n) {
    bool ok = s->Read(buffer, 1, (size_t)n, s->handle) == n;
    s->Seek(s->handle, 0, 0);
    return ok;
}

}  // namespace

int ReadBmpImage(STREAMREF *stream, BASEIMAGE *out) {
    char magic[2];
    if (!PeekStream(stream, magic, 2) || magic[0] != 'B' || magic[1] != 'M') return -1;
    return DecodeWholeStream(stream, DecodeBmpImage, out);
}

int ReadBgraImage(STREAMREF *stream, BASEIMAGE *out) {
    char magic[4];
    if (!PeekStream(stream, magic, 4) || std::memcmp(magic, "BGRA", 4) != 0) return -1;
    return DecodeWholeStream(stream, DecodeBgraImage, out);
}

int ReadTgaImage(STREAMREF *stream, BASEIMAGE *out) {
    uint8_t header[18];
    if (!PeekStream(stream, header, 18)) return -1;
    int type = header[2];
    if (type != 1 && type != 2 && type != 9 && type != 10) return -1;
    return DecodeWholeStream(stream, DecodeTgaImage, out);
}

int ReadDdsImage(STREAMREF *stream, BASEIMAGE *out) {
    char magic[3];
    if (!PeekStream(stream, magic, 3) || std::memcmp(magic, "DDS", 3) != 0) return -1;
    return DecodeWholeStream(stream, DecodeDdsImage, out);
}
