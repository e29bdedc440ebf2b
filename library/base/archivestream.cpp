// Reading one archive entry: stored entries straight from the archive, packed ones decoded whole.
#include "library/base/archive.h"

#include "library/base/archiveread.h"
#include "library/base/lz.h"
#include "library/base/memory.h"

#include <cstring>

static uint64_t EntryStart(const ENTRYSTREAM *stream)
{
    return (uint64_t)stream->archive->head.dataOffset + stream->entry.dataOffset;
}

static bool IsPacked(const ENTRYSTREAM *stream)
{
    return stream->archive->head.version >= 2 && stream->entry.packedSize != ARCHIVE_STORED;
}

// The entry's bytes must lie inside the archive, and its size must fit the int positions.
static bool EntryIsSound(const ENTRYSTREAM *stream)
{
    uint64_t start = EntryStart(stream);
    uint64_t size = stream->archive->imageSize;
    uint64_t stored = IsPacked(stream) ? stream->entry.packedSize : stream->entry.size;
    if (stream->entry.size > 0x7FFFFFFFu) return false;
    if (IsPacked(stream) && stored < LZBLOCK_HEAD_BYTES) return false;
    return start <= size && stored <= size - start;
}

// Decodes a packed block into a new buffer of exactly the entry's size.
static int DecodeEntry(ENTRYSTREAM *stream, const uint8_t *block)
{
    uint32_t size = stream->entry.size;
    if (DecodeLzBlock(block, stream->entry.packedSize, nullptr, 0) != (int32_t)size) return -1;
    uint8_t *decoded = (uint8_t *)AllocMemBlock(size > 0 ? size : 1, __FILE__, __LINE__);
    if (decoded == nullptr) return -1;
    if (DecodeLzBlock(block, stream->entry.packedSize, decoded, size) != (int32_t)size) {
        FreeMemBlock(decoded);
        return -1;
    }
    stream->decoded = decoded;
    return 0;
}

static void FreeBuffers(ENTRYSTREAM *stream)
{
    if (stream->decoded != nullptr) FreeMemBlock(stream->decoded);
    if (stream->packedBuffer != nullptr) FreeMemBlock(stream->packedBuffer);
    stream->decoded = stream->packedBuffer = nullptr;
}

int OpenArchiveStream(ENTRYSTREAM *stream, ARCHIVEREC *rec, const char *path, int async)
{
    memset(stream, 0, sizeof *stream);
    if (FindArchiveEntry(rec, path, &stream->entry) != 0) return -1;
    stream->archive = rec;
    stream->async = async != 0;
    if (!EntryIsSound(stream)) {
        memset(stream, 0, sizeof *stream);
        return -1;
    }
    if (!IsPacked(stream)) return 0;

    uint64_t start = EntryStart(stream);
    if (rec->memoryImage) {
        if (DecodeEntry(stream, rec->image + start) != 0) {
            memset(stream, 0, sizeof *stream);
            return -1;
        }
        return 0;
    }
    // Zeroed for an asynchronous read only: the file is shared by every stream of the archive, so
    // a short read there leaves zeros instead of being told apart (see PollArchiveStream).
    stream->packedBuffer = async ? (uint8_t *)AllocMemBlockZero(stream->entry.packedSize, __FILE__, __LINE__)
                                 : (uint8_t *)AllocMemBlock(stream->entry.packedSize, __FILE__, __LINE__);
    if (stream->packedBuffer == nullptr) {
        memset(stream, 0, sizeof *stream);
        return -1;
    }
    if (stream->async) {
        if (DiskFileSeek(rec->file, (int)start, 0) != 0 ||
            (uint32_t)DiskFileRead(stream->packedBuffer, 1, stream->entry.packedSize, rec->file) !=
                stream->entry.packedSize) {
            FreeBuffers(stream);
            memset(stream, 0, sizeof *stream);
            return -1;
        }
        stream->pending = 1;
        stream->readPosition = start;
        return 0;
    }
    int result = ReadArchiveData((int64_t)start, rec->file, stream->packedBuffer, stream->entry.packedSize, rec->key);
    if (result == 0) result = DecodeEntry(stream, stream->packedBuffer);
    FreeMemBlock(stream->packedBuffer);
    stream->packedBuffer = nullptr;
    if (result != 0) {
        FreeBuffers(stream);
        memset(stream, 0, sizeof *stream);
        return -1;
    }
    return 0;
}

