// The MPEG Layer III codec of the compression manager, over libmpg123 fed frame by frame.
#include <mpg123.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "platform/msacm/codec.h"

namespace {

// Layer III bit rates in kbit/s: MPEG-1, then MPEG-2 and 2.5.
const int kRates1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
const int kRates2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
const int kSampleRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

// Bytes of the Layer III frame whose header starts at p, or 0 for no valid header.
DWORD FrameBytes(const BYTE *p) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return 0;
    int version = (p[1] >> 3) & 3;  // 0 = 2.5, 2 = MPEG-2, 3 = MPEG-1
    int layer = (p[1] >> 1) & 3;    // 1 = Layer III
    int rateIndex = p[2] >> 4;
    int srIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer != 1 || rateIndex == 0 || rateIndex == 15 || srIndex == 3) return 0;
    bool mpeg1 = version == 3;
    int kbps = mpeg1 ? kRates1[rateIndex] : kRates2[rateIndex];
    int rate = kSampleRates[mpeg1 ? 0 : version == 2 ? 1 : 2][srIndex];
    int padding = (p[2] >> 1) & 1;
    return (DWORD)((mpeg1 ? 144000 : 72000) * kbps / rate + padding);
}

class Mp3 final : public AcmCodec {
public:
    Mp3(mpg123_handle *h, const WAVEFORMATEX &f) : h_(h), format_(f) {}
    ~Mp3() override { mpg123_delete(h_); }

    MMRESULT Convert(const BYTE *src, DWORD srcBytes, DWORD *srcUsed, BYTE *dst, DWORD dstBytes,
                     DWORD *dstUsed) override {
        DWORD in = 0, out = 0;
        out += TakePending(dst, dstBytes);
        const DWORD frameOut = (format_.nSamplesPerSec >= 32000 ? 1152 : 576) * format_.nChannels * 2;
        while (in + 4 <= srcBytes) {
            DWORD n = FrameBytes(src + in);
            if (n == 0) {
                in++;  // lost sync: look for the next header
                continue;
            }
            if (in + n > srcBytes) break;
            // Stop before a frame whose output could not be kept, unless nothing came out yet.
            if (out > 0 && dstBytes - out < frameOut) break;
            Feed(src + in, n);
            in += n;
            out += TakePending(dst + out, dstBytes - out);
        }
        *srcUsed = in;
        *dstUsed = out;
        return MMSYSERR_NOERROR;
    }
    DWORD OutputBound(DWORD srcBytes) const override {
        // Smallest frames: 96 bytes (MPEG-1) and 24 bytes (MPEG-2 and 2.5).
        bool mpeg1 = format_.nSamplesPerSec >= 32000;
        uint64_t frames = srcBytes / (mpeg1 ? 96 : 24) + 1;
        uint64_t v = frames * (mpeg1 ? 1152 : 576) * format_.nChannels * 2;
        return v > 0xFFFFFFFFu ? 0 : (DWORD)v;
    }
    DWORD InputFor(DWORD dstBytes) const override {
        uint64_t seconds1000 = (uint64_t)dstBytes * 1000 / (format_.nSamplesPerSec * format_.nChannels * 2);
        return (DWORD)(seconds1000 * format_.nAvgBytesPerSec / 1000 + 1);
    }

private:
    void Feed(const BYTE *frame, DWORD bytes) {
        unsigned char buf[1152 * 2 * 2];
        size_t done = 0;
        int r = mpg123_decode(h_, frame, bytes, buf, sizeof buf, &done);
        for (;;) {
            pending_.insert(pending_.end(), buf, buf + done);
            if (r != MPG123_OK && r != MPG123_NEW_FORMAT) break;
            r = mpg123_decode(h_, nullptr, 0, buf, sizeof buf, &done);
        }
    }
    DWORD TakePending(BYTE *dst, DWORD room) {
        DWORD n = (DWORD)pending_.size() - pendingAt_;
        if (n > room) n = room;
        if (n == 0) return 0;
        memcpy(dst, pending_.data() + pendingAt_, n);
        pendingAt_ += n;
        if (pendingAt_ == pending_.size()) {
            pending_.clear();
            pendingAt_ = 0;
        }
        return n;
    }

    mpg123_handle *h_;
    WAVEFORMATEX format_;
    std::vector<BYTE> pending_;
    size_t pendingAt_ = 0;
};

}  // namespace

AcmCodec *OpenMp3Codec(const WAVEFORMATEX *f) {
    if (f->wFormatTag != WAVE_FORMAT_MPEGLAYER3 || f->nChannels < 1 || f->nChannels > 2) return nullptr;
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
    int err = 0;
    mpg123_handle *h = mpg123_new(nullptr, &err);
    if (!h) return nullptr;
    long flags = MPG123_QUIET | (f->nChannels == 1 ? MPG123_FORCE_MONO : MPG123_FORCE_STEREO);
    if (mpg123_param(h, MPG123_FLAGS, flags, 0) != MPG123_OK || mpg123_format_none(h) != MPG123_OK ||
        mpg123_format(h, (long)f->nSamplesPerSec, f->nChannels == 1 ? MPG123_MONO : MPG123_STEREO,
                      MPG123_ENC_SIGNED_16) != MPG123_OK ||
        mpg123_open_feed(h) != MPG123_OK) {
        mpg123_delete(h);
        return nullptr;
    }
    return new Mp3(h, *f);
}
