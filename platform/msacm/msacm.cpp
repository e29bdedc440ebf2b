// The compression manager's entry points over the stand-in's codecs.
#include "platform/msacm/msacm.h"

#include <cstring>
#include <mutex>
#include <set>

#include "platform/msacm/codec.h"

namespace {

struct CODECENTRY {
    WORD tag;
    AcmCodec *(*open)(const WAVEFORMATEX *format);
};

const CODECENTRY kCodecs[] = {
    {WAVE_FORMAT_IMA_ADPCM, OpenImaAdpcmCodec},
    {WAVE_FORMAT_ADPCM, OpenMsAdpcmCodec},
    {WAVE_FORMAT_MPEGLAYER3, OpenMp3Codec},
};

const CODECENTRY *FindCodec(WORD tag) {
    for (const CODECENTRY &c : kCodecs)
        if (c.tag == tag) return &c;
    return nullptr;
}

struct ACMSTREAM {
    AcmCodec *codec;
    WAVEFORMATEX dest;
};

std::mutex g_lock;
std::set<ACMSTREAM *> g_streams;

ACMSTREAM *Lookup(HACMSTREAM h) {
    std::lock_guard<std::mutex> g(g_lock);
    ACMSTREAM *s = reinterpret_cast<ACMSTREAM *>(h);
    return g_streams.count(s) ? s : nullptr;
}

}  // namespace

MMRESULT acmMetrics(HACMOBJ object, UINT metric, LPVOID out) {
    if (object || !out) return MMSYSERR_INVALPARAM;
    if (metric != ACM_METRIC_MAX_SIZE_FORMAT) return MMSYSERR_NOTSUPPORTED;
    // The largest format block of the codecs: Microsoft ADPCM with its seven coefficients.
    *static_cast<DWORD *>(out) = sizeof(WAVEFORMATEX) + 4 + 7 * sizeof(ADPCMCOEFSET);
    return MMSYSERR_NOERROR;
}

