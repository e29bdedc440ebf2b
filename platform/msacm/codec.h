// One open conversion of the compression manager: a codec from a compressed format to 16-bit PCM.
#pragma once

#include "platform/msacm/msacm.h"

class AcmCodec {
public:
    virtual ~AcmCodec() = default;
    // Decodes whole source blocks while their output fits. Input consumed always yields output
    // (a block of nothing but side information is consumed together with the next one).
    virtual MMRESULT Convert(const BYTE *src, DWORD srcBytes, DWORD *srcUsed, BYTE *dst, DWORD dstBytes,
                             DWORD *dstUsed) = 0;
    // Upper bound of the PCM bytes of srcBytes coded bytes.
    virtual DWORD OutputBound(DWORD srcBytes) const = 0;
    // Coded bytes needed for about dstBytes of PCM.
    virtual DWORD InputFor(DWORD dstBytes) const = 0;
};

// Null when the format is not one the codec can decode.
AcmCodec *OpenImaAdpcmCodec(const WAVEFORMATEX *format);
AcmCodec *OpenMsAdpcmCodec(const WAVEFORMATEX *format);
AcmCodec *OpenMp3Codec(const WAVEFORMATEX *format);
