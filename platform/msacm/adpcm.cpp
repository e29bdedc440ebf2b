// The two ADPCM codecs of the compression manager: IMA ADPCM and Microsoft ADPCM.
#include <cstring>
#include <vector>

#include "platform/msacm/codec.h"

namespace {

inline int16_t Clamp16(int v) { return (int16_t)(v < -32768 ? -32768 : v > 32767 ? 32767 : v); }

inline int16_t ReadS16(const BYTE *p) { return (int16_t)(p[0] | (p[1] << 8)); }

inline void WriteS16(BYTE *p, int16_t v) {
    p[0] = (BYTE)(v & 0xFF);
    p[1] = (BYTE)((uint16_t)v >> 8);
}

// Shared by both: whole blocks in, whole blocks out.
class BlockCodec : public AcmCodec {
public:
    BlockCodec(DWORD blockBytes, DWORD samplesPerBlock, WORD channels)
        : block_(blockBytes), samples_(samplesPerBlock), channels_(channels) {}

    MMRESULT Convert(const BYTE *src, DWORD srcBytes, DWORD *srcUsed, BYTE *dst, DWORD dstBytes,
                     DWORD *dstUsed) override {
        const DWORD out = OutBlock();
        DWORD n = srcBytes / block_;
        if (dstBytes / out < n) n = dstBytes / out;
        for (DWORD i = 0; i < n; i++)
            if (!DecodeBlock(src + i * block_, dst + i * out)) {
                *srcUsed = i * block_;
                *dstUsed = i * out;
                return i ? MMSYSERR_NOERROR : ACMERR_NOTPOSSIBLE;
            }
        *srcUsed = n * block_;
        *dstUsed = n * out;
        return MMSYSERR_NOERROR;
    }
    DWORD OutputBound(DWORD srcBytes) const override {
        uint64_t v = (uint64_t)((srcBytes + block_ - 1) / block_) * OutBlock();
        return v > 0xFFFFFFFFu ? 0 : (DWORD)v;
    }
    DWORD InputFor(DWORD dstBytes) const override { return (dstBytes + OutBlock() - 1) / OutBlock() * block_; }

protected:
    DWORD OutBlock() const { return samples_ * channels_ * 2; }
    // False on a block that holds no valid state.
    virtual bool DecodeBlock(const BYTE *in, BYTE *out) = 0;