MMRESULT acmFormatSuggest(HACMDRIVER driver, LPWAVEFORMATEX source, LPWAVEFORMATEX dest, DWORD destSize,
                          DWORD flags) {
    if (driver || !source || !dest || destSize < sizeof(PCMWAVEFORMAT)) return MMSYSERR_INVALPARAM;
    if ((flags & ACM_FORMATSUGGESTF_WFORMATTAG) && dest->wFormatTag != WAVE_FORMAT_PCM) return ACMERR_NOTPOSSIBLE;
    if (!FindCodec(source->wFormatTag)) return ACMERR_NOTPOSSIBLE;
    if (source->nChannels < 1 || source->nChannels > 2 || source->nSamplesPerSec == 0) return ACMERR_NOTPOSSIBLE;
    if ((flags & ACM_FORMATSUGGESTF_NCHANNELS) && dest->nChannels != source->nChannels) return ACMERR_NOTPOSSIBLE;
    if ((flags & ACM_FORMATSUGGESTF_NSAMPLESPERSEC) && dest->nSamplesPerSec != source->nSamplesPerSec)
        return ACMERR_NOTPOSSIBLE;
    if ((flags & ACM_FORMATSUGGESTF_WBITSPERSAMPLE) && dest->wBitsPerSample != 16) return ACMERR_NOTPOSSIBLE;
    WAVEFORMATEX pcm{};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = source->nChannels;
    pcm.nSamplesPerSec = source->nSamplesPerSec;
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = (WORD)(pcm.nChannels * 2);
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
    memcpy(dest, &pcm, destSize < sizeof(WAVEFORMATEX) ? sizeof(PCMWAVEFORMAT) : sizeof(WAVEFORMATEX));
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamOpen(LPHACMSTREAM stream, HACMDRIVER driver, LPWAVEFORMATEX source, LPWAVEFORMATEX dest,
                       LPWAVEFILTER filter, ULONG_PTR, ULONG_PTR, DWORD flags) {
    bool query = (flags & ACM_STREAMOPENF_QUERY) != 0;
    if (stream) *stream = nullptr;
    if ((!stream && !query) || driver || filter || !source || !dest) return MMSYSERR_INVALPARAM;
    if (flags & ACM_STREAMOPENF_ASYNC) return MMSYSERR_NOTSUPPORTED;
    const CODECENTRY *entry = FindCodec(source->wFormatTag);
    if (!entry || dest->wFormatTag != WAVE_FORMAT_PCM || dest->wBitsPerSample != 16 ||
        dest->nChannels != source->nChannels || dest->nSamplesPerSec != source->nSamplesPerSec ||
        dest->nBlockAlign != dest->nChannels * 2)
        return ACMERR_NOTPOSSIBLE;
    AcmCodec *codec = entry->open(source);
    if (!codec) return ACMERR_NOTPOSSIBLE;
    if (query) {
        delete codec;
        return MMSYSERR_NOERROR;
    }
    ACMSTREAM *s = new ACMSTREAM{codec, {}};
    memcpy(&s->dest, dest, sizeof(PCMWAVEFORMAT));
    {
        std::lock_guard<std::mutex> g(g_lock);
        g_streams.insert(s);
    }
    *stream = reinterpret_cast<HACMSTREAM>(s);
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamSize(HACMSTREAM stream, DWORD input, LPDWORD output, DWORD flags) {
    ACMSTREAM *s = Lookup(stream);
    if (!s) return MMSYSERR_INVALHANDLE;
    if (!output) return MMSYSERR_INVALPARAM;
    if (flags == ACM_STREAMSIZEF_SOURCE) {
        *output = s->codec->OutputBound(input);
    } else if (flags == ACM_STREAMSIZEF_DESTINATION) {
        *output = s->codec->InputFor(input);
    } else {
        return MMSYSERR_INVALFLAG;
    }
    return *output ? MMSYSERR_NOERROR : ACMERR_NOTPOSSIBLE;
}

MMRESULT acmStreamPrepareHeader(HACMSTREAM stream, LPACMSTREAMHEADER header, DWORD) {
    if (!Lookup(stream)) return MMSYSERR_INVALHANDLE;
    if (!header || header->cbStruct < sizeof(ACMSTREAMHEADER) || !header->pbSrc || !header->pbDst)
        return MMSYSERR_INVALPARAM;
    header->fdwStatus |= ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamConvert(HACMSTREAM stream, LPACMSTREAMHEADER header, DWORD flags) {
    ACMSTREAM *s = Lookup(stream);
    if (!s) return MMSYSERR_INVALHANDLE;
    if (!header || header->cbStruct < sizeof(ACMSTREAMHEADER)) return MMSYSERR_INVALPARAM;
    if (!(header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED)) return ACMERR_UNPREPARED;
    if (flags & ~(ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END))
        return MMSYSERR_INVALFLAG;
    header->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_DONE;
    header->cbSrcLengthUsed = 0;
    header->cbDstLengthUsed = 0;
    MMRESULT r = s->codec->Convert(header->pbSrc, header->cbSrcLength, &header->cbSrcLengthUsed, header->pbDst,
                                   header->cbDstLength, &header->cbDstLengthUsed);
    header->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
    return r;
}

MMRESULT acmStreamUnprepareHeader(HACMSTREAM stream, LPACMSTREAMHEADER header, DWORD) {
    if (!Lookup(stream)) return MMSYSERR_INVALHANDLE;
    if (!header) return MMSYSERR_INVALPARAM;
    if (!(header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED)) return ACMERR_UNPREPARED;
    header->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamClose(HACMSTREAM stream, DWORD) {
    ACMSTREAM *s = reinterpret_cast<ACMSTREAM *>(stream);
    {
        std::lock_guard<std::mutex> g(g_lock);
        if (!g_streams.erase(s)) return MMSYSERR_INVALHANDLE;
    }
    delete s->codec;
    delete s;
    return MMSYSERR_NOERROR;
}
