// WAVE files: the chunk walk shared by both WAVE readers, PCM data read straight from the
// stream, and coded data handed to the compression manager.
#include <cstring>

#include "library/base/memory.h"
#include "library/sound/pcm_readers.h"

namespace {

// Bigger fmt bodies than this are not wave formats (the largest known is a few dozen bytes).
constexpr uint32_t kMaxFormatChunk = 4096;
// One second of PCM is the block size; very fast formats read in pieces of at most this.
constexpr int32_t kMaxWaveBlock = 1 << 20;

uint32_t Le32(const uint8_t *p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24; }

// Reads the header up to the data; the fmt body goes into a new block of at least 18 bytes
// (zero past the body). The walk stops on a short read and on any skip past the stream's end.
int WalkWave(PCMCONV *c, uint8_t **format) {
    *format = nullptr;
    const STREAMREF *s = &c->stream;
    const int64_t size = StreamSize(s);
    uint8_t h[12];
    if (size < 20 || StreamReadBytes(s, h, 12) != 12) return -1;
    if (memcmp(h, "RIFF", 4) != 0 || memcmp(h + 8, "WAVE", 4) != 0) return -1;
    if (StreamReadBytes(s, h, 8) != 8 || memcmp(h, "fmt ", 4) != 0) return -1;
    uint32_t fmtSize = Le32(h + 4);
    if (fmtSize < 16 || fmtSize > kMaxFormatChunk || 20 + (int64_t)fmtSize > size) return -1;
    c->formatPosition = 20;
    c->formatSize = (int32_t)fmtSize;
    uint8_t *body = (uint8_t *)MEM_ALLOC_ZERO(fmtSize < 18 ? 18 : fmtSize);
    if (!body) return -1;
    if (StreamReadBytes(s, body, (int)fmtSize) != (int)fmtSize) {
        MEM_FREE(body);
        return -1;
    }
    int64_t at = 20 + (int64_t)((fmtSize + 1) & ~1u);
    for (;;) {
        if (at + 8 > size || s->Seek(s->handle, (int)at, 0) != 0 || StreamReadBytes(s, h, 8) != 8) break;
        uint32_t chunk = Le32(h + 4);
        if (memcmp(h, "data", 4) == 0) {
            c->dataStart = (int32_t)(at + 8);
            int64_t rest = size - (at + 8);
            c->dataSize = (int32_t)(chunk < rest ? chunk : rest);
            *format = body;
            return 0;
        }
        at += 8 + (int64_t)chunk + (chunk & 1);
    }
    MEM_FREE(body);
    return -1;
}

}  // namespace

int OpenWaveSource(PCMCONV *c) {
    uint8_t *body;
    if (WalkWave(c, &body) != 0) return -1;
    WAVEFORMATEX f{};
    memcpy(&f, body, c->formatSize < 18 ? (size_t)c->formatSize : 18);
    MEM_FREE(body);
    if (f.wFormatTag != WAVE_FORMAT_PCM || f.nChannels < 1 || f.nBlockAlign < 1 || f.nSamplesPerSec < 1)
        return -1;
    f.cbSize = 0;
    if (c->formatSize == 16) f.wBitsPerSample = (WORD)(f.nBlockAlign / f.nChannels * 8);
    uint64_t avg = (uint64_t)f.nSamplesPerSec * f.nBlockAlign;
    if (avg > 0x7FFFFFFF) return -1;
    f.nAvgBytesPerSec = (DWORD)avg;
    c->outputFormat = f;
    c->kind = PCMCONV_WAVE;
    int32_t block = (int32_t)avg;
    if (block > kMaxWaveBlock) block = kMaxWaveBlock / f.nBlockAlign * f.nBlockAlign;
    if (block < f.nBlockAlign) block = f.nBlockAlign;
    c->outSize = block;
    return 0;
}

int DecodeWaveBlock(PCMCONV *c) {
    const STREAMREF *s = &c->stream;
    int64_t left = (int64_t)c->dataStart + c->dataSize - s->Tell(s->handle);
    if (left <= 0) return -1;
    int n = (int)(left < c->outSize ? left : c->outSize);
    int got = StreamReadBytes(s, c->outBuffer, n);
    if (got <= 0) return -1;
    c->available = got;
    return 0;
}

int OpenAcmWaveSource(PCMCONV *c) {
    uint8_t *body;
    if (WalkWave(c, &body) != 0) return -1;
    WAVEFORMATEX *src = reinterpret_cast<WAVEFORMATEX *>(body);
    // The extras can claim more than the chunk holds.
    int room = c->formatSize - (int)sizeof(WAVEFORMATEX);
    if (room < 0) room = 0;
    if (src->cbSize > room) src->cbSize = (WORD)room;
    if (c->formatSize == 16) src->cbSize = 0;
    c->acm.sourceFormat = src;
    c->acm.totalSamples = -1;
    if (SuggestPcmFormat(src, &c->outputFormat) != 0 || c->dataSize <= 0) {
        CloseAcmSource(c);
        return -1;
    }
    c->acm.coded = (uint8_t *)MEM_ALLOC(c->dataSize);
    if (!c->acm.coded) {
        CloseAcmSource(c);
        return -1;
    }
    c->acm.codedSize = StreamReadBytes(&c->stream, c->acm.coded, c->dataSize);
    c->stream.Seek(c->stream.handle, c->dataStart, 0);
    if (c->acm.codedSize <= 0 || OpenAcmConversion(c) != 0) {
        CloseAcmSource(c);
        return -1;
    }
    c->kind = PCMCONV_ACM;
    c->outSize = (int32_t)c->outputFormat.nAvgBytesPerSec;
    return 0;
}