    const DWORD block_;
    const DWORD samples_;
    const WORD channels_;
};

const int kImaSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
const int kImaIndex[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

class ImaAdpcm final : public BlockCodec {
public:
    using BlockCodec::BlockCodec;

private:
    bool DecodeBlock(const BYTE *in, BYTE *out) override {
        int predictor[2], index[2];
        for (int c = 0; c < channels_; c++) {
            predictor[c] = ReadS16(in + 4 * c);
            index[c] = in[4 * c + 2];
            if (index[c] > 88) return false;
            WriteS16(out + 2 * c, (int16_t)predictor[c]);
        }
        const BYTE *p = in + 4 * channels_;
        // After the header: per channel, 4 bytes = 8 samples, the channels taking turns.
        for (DWORD s = 1; s < samples_; s += 8) {
            for (int c = 0; c < channels_; c++) {
                for (int k = 0; k < 8; k++) {
                    int nibble = (p[k / 2] >> ((k & 1) * 4)) & 0x0F;
                    int step = kImaSteps[index[c]];
                    int diff = step >> 3;
                    if (nibble & 1) diff += step >> 2;
                    if (nibble & 2) diff += step >> 1;
                    if (nibble & 4) diff += step;
                    predictor[c] = Clamp16((nibble & 8) ? predictor[c] - diff : predictor[c] + diff);
                    index[c] += kImaIndex[nibble];
                    index[c] = index[c] < 0 ? 0 : index[c] > 88 ? 88 : index[c];
                    WriteS16(out + 2 * ((s + k) * channels_ + c), (int16_t)predictor[c]);
                }
                p += 4;
            }
        }
        return true;
    }
};

const int kMsAdapt[16] = {230, 230, 230, 230, 307, 409, 512, 614, 768, 614, 512, 409, 307, 230, 230, 230};

class MsAdpcm final : public BlockCodec {
public:
    MsAdpcm(DWORD blockBytes, DWORD samplesPerBlock, WORD channels, const ADPCMCOEFSET *coefs, int count)
        : BlockCodec(blockBytes, samplesPerBlock, channels), coefs_(coefs, coefs + count) {}

private:
    bool DecodeBlock(const BYTE *in, BYTE *out) override {
        const int ch = channels_;
        int c1[2], c2[2], delta[2], s1[2], s2[2];
        for (int c = 0; c < ch; c++) {
            int pred = in[c];
            if (pred >= (int)coefs_.size()) return false;
            c1[c] = coefs_[pred].iCoef1;
            c2[c] = coefs_[pred].iCoef2;
            delta[c] = ReadS16(in + ch + 2 * c);
            s1[c] = ReadS16(in + 3 * ch + 2 * c);
            s2[c] = ReadS16(in + 5 * ch + 2 * c);
            WriteS16(out + 2 * c, (int16_t)s2[c]);
            WriteS16(out + 2 * (ch + c), (int16_t)s1[c]);
        }
        const BYTE *p = in + 7 * ch;
        // Two nibbles a byte, high first; the channels alternate nibble by nibble.
        DWORD total = (samples_ - 2) * ch;
        for (DWORD i = 0; i < total; i++) {
            int c = (int)(i % ch);
            int nibble = (i & 1) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4);
            int signedNibble = nibble >= 8 ? nibble - 16 : nibble;
            // Sixteen-bit history times sixteen-bit coefficients: two such products pass int.
            const int64_t pred = ((int64_t)s1[c] * c1[c] + (int64_t)s2[c] * c2[c]) >> 8;
            const int64_t wide = pred + signedNibble * delta[c];
            int sample = wide < -32768 ? -32768 : wide > 32767 ? 32767 : (int)wide;
            s2[c] = s1[c];
            s1[c] = sample;
            // The step stays within the block header's 16-bit field, however a damaged block
            // keeps growing it.
            delta[c] = (kMsAdapt[nibble] * delta[c]) >> 8;
            if (delta[c] < 16) delta[c] = 16;
            if (delta[c] > 32767) delta[c] = 32767;
            WriteS16(out + 2 * (2 * ch + i), (int16_t)sample);
        }
        return true;
    }

    std::vector<ADPCMCOEFSET> coefs_;
};

}  // namespace

AcmCodec *OpenImaAdpcmCodec(const WAVEFORMATEX *f) {
    const int ch = f->nChannels;
    if (f->wFormatTag != WAVE_FORMAT_IMA_ADPCM || ch < 1 || ch > 2 || f->wBitsPerSample != 4) return nullptr;
    if (f->nBlockAlign <= 4 * ch || (f->nBlockAlign - 4 * ch) % (4 * ch) != 0) return nullptr;
    DWORD samples = (f->nBlockAlign - 4 * ch) * 2 / ch + 1;
    if (f->cbSize >= 2 && reinterpret_cast<const IMAADPCMWAVEFORMAT *>(f)->wSamplesPerBlock != samples)
        return nullptr;
    return new ImaAdpcm(f->nBlockAlign, samples, (WORD)ch);
}

AcmCodec *OpenMsAdpcmCodec(const WAVEFORMATEX *f) {
    const int ch = f->nChannels;
    if (f->wFormatTag != WAVE_FORMAT_ADPCM || ch < 1 || ch > 2 || f->wBitsPerSample != 4) return nullptr;
    if (f->nBlockAlign < 7 * ch + ch || f->cbSize < 4) return nullptr;
    const ADPCMWAVEFORMAT *a = reinterpret_cast<const ADPCMWAVEFORMAT *>(f);
    if (a->wNumCoef < 1 || f->cbSize < 4 + 4 * a->wNumCoef) return nullptr;
    DWORD samples = (f->nBlockAlign - 7 * ch) * 2 / ch + 2;
    if (a->wSamplesPerBlock != samples) return nullptr;
    ADPCMCOEFSET coefs[256];
    int count = a->wNumCoef > 256 ? 256 : a->wNumCoef;
    memcpy(coefs, reinterpret_cast<const BYTE *>(f) + sizeof(WAVEFORMATEX) + 4, count * sizeof(ADPCMCOEFSET));
    return new MsAdpcm(f->nBlockAlign, samples, (WORD)ch, coefs, count);
}
