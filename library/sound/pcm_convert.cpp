// The conversion record: reader choice, block-wise decoding, seeking and whole-sound decoding.
#include "library/sound/pcm_convert.h"

#include <cstdlib>
#include <cstring>

#include "library/base/memory.h"
#include "library/sound/pcm_readers.h"

namespace {

int DecodeBlock(PCMCONV *c) {
    c->readOffset = 0;
    c->available = 0;
    switch (c->kind) {
    case PCMCONV_WAVE: return DecodeWaveBlock(c);
    case PCMCONV_ACM: return DecodeAcmBlock(c);
    case PCMCONV_OGG: return DecodeOggBlock(c);
    }
    return -1;
}

void ReleaseReader(PCMCONV *c) {
    if (c->kind == PCMCONV_ACM) CloseAcmSource(c);
    if (c->kind == PCMCONV_OGG) CloseOggSource(c);
}

}  // namespace

int64_t StreamSize(const STREAMREF *s) {
    int here = s->Tell(s->handle);
    if (s->Seek(s->handle, 0, 2) != 0) return -1;
    int size = s->Tell(s->handle);
    s->Seek(s->handle, here < 0 ? 0 : here, 0);
    return size;
}

int StreamReadBytes(const STREAMREF *s, void *dst, int n) {
    if (n <= 0) return 0;
    int got = s->Read(dst, 1, (size_t)n, s->handle);
    return got < 0 ? 0 : got;
}

namespace {

int SetupWithReaders(const STREAMREF *stream, PCMCONV *c, int (*const *readers)(PCMCONV *), int count) {
    memset(c, 0, sizeof *c);
    c->stream = *stream;
    bool found = false;
    for (int i = 0; i < count; i++) {
        auto open = readers[i];
        memset(&c->acm, 0, sizeof c->acm);
        memset(&c->ogg, 0, sizeof c->ogg);
        c->stream.Seek(c->stream.handle, 0, 0);
        if (open(c) == 0) {
            found = true;
            break;
        }
    }
    if (!found) return -1;
    c->outBuffer = (uint8_t *)MEM_ALLOC(c->outSize > 0 ? c->outSize : 1);
    if (!c->outBuffer) {
        ReleaseReader(c);
        return -1;
    }
    c->available = 0;
    c->readOffset = 0;
    c->position = 0;
    c->endFlag = 0;
    c->ready = 1;
    return 0;
}

}  // namespace

int SetupSoundConvert(const STREAMREF *stream, PCMCONV *c) {
    static int (*const kReaders[])(PCMCONV *) = {OpenWaveSource, OpenAcmWaveSource, OpenOggSource, OpenMp3Source};
    return SetupWithReaders(stream, c, kReaders, 4);
}

int SetupOggSoundConvert(const STREAMREF *stream, PCMCONV *c) {
    static int (*const kReaders[])(PCMCONV *) = {OpenOggSource};
    return SetupWithReaders(stream, c, kReaders, 1);
}

int GetConvertFormat(const PCMCONV *c, WAVEFORMATEX *format) {
    *format = c->outputFormat;
    return 0;
}

int64_t GetConvertedSize(const PCMCONV *c) {
    switch (c->kind) {
    case PCMCONV_WAVE: return c->dataSize;
    case PCMCONV_ACM: {
        if (c->acm.totalSamples >= 0) return (int64_t)c->acm.totalSamples * c->outputFormat.nBlockAlign;
        DWORD out = 0;
        if (acmStreamSize(c->acm.stream, (DWORD)c->dataSize, &out, ACM_STREAMSIZEF_SOURCE) != MMSYSERR_NOERROR)
            return 0;
        return out;
    }
    case PCMCONV_OGG: return (int64_t)c->outputFormat.nChannels * (OggTotalSamples(c) + 44100) * 2;
    }
    return 0;
}

int64_t GetDecodedDataSize(const PCMCONV *c) {
    if (c->kind == PCMCONV_OGG) return (int64_t)c->outputFormat.nChannels * OggTotalSamples(c) * 2;
    return GetConvertedSize(c);
}

int ReadConvertedData(PCMCONV *c, void *dst, int n) {
    if (!c->ready) return -1;
    if (c->endFlag || n <= 0) return 0;
    uint8_t *out = static_cast<uint8_t *>(dst);
    int written = 0;
    while (written < n) {
        if (c->available == 0 && DecodeBlock(c) != 0) {
            c->endFlag = 1;
            return written;
        }
        int k = c->available < n - written ? c->available : n - written;
        memcpy(out + written, c->outBuffer + c->readOffset, (size_t)k);
        c->readOffset += k;
        c->available -= k;
        c->position += k;
        written += k;
    }
    return written;
}

void SeekSoundConvert(PCMCONV *c, int sample) {
    if (!c->ready) return;
    int64_t target = (int64_t)(sample < 0 ? 0 : sample) * c->outputFormat.nBlockAlign;
    if (std::llabs(target - c->position) < 16) return;
    switch (c->kind) {
    case PCMCONV_WAVE:
        if (target > c->dataSize) target = c->dataSize / c->outputFormat.nBlockAlign * c->outputFormat.nBlockAlign;
        c->stream.Seek(c->stream.handle, (int)(c->dataStart + target), 0);
        c->position = (int32_t)target;
        c->available = 0;
        c->readOffset = 0;
        break;
    case PCMCONV_ACM:
        if (target < c->position) {
            OpenAcmConversion(c);
            c->position = 0;
            c->available = 0;
            c->readOffset = 0;
        }
        // Decode and drop up to the target; the rest of the last block stays available.
        c->endFlag = 0;
        while (c->position + c->available < target) {
            c->position += c->available;
            if (DecodeBlock(c) != 0) {
                c->available = 0;
                break;
            }
        }
        if (c->available > 0) {
            int32_t skip = (int32_t)(target - c->position);
            c->readOffset += skip;
            c->available -= skip;
            c->position = (int32_t)target;
        }
        break;
    case PCMCONV_OGG: {
        int64_t total = OggTotalSamples(c);
        int64_t s = target / c->outputFormat.nBlockAlign;
        if (s > total) s = total;
        SeekOggSource(c, s);
        c->position = (int32_t)(s * c->outputFormat.nBlockAlign);
        c->available = 0;
        c->readOffset = 0;
        break;
    }
    }
    c->endFlag = 0;
}

int ConvertWholeSound(PCMCONV *c, WAVEFORMATEX *format, void **block, int *size) {
    *block = nullptr;
    *size = 0;
    int64_t bytes = GetConvertedSize(c);
    if (bytes < 0 || bytes > 0x7FFFFFFF) return -1;
    uint8_t *p = (uint8_t *)MEM_ALLOC(bytes > 0 ? (size_t)bytes : 1);
    if (!p) return -1;
    SeekSoundConvert(c, 0);
    int got;
    if (c->kind == PCMCONV_WAVE) {
        c->stream.Seek(c->stream.handle, c->dataStart, 0);
        c->position = 0;
        got = StreamReadBytes(&c->stream, p, (int)bytes);
    } else {
        got = ReadConvertedData(c, p, (int)bytes);
        if (got < 0) got = 0;
    }
    *block = p;
    *size = got;
    *format = c->outputFormat;
    return 0;
}

int EndSoundConvert(PCMCONV *c) {
    if (!c->ready) return -1;
    MEM_FREE(c->outBuffer);
    c->outBuffer = nullptr;
    ReleaseReader(c);
    c->ready = 0;
    return 0;
}
