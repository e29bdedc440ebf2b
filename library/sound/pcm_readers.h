// The readers behind PCMCONV, one file each; shared by pcm_convert.cpp.
#pragma once

#include "library/sound/pcm_convert.h"

// Each returns 0 when it accepts the data (output format, data fields, reader state and the
// output buffer size set), else -1 with everything it made released.
int OpenWaveSource(PCMCONV *conv);
int OpenAcmWaveSource(PCMCONV *conv);
int OpenOggSource(PCMCONV *conv);
int OpenMp3Source(PCMCONV *conv);

// One block of PCM into the output buffer (available set); -1 at the end of the data.
int DecodeWaveBlock(PCMCONV *conv);
int DecodeAcmBlock(PCMCONV *conv);
int DecodeOggBlock(PCMCONV *conv);

// ACM readers: (re)open the conversion stream over the coded data from its start; 0 / -1.
int OpenAcmConversion(PCMCONV *conv);
void CloseAcmSource(PCMCONV *conv);
// Ogg: seek the decoder to a sample; total samples.
int SeekOggSource(PCMCONV *conv, int64_t sample);
int64_t OggTotalSamples(const PCMCONV *conv);
void CloseOggSource(PCMCONV *conv);

// Stream helpers over a STREAMREF.
int64_t StreamSize(const STREAMREF *s);           // seeks to the end and back
int StreamReadBytes(const STREAMREF *s, void *dst, int n);  // bytes read
// A PCM suggestion of the compression manager for a coded format; 0 / -1.
int SuggestPcmFormat(WAVEFORMATEX *source, WAVEFORMATEX *pcm);

// One MPEG audio frame header (bytes h0..h3).
struct MP3FRAMEINFO {
    int mpeg1;        // 1 MPEG-1, 0 MPEG-2
    int layer;        // 0 I, 1 II, 2 III
    int kbps;
    int sampleRate;
    int padding;
    int channels;
    int frameBytes;
    int samples;      // per channel
};
// 0, or -1 for a header that is not one (including free format, index 0).
int ParseMp3FrameHeader(const uint8_t *h, MP3FRAMEINFO *info);