int PollArchiveStream(ENTRYSTREAM *stream)
{
    if (!stream->async || stream->pending == 0) return 1;
    DISKFILE *file = stream->archive->file;
    if (!DiskFileIsIdle(file)) return 0;
    // The file is shared by every stream of the archive, so its last read count may be another
    // stream's: the buffers were zeroed before the read instead, and a short read leaves zeros.
    if (stream->pending == 1) {
        XorArchiveData(stream->entry.packedSize, stream->packedBuffer, stream->readPosition, stream->archive->key);
        if (DecodeEntry(stream, stream->packedBuffer) != 0) stream->failed = 1;
        FreeMemBlock(stream->packedBuffer);
        stream->packedBuffer = nullptr;
    } else {
        XorArchiveData(stream->pendingSize, stream->pendingDest, stream->readPosition, stream->archive->key);
    }
    stream->pending = 0;
    return 1;
}

static void WaitArchiveStream(ENTRYSTREAM *stream)
{
    while (PollArchiveStream(stream) == 0) Sleep(1);
}

size_t ReadArchiveStream(ENTRYSTREAM *stream, void *dest, size_t count)
{
    WaitArchiveStream(stream);
    if (stream->endFlag) return 0;
    uint32_t remaining = stream->failed ? 0 : stream->entry.size - (uint32_t)stream->position;
    if (remaining == 0) {
        stream->endFlag = 1;
        return 0;
    }
    uint32_t n = count < remaining ? (uint32_t)count : remaining;
    ARCHIVEREC *rec = stream->archive;
    if (stream->decoded != nullptr) {
        memcpy(dest, stream->decoded + stream->position, n);
    } else if (rec->memoryImage) {
        memcpy(dest, rec->image + EntryStart(stream) + stream->position, n);
    } else {
        uint64_t at = EntryStart(stream) + (uint32_t)stream->position;
        if ((uint64_t)DiskFileTell(rec->file) != at && DiskFileSeek(rec->file, (int)at, 0) != 0) return 0;
        if (stream->async) {
            memset(dest, 0, n);
            if ((uint32_t)DiskFileRead(dest, 1, n, rec->file) != n) return 0;
            stream->pending = 2;
            stream->readPosition = at;
            stream->pendingDest = dest;
            stream->pendingSize = n;
        } else if (ReadArchiveData(-1, rec->file, dest, n, rec->key) != 0) {
            return 0;
        }
    }
    stream->position += (int32_t)n;
    stream->endFlag = 0;
    return n;
}

int SeekArchiveStream(ENTRYSTREAM *stream, int offset, int origin)
{
    WaitArchiveStream(stream);
    int64_t target = offset;
    if (origin == 1) target += stream->position;
    else if (origin == 2) target += stream->entry.size;
    if (target < 0) target = 0;
    if (target > stream->entry.size) target = stream->entry.size;
    stream->position = (int32_t)target;
    stream->endFlag = 0;
    return 0;
}

int TellArchiveStream(ENTRYSTREAM *stream)
{
    WaitArchiveStream(stream);
    return stream->position;
}

int EofArchiveStream(ENTRYSTREAM *stream)
{
    WaitArchiveStream(stream);
    return stream->endFlag ? -1 : 0;
}

int CloseArchiveStream(ENTRYSTREAM *stream)
{
    if (stream->archive != nullptr) WaitArchiveStream(stream);
    FreeBuffers(stream);
    memset(stream, 0, sizeof *stream);
    return 0;
}
