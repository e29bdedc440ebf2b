// Ogg Vorbis through vorbisfile, reading through the caller's stream.
#include <vorbis/vorbisfile.h>

#include <cstring>

#include "library/base/memory.h"
#include "library/sound/pcm_readers.h"

namespace {

constexpr int32_t kOggBlock = 4096;
int g_oggSampleWidth = 2;

size_t OggRead(void *ptr, size_t size, size_t count, void *source) {
    const STREAMREF *s = static_cast<const STREAMREF *>(source);
    int n = s->Read(ptr, size, count, s->handle);
    return n > 0 ? (size_t)n : 0;
}

int OggSeek(void *source, ogg_int64_t offset, int origin) {
    const STREAMREF *s = static_cast<const STREAMREF *>(source);
    return s->Seek(s->handle, (int)offset, origin) == 0 ? 0 : -1;
}

long OggTell(void *source) {
    const STREAMREF *s = static_cast<const STREAMREF *>(source);
    return s->Tell(s->handle);
}

// The owner closes the stream.
int OggClose(void *) { return 0; }

// A damaged setup header can leave the decoder with books that divide by zero once it decodes
// after a seek. Such a stream already fails on its first block, so a stream is taken only when
// that block decodes; it is then rewound to its first sample.
bool FirstBlockDecodes(OggVorbis_File *vf) {
    char probe[kOggBlock];
    int section = 0;
    long n;
    do {
        n = ov_read(vf, probe, sizeof probe, 0, 2, 1, &section);
    } while (n == OV_HOLE);
    return n >= 0 && ov_pcm_seek(vf, 0) == 0;
}

}  // namespace

void SetOggSampleWidth(int bytes) { g_oggSampleWidth = bytes == 1 ? 1 : 2; }

int OpenOggSource(PCMCONV *c) {
    OggVorbis_File *vf = (OggVorbis_File *)MEM_ALLOC_ZERO(sizeof(OggVorbis_File));
    if (!vf) return -1;
    ov_callbacks cb = {OggRead, OggSeek, OggClose, OggTell};
    if (ov_open_callbacks(&c->stream, vf, nullptr, 0, cb) != 0) {
        MEM_FREE(vf);
        return -1;
    }
    c->ogg.file = vf;
    c->ogg.opened = 1;
    c->ogg.sampleWidth = 2;  // only 16-bit output is made
    vorbis_info *info = ov_info(vf, -1);
    ogg_int64_t total = ov_pcm_total(vf, -1);
    // The whole sound and its one-second tail must fit in 31 bits; a damaged last page can claim
    // any length, so the bound is taken apart instead of multiplied out.
    if (!info || info->channels < 1 || info->rate < 1 || total < 0 ||
        total > (int64_t)0x7FFFFFFF / (2 * (int64_t)info->channels) - 44100) {
        CloseOggSource(c);
        return -1;
    }
    if (!FirstBlockDecodes(vf)) {
        CloseOggSource(c);
        return -1;
    }
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = (WORD)info->channels;
    f.nSamplesPerSec = (DWORD)info->rate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = (WORD)(f.nChannels * 2);
    f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
    c->outputFormat = f;
    c->dataSize = (int32_t)(f.nChannels * 2 * total);
    c->kind = PCMCONV_OGG;
    c->outSize = kOggBlock;
    return 0;
}

int DecodeOggBlock(PCMCONV *c) {
    for (;;) {
        int section = 0;
        long n = ov_read(c->ogg.file, (char *)c->outBuffer, c->outSize, 0, c->ogg.sampleWidth, 1, &section);
        if (n == OV_HOLE) continue;  // a gap in the data: decoding goes on after it
        if (n <= 0) return -1;
        c->available = (int32_t)n;
        return 0;
    }
}

int SeekOggSource(PCMCONV *c, int64_t sample) { return ov_pcm_seek(c->ogg.file, sample) == 0 ? 0 : -1; }

int64_t OggTotalSamples(const PCMCONV *c) { return ov_pcm_total(c->ogg.file, -1); }

void CloseOggSource(PCMCONV *c) {
    if (c->ogg.opened) ov_clear(c->ogg.file);
    MEM_FREE(c->ogg.file);
    memset(&c->ogg, 0, sizeof c->ogg);
}
