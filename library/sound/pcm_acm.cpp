// Decoding through the compression manager, shared by compressed WAVE and MP3.
#include <cstring>

#include "library/base/memory.h"
#include "library/sound/pcm_readers.h"

namespace {
// Coded bytes handed over per conversion call.
constexpr int32_t kAcmChunk = 2048;
}  // namespace

int SuggestPcmFormat(WAVEFORMATEX *source, WAVEFORMATEX *pcm) {
    WAVEFORMATEX dst{};
    dst.wFormatTag = WAVE_FORMAT_PCM;
    if (acmFormatSuggest(nullptr, source, &dst, sizeof dst, ACM_FORMATSUGGESTF_WFORMATTAG) != MMSYSERR_NOERROR)
        return -1;
    if (dst.wFormatTag != WAVE_FORMAT_PCM || dst.nChannels < 1 || dst.nBlockAlign < 1 || dst.nAvgBytesPerSec < 1 ||
        dst.nAvgBytesPerSec > 0x7FFFFFF)
        return -1;
    dst.cbSize = 0;
    *pcm = dst;
    return 0;
}

int OpenAcmConversion(PCMCONV *c) {
    if (c->acm.stream) {
        acmStreamClose(c->acm.stream, 0);
        c->acm.stream = nullptr;
    }
    c->acm.codedPosition = 0;
    WAVEFORMATEX dst = c->outputFormat;
    if (acmStreamOpen(&c->acm.stream, nullptr, c->acm.sourceFormat, &dst, nullptr, 0, 0,
                      ACM_STREAMOPENF_NONREALTIME) != MMSYSERR_NOERROR) {
        c->acm.stream = nullptr;
        return -1;
    }
    return 0;
}

int DecodeAcmBlock(PCMCONV *c) {
    if (!c->acm.stream || c->acm.codedPosition >= c->acm.codedSize) return -1;
    int32_t left = c->acm.codedSize - c->acm.codedPosition;
    ACMSTREAMHEADER h{};
    h.cbStruct = sizeof h;
    h.pbSrc = c->acm.coded + c->acm.codedPosition;
    h.cbSrcLength = (DWORD)(left < kAcmChunk ? left : kAcmChunk);
    h.pbDst = c->outBuffer;
    h.cbDstLength = (DWORD)c->outSize;
    bool ok = acmStreamPrepareHeader(c->acm.stream, &h, 0) == MMSYSERR_NOERROR;
    if (ok) {
        ok = acmStreamConvert(c->acm.stream, &h, ACM_STREAMCONVERTF_BLOCKALIGN) == MMSYSERR_NOERROR;
        acmStreamUnprepareHeader(c->acm.stream, &h, 0);
    }
    // No output is the end of the data, as is a failed conversion.
    if (!ok || h.cbDstLengthUsed == 0 || h.cbSrcLengthUsed > (DWORD)left) {
        c->acm.codedPosition = c->acm.codedSize;
        return -1;
    }
    c->available = (int32_t)h.cbDstLengthUsed;
    c->acm.codedPosition += (int32_t)h.cbSrcLengthUsed;
    return 0;
}

void CloseAcmSource(PCMCONV *c) {
    if (c->acm.stream) acmStreamClose(c->acm.stream, 0);
    MEM_FREE(c->acm.sourceFormat);
    MEM_FREE(c->acm.coded);
    memset(&c->acm, 0, sizeof c->acm);
}
