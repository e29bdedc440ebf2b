// MP3 files: tags skipped, frames walked to find the data and count the samples, then decoded
// through the compression manager. Only Layer III is taken.
#include <cstring>

#include "library/base/memory.h"
#include "library/sound/pcm_readers.h"

namespace {

// kbit/s by [MPEG-1 / MPEG-2][layer I, II, III][index]; index 0 (free format) and 15 are not rates.
const int kBitRates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
};
const int kSampleRates[2][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}};

int ReadByteAt(const STREAMREF *s, int64_t at, uint8_t *b) {
    if (s->Seek(s->handle, (int)at, 0) != 0) return -1;
    return StreamReadBytes(s, b, 1) == 1 ? 0 : -1;
}

}  // namespace

int ParseMp3FrameHeader(const uint8_t *h, MP3FRAMEINFO *info) {
    if (h[0] != 0xFF || h[1] < 0xF0) return -1;
    MP3FRAMEINFO f{};
    f.mpeg1 = (h[1] & 0x08) ? 1 : 0;
    f.layer = 3 - ((h[1] >> 1) & 3);
    if (f.layer == 3) return -1;
    int rateIndex = h[2] >> 4;
    int srIndex = (h[2] >> 2) & 3;
    if (rateIndex == 0 || rateIndex == 15 || srIndex == 3) return -1;
    const int v = f.mpeg1 ? 0 : 1;
    f.kbps = kBitRates[v][f.layer][rateIndex];
    f.sampleRate = kSampleRates[v][srIndex];
    f.padding = (h[2] >> 1) & 1;
    f.channels = (h[3] & 0xC0) == 0xC0 ? 1 : 2;
    if (f.layer == 0) {
        f.frameBytes = (12000 * f.kbps / f.sampleRate + f.padding) * 4;
        f.samples = 384;
    } else if (f.mpeg1 || f.layer == 1) {
        // Layer II has 1,152 samples in both versions.
        f.frameBytes = 144000 * f.kbps / f.sampleRate + f.padding;
        f.samples = 1152;
    } else {
        f.frameBytes = 72000 * f.kbps / f.sampleRate + f.padding;
        f.samples = 576;
    }
    *info = f;
    return 0;
}

int OpenMp3Source(PCMCONV *c) {
    const STREAMREF *s = &c->stream;
    const int64_t size = StreamSize(s);
    if (size < 4) return -1;
    // ID3v2 at the start.
    int64_t at = 0;
    uint8_t t[10];
    if (size >= 10 && StreamReadBytes(s, t, 10) == 10 && memcmp(t, "ID3", 3) == 0) {
        at = ((((int64_t)(t[6] & 0x7F) * 128 + (t[7] & 0x7F)) * 128 + (t[8] & 0x7F)) * 128 + (t[9] & 0x7F)) + 10;
        if (t[3] == 4 && (t[5] & 0x10)) at += 10;
    }
    // ID3v1 at the end.
    int64_t audioEnd = size;
    if (size >= 129 && s->Seek(s->handle, (int)(size - 128), 0) == 0 && StreamReadBytes(s, t, 3) == 3 &&
        memcmp(t, "TAG", 3) == 0)
        audioEnd = size - 128;

    // Frame walk.
    MP3FRAMEINFO first{}, f{};
    int64_t dataStart = -1, dataEnd = -1, total = 0;
    while (at + 4 <= audioEnd) {
        uint8_t b;
        if (ReadByteAt(s, at, &b) != 0) break;
        if (b != 0xFF) {
            at++;
            continue;
        }
        uint8_t h[4] = {0xFF, 0, 0, 0};
        if (StreamReadBytes(s, h + 1, 1) != 1) break;
        if (h[1] < 0xF0) {
            at++;
            continue;
        }
        if (StreamReadBytes(s, h + 2, 2) != 2 || ParseMp3FrameHeader(h, &f) != 0 || f.layer != 2) return -1;
        if (dataStart < 0) {
            dataStart = at;
            first = f;
        }
        total += f.samples;
        if (at + f.frameBytes >= audioEnd) {
            dataEnd = audioEnd;
            break;
        }
        at += f.frameBytes;
        dataEnd = at;
    }
    if (dataStart < 0 || dataEnd <= dataStart || total > 0x7FFFFFFF) return -1;

    DWORD formatBytes = 0;
    if (acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &formatBytes) != MMSYSERR_NOERROR) return -1;
    if (formatBytes < sizeof(MPEGLAYER3WAVEFORMAT)) formatBytes = sizeof(MPEGLAYER3WAVEFORMAT);
    MPEGLAYER3WAVEFORMAT *mf = (MPEGLAYER3WAVEFORMAT *)MEM_ALLOC_ZERO(formatBytes);
    if (!mf) return -1;
    mf->wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    mf->wfx.nChannels = (WORD)first.channels;
    mf->wfx.nSamplesPerSec = (DWORD)first.sampleRate;
    mf->wfx.nAvgBytesPerSec = (DWORD)(first.kbps * 1000 / 8);
    mf->wfx.nBlockAlign = 1;
    mf->wfx.wBitsPerSample = 0;
    mf->wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    mf->wID = MPEGLAYER3_ID_MPEG;
    mf->fdwFlags = (DWORD)first.padding;
    mf->nBlockSize = (WORD)first.frameBytes;
    mf->nFramesPerBlock = 1;
    mf->nCodecDelay = 700;
    c->acm.sourceFormat = &mf->wfx;
    c->acm.totalSamples = (int32_t)total;
    c->dataStart = (int32_t)dataStart;
    c->dataSize = (int32_t)(dataEnd - dataStart);
    if (SuggestPcmFormat(&mf->wfx, &c->outputFormat) != 0) {
        CloseAcmSource(c);
        return -1;
    }
    c->acm.coded = (uint8_t *)MEM_ALLOC(c->dataSize);
    if (!c->acm.coded || s->Seek(s->handle, c->dataStart, 0) != 0) {
        CloseAcmSource(c);
        return -1;
    }
    c->acm.codedSize = StreamReadBytes(s, c->acm.coded, c->dataSize);
    s->Seek(s->handle, c->dataStart, 0);
    if (c->acm.codedSize <= 0 || OpenAcmConversion(c) != 0) {
        CloseAcmSource(c);
        return -1;
    }
    c->kind = PCMCONV_ACM;
    c->outSize = (int32_t)((int64_t)c->outputFormat.nAvgBytesPerSec * 4 / 3);
    return 0;
}
