// Memory streams: a BUFSTREAM reads a caller's block as the file streams read a file.
#include "library/base/memory.h"
#include "library/base/stream.h"

#include <cstring>

BUFSTREAM *OpenMemStream(const void *data, int size)
{
    if (size < 0 || (data == nullptr && size > 0)) return nullptr;
    BUFSTREAM *stream = (BUFSTREAM *)AllocMemBlock(sizeof(BUFSTREAM), __FILE__, __LINE__);
    if (stream == nullptr) return nullptr;
    stream->data = data;
    stream->size = size;
    stream->position = 0;
    stream->endFlag = 0;
    return stream;
}

int CloseMemStream(uintptr_t stream)
{
    FreeMemBlock((void *)stream);
    return 0;
}

int BufStreamTell(uintptr_t stream)
{
    return ((BUFSTREAM *)stream)->position;
}

int BufStreamSeek(uintptr_t stream, int offset, int origin)
{
    BUFSTREAM *s = (BUFSTREAM *)stream;
    int64_t target = offset;
    if (origin == 1) target += s->position;
    else if (origin == 2) target += s->size;
    if (target < 0) target = 0;
    if (target > s->size) target = s->size;
    s->position = (int)target;
    s->endFlag = 0;
    return 0;
}

// Whole elements only, as the disk files read: a rest shorter than one element is left unread
// and sets the end flag.
int BufStreamRead(void *buffer, size_t elemSize, size_t count, uintptr_t stream)
{
    BUFSTREAM *s = (BUFSTREAM *)stream;
    if (s->position >= s->size) {
        s->endFlag = 1;
        return 0;
    }
    if (elemSize == 0 || count == 0) return 0;
    size_t left = (size_t)(s->size - s->position);
    size_t n = count;
    if (n > left / elemSize) n = left / elemSize;
    if (n == 0) {
        s->endFlag = 1;
        return 0;
    }
    size_t bytes = n * elemSize;
    memcpy(buffer, (const uint8_t *)s->data + s->position, bytes);
    s->position += (int)bytes;
    s->endFlag = 0;
    return (int)n;
}

int BufStreamEof(uintptr_t stream)
{
    return ((BUFSTREAM *)stream)->endFlag;
}

int BufStreamIsIdle(uintptr_t)
{
    return 1;
}
