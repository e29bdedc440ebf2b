// Conversion of sound data to PCM: a record over a stream that finds a reader for the data
// (WAVE PCM, WAVE through the compression manager, Ogg Vorbis, MP3 through the compression
// manager) and decodes it whole or block by block.
#pragma once

#include <cstdint>

#include "library/base/stream.h"
#include "platform/mmreg.h"
#include "platform/msacm/msacm.h"

#define PCMCONV_WAVE 0
#define PCMCONV_ACM 1
#define PCMCONV_OGG 2

struct OggVorbis_File;

struct PCMCONV_ACMSTATE {
    WAVEFORMATEX *sourceFormat;  // the coded format block, library memory
    HACMSTREAM stream;
    uint8_t *coded;              // the whole coded data
    int32_t codedSize;
    int32_t codedPosition;
    int32_t totalSamples;        // -1 when unknown
};

struct PCMCONV_OGGSTATE {
    int32_t opened;
    OggVorbis_File *file;        // library memory
    int32_t sampleWidth;         // bytes per sample asked of the decoder
};

struct PCMCONV {
    int32_t ready;
    int32_t endFlag;
    int32_t kind;
    STREAMREF stream;
    int32_t formatPosition, formatSize;
    int32_t dataStart, dataSize;
    WAVEFORMATEX outputFormat;
    PCMCONV_ACMSTATE acm;
    PCMCONV_OGGSTATE ogg;
    uint8_t *outBuffer;
    int32_t outSize;
    int32_t available;
    int32_t readOffset;
    int32_t position;
};

// 0, or -1 when no reader accepts the data.
int SetupSoundConvert(const STREAMREF *stream, PCMCONV *conv);
// The same with the Ogg Vorbis reader alone (a movie's sound track).
int SetupOggSoundConvert(const STREAMREF *stream, PCMCONV *conv);
int GetConvertFormat(const PCMCONV *conv, WAVEFORMATEX *format);
// Total PCM bytes (for Ogg Vorbis one second of samples more than the stream holds).
int64_t GetConvertedSize(const PCMCONV *conv);
// PCM bytes of the data itself (Ogg Vorbis without the extra second).
int64_t GetDecodedDataSize(const PCMCONV *conv);
// Bytes written (0..n), -1 when not ready.
int ReadConvertedData(PCMCONV *conv, void *dst, int n);
void SeekSoundConvert(PCMCONV *conv, int sample);
// The whole sound in one new library block; 0 / -1.
int ConvertWholeSound(PCMCONV *conv, WAVEFORMATEX *format, void **block, int *size);
// 0, -1 when not ready.
int EndSoundConvert(PCMCONV *conv);

// The sample width asked of the Ogg Vorbis decoder (the sound system sets 2).
void SetOggSampleWidth(int bytes);
